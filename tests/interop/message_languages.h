#pragma once

#include "store/status.h"

#include <string>
#include <vector>

namespace qa::test {

// A failure of the laboratory interface as the operator reads it in each language: every
// argument (the file, host, status or reason that names what failed) appears in both texts, the
// English one holds no Hangul, and the Korean one no word of English outside its arguments and
// the names of standards (TLS, FHIR, HTTP, CA). Sets the application's language on the way and
// leaves it English.
void ExpectBothLanguages(const Status& failure);

} // namespace qa::test
