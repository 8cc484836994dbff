#include "interop/hl7_message.h"

#include <algorithm>
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
    AppendHl7Escaped(out, text);
    return out;
}

void AppendHl7Escaped(std::string& out, std::string_view text) {
    const auto plain = [](char c) {
        return c != '|' && c != '^' && c != '~' && c != '\\' && c != '&' &&
               static_cast<unsigned char>(c) >= 0x20 && c != 0x7f;
    };
    if (std::all_of(text.begin(), text.end(), plain)) {
        out += text; // most data holds nothing to escape
        return;
    }
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
    OruComposer(context, 1).Append(message, result);
}

OruComposer::OruComposer(const MessageContext& context, std::size_t codedSlots)
    : context_(context), units_(InterfaceUnits(context)),
      coded_(std::max<std::size_t>(codedSlots, 1)) {
    msh_ = Header("MSH", context);
    msh_ += "||ORU^R01^ORU_R01|";
    // PID-3: the ID, its assigning authority (an OID or the site's namespace), a medical
    // record number.
    identifierTail_ = "^^^" + PatientAuthority(context) + "^MR";
    reported_ = Hl7Time(context.composed, context.utcOffset);
    performer_ = Hl7Escape(context.operatorId);
}

OruComposer::~OruComposer() = default;

const OruComposer::Coded& OruComposer::CodedParts(const StoredResult& result) {
    std::size_t slot = result.value.size() * 2 + (result.kind == ResultKind::HbA1c ? 1 : 0);
    for (char c : result.value) {
        slot = slot * 31 + static_cast<unsigned char>(c);
    }
    Coded& cached = coded_[slot % coded_.size()];
    if (cached.filled && cached.kind == result.kind && cached.stored == result.value) {
        return cached;
    }
    const CodedValue coded = CodeValue(result.kind, result.value, units_);
    cached.filled = true;
    cached.kind = result.kind;
    cached.stored = result.value;
    cached.code = coded.loinc + "^" + Hl7Escape(coded.loincName) + "^LN";
    cached.comparator = !coded.comparator.empty();
    cached.value = cached.comparator ? coded.comparator + "^" + coded.number : coded.number;
    cached.unit = Hl7Escape(coded.ucum) + "^" + Hl7Escape(coded.ucum) + "^UCUM";
    cached.range = coded.low.empty() ? std::string() : coded.low + "-" + coded.high;
    cached.flag = coded.flag;
    return cached;
}

void OruComposer::Append(std::string& message, const StoredResult& result) {
    controlId_ = ControlId(context_.operatorId, result);
    const Coded& coded = CodedParts(result);
    observed_.clear();
    if (std::optional<CalendarDateTime> measured = ParseStoredDateTime(result.date, result.time)) {
        AppendHl7Time(observed_, *measured, context_.utcOffset);
    }
    escapedId_.clear();
    AppendHl7Escaped(escapedId_, controlId_);
    filler_.clear();
    AppendHl7Escaped(filler_, result.resultId.empty() ? controlId_ : result.resultId);

    message += msh_;
    message += escapedId_;
    message += "|P|2.5.1||||||UNICODE UTF-8\r";
    if (HasPatient(result)) {
        identifier_.clear();
        AppendHl7Escaped(identifier_, result.patientId);
        identifier_ += identifierTail_;
        name_.clear();
        AppendHl7Escaped(name_, result.patientName);
        born_.clear();
        if (std::optional<CalendarDateTime> born = EnteredBirthday(result)) {
            AppendCalendar(*born, "%Y%m%d", born_);
        }
        Segment(message, {"PID", "1", "", identifier_, "", name_, "", born_});
    }
    const char orderStatus = OrderStatusCode(result.status);
    const char observationStatus = ObservationStatusCode(result.status);
    Segment(message, {"OBR",      "1",
                      "",         filler_,
                      coded.code, "",
                      "",         observed_,
                      "",         "",
                      "",         "",
                      "",         "",
                      "",         "",
                      "",         "",
                      "",         "",
                      "",         "",
                      reported_,  "",
                      "",         std::string_view(&orderStatus, 1)});
    device_.clear();
    AppendHl7Escaped(device_, result.deviceModel);
    Segment(message,
            {"OBX", "1", coded.comparator ? "SN" : "NM", coded.code, "", coded.value, coded.unit,
             coded.range, coded.flag, "", "", std::string_view(&observationStatus, 1), "", "",
             observed_, "", performer_, "", device_});
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

Status WriteHl7Batch(const ResultWalk& walk, const MessageContext& context, const TextSink& sink) {
    constexpr std::size_t kBlock = 1 << 16;
    std::string block;
    block.reserve(kBlock + 4096);
    block += Header("FHS", context) + "\r";
    block += Header("BHS", context) + "\r";
    std::size_t count = 0;
    bool written = true;
    OruComposer composer(context);
    const bool read = walk(
        [&](const StoredResult& result) {
            composer.Append(block, result);
            ++count;
            if (block.size() >= kBlock) {
                written = sink(block);
                block.clear();
            }
            return written;
        },
        ResultParts::All);
    block += "BTS|" + std::to_string(count) + "\r";
    block += "FTS|1\r";
    return FinishWalkedFile(written, read, sink, block);
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
        if (fields[0] == "MSH") {
            // MSH-1 is the separator itself, so MSH-9 is the eighth field after the name.
            if (++ack.headers == 1 && fields.size() > 8) {
                ack.type = text(SplitView(fields[8], component)[0]);
            }
        } else if (fields[0] == "MSA") {
            if (++ack.acknowledgements > 1) {
                continue; // the first one is read; the answer as a whole is no acknowledgement
            }
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
