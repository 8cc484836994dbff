#include "interop/hl7_message.h"

#include <charconv>
#include <cstdio>
#include <initializer_list>

namespace qa::interop {

namespace {

// Appends a segment, its fields joined; fields[0] is the segment name.
void Segment(std::string& out, std::initializer_list<std::string_view> fields) {
    const std::size_t start = out.size();
    bool first = true;
    for (std::string_view field : fields) {
        if (!first) {
            out += '|';
        }
        out += field;
        first = false;
    }
    // Trailing empty fields carry nothing.
    while (out.size() > start && out.back() == '|') {
        out.pop_back();
    }
    out += '\r';
}

std::string Header(std::string_view name, const MessageContext& context) {
    const InterfaceSettings& link = context.link;
    return std::string(name) + "|^~\\&|" + Hl7Escape(link.sendingApplication) + "|" +
           Hl7Escape(link.sendingFacility) + "|" + Hl7Escape(link.receivingApplication) + "|" +
           Hl7Escape(link.receivingFacility) + "|" + Hl7Time(context.composed, context.utcOffset);
}

std::vector<std::string_view> SplitView(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (true) {
        std::size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos) {
            return parts;
        }
        start = end + 1;
    }
}

} // namespace

std::string Hl7Escape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '|':
            out += "\\F\\";
            break;
        case '^':
            out += "\\S\\";
            break;
        case '~':
            out += "\\R\\";
            break;
        case '\\':
            out += "\\E\\";
            break;
        case '&':
            out += "\\T\\";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
                char hex[8];
                std::snprintf(hex, sizeof hex, "\\X%02X\\", static_cast<unsigned char>(c));
                out += hex;
            } else {
                out += c;
            }
        }
    }
    return out;
}

std::string Hl7Unescape(std::string_view text, char field, char component, char repetition,
                        char escape, char subcomponent) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::size_t close = text[i] == escape ? text.find(escape, i + 1) : std::string_view::npos;
        if (close == std::string_view::npos) {
            out += text[i];
            continue;
        }
        std::string_view code = text.substr(i + 1, close - i - 1);
        if (code == "F") {
            out += field;
        } else if (code == "S") {
            out += component;
        } else if (code == "R") {
            out += repetition;
        } else if (code == "E") {
            out += escape;
        } else if (code == "T") {
            out += subcomponent;
        } else if (code.size() >= 3 && code.front() == 'X' && code.size() % 2 == 1) {
            for (std::size_t h = 1; h + 1 < code.size(); h += 2) {
                unsigned value = 0;
                auto [end, error] =
                    std::from_chars(code.data() + h, code.data() + h + 2, value, 16);
                if (error == std::errc() && end == code.data() + h + 2) {
                    out += static_cast<char>(value);
                }
            }
        } else {
            // Formatting escapes (\H\, \.br\ …) carry no text of their own.
        }
        i = close;
    }
    return out;
}

std::string ComposeOruR01(const StoredResult& result, const MessageContext& context) {
    std::string message;
    AppendOruR01(message, result, context);
    return message;
}

void AppendOruR01(std::string& message, const StoredResult& result, const MessageContext& context) {
    const std::string controlId = ControlId(context.operatorId, result);
    const CodedValue coded = CodeValue(result.kind, result.value, context.display);
    std::optional<CalendarDateTime> measured = ParseStoredDateTime(result.date, result.time);
    const std::string observed = measured ? Hl7Time(*measured, context.utcOffset) : std::string();

    message += Header("MSH", context);
    message += "||ORU^R01^ORU_R01|";
    message += Hl7Escape(controlId);
    message += "|P|2.5.1||||||UNICODE UTF-8\r";
    if (HasPatient(result)) {
        std::string identifier = Hl7Escape(result.patientId) + "^^^";
        if (!context.link.sendingFacility.empty()) {
            identifier += Hl7Escape(context.link.sendingFacility);
        }
        identifier += "^PI";
        std::optional<CalendarDateTime> born = EnteredBirthday(result);
        Segment(message, {"PID", "1", "", identifier, "", Hl7Escape(result.patientName), "",
                          born ? FormatCalendar(*born, "%Y%m%d") : std::string()});
    }
    const std::string code = coded.loinc + "^" + Hl7Escape(coded.loincName) + "^LN";
    Segment(message, {"OBR", "1", "", Hl7Escape(controlId),
                      code,  "",  "", observed,
                      "",    "",  "", "",
                      "",    "",  "", "",
                      "",    "",  "", "",
                      "",    "",  "", "",
                      "",    "F"});
    const bool comparator = !coded.comparator.empty();
    const std::string value = comparator ? coded.comparator + "^" + coded.number : coded.number;
    const std::string unit = Hl7Escape(coded.ucum) + "^" + Hl7Escape(coded.ucum) + "^UCUM";
    const std::string device =
        result.deviceModel.empty() ? std::string() : Hl7Escape(result.deviceModel);
    Segment(message, {"OBX", "1", comparator ? "SN" : "NM", code, "", value, unit, "", "", "", "",
                      "F", "", "", observed, "", Hl7Escape(context.operatorId), "", device});
}

