#include "store/csv_export.h"

#include "store/text_encoding.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace qa {

namespace {

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

const char* CsvHeader(ResultKind kind) {
    return kind == ResultKind::HbA1c ? "No,Date,Time,Result,eAG,Patient ID\n"
                                     : "No,Date,Time,Result,Patient ID\n";
}

std::string ComposeCsv(ResultKind kind, const std::vector<std::vector<std::string>>& rows) {
    return Utf8ToCp949Lossy(ComposeCsvUtf8(kind, rows));
}

std::string ComposeCsvUtf8(ResultKind kind, const std::vector<std::vector<std::string>>& rows) {
    std::string utf8 = CsvHeader(kind);
    for (const auto& row : rows) {
        for (const auto& cell : row) {
            utf8 += Cell(cell);
            utf8 += ',';
        }
        utf8 += '\n';
    }
    return utf8;
}

bool WriteCsvFile(const std::string& path, ResultKind kind,
                  const std::vector<std::vector<std::string>>& rows, std::string& error) {
    std::string content = ComposeCsv(kind, rows);
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
