#pragma once

#include "store/csv_export.h"

#include <string>
#include <vector>

namespace qa {

// An export in the current language: the header's words, and the file's encoding (code page
// 949 for Korean, as the Korean program wrote it; UTF-8 with a byte-order mark for English).
// `extraHeadings`: the list's optional columns shown beyond the kind's own, as the list heads
// them; written after the kind's columns.
CsvOptions CsvOptionsForLanguage(ResultKind kind,
                                 const std::vector<std::string>& extraHeadings = {});

} // namespace qa
