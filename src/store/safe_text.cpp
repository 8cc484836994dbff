#include "store/safe_text.h"

namespace qa {

namespace {

void AppendHex(unsigned char byte, std::string& out) {
    static constexpr char kDigits[] = "0123456789abcdef";
    out += "\\x";
    out += kDigits[byte >> 4];
    out += kDigits[byte & 0x0F];
}

// Appends `text` with its control characters written out; `named` writes the ones it knows
// by name and returns false for the others.
template <typename Named> std::string Escape(std::string_view text, Named named) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x20 || byte == 0x7F) {
            if (!named(byte, out)) {
                AppendHex(byte, out);
            }
            continue;
        }
        // U+0080 to U+009F: terminals take some of them (CSI is U+009B) as ESC sequences.
        if (byte == 0xC2 && i + 1 < text.size()) {
            const auto next = static_cast<unsigned char>(text[i + 1]);
            if (next >= 0x80 && next <= 0x9F) {
                out += "\\u00";
                out += "0123456789abcdef"[next >> 4];
                out += "0123456789abcdef"[next & 0x0F];
                ++i;
                continue;
            }
        }
        if (!named(byte, out)) {
            out += static_cast<char>(byte);
        }
    }
    return out;
}

} // namespace

std::string VisibleControls(std::string_view text, bool keepLineBreaks) {
    return Escape(text, [keepLineBreaks](unsigned char byte, std::string& out) {
        if (byte == '\n' && keepLineBreaks) {
            out += '\n';
            return true;
        }
        return false;
    });
}

std::string TsvField(std::string_view text) {
    return Escape(text, [](unsigned char byte, std::string& out) {
        switch (byte) {
        case '\t':
            out += "\\t";
            return true;
        case '\n':
            out += "\\n";
            return true;
        case '\r':
            out += "\\r";
            return true;
        default:
            return false;
        }
    });
}

} // namespace qa
