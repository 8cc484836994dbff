#include "store/text_encoding.h"

#include <cerrno>
#include <iconv.h>

namespace qa {

bool AppendConverted(iconv_t cd, std::string_view text, std::string& out) {
    const std::size_t start = out.size();
    out.resize(start + text.size() * 2 + 16);
    char* in = const_cast<char*>(text.data());
    std::size_t inLeft = text.size();
    char* outPtr = out.data() + start;
    std::size_t outLeft = out.size() - start;
    bool ok = true;
    while (inLeft > 0) {
        if (iconv(cd, &in, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1)) {
            continue;
        }
        if (errno == E2BIG) {
            std::size_t used = static_cast<std::size_t>(outPtr - out.data());
            out.resize(out.size() * 2);
            outPtr = out.data() + used;
            outLeft = out.size() - used;
            continue;
        }
        ok = false; // EILSEQ or EINVAL: not representable, or a cut sequence
        break;
    }
    // A failed conversion may leave the converter mid-sequence; the next text starts clean.
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    out.resize(ok ? static_cast<std::size_t>(outPtr - out.data()) : start);
    return ok;
}

namespace {

std::optional<std::string> Convert(const char* to, const char* from, std::string_view text) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return std::nullopt;
    }
    std::string out;
    const bool ok = AppendConverted(cd, text, out);
    iconv_close(cd);
    if (!ok) {
        return std::nullopt;
    }
    return out;
}

} // namespace

std::optional<std::string> Utf8ToCp949(std::string_view utf8) {
    return Convert("CP949", "UTF-8", utf8);
}

std::optional<std::string> Cp949ToUtf8(std::string_view cp949) {
    return Convert("UTF-8", "CP949", cp949);
}

namespace {

// Calls `each` with every UTF-8 character of the text and its code page 949 bytes (nothing
// when it has none there).
// Width in bytes of the UTF-8 character at `i`: a broken sequence ends at the first byte that
// cannot continue it. Taking the lead byte's width on trust swallowed the comma and line feed
// after a stray byte, and an export row merged with the next.
std::size_t CharacterWidth(std::string_view utf8, std::size_t i) {
    unsigned char lead = static_cast<unsigned char>(utf8[i]);
    std::size_t width = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
    for (std::size_t k = 1; k < width; ++k) {
        if (i + k >= utf8.size() || (static_cast<unsigned char>(utf8[i + k]) & 0xC0) != 0x80) {
            return k;
        }
    }
    return width;
}

// Calls `each` with every UTF-8 character of the text and its code page 949 bytes (nothing
// when it has none there).
template <typename Each> void ForEachCharacter(std::string_view utf8, Each each) {
    std::size_t i = 0;
    while (i < utf8.size()) {
        const std::size_t width = CharacterWidth(utf8, i);
        std::string_view character = utf8.substr(i, width);
        if (static_cast<unsigned char>(utf8[i]) < 0x80) {
            each(std::optional<std::string>(std::string(character)));
        } else if (width == 1) {
            each(std::nullopt);
        } else {
            each(Utf8ToCp949(character));
        }
        i += width;
    }
}

} // namespace

std::string Utf8ToCp949Lossy(std::string_view utf8) {
    if (auto whole = Utf8ToCp949(utf8)) {
        return *whole;
    }
    std::string out;
    ForEachCharacter(utf8, [&](const std::optional<std::string>& bytes) {
        out += bytes ? *bytes : std::string("?");
    });
    return out;
}

bool IsUtf8Text(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        auto byte = static_cast<unsigned char>(text[i]);
        std::size_t length = 0;
        unsigned minimum = 0;
        unsigned code = 0;
        if (byte < 0x80) {
            ++i;
            continue;
        }
        if ((byte & 0xE0) == 0xC0) {
            length = 2, minimum = 0x80, code = byte & 0x1Fu;
        } else if ((byte & 0xF0) == 0xE0) {
            length = 3, minimum = 0x800, code = byte & 0x0Fu;
        } else if ((byte & 0xF8) == 0xF0) {
            length = 4, minimum = 0x10000, code = byte & 0x07u;
        } else {
            return false;
        }
        if (i + length > text.size()) {
            return false;
        }
        for (std::size_t k = 1; k < length; ++k) {
            auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) {
                return false;
            }
            code = (code << 6) | (next & 0x3Fu);
        }
        if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            return false;
        }
        i += length;
    }
    return true;
}

std::string DecodeStoredText(std::string_view stored) {
    if (IsUtf8Text(stored)) {
        return std::string(stored);
    }
    if (auto decoded = Cp949ToUtf8(stored)) {
        return *decoded;
    }
    // Neither: every byte outside ASCII is shown as a replacement character.
    std::string out;
    for (char c : stored) {
        if (static_cast<unsigned char>(c) < 0x80) {
            out += c;
        } else {
            out += "\xEF\xBF\xBD";
        }
    }
    return out;
}

std::size_t Cp949Length(std::string_view utf8) {
    std::size_t length = 0;
    ForEachCharacter(utf8, [&](const std::optional<std::string>& bytes) {
        length += bytes ? bytes->size() : 2;
    });
    return length;
}

std::string CutToCp949Length(std::string_view utf8, std::size_t limit) {
    std::size_t length = 0;
    std::size_t i = 0;
    while (i < utf8.size()) {
        const std::size_t width = CharacterWidth(utf8, i);
        std::size_t bytes = 2;
        if (static_cast<unsigned char>(utf8[i]) < 0x80) {
            bytes = 1;
        } else if (width > 1) {
            if (auto converted = Utf8ToCp949(utf8.substr(i, width))) {
                bytes = converted->size();
            }
        }
        if (length + bytes > limit) {
            break;
        }
        length += bytes;
        i += width;
    }
    return std::string(utf8.substr(0, i));
}

} // namespace qa
