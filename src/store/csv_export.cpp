#include "store/csv_export.h"

#include "store/output_target.h"
#include "store/profile_file.h"
#include "store/system_error.h"
#include "store/text_encoding.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

namespace qa {

namespace {

bool IsPlainNumber(std::string_view text) {
    std::size_t i = text.empty() || (text[0] != '+' && text[0] != '-') ? 0 : 1;
    bool digit = false;
    bool point = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            digit = true;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            return false;
        }
    }
    return digit;
}

std::string Cell(std::string text) {
    if (SpreadsheetWouldEvaluate(text)) {
        text.insert(0, 1, '\'');
    }
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

bool SpreadsheetWouldEvaluate(std::string_view cell) {
    if (cell.empty()) {
        return false;
    }
    switch (cell.front()) {
    case '=':
    case '+':
    case '-':
    case '@':
    case '\t':
    case '\r':
        return !IsPlainNumber(cell);
    default:
        return false;
    }
}

const char* CsvHeader(ResultKind kind) {
    return kind == ResultKind::HbA1c ? "No,Date,Time,Result,eAG,Patient ID\n"
                                     : "No,Date,Time,Result,Patient ID\n";
}

std::string ComposeCsv(ResultKind kind, const std::vector<std::vector<std::string>>& rows,
                       const std::vector<std::string>& extraHeadings) {
    return Utf8ToCp949Lossy(ComposeCsvUtf8(kind, rows, extraHeadings));
}

namespace {

bool NeedsQuotes(char c) {
    return c == ',' || c == '"' || c == '\r' || c == '\n';
}

} // namespace

void EndCsvCell(std::string& out, std::size_t start) {
    if (start < out.size() && SpreadsheetWouldEvaluate(std::string_view(out).substr(start))) {
        out.insert(start, 1, '\'');
    }
    if (std::any_of(out.begin() + static_cast<std::ptrdiff_t>(start), out.end(), NeedsQuotes)) {
        const std::string cell = out.substr(start);
        out.resize(start);
        out += Cell(cell);
    }
    out += ',';
}

void AppendCsvLineUtf8(const std::vector<std::string>& cells, std::string& out) {
    for (const auto& cell : cells) {
        // One pass over the cell: find_first_of looks each character up in the set with a
        // call of its own, which showed in exports of a million rows.
        const bool plain =
            std::none_of(cell.begin(), cell.end(),
                         [](char c) { return c == ',' || c == '"' || c == '\r' || c == '\n'; }) &&
            !SpreadsheetWouldEvaluate(cell);
        if (plain) {
            out += cell;
        } else {
            out += Cell(cell);
        }
        out += ',';
    }
    out += '\n';
}

std::string CsvHeader(ResultKind kind, const std::vector<std::string>& extraHeadings) {
    std::string header = CsvHeader(kind);
    if (!extraHeadings.empty()) {
        header.pop_back(); // the line feed
        for (const std::string& heading : extraHeadings) {
            header += ',' + Cell(heading);
        }
        header += '\n';
    }
    return header;
}

std::string ComposeCsvUtf8(ResultKind kind, const std::vector<std::vector<std::string>>& rows,
                           const std::vector<std::string>& extraHeadings) {
    return ComposeCsvUtf8(CsvHeader(kind, extraHeadings), rows);
}

std::string ComposeCsvUtf8(const std::string& header,
                           const std::vector<std::vector<std::string>>& rows) {
    std::string utf8 = header;
    for (const auto& row : rows) {
        AppendCsvLineUtf8(row, utf8);
    }
    return utf8;
}

Status WriteCsvFile(const std::string& path, ResultKind kind,
                    const std::vector<std::vector<std::string>>& rows,
                    const std::string& dataFolder, const std::vector<std::string>& extraHeadings) {
    return WriteCsvFile(path, CsvOptions{CsvHeader(kind, extraHeadings), CsvEncoding::Cp949}, rows,
                        dataFolder);
}

Status WriteCsvFile(const std::string& path, const CsvOptions& options,
                    const std::vector<std::vector<std::string>>& rows,
                    const std::string& dataFolder) {
    CsvFileWriter writer(path, options, dataFolder);
    if (Status opened = writer.Open(); !opened) {
        return opened;
    }
    for (const auto& row : rows) {
        writer.WriteRow(row);
    }
    return writer.Finish();
}

namespace {

// Lines are gathered and written in blocks of about this size.
constexpr std::size_t kWriteBlock = 1 << 16;

} // namespace

CsvFileWriter::CsvFileWriter(std::string path, ResultKind kind, std::string dataFolder,
                             std::vector<std::string> extraHeadings)
    : CsvFileWriter(std::move(path), CsvOptions{CsvHeader(kind, extraHeadings), CsvEncoding::Cp949},
                    std::move(dataFolder)) {}

CsvFileWriter::CsvFileWriter(std::string path, CsvOptions options, std::string dataFolder)
    : path_(std::move(path)), options_(std::move(options)), dataFolder_(std::move(dataFolder)),
      file_(path_) {}

void CsvFileWriter::Append(std::string_view utf8) {
    if (options_.encoding == CsvEncoding::Cp949) {
        encoder_.AppendLossy(utf8, buffer_);
    } else {
        buffer_ += utf8;
    }
}

Status CsvFileWriter::Open() {
    if (Status refused = CheckOutputTarget(path_, dataFolder_); !refused) {
        return refused;
    }
    if (Status opened = file_.Open(); !opened) {
        return opened;
    }
    open_ = true;
    if (options_.encoding == CsvEncoding::Utf8WithBom) {
        buffer_ = "\xEF\xBB\xBF";
    }
    Append(options_.header);
    return {};
}

void CsvFileWriter::Flush() {
    if (open_ && failure_.ok() && !buffer_.empty()) {
        failure_ = file_.Write(buffer_);
    }
    buffer_.clear();
}

void CsvFileWriter::WriteRow(const std::vector<std::string>& cells) {
    line_.clear();
    AppendCsvLineUtf8(cells, line_);
    Append(line_);
    if (buffer_.size() >= kWriteBlock) {
        Flush();
    }
}

void CsvFileWriter::WriteLine(std::string_view utf8) {
    Append(utf8);
    if (buffer_.size() >= kWriteBlock) {
        Flush();
    }
}

Status CsvFileWriter::Finish() {
    if (!open_) {
        return Message(MessageId::FileReason, {path_, SystemErrorText(EBADF)});
    }
    Flush();
    open_ = false;
    if (!failure_) {
        return failure_;
    }
    return file_.Commit();
}

} // namespace qa
