#pragma once

#include "store/interface_settings.h"

#include <QSslConfiguration>

#include <string>

namespace qa::interop {

// Adds the site's CA (besides the system's) and our client certificate and key, when the
// settings name them, to `tls`; false with `problem` when a file they name cannot be used, so
// that nothing is sent rather than sent without them. MLLP over TLS and https share it.
bool ApplySiteTrust(QSslConfiguration& tls, const InterfaceSettings& security,
                    std::string& problem);

} // namespace qa::interop
