// Texts as stored (meter bytes, database texts in UTF-8 or code page 949) through the
// decoding, display formatting and CSV export paths: no crash, every row stays one line
// of the export, and a text that is valid UTF-8 comes back from the console listing.
#include "fuzz_common.h"
#include "store/csv_export.h"
#include "store/display_format.h"
#include "store/measurement_table.h"
#include "store/settings.h"
#include "store/text_encoding.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

using namespace qa;
using qa::fuzz::Broken;

namespace {

std::size_t CountRows(const std::string& csv) {
    // A quoted cell may hold line breaks; count the breaks outside quotes.
    std::size_t rows = 0;
    bool quoted = false;
    for (char c : csv) {
        if (c == '"') {
            quoted = !quoted;
        } else if (c == '\n' && !quoted) {
            ++rows;
        }
    }
    return rows;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static fuzz::Scratch scratch;
    if (size < 2) {
        return 0;
    }
    SettingsStore settings;
    settings.dateFormat = data[0] % 3;
    settings.timeFormat = (data[0] >> 2) & 1;
    settings.hba1cUnit = (data[0] >> 3) & 1;
    settings.glucoseUnit = (data[0] >> 4) & 1;
    const ResultKind itemKind = (data[1] & 1) != 0 ? ResultKind::Glucose : ResultKind::HbA1c;
    std::string text(reinterpret_cast<const char*>(data + 2), size - 2);

    // Pieces the formatting paths take: date, time, value, and a free text.
    std::vector<std::string> pieces;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == '\t') {
            pieces.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    pieces.resize(std::max<std::size_t>(pieces.size(), 4));
    (void)FormatDateText(settings, pieces[0], pieces[1]);
    (void)FormatTimeText(settings, pieces[0], pieces[1]);
    (void)FormatGlucoseText(settings, pieces[2]);
    (void)FormatHbA1cText(settings, pieces[2], true);
    (void)FormatRecordDateTimeText(settings, pieces[0], pieces[1]);
    (void)FormatHbA1cText(settings, pieces[2], false);
    if (auto dt = ParseStoredDateTime(pieces[0], pieces[1])) {
        (void)FormatCalendar(*dt, pieces[3]);
    }

    (void)Cp949ToUtf8(text);
    if (auto cp = Utf8ToCp949(text)) {
        if (Cp949ToUtf8(*cp) != text) {
            Broken("a text does not survive code page 949 and back");
        }
    }
    (void)Cp949Length(text);

    std::vector<std::vector<std::string>> rows;
    for (std::size_t i = 0; i < pieces.size(); i += 3) {
        std::vector<std::string> row(pieces.begin() + static_cast<long>(i),
                                     pieces.begin() +
                                         static_cast<long>(std::min(i + 3, pieces.size())));
        rows.push_back(row);
    }
    std::string csv = ComposeCsv(itemKind, rows);
    if (CountRows(csv) != rows.size() + 1) {
        Broken("an export row spans more or fewer lines than one");
    }
    std::string utf8 = ComposeCsvUtf8(itemKind, rows);
    if (CountRows(utf8) != rows.size() + 1) {
        Broken("a listed row spans more or fewer lines than one");
    }
    const std::string out = scratch.Root() + "/data/out.csv";
    scratch.NewDataFolder();
    if (WriteCsvFile(out, itemKind, rows)) {
        if (fuzz::Entries(scratch.Root() + "/data") != std::set<std::string>{"out.csv"}) {
            Broken("the export left a temporary file behind");
        }
    }
    scratch.CheckNothingOutside();
    return 0;
}
