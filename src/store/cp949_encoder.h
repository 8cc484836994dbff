#pragma once

#include <string>
#include <string_view>

namespace qa {

// Utf8ToCp949Lossy for many small texts in a row (an export's lines): one converter kept
// open instead of one opened and closed per text, same bytes out.
class Cp949Encoder {
public:
    Cp949Encoder();
    ~Cp949Encoder();
    Cp949Encoder(const Cp949Encoder&) = delete;
    Cp949Encoder& operator=(const Cp949Encoder&) = delete;

    // Appends the text in code page 949 to `out`, every character it cannot hold as '?'.
    void AppendLossy(std::string_view utf8, std::string& out);

private:
    // The whole text converted, appended to `out`; false (and `out` as it was) when a
    // character has no place in code page 949 or a sequence is cut.
    bool AppendExact(std::string_view utf8, std::string& out);

    void* converter_; // iconv_t
};

} // namespace qa
