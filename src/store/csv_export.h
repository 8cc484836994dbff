#pragma once

#include "store/measurement_table.h"

#include <string>
#include <vector>

namespace qa {

inline constexpr const char* kExportQuestion = "현재 데이터 내보내기를 하시겠습니까?";

// The header line of an export, chosen by the result kind.
const char* CsvHeader(ResultKind kind);

// The whole file for the rows a list shows: the header, then every cell of every row in
// column order, each followed by a comma, each row ending in a line feed; in code page 949.
// A cell holding a comma, a double quote or a line break is quoted as RFC 4180 does (a
// patient ID from the meter may hold a comma, and unquoted it would shift every column
// after it); every other cell is written as it is. A character code page 949 cannot hold
// is written as '?', so one odd name never loses the whole export.
std::string ComposeCsv(ResultKind kind, const std::vector<std::vector<std::string>>& rows);
// The same lines in UTF-8, for a console.
std::string ComposeCsvUtf8(ResultKind kind, const std::vector<std::vector<std::string>>& rows);

// Writes the file through a temporary file and a rename, so an existing export is never
// left half-written. Returns false with `error` set when the file cannot be written.
// A target that CheckOutputTarget refuses (given the data folder) is not touched.
[[nodiscard]] bool WriteCsvFile(const std::string& path, ResultKind kind,
                                const std::vector<std::vector<std::string>>& rows,
                                std::string& error, const std::string& dataFolder = {});

} // namespace qa
