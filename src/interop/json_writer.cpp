#include "interop/json_writer.h"

#include <array>
#include <cstdio>

namespace qa::interop {

namespace {

// The bytes that go into a JSON string as they are: printable ASCII but the quote and the
// backslash. One look-up per byte, as long texts are scanned byte by byte.
constexpr std::array<bool, 256> kPlainJson = [] {
    std::array<bool, 256> plain{};
    for (int c = 0x20; c < 0x7f; ++c) {
        plain[static_cast<std::size_t>(c)] = c != '"' && c != '\\';
    }
    return plain;
}();

// Length of the valid UTF-8 sequence at `i`, or 0.
std::size_t Utf8Length(std::string_view text, std::size_t i) {
    auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    unsigned char lead = byte(i);
    std::size_t length = lead < 0x80           ? 1
                         : (lead >> 5) == 0x6  ? 2
                         : (lead >> 4) == 0xe  ? 3
                         : (lead >> 3) == 0x1e ? 4
                                               : 0;
    if (length == 0 || i + length > text.size()) {
        return 0;
    }
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xc0) != 0x80) {
            return 0;
        }
    }
    // Overlong forms, surrogates and values past U+10FFFF are not text.
    if (length == 2 && lead < 0xc2) {
        return 0;
    }
    if (length == 3) {
        unsigned second = byte(i + 1);
        if ((lead == 0xe0 && second < 0xa0) || (lead == 0xed && second >= 0xa0)) {
            return 0;
        }
    }
    if (length == 4) {
        unsigned second = byte(i + 1);
        if ((lead == 0xf0 && second < 0x90) || lead > 0xf4 || (lead == 0xf4 && second >= 0x90)) {
            return 0;
        }
    }
    return length;
}

} // namespace

bool IsJsonNumber(std::string_view text) {
    std::size_t i = 0;
    auto digits = [&] {
        std::size_t start = i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            ++i;
        }
        return i - start;
    };
    if (i < text.size() && text[i] == '-') {
        ++i;
    }
    std::size_t start = i;
    std::size_t count = digits();
    if (count == 0 || (count > 1 && text[start] == '0')) {
        return false;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        if (digits() == 0) {
            return false;
        }
    }
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
            ++i;
        }
        if (digits() == 0) {
            return false;
        }
    }
    return i == text.size();
}

void JsonWriter::BeforeValue() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (!first_.empty()) {
        if (!first_.back()) {
            out_ += ',';
        }
        first_.back() = false;
    }
}

void AppendJsonString(std::string& out, std::string_view text) {
    out += '"';
    for (std::size_t i = 0; i < text.size();) {
        // Plain printable ASCII goes over in one piece; most texts are nothing else.
        std::size_t plain = i;
        while (plain < text.size() && kPlainJson[static_cast<unsigned char>(text[plain])]) {
            ++plain;
        }
        if (plain > i) {
            out.append(text.data() + i, plain - i);
            i = plain;
            continue;
        }
        unsigned char c = static_cast<unsigned char>(text[i]);
        switch (c) {
        case '"':
            out += "\\\"";
            ++i;
            continue;
        case '\\':
            out += "\\\\";
            ++i;
            continue;
        case '\n':
            out += "\\n";
            ++i;
            continue;
        case '\r':
            out += "\\r";
            ++i;
            continue;
        case '\t':
            out += "\\t";
            ++i;
            continue;
        default:
            break;
        }
        if (c < 0x20 || c == 0x7f) {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
            out += buffer;
            ++i;
            continue;
        }
        std::size_t length = Utf8Length(text, i);
        if (length == 0) {
            out += "\xef\xbf\xbd";
            ++i;
            continue;
        }
        out.append(text.substr(i, length));
        i += length;
    }
    out += '"';
}

std::string& JsonWriter::RawValue() {
    BeforeValue();
    return out_;
}

JsonWriter& JsonWriter::BeginObject() {
    BeforeValue();
    out_ += '{';
    first_.push_back(true);
    return *this;
}

JsonWriter& JsonWriter::EndObject() {
    out_ += '}';
    first_.pop_back();
    return *this;
}

JsonWriter& JsonWriter::BeginArray() {
    BeforeValue();
    out_ += '[';
    first_.push_back(true);
    return *this;
}

JsonWriter& JsonWriter::EndArray() {
    out_ += ']';
    first_.pop_back();
    return *this;
}

JsonWriter& JsonWriter::Key(std::string_view key) {
    BeforeValue();
    AppendJsonString(out_, key);
    out_ += ':';
    afterKey_ = true;
    return *this;
}

JsonWriter& JsonWriter::String(std::string_view text) {
    BeforeValue();
    AppendJsonString(out_, text);
    return *this;
}

JsonWriter& JsonWriter::Number(std::string_view decimal) {
    if (!IsJsonNumber(decimal)) {
        return String(decimal);
    }
    BeforeValue();
    out_ += decimal;
    return *this;
}

} // namespace qa::interop
