#pragma once

#include "interop/result_mapping.h"

#include <string>
#include <string_view>
#include <vector>

namespace qa::interop {

// Data text made safe for a field: the five delimiters become \F\ \S\ \R\ \E\ \T\, and
// control characters (a line break would end the segment) become \Xhh\.
std::string Hl7Escape(std::string_view text);
std::string Hl7Unescape(std::string_view text, char field = '|', char component = '^',
                        char repetition = '~', char escape = '\\', char subcomponent = '&');

// One ORU^R01 (HL7 v2.5.1) per result: MSH, PID (when the result has a patient), OBR, OBX;
// segments end in CR. The control ID is ControlId(context.operatorId, result).
std::string ComposeOruR01(const StoredResult& result, const MessageContext& context);
void AppendOruR01(std::string& out, const StoredResult& result, const MessageContext& context);

// A file of messages: FHS, BHS, the messages, BTS with their count, FTS.
std::string ComposeHl7Batch(const std::vector<std::string>& messages,
                            const MessageContext& context);
// The same file made straight from the results (no message copies on the way).
std::string ComposeHl7Batch(const std::vector<StoredResult>& results,
                            const MessageContext& context);
// The same file again, handed to `sink` in blocks while the walk runs. False when the walk
// or the sink failed; what the sink got is then no whole file.
[[nodiscard]] bool WriteHl7Batch(const ResultWalk& walk, const MessageContext& context,
                                 const TextSink& sink);

// What an acknowledgement says: MSA-1, MSA-2, and a reason from MSA-3 or ERR.
struct Acknowledgement {
    std::string code; // "AA", "AE", "AR", "CA", "CE", "CR"; empty when none could be read
    std::string controlId;
    std::string reason;
};
Acknowledgement ParseAcknowledgement(std::string_view message);

} // namespace qa::interop
