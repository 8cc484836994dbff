#include "store/cp949_encoder.h"

#include "store/text_encoding.h"

#include <algorithm>
#include <iconv.h>

namespace qa {

namespace {

iconv_t Handle(void* converter) {
    return static_cast<iconv_t>(converter);
}

const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);

} // namespace

Cp949Encoder::Cp949Encoder() : converter_(iconv_open("CP949", "UTF-8")) {}

Cp949Encoder::~Cp949Encoder() {
    if (Handle(converter_) != kNoConverter) {
        iconv_close(Handle(converter_));
    }
}

bool Cp949Encoder::AppendExact(std::string_view utf8, std::string& out) {
    // ASCII is the same in both; most lines of an export are nothing else, and the converter
    // costs more than the rest of writing them.
    if (std::all_of(utf8.begin(), utf8.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        out.append(utf8);
        return true;
    }
    iconv_t cd = Handle(converter_);
    if (cd == kNoConverter) {
        return false;
    }
    return AppendConverted(cd, utf8, out);
}

void Cp949Encoder::AppendLossy(std::string_view utf8, std::string& out) {
    if (AppendExact(utf8, out)) {
        return;
    }
    // Character by character, each taken by the width its lead byte announces, as
    // Utf8ToCp949Lossy does.
    std::size_t i = 0;
    while (i < utf8.size()) {
        unsigned char lead = static_cast<unsigned char>(utf8[i]);
        std::size_t width = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        // A broken sequence ends at the first byte that cannot continue it, so a stray byte
        // never swallows the comma and line feed after it.
        for (std::size_t k = 1; k < width; ++k) {
            if (i + k >= utf8.size() || (static_cast<unsigned char>(utf8[i + k]) & 0xC0) != 0x80) {
                width = k;
                break;
            }
        }
        std::string_view character = utf8.substr(i, width);
        if (lead < 0x80) {
            out += character;
        } else if (width == 1 || !AppendExact(character, out)) {
            out += '?';
        }
        i += width;
    }
}

} // namespace qa
