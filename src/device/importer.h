#pragma once

#include "device/result_decoder.h"
#include "store/measurement_table.h"
#include "store/message.h"
#include "store/status.h"

#include <string>

namespace qa {

// The import's progress texts arrive once per checked byte and once per stored record, so an
// implementation should only remember the latest text and let the window pick it up.
class ImportHost {
public:
    virtual ~ImportHost() = default;
    virtual void SetProgressText(const Message& text) = 0;
};

struct ImportServices {
    std::string dataFolder; // where the raw dump goes
    ImportHost& host;
    // For the audit log: the port the results came through, when the caller knows it.
    std::string port = {};
};

// What a successful import did: every record passed the framing check and the new ones are
// stored (possibly none).
struct ImportSummary {
    int received = 0; // records in the transfer
    int stored = 0;   // of them new, now in the main and the download table
    // Of them not stored because the operator had deleted them, or corrected their patient
    // ID: the meter still holds what the list no longer does.
    int skippedDeleted = 0;
    int skippedCorrected = 0;
};

// The failures of an import, by the message they carry:
//   WrongKind     the transfer or a table is of the other result kind; nothing touched
//   FramingFailed refused before anything was stored; the meter keeps its results
//   NotSaved      (the reason as argument) storing failed and both tables are as they were;
//                 the meter keeps its results
// Only after NotSaved does the exchange with the meter end as after a successful import.
inline bool IsStoreFailure(const Message& failure) {
    return failure.id == MessageId::NotSaved;
}

inline constexpr const char* kRawDumpName = "hr_lowdata.dat";
inline constexpr MessageId kFramingFailText = MessageId::FramingFailed;
inline constexpr MessageId kImportCaption = MessageId::CaptionProgram;
inline constexpr MessageId kCheckingTextA = MessageId::CheckingA;
inline constexpr MessageId kCheckingTextB = MessageId::CheckingB;
inline constexpr MessageId kCheckDoneText = MessageId::CheckDone;

// Writes the raw dump, empties the download list, checks and decodes the transfer and stores
// its new records. Talks neither to the meter nor to the operator: the download session ends
// the exchange and says what failed. The tables are the current user's main and download
// tables of the kind, open, and not used by anyone else until the call returns.
[[nodiscard]] Expected<ImportSummary> ImportHbA1cResults(const Transfer& transfer, HbA1cTable& main,
                                                         HbA1cTable& download,
                                                         const ImportServices& services);
[[nodiscard]] Expected<ImportSummary> ImportGlucoseResults(const Transfer& transfer,
                                                           GlucoseTable& main,
                                                           GlucoseTable& download,
                                                           const ImportServices& services);

} // namespace qa
