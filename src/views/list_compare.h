#pragma once

#include <QDateTime>

#include <string>
#include <string_view>

namespace qa::views {

// Comparison types of a sortable list column.
enum SortType : int {
    SortNone = 0,         // every pair equal
    SortInteger = 1,      // leading integers
    SortReal = 2,         // leading real numbers; a difference below 1 counts as equal
    SortText = 3,         // byte-wise, case-sensitive
    SortNumberText = 4,   // integers when both texts are exactly integers, else as SortText
    SortTextNoCase = 5,   // ignoring ASCII case
    SortNumberNoCase = 6, // as SortNumberText, falling back to SortTextNoCase
    SortDateTime = 7,     // parsed as date and time in the user's locale
};

// Sign of the comparison of two cell texts (UTF-8) by a sort type: negative when `a` sorts
// first. An unknown type compares as SortText.
int CompareCells(std::string_view a, std::string_view b, int type);

// A cell prepared once for many comparisons: sorting a large list must not parse every text
// again for every comparison it takes part in.
struct SortKey {
    long integer = 0;
    double real = 0;
    bool exactInteger = false; // the text is its integer printed plainly
    QDateTime moment;          // invalid when the text is no date and time
};

SortKey MakeSortKey(std::string_view text, int type);
int CompareKeys(const SortKey& ka, std::string_view a, const SortKey& kb, std::string_view b,
                int type);

// The date and time parse of the date-time comparison.
QDateTime ParseListDateTime(std::string_view text);

} // namespace qa::views
