#pragma once

#include "store/cp949_encoder.h"
#include "store/measurement_table.h"
#include "store/profile_file.h"
#include "store/status.h"

#include <string>
#include <string_view>
#include <vector>

namespace qa {

// The header line of an export, chosen by the result kind.
const char* CsvHeader(ResultKind kind);
// The header line with the headings of optional columns appended.
std::string CsvHeader(ResultKind kind, const std::vector<std::string>& extraHeadings);

// True for a cell a spreadsheet would take for a formula (it starts with =, +, -, @, a tab or
// a carriage return and is not a plain number): a patient ID such as "=CMD|' /C CALC" from a
// meter would otherwise run when the export is opened. Such a cell is written with a leading
// apostrophe, which spreadsheets read as "this is text" and do not show.
bool SpreadsheetWouldEvaluate(std::string_view cell);

// The whole file for the rows a list shows: the header, then every cell of every row in
// column order, each followed by a comma, each row ending in a line feed; in code page 949.
// A cell holding a comma, a double quote or a line break is quoted as RFC 4180 does (a
// patient ID from the meter may hold a comma, and unquoted it would shift every column
// after it); a cell a spreadsheet would evaluate gets its apostrophe first; every other cell
// is written as it is. A character code page 949 cannot hold
// is written as '?', so one odd name never loses the whole export.
// `extraHeadings` name the optional columns a list shows beyond its kind's own (patient name,
// memo, delivery), appended to the header line.
std::string ComposeCsv(ResultKind kind, const std::vector<std::vector<std::string>>& rows,
                       const std::vector<std::string>& extraHeadings = {});
// The same lines in UTF-8, for a console.
std::string ComposeCsvUtf8(ResultKind kind, const std::vector<std::vector<std::string>>& rows,
                           const std::vector<std::string>& extraHeadings = {});

// How an export file is written. Code page 949 is what the Korean program wrote and what
// Korean spreadsheets read; UTF-8 with a byte-order mark lets a spreadsheet anywhere read
// every character (without the mark many take the file for the local code page).
enum class CsvEncoding { Cp949, Utf8WithBom };

struct CsvOptions {
    std::string header; // the first line in UTF-8, line feed included (the reader's words)
    CsvEncoding encoding = CsvEncoding::Cp949;
};

// The lines in UTF-8 under a header of the caller's.
std::string ComposeCsvUtf8(const std::string& header,
                           const std::vector<std::vector<std::string>>& rows);

// Writes the file through a temporary file and a rename, so an existing export is never
// left half-written. Fails, naming the file, when it cannot be written.
// A target that CheckOutputTarget refuses (given the data folder) is not touched.
Status WriteCsvFile(const std::string& path, ResultKind kind,
                    const std::vector<std::vector<std::string>>& rows,
                    const std::string& dataFolder = {},
                    const std::vector<std::string>& extraHeadings = {});
Status WriteCsvFile(const std::string& path, const CsvOptions& options,
                    const std::vector<std::vector<std::string>>& rows,
                    const std::string& dataFolder = {});

// One line of the export for a row of cells, in UTF-8: each cell as ComposeCsv writes it,
// followed by a comma, then a line feed.
void AppendCsvLineUtf8(const std::vector<std::string>& cells, std::string& out);

// Closes the cell that starts at `start` and runs to the end of `out`: quoted as
// AppendCsvLineUtf8 quotes it when it needs to be, then its comma.
void EndCsvCell(std::string& out, std::size_t start);

// The export written line by line as the rows arrive, with the bytes WriteCsvFile writes:
// into a temporary file beside the target, renamed over it by Finish. Dropped unfinished, the
// temporary file goes and the target stays as it was.
class CsvFileWriter {
public:
    // `extraHeadings` as for ComposeCsv.
    CsvFileWriter(std::string path, ResultKind kind, std::string dataFolder = {},
                  std::vector<std::string> extraHeadings = {});
    // Under the caller's header, in the caller's encoding.
    CsvFileWriter(std::string path, CsvOptions options, std::string dataFolder = {});

    // Checks the target as WriteCsvFile does, creates the temporary file and writes the
    // header; fails when it cannot.
    Status Open();
    void WriteRow(const std::vector<std::string>& cells);
    // One whole line in UTF-8, line feed included, as AppendCsvLineUtf8 makes it.
    void WriteLine(std::string_view utf8);
    // Writes what is left and puts the file in place; fails when any write failed, and then
    // nothing is left behind.
    Status Finish();

private:
    void Flush();
    void Append(std::string_view utf8);

    std::string path_;
    CsvOptions options_;
    std::string dataFolder_;
    AtomicFileWriter file_;
    bool open_ = false;
    Status failure_; // of the first write that failed; the rest is not written
    Cp949Encoder encoder_;
    std::string line_;
    std::string buffer_;
};

} // namespace qa