std::string ComposeHl7Batch(const std::vector<std::string>& messages,
                            const MessageContext& context) {
    std::size_t size = 256;
    for (const std::string& message : messages) {
        size += message.size();
    }
    std::string out;
    out.reserve(size);
    out += Header("FHS", context) + "\r";
    out += Header("BHS", context) + "\r";
    for (const std::string& message : messages) {
        out += message;
    }
    out += "BTS|" + std::to_string(messages.size()) + "\r";
    out += "FTS|1\r";
    return out;
}

std::string ComposeHl7Batch(const std::vector<StoredResult>& results,
                            const MessageContext& context) {
    std::string out;
    out.reserve(results.size() * 420 + 256);
    (void)WriteHl7Batch(WalkOf(results), context, [&out](std::string_view block) {
        out += block;
        return true;
    });
    return out;
}

bool WriteHl7Batch(const ResultWalk& walk, const MessageContext& context, const TextSink& sink) {
    constexpr std::size_t kBlock = 1 << 16;
    std::string block;
    block.reserve(kBlock + 4096);
    block += Header("FHS", context) + "\r";
    block += Header("BHS", context) + "\r";
    std::size_t count = 0;
    bool written = true;
    const bool read = walk([&](const StoredResult& result) {
        AppendOruR01(block, result, context);
        ++count;
        if (block.size() >= kBlock) {
            written = sink(block);
            block.clear();
        }
        return written;
    });
    block += "BTS|" + std::to_string(count) + "\r";
    block += "FTS|1\r";
    return read && written && sink(block);
}

Acknowledgement ParseAcknowledgement(std::string_view message) {
    Acknowledgement ack;
    if (message.size() < 8 || message.substr(0, 3) != "MSH") {
        return ack;
    }
    const char field = message[3];
    const char component = message[4];
    const char repetition = message[5];
    const char escape = message[6];
    const char subcomponent = message[7];
    auto text = [&](std::string_view raw) {
        return Hl7Unescape(raw, field, component, repetition, escape, subcomponent);
    };
    std::string errorText;
    for (std::string_view segment : SplitView(message, '\r')) {
        while (!segment.empty() && segment.front() == '\n') {
            segment.remove_prefix(1);
        }
        std::vector<std::string_view> fields = SplitView(segment, field);
        if (fields[0] == "MSA") {
            if (fields.size() > 1) {
                ack.code = text(fields[1]);
            }
            if (fields.size() > 2) {
                ack.controlId = text(fields[2]);
            }
            if (fields.size() > 3) {
                ack.reason = text(fields[3]);
            }
        } else if (fields[0] == "ERR" && errorText.empty()) {
            // ERR-8 is the text meant for a person; ERR-3 the coded error (code^text).
            if (fields.size() > 8 && !fields[8].empty()) {
                errorText = text(fields[8]);
            } else if (fields.size() > 3) {
                std::vector<std::string_view> parts = SplitView(fields[3], component);
                errorText = text(parts.size() > 1 && !parts[1].empty() ? parts[1] : parts[0]);
            }
        }
    }
    if (ack.reason.empty()) {
        ack.reason = errorText;
    }
    return ack;
}

} // namespace qa::interop
