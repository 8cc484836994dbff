#pragma once

#include "device/clock.h"
#include "store/measurement_table.h"
#include "store/prompter.h"

#include <cstdint>
#include <string>

namespace qa {

// A complete transfer as the download session hands it over: the records back to back,
// record i starting at byte i * recordSize.
struct Transfer {
    std::string payload;
    int recordCount = 0;
    int recordSize = 0;           // 29 or 30 for HbA1c, 15 for glucose
    bool fourDigitValues = false; // HbA1c values in hundredths (30-byte records)
    ResultKind kind = ResultKind::HbA1c;
    bool eraseAfterDownload = false;
    std::string meterModel; // the model code of the version reply ("EG", "CG"...)
};

// The session side of an import. Progress texts arrive once per checked byte and once per
// stored record, so an implementation should only remember the latest text and let the
// window pick it up; frame commands are handled before the call returns.
class ImportHost {
public:
    virtual ~ImportHost() = default;
    virtual void SendFrameCommand(int code) = 0;
    virtual void SetProgressText(const Message& text) = 0;
    // Called before the end report (command 500) so that it can tell "no new data" apart.
    virtual void SetImportedCount(int count) = 0;
};

struct ImportServices {
    std::string dataFolder; // where the raw dump goes
    Clock& clock;
    Prompter& prompter;
    ImportHost& host;
    // For the audit log: the port the results came through, when the caller knows it.
    std::string port = {};
};

enum class ImportStatus {
    Imported,      // every record checked and the new ones stored (possibly none)
    FramingFailed, // refused before anything was stored; the meter exchange is left open
    StoreFailed,   // the files are unchanged, the meter keeps its results, the exchange ended
    WrongKind,     // the transfer or a table is of the other result kind; nothing touched
};

struct ImportResult {
    ImportStatus status = ImportStatus::FramingFailed;
    int importedCount = 0;
    std::string error; // SQLite's text when storing failed
};

// Frame commands the importer sends.
inline constexpr int kFrameEraseMeter = 60;
inline constexpr int kFrameSendE = 54;
inline constexpr int kFrameClosePort = 55;
inline constexpr int kFrameImportDone = 500;

inline constexpr std::size_t kMaxPayloadBytes = 10'000'000; // a payload must be shorter
inline constexpr const char* kRawDumpName = "hr_lowdata.dat";
inline constexpr MessageId kFramingFailText = MessageId::FramingFailed;
inline constexpr MessageId kImportCaption = MessageId::CaptionProgram;
inline constexpr MessageId kCheckingTextA = MessageId::CheckingA;
inline constexpr MessageId kCheckingTextB = MessageId::CheckingB;
inline constexpr MessageId kCheckDoneText = MessageId::CheckDone;

// The tables are the current user's main and download tables of the kind, open, and not
// used by anyone else until the call returns.
ImportResult ImportHbA1cResults(const Transfer& transfer, HbA1cTable& main, HbA1cTable& download,
                                const ImportServices& services);
ImportResult ImportGlucoseResults(const Transfer& transfer, GlucoseTable& main,
                                  GlucoseTable& download, const ImportServices& services);

} // namespace qa
