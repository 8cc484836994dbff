#pragma once

#include "interop/fhir_poster.h"
#include "store/interface_settings.h"

#include <chrono>
#include <string>
#include <string_view>

namespace qa::interop {

// POSTs transaction Bundles to a FHIR server's base URL over HTTP or HTTPS, as
// application/fhir+json, and waits at most the time-out for each answer in an event loop of
// its own: it runs on the delivery thread or in the command line, never on the window's.
// Made and used on one thread.
// With `security`: https trusts the site's CA file besides the system's, presents the
// client certificate when one is set, and a bearer token authorises every request (never
// written into a problem or a log).
class FhirSender : public FhirPoster {
public:
    FhirSender(std::string base, std::chrono::milliseconds timeout,
               InterfaceSettings security = {});
    FhirReply Post(const std::string& bundle) override;

    static FhirPosterFactory Factory(const InterfaceSettings& security = {});

private:
    std::string base_;
    std::chrono::milliseconds timeout_;
    InterfaceSettings security_;
};

// The outcome of each result of `request` (the Bundle sent) from the server's answer: its
// HTTP status and body. The answer's entries follow the request's in order; an Observation
// is named by its control ID, a Patient's refusal holds the Observations that refer to it.
FhirReply ReadTransactionResponse(std::string_view request, int httpStatus, std::string_view body);

} // namespace qa::interop
