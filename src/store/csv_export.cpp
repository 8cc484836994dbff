#include "store/csv_export.h"

#include "store/output_target.h"
#include "store/profile_file.h"
#include "store/text_encoding.h"

#include <cerrno>
#include <cstring>

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
                  const std::vector<std::vector<std::string>>& rows, std::string& error,
                  const std::string& dataFolder) {
    error = CheckOutputTarget(path, dataFolder);
    if (!error.empty()) {
        return false;
    }
    // A hidden temporary file beside the target, created exclusively: a link planted under
    // the temporary name is never followed.
    if (!ReplaceFileAtomically(path, ComposeCsv(kind, rows))) {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

} // namespace qa
