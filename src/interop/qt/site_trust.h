#pragma once

#include "store/interface_settings.h"
#include "store/status.h"

#include <QSslConfiguration>

#include <string>

namespace qa::interop {

// Adds the site's CA (besides the system's) and our client certificate and key, when the
// settings name them, to `tls`; a failure naming the file when one they name cannot be used,
// so that nothing is sent rather than sent without them. MLLP over TLS and https share it.
Status ApplySiteTrust(QSslConfiguration& tls, const InterfaceSettings& security);

} // namespace qa::interop
