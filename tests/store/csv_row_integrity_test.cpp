#include "store/csv_export.h"
#include "store/measurement_table.h"
#include "store/text_encoding.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace qa;

// Found by the export fuzz target: a cell with bytes that are not UTF-8 (a patient ID in
// code page 949, a damaged text) took the comma and the line feed after it into one broken
// character, so two rows of the export became one.
TEST(CsvRowIntegrity, BytesThatAreNotUtf8NeverSwallowTheSeparators) {
    const std::vector<std::vector<std::string>> rows = {
        {"1", "\xe8"}, {"2", "\xb1\xe8"}, {"3", "\xf0\x9f"}, {"4", "\x80"}, {"5", "ok"}};
    const std::string csv = ComposeCsv(ResultKind::HbA1c, rows);
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 6);
    EXPECT_EQ(csv.substr(csv.find('\n') + 1), "1,?,\n2,??,\n3,?,\n4,?,\n5,ok,\n");
    EXPECT_EQ(Cp949Length("\xe8,"), 3u) << "a stray byte counts as a character of two bytes";
    EXPECT_EQ(Utf8ToCp949Lossy("a\xc3(b"), "a?(b");
}
