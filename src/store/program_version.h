#pragma once

namespace qa {

#ifndef QA_PROGRAM_VERSION
#define QA_PROGRAM_VERSION "unknown"
#endif

// The version the build system gives the project; recorded with every audit entry and
// every backup.
inline constexpr const char* kProgramVersion = QA_PROGRAM_VERSION;

} // namespace qa
