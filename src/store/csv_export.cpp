#include "csv_export.h"

#include "text_encoding.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace qa {

namespace {

std::string Encode(const std::string& utf8) {
    if (auto converted = Utf8ToCp949(utf8)) {
        return *converted;
    }
    // Character by character, so only what cannot be represented is replaced.
    std::string out;
    std::size_t i = 0;
    while (i < utf8.size()) {
        unsigned char lead = static_cast<unsigned char>(utf8[i]);
        std::size_t width = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        auto converted = Utf8ToCp949(utf8.substr(i, width));
        out += converted ? *converted : std::string("?");
        i += width;
    }
    return out;
}

std::string Cell(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) {
        return text;
    }
    std::string quoted = "\"";
    for (char c : text) {
        quoted += c;
        if (c == '"') {
            quoted += '"';
        }
    }
    return quoted + "\"";
}

} // namespace

const char* CsvHeader(int itemKind) {
    return itemKind == 0 ? "No,Date,Time,Result,eAG,Patient ID\n"
                         : "No,Date,Time,Result,Patient ID\n";
}

std::string ComposeCsv(int itemKind, const std::vector<std::vector<std::string>>& rows) {
    return Encode(ComposeCsvUtf8(itemKind, rows));
}

std::string ComposeCsvUtf8(int itemKind, const std::vector<std::vector<std::string>>& rows) {
    std::string utf8 = CsvHeader(itemKind);
    for (const auto& row : rows) {
        for (const auto& cell : row) {
            utf8 += Cell(cell);
            utf8 += ',';
        }
        utf8 += '\n';
    }
    return utf8;
}

bool WriteCsvFile(const std::string& path, int itemKind,
                  const std::vector<std::vector<std::string>>& rows, std::string& error) {
    std::string content = ComposeCsv(itemKind, rows);
    std::string temp = path + ".part";
    std::FILE* file = std::fopen(temp.c_str(), "wb");
    if (file == nullptr) {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    bool ok = std::fwrite(content.data(), 1, content.size(), file) == content.size();
    ok = (std::fflush(file) == 0) && ok;
    int savedErrno = errno;
    ok = (std::fclose(file) == 0) && ok;
    std::error_code renameError;
    if (ok) {
        std::filesystem::rename(temp, path, renameError);
        ok = !renameError;
    }
    if (!ok) {
        error = path + ": " + (renameError ? renameError.message() : std::strerror(savedErrno));
        std::remove(temp.c_str());
    }
    return ok;
}

} // namespace qa
