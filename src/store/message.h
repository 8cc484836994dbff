#pragma once

#include <string>
#include <utility>
#include <vector>

namespace qa {

// What the store and the download logic tell the operator, as identifiers: the window and
// the command line turn them into text in the operator's language, so nothing below them
// holds a word of any language. Arguments fill the text's %1, %2, ... in order; they are
// data (a port, a path, a system's reason), never words of the program.
enum class MessageId : int {
    Verbatim, // the first argument as it is: already in the reader's language
    // Captions of message boxes.
    CaptionProgram,
    CaptionMeter,
    // The download session.
    ConnectFailed,
    ConnectFailedBecause,
    AskReceiveHbA1c,
    AskReceiveGlucose,
    NoData,
    NotArriving,
    NotArrivingBecause, // NotArriving, then what the port reported
    NoNewData,
    Waiting,
    ModeChange,
    TransferStarts,
    ModeChangeCommand,
    ModeChangeDone,
    CommandSent,
    ReceivingA,
    ReceivingB,
    ErrorCount,
    // The importer.
    FramingFailed,
    WrongKind,
    CheckingA,
    CheckingB,
    CheckDone,
    NotSaved,
    NotSavedNotErased,
    // Users.
    AskAddUser,
    EmptyUserId,
    DuplicateUserId,
    AskDeleteUser,
    LastUserNotDeletable,
    UserDeleted,
    UserIdBadCharacter,
    UserIdBlankAtEdge,
    UserIdTooLong,
    UserIdNotText,
    UserIdReserved,
    UserIdSameFiles,
    UserNotListed,
    UserIdUnusable,
    UserFilesMissing,
    UserFilesNotDeleted,
    SomeFilesNotDeleted,
    FileNotWritten,
    UserFilesNotOpened,
    DamagedFile,
    UserNotAdded,
    CurrentUserNotListed,
    AskDeleteUserNamed, // the user, the HbA1c results, the glucose results
    UserDeletedKept,    // the user, the folder its files were moved to
    NoDeletedUser,      // the user
    UserRestoreBlocked, // the file in the way
    UserRestored,       // the user
    AuditNotWritable,   // the log's file and the reason
    // A profile file's change that would break the file: the file, the section or
    // section/key.
    ProfileEntryRefused,
    // The list's search and the record dialogs.
    BadRange,
    RangeTooLong,
    NameOrIdTooLong,
    NameTooLong,
    MemoTooLong,
    // Settings changed on the command line: the key, then the value refused.
    SettingUnknown,
    SettingHbA1cUnitChoices,
    SettingGlucoseUnitChoices,
    SettingDateChoices,
    SettingTimeChoices,
    SettingLanguageChoices,
    SettingInterfaceChoices,
    SettingNotANumber,
    SettingTooLong,    // the key, the most bytes, the bytes given
    SettingOutOfRange, // the key, the lowest, the highest, the text given
    SettingAckTimeout, // the key, the most seconds, the value
    // Results by their ID, and the results a download skipped.
    ResultNotFound, // the ID
    ResultExists,   // the ID
    SkippedDeleted, // how many
    SkippedCorrected,
    TargetLowNotBelowHigh, // the low limit's key, the high limit's key
    // The check of a data folder: the file first.
    CheckFine,                 // the file, the encoding of its texts
    CheckDamaged,              // the file, SQLite's verdict
    CheckUndecodable,          // the file
    CheckMissingColumns,       // the file and table, the columns
    CheckMissingIndexes,       // the file and table, the indexes
    CheckNoTable,              // the file
    CheckOrphan,               // the file
    CheckLeftover,             // the file
    CheckJournal,              // the journal
    CheckPermissions,          // the file, its mode
    CheckUnreadable,           // the file, the system's reason
    SettingIdentifierSystem,   // the key, the value
    SettingAssigningAuthority, // the key, the value
    // The download session, once it knows whether a meter answers on the port.
    MeterAnswered,  // the port
    AwaitingAnswer, //
    NoMeterAnswers, // the port
    // The audit log: its failures, and what its entries say (stored by name, see audit_log.h).
    AuditFileError,               // the log's file, the reason
    AuditFileReadOnly,            // the log's file
    AuditFileNotWritable,         // the log's file
    AuditOutputHbA1cToFile,       // how many, the file
    AuditOutputGlucoseToFile,     // how many, the file
    AuditOutputHbA1cToPrinter,    // how many, the printer
    AuditOutputGlucoseToPrinter,  // how many, the printer
    AuditPatientReportToFile,     // HbA1c results, glucose results, the file
    AuditPatientReportToPrinter,  // HbA1c results, glucose results, the printer
    AuditBackupFiles,             // how many files, the archive
    AuditRestoreFrom,             // the archive, the folder set aside (may be empty)
    AuditSettingsChanged,         // the settings file, the changes
    AuditFileUpgraded,            // the file, what its upgrade added
    AuditUserAdded,               // the user
    AuditUserDeleted,             // the user, HbA1c results, glucose results, the kept files
    AuditUserRestored,            // the user, where the files came back from
    AuditResultModified,          // date, time, value; items (see AppendItem): changes, result ID
    AuditHbA1cDeleted,            // items: the result's fields
    AuditGlucoseDeleted,          // items: the result's fields
    AuditHbA1cImported,           // items: the counts, the meter, the port
    AuditGlucoseImported,         // items: the counts, the meter, the port
    AuditHbA1cPutBack,            // result ID, date, time, value, patient ID; items: note
    AuditGlucosePutBack,          // result ID, date, time, value, patient ID; items: note
    AuditResultReleased,          // date, time, value, the patient given, result ID
    AuditItemDate,                // item: the date
    AuditItemTime,                // item: the time
    AuditItemValue,               // item: the value
    AuditItemPatientId,           // item: the patient ID
    AuditItemOperatorId,          // item: the operator ID
    AuditItemName,                // item: the name
    AuditItemBirthday,            // item: the birthday
    AuditItemDiagnosis,           // item: the diagnosis
    AuditItemMemo,                // item: the memo
    AuditItemResultId,            // item: the result's ID
    AuditItemNameChanged,         // item: before, after
    AuditItemPatientIdChanged,    // item: before, after
    AuditItemBirthdayChanged,     // item: before, after
    AuditItemDiagnosisChanged,    // item: before, after
    AuditItemMemoChanged,         // item: before, after
    AuditItemReceived,            // item: received, new
    AuditItemSkippedDeleted,      // item: how many
    AuditItemSkippedCorrected,    // item: how many
    AuditItemRecordSize,          // item: bytes per record
    AuditItemPort,                // item: the port
    AuditItemPortUnknown,         // item
    AuditItemMeterErased,         // item
    AuditItemNote,                // item: the operator's note, verbatim
    FileReason,                   // the file (or what failed), the system's or SQLite's reason
    OutputNotAFileName,           // the path
    OutputNotRegular,             // the path
    OutputInsideDataFolder,       // the path, the data folder
    InstallationIdDamaged,        // the file
    BackupCopyUnreadable,         // the database
    BackupManifestStart,          // the archive, the format line
    BackupManifestLine,           // the archive, the line
    BackupManifestName,           // the archive, the name
    BackupNotTar,                 // the archive
    BackupHeaderDamaged,          // the archive
    BackupMemberNotPlain,         // the archive
    BackupMemberPath,             // the archive
    BackupAfterManifest,          // the archive
    BackupMemberName,             // the archive, the name
    BackupManifestTooLarge,       // the archive
    BackupUnpackFailed,           // the archive, the file unpacked, the system's reason
    BackupMemberCut,              // the archive, the name
    BackupCutShort,               // the archive
    BackupNoManifest,             // the archive
    BackupLacks,                  // the archive, the name
    BackupChecksum,               // the archive, the name
    BackupDatabaseDamaged,        // the archive, the name
    BackupDatabaseDamagedBecause, // the archive, the name, SQLite's verdict
    BackupUnlisted,               // the archive, the name
    BackupInsideDataFolder,       // the archive
    BackupNotRegular,             // the archive
    BackupNameNotStorable,        // the file
    RestoreStopped,
    RestoreNotMovedAside, // the data folder, the system's reason
    TableNotOpen,
    TableBusy,           // the file: a row being added is not stored yet
    TableRequestRefused, // the file: asked for a field, column or row it does not have
    TableNameRefused,    // the name
    TableReadOnly,       // the file
    ResultGone,          // date, time, value: the stored result an edit names
    // The laboratory interface: its delivery file, the links to the receiver, the runs.
    OutboxUnusable,        // the delivery file, SQLite's or the system's reason
    OutboxNotWritten,      // the delivery file, SQLite's reason
    OutboxNoEntry,         // the delivery file, the control ID
    LinkHostUnknown,       // the host, the resolver's reason
    LinkRefused,           // host:port, the system's reason
    LinkTimedOut,          // host:port
    LinkLostSending,       // host:port
    LinkNoTls,             // host:port
    LinkTlsFailed,         // host:port, the TLS library's reasons
    AckNotAcknowledgement, // host:port
    AckUnknownCode,        // host:port, the code
    AckTimedOut,           // host:port
    AckClosed,             // host:port
    TrustNoCaCertificate,  // the CA file
    TrustClientUnreadable, // the client certificate
    TrustKeyUnreadable,    // the key file
    FhirNoEventLoop,       // the base URL
    FhirBaseUnusable,      // the base URL
    FhirUnreachable,       // the base URL, Qt's reason
    FhirTimedOut,          // the base URL
    FhirHttpStatus,        // the HTTP status
    FhirHttpStatusBecause, // the HTTP status, the server's reason
    FhirNotTransactionResponse,
    FhirEntryCount, // entries answered, entries sent
    FhirLeftOpen,   // how many results
    DeliveryTimeLimit,
    DeliveryWithoutResult,       // how many results
    DeliveryTableName,           // the file
    DeliveryResultsUnreadable,   // the file, SQLite's reason
    DeliveryDeletionsUnreadable, // the result ID
    DeliveryNoTlsClient,         // the destination
    DeliveryNoFhirClient,        // the destination
    DeliveryDestination,         // the destination
    MessagesNotRead,
    MessagesNotWritten,
};

struct Message {
    MessageId id = MessageId::Verbatim;
    std::vector<std::string> args;

    Message() = default;
    // Implicit from an identifier: most messages take no argument.
    Message(MessageId messageId, std::vector<std::string> arguments = {}) // NOLINT
        : id(messageId), args(std::move(arguments)) {}
    // A text the caller has already put into the reader's language.
    static Message Verbatim(std::string text) { return {MessageId::Verbatim, {std::move(text)}}; }

    bool operator==(const Message&) const = default;
};

} // namespace qa
