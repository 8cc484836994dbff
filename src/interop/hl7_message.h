#pragma once

#include "interop/result_mapping.h"
#include "store/status.h"

#include <string>
#include <string_view>
#include <vector>

namespace qa::interop {

// Data text made safe for a field: the five delimiters become \F\ \S\ \R\ \E\ \T\, and
// control characters (a line break would end the segment) become \Xhh\.
std::string Hl7Escape(std::string_view text);
void AppendHl7Escaped(std::string& out, std::string_view text);
std::string Hl7Unescape(std::string_view text, char field = '|', char component = '^',
                        char repetition = '~', char escape = '\\', char subcomponent = '&');

// One ORU^R01 (HL7 v2.5.1) per result: MSH, PID (when the result has a patient), OBR, OBX;
// segments end in CR. The control ID is ControlId(context.operatorId, result).
std::string ComposeOruR01(const StoredResult& result, const MessageContext& context);
void AppendOruR01(std::string& out, const StoredResult& result, const MessageContext& context);

// AppendOruR01 for many results under one context: what every message shares is made once,
// and the coded values of the stored values met are kept.
class OruComposer {
public:
    // `codedSlots` coded values are kept (one for a single message).
    explicit OruComposer(const MessageContext& context, std::size_t codedSlots = 4096);
    ~OruComposer();
    OruComposer(const OruComposer&) = delete;
    OruComposer& operator=(const OruComposer&) = delete;

    void Append(std::string& out, const StoredResult& result);

private:
    struct Coded {
        bool filled = false;
        ResultKind kind = ResultKind::HbA1c;
        std::string stored;
        std::string code; // LOINC^name^LN
        bool comparator = false;
        std::string value; // as OBX-5 holds it
        std::string unit;  // as OBX-6 holds it
        std::string range; // OBX-7
        std::string flag;  // OBX-8
    };
    const Coded& CodedParts(const StoredResult& result);

    const MessageContext& context_;
    SettingsStore units_;        // the display settings in the interface's units
    std::string reported_;       // OBR-22
    std::string msh_;            // MSH up to the control ID
    std::string identifierTail_; // PID-3 after the patient ID
    std::string performer_;      // OBX-16
    std::vector<Coded> coded_;
    // Texts of the message being made, kept to reuse their storage.
    std::string controlId_, escapedId_, filler_, observed_, identifier_, name_, born_, device_;
};

// A file of messages: FHS, BHS, the messages, BTS with their count, FTS.
std::string ComposeHl7Batch(const std::vector<std::string>& messages,
                            const MessageContext& context);
// The same file made straight from the results (no message copies on the way).
std::string ComposeHl7Batch(const std::vector<StoredResult>& results,
                            const MessageContext& context);
// The same file again, handed to `sink` in blocks while the walk runs. A failure when the
// walk or the sink failed; what the sink got is then no whole file.
Status WriteHl7Batch(const ResultWalk& walk, const MessageContext& context, const TextSink& sink);

// What an acknowledgement says: its message type (MSH-9), MSA-1, MSA-2, and a reason from
// MSA-3 or ERR.
struct Acknowledgement {
    std::string type; // the message code of MSH-9: "ACK" for an acknowledgement
    std::string code; // "AA", "AE", "AR", "CA", "CE", "CR"; empty when none could be read
    std::string controlId;
    std::string reason;
    // How many MSH and MSA segments the answer holds: an acknowledgement has one of each.
    int headers = 0;
    int acknowledgements = 0;
};
Acknowledgement ParseAcknowledgement(std::string_view message);

} // namespace qa::interop
