#include "i18n/message_catalogue.h"

#include <algorithm>
#include <cstddef>

// Marks a text for the catalogue without Qt: the extraction tool reads the mark, and the
// text itself is the key the translators look up at run time.
#ifndef QT_TRANSLATE_NOOP
#define QT_TRANSLATE_NOOP(context, text) text
#endif

namespace qa {

const char* MessageSource(MessageId id) {
    switch (id) {
    case MessageId::Verbatim:
        return "%1";
    case MessageId::CaptionProgram:
        return "QuorinA1c";
    case MessageId::CaptionMeter:
        return QT_TRANSLATE_NOOP("Message", "오르보에이원씨");
    case MessageId::ConnectFailed:
        return QT_TRANSLATE_NOOP("Message",
                                 "통신 포트 연결 실패.\r\n포트 연결을 재 확인해 주세요.");
    case MessageId::ConnectFailedBecause:
        return QT_TRANSLATE_NOOP("Message",
                                 "통신 포트 연결 실패.\r\n포트 연결을 재 확인해 주세요.\r\n\r\n%1");
    // The port is open, but nothing has answered yet: the question names the port and does
    // not call it connected.
    case MessageId::AskReceiveHbA1c:
        return QT_TRANSLATE_NOOP("Message", "%1 포트로 오르보에이원씨의 HbA1c 결과를 받겠습니까?");
    case MessageId::AskReceiveGlucose:
        return QT_TRANSLATE_NOOP("Message", "%1 포트로 오르보에이원씨의 혈당 결과를 받겠습니까?");
    case MessageId::MeterAnswered:
        return QT_TRANSLATE_NOOP("Message", "%1 이 연결되었습니다.");
    case MessageId::AwaitingAnswer:
        return QT_TRANSLATE_NOOP("Message", "오르보에이원씨의 응답을 기다리는 중.");
    case MessageId::NoMeterAnswers:
        return QT_TRANSLATE_NOOP("Message",
                                 "%1 포트에서 응답하는 오르보에이원씨가 없습니다.\r\n"
                                 "오르보에이원씨가 켜져 있고 이 포트에 연결되어 있는지 확인한 뒤 "
                                 "다시 시도를 누르십시오.");
    case MessageId::NoData:
        return QT_TRANSLATE_NOOP("Message", "데이터가 없습니다.");
    case MessageId::NotArriving:
        return QT_TRANSLATE_NOOP("Message",
                                 "오르보에이원씨로부터 데이터가 전송이 되지 않고 있습니다.\r\n"
                                 "오르보에이원씨와의 연결 포트를 다시 확인해 주세요.");
    case MessageId::NotArrivingBecause:
        return QT_TRANSLATE_NOOP("Message",
                                 "오르보에이원씨로부터 데이터가 전송이 되지 않고 있습니다.\r\n"
                                 "오르보에이원씨와의 연결 포트를 다시 확인해 주세요.\r\n\r\n%1");
    case MessageId::NoNewData:
        return QT_TRANSLATE_NOOP("Message", "새로운 데이터가 없습니다.");
    case MessageId::Waiting:
        return QT_TRANSLATE_NOOP("Message", "Waiting....");
    case MessageId::ModeChange:
        return QT_TRANSLATE_NOOP("Message", "모드 변경");
    case MessageId::TransferStarts:
        return QT_TRANSLATE_NOOP("Message", "데이터 전송이 시작됩니다.");
    case MessageId::ModeChangeCommand:
        return QT_TRANSLATE_NOOP("Message", "모드 변경 명령.");
    case MessageId::ModeChangeDone:
        return QT_TRANSLATE_NOOP("Message", "모드 변경 완료.");
    case MessageId::CommandSent:
        return QT_TRANSLATE_NOOP("Message", "명령 전달.");
    case MessageId::ReceivingA:
        return QT_TRANSLATE_NOOP("Message", "받는 중 ...***.");
    case MessageId::ReceivingB:
        return QT_TRANSLATE_NOOP("Message", "받는 중 ..*.");
    case MessageId::ErrorCount:
        return QT_TRANSLATE_NOOP("Message", "Error count : %1");
    case MessageId::FramingFailed:
        return QT_TRANSLATE_NOOP("Message", "Error. cyclic redundancy check : Fail.");
    case MessageId::WrongKind:
        return QT_TRANSLATE_NOOP("Message",
                                 "Error. the received results are not of the selected kind.");
    case MessageId::CheckingA:
        return QT_TRANSLATE_NOOP("Message", "데이터 받는중 ...***.");
    case MessageId::CheckingB:
        return QT_TRANSLATE_NOOP("Message", "데이터 받는중 ...*.");
    case MessageId::CheckDone:
        return QT_TRANSLATE_NOOP("Message", "데이터 검사 완료");
    case MessageId::NotSaved:
        return QT_TRANSLATE_NOOP("Message", "Error. the results could not be saved : %1.");
    case MessageId::NotSavedNotErased:
        return QT_TRANSLATE_NOOP("Message", "Error. the results could not be saved : %1. "
                                            "The meter's results were not erased.");
    case MessageId::AskAddUser:
        return QT_TRANSLATE_NOOP(
            "Message",
            "새로운 사용자를 추가하시겠습니까?\r\n추가한 사용자가 현재 사용자가 됩니다.");
    case MessageId::EmptyUserId:
        return QT_TRANSLATE_NOOP("Message",
                                 "The user ID is not entered. \r\nPlease enter the user ID.");
    case MessageId::DuplicateUserId:
        return QT_TRANSLATE_NOOP("Message", "같은 사용자ID가 ㅈ있습니다.다시 입력해 주세요.");
    case MessageId::AskDeleteUser:
        return QT_TRANSLATE_NOOP("Message", "현재 사용자 데이터를 삭제하시겠습니까?");
    case MessageId::LastUserNotDeletable:
        return QT_TRANSLATE_NOOP("Message", "기본 사용자는 삭제할 수 없습니다.");
    case MessageId::UserDeleted:
        return QT_TRANSLATE_NOOP("Message", "사용자 데이터가 삭제되었습니다.");
    case MessageId::UserIdBadCharacter:
        return QT_TRANSLATE_NOOP("Message", "The user ID must not contain / \\ [ ] = ; or control "
                                            "characters.\r\nPlease enter another user ID.");
    case MessageId::UserIdBlankAtEdge:
        return QT_TRANSLATE_NOOP("Message", "The user ID must not begin or end with a blank."
                                            "\r\nPlease enter another user ID.");
    case MessageId::UserIdTooLong:
        return QT_TRANSLATE_NOOP(
            "Message", "The user ID is longer than 64 bytes.\r\nPlease enter a shorter user ID.");
    case MessageId::UserIdNotText:
        return QT_TRANSLATE_NOOP("Message",
                                 "The user ID is not valid text.\r\nPlease enter another user ID.");
    case MessageId::UserIdReserved:
        return QT_TRANSLATE_NOOP("Message",
                                 "This user ID would name one of the program's own files.\r\n"
                                 "Please enter another user ID.");
    case MessageId::UserIdSameFiles:
        return QT_TRANSLATE_NOOP(
            "Message", "On this disk the user ID names the same files as an existing user ID "
                       "that differs only in upper and lower case.\r\nPlease enter another user "
                       "ID.");
    case MessageId::UserNotListed:
        return QT_TRANSLATE_NOOP("Message", "The user ID is not in the user list.");
    case MessageId::UserIdUnusable:
        return QT_TRANSLATE_NOOP(
            "Message", "The user ID in the user file cannot be used as part of a file name.");
    case MessageId::UserFilesMissing:
        return QT_TRANSLATE_NOOP(
            "Message", "The files of the current user were not found. Nothing was deleted.");
    case MessageId::UserFilesNotDeleted:
        return QT_TRANSLATE_NOOP(
            "Message", "The files of the current user could not be deleted. Nothing was changed.");
    case MessageId::SomeFilesNotDeleted:
        return QT_TRANSLATE_NOOP("Message", "The user was removed from the user list, but these "
                                            "files could not be deleted:\r\n%1");
    case MessageId::FileNotWritten:
        return QT_TRANSLATE_NOOP("Message", "This file could not be written:\r\n%1");
    case MessageId::UserFilesNotOpened:
        return QT_TRANSLATE_NOOP("Message", "The database or settings files of the current user "
                                            "could not be opened or created in:\r\n%1");
    case MessageId::DamagedFile:
        return QT_TRANSLATE_NOOP("Message", "This database file is damaged. It was left as it "
                                            "is; restore it from a backup:\r\n%1");
    case MessageId::UserNotAdded:
        return QT_TRANSLATE_NOOP("Message",
                                 "The user was not added. This file could not be written:\r\n%1");
    case MessageId::CurrentUserNotListed:
        return QT_TRANSLATE_NOOP("Message", "The current user \"%1\" is not in the user list."
                                            "\r\nThe files of \"%2\" are used instead.");
    case MessageId::AskDeleteUserNamed:
        return QT_TRANSLATE_NOOP("Message",
                                 "사용자 \"%1\"을(를) 삭제하시겠습니까?\r\n"
                                 "HbA1c 결과 %2개와 혈당 결과 %3개, 설정이 목록에서 사라집니다.\r\n"
                                 "파일은 데이터 폴더 안에 보관되며 되돌릴 수 있습니다.");
    case MessageId::UserDeletedKept:
        return QT_TRANSLATE_NOOP("Message", "사용자 \"%1\"이(가) 삭제되었습니다.\r\n"
                                            "파일은 다음 폴더에 보관됩니다: %2");
    case MessageId::NoDeletedUser:
        return QT_TRANSLATE_NOOP("Message", "삭제된 사용자 \"%1\"의 보관된 파일이 없습니다.");
    case MessageId::UserRestoreBlocked:
        return QT_TRANSLATE_NOOP("Message",
                                 "같은 이름의 파일이 있어 사용자를 되돌릴 수 없습니다: %1");
    case MessageId::UserRestored:
        return QT_TRANSLATE_NOOP("Message", "사용자 \"%1\"을(를) 되돌렸습니다.");
    case MessageId::AuditNotWritable:
        return QT_TRANSLATE_NOOP("Message", "감사 기록에 쓸 수 없어 변경하지 않았습니다: %1");
    case MessageId::ProfileEntryRefused:
        return QT_TRANSLATE_NOOP("Message", "%1: %2 holds a line break or a character that "
                                            "would break the file; nothing was written");
    case MessageId::BadRange:
        return QT_TRANSLATE_NOOP("Message",
                                 "검색기간 설정이 잘못되었습니다. \r\n다시 날짜 설정해 주세요.");
    case MessageId::RangeTooLong:
        return QT_TRANSLATE_NOOP(
            "Message", "최대 365일 데이터를 검색할 수 있습니다. \r\n다시 날짜 설정해 주세요.");
    case MessageId::NameOrIdTooLong:
        return QT_TRANSLATE_NOOP("Message",
                                 "환자ID 입력 범위를 초과하였습니다.\n다시 입력해 주세요.(Max 15)");
    case MessageId::NameTooLong:
        return QT_TRANSLATE_NOOP(
            "Message", "환자 이름 입력 범위를 초과하였습니다.\n다시 입력해 주세요.(Max 15)");
    case MessageId::SettingUnknown:
        return QT_TRANSLATE_NOOP("Message", "unknown setting %1");
    case MessageId::SettingHbA1cUnitChoices:
        return QT_TRANSLATE_NOOP("Message", "%1 takes 0 (%) or 1 (mmol/mol), not \"%2\"");
    case MessageId::SettingGlucoseUnitChoices:
        return QT_TRANSLATE_NOOP("Message", "%1 takes 0 (mg/dL) or 1 (mmol/L), not \"%2\"");
    case MessageId::SettingDateChoices:
        return QT_TRANSLATE_NOOP(
            "Message", "%1 takes 0 (yyyy/MM/dd), 1 (MM/dd/yyyy) or 2 (dd/MM/yyyy), not \"%2\"");
    case MessageId::SettingTimeChoices:
        return QT_TRANSLATE_NOOP("Message", "%1 takes 0 (12 hours) or 1 (24 hours), not \"%2\"");
    case MessageId::SettingLanguageChoices:
        return QT_TRANSLATE_NOOP("Message", "%1 takes 0 (Korean) or 1 (English), not \"%2\"");
    case MessageId::SettingInterfaceChoices:
        return QT_TRANSLATE_NOOP("Message", "%1 takes 0 (off) or 1 (on), not \"%2\"");
    case MessageId::SettingNotANumber:
        return QT_TRANSLATE_NOOP("Message", "%1 takes a number such as 6.7, not \"%2\"");
    case MessageId::SettingOutOfRange:
        return QT_TRANSLATE_NOOP("Message", "%1 takes a number from %2 to %3, not \"%4\"");
    case MessageId::TargetLowNotBelowHigh:
        return QT_TRANSLATE_NOOP("Message", "%1 must be lower than %2");
    case MessageId::SettingTooLong:
        return QT_TRANSLATE_NOOP("Message", "%1 is too long: at most %2 bytes (a Hangul "
                                            "syllable takes 2), this one takes %3");
    case MessageId::CheckFine:
        return QT_TRANSLATE_NOOP("Message", "%1: in order (%2)");
    case MessageId::CheckDamaged:
        return QT_TRANSLATE_NOOP("Message", "%1: damaged: %2");
    case MessageId::CheckUndecodable:
        return QT_TRANSLATE_NOOP("Message",
                                 "%1: holds text that is neither UTF-8 nor code page 949");
    case MessageId::CheckMissingColumns:
        return QT_TRANSLATE_NOOP("Message",
                                 "%1: lacks the columns %2 (added by the next writable open)");
    case MessageId::CheckMissingIndexes:
        return QT_TRANSLATE_NOOP("Message",
                                 "%1: lacks the indexes %2 (added by the next writable open)");
    case MessageId::CheckNoTable:
        return QT_TRANSLATE_NOOP("Message", "%1: holds no result table");
    case MessageId::CheckOrphan:
        return QT_TRANSLATE_NOOP("Message", "%1: belongs to no listed operator");
    case MessageId::CheckLeftover:
        return QT_TRANSLATE_NOOP("Message",
                                 "%1: left over from an operation that stopped half-way");
    case MessageId::CheckJournal:
        return QT_TRANSLATE_NOOP(
            "Message",
            "%1: the journal of an interrupted write, played back by the next writable open");
    case MessageId::CheckPermissions:
        return QT_TRANSLATE_NOOP("Message", "%1: open to others than its owner (mode %2)");
    case MessageId::CheckUnreadable:
        return QT_TRANSLATE_NOOP("Message", "%1: cannot be read: %2");
    case MessageId::SettingAckTimeout:
        return QT_TRANSLATE_NOOP("Message",
                                 "%1 takes a number of seconds from 1 to %2, not \"%3\"");
    case MessageId::SettingIdentifierSystem:
        return QT_TRANSLATE_NOOP("Message",
                                 "%1 takes a URI such as urn:oid:1.2.3 or https://host/ids, "
                                 "not \"%2\"");
    case MessageId::SettingAssigningAuthority:
        return QT_TRANSLATE_NOOP("Message", "%1 takes an OID or a name without | ^ ~ \\ &, "
                                            "not \"%2\"");
    case MessageId::ResultNotFound:
        return QT_TRANSLATE_NOOP("Message", "No result has the ID %1.");
    case MessageId::ResultExists:
        return QT_TRANSLATE_NOOP("Message", "The result %1 is stored already.");
    case MessageId::SkippedDeleted:
        return QT_TRANSLATE_NOOP("Message", "%1 skipped: deleted");
    case MessageId::SkippedCorrected:
        return QT_TRANSLATE_NOOP("Message", "%1 skipped: corrected");
    case MessageId::MemoTooLong:
        return QT_TRANSLATE_NOOP("Message",
                                 "입력 범위를 초과하였습니다.\n다시 입력해 주세요.(Max 100)");
    case MessageId::AuditFileError:
        return QT_TRANSLATE_NOOP("Message", "%1: %2");
    case MessageId::AuditFileReadOnly:
        return QT_TRANSLATE_NOOP("Message", "%1: the file is read-only");
    case MessageId::AuditFileNotWritable:
        return QT_TRANSLATE_NOOP("Message", "%1: cannot be written");
    case MessageId::AuditOutputHbA1cToFile:
        return QT_TRANSLATE_NOOP("Message", "%1 HbA1c results to %2");
    case MessageId::AuditOutputGlucoseToFile:
        return QT_TRANSLATE_NOOP("Message", "%1 glucose results to %2");
    case MessageId::AuditOutputHbA1cToPrinter:
        return QT_TRANSLATE_NOOP("Message", "%1 HbA1c results to the printer %2");
    case MessageId::AuditOutputGlucoseToPrinter:
        return QT_TRANSLATE_NOOP("Message", "%1 glucose results to the printer %2");
    case MessageId::AuditPatientReportToFile:
        return QT_TRANSLATE_NOOP("Message",
                                 "patient report of %1 HbA1c and %2 glucose results to %3");
    case MessageId::AuditPatientReportToPrinter:
        return QT_TRANSLATE_NOOP(
            "Message", "patient report of %1 HbA1c and %2 glucose results to the printer %3");
    case MessageId::AuditBackupFiles:
        return QT_TRANSLATE_NOOP("Message", "%1 files to %2");
    case MessageId::AuditRestoreFrom:
        return QT_TRANSLATE_NOOP("Message", "from %1; the replaced folder is %2");
    case MessageId::AuditSettingsChanged:
    case MessageId::AuditFileUpgraded:
        return QT_TRANSLATE_NOOP("Message", "%1: %2");
    case MessageId::AuditUserAdded:
        return QT_TRANSLATE_NOOP("Message", "user %1");
    case MessageId::AuditUserDeleted:
        return QT_TRANSLATE_NOOP("Message",
                                 "user %1: %2 HbA1c and %3 glucose results; files kept in %4");
    case MessageId::AuditUserRestored:
        return QT_TRANSLATE_NOOP("Message", "user %1: files brought back from %2");
    case MessageId::AuditResultModified:
        return QT_TRANSLATE_NOOP("Message", "result %1 %2 %3: %4");
    case MessageId::AuditHbA1cDeleted:
        return QT_TRANSLATE_NOOP("Message", "HbA1c result: %1");
    case MessageId::AuditGlucoseDeleted:
        return QT_TRANSLATE_NOOP("Message", "glucose result: %1");
    case MessageId::AuditHbA1cImported:
        return QT_TRANSLATE_NOOP("Message", "HbA1c: %1");
    case MessageId::AuditGlucoseImported:
        return QT_TRANSLATE_NOOP("Message", "glucose: %1");
    case MessageId::AuditHbA1cPutBack:
        return QT_TRANSLATE_NOOP(
            "Message", "HbA1c result %1 put back: date \"%2\", time \"%3\", value \"%4\", "
                       "patient ID \"%5\"%6");
    case MessageId::AuditGlucosePutBack:
        return QT_TRANSLATE_NOOP(
            "Message", "glucose result %1 put back: date \"%2\", time \"%3\", value \"%4\", "
                       "patient ID \"%5\"%6");
    case MessageId::AuditResultReleased:
        return QT_TRANSLATE_NOOP("Message", "result %1 %2 %3: held for want of a patient, released "
                                            "to the laboratory under %4; result ID %5");
    case MessageId::AuditItemDate:
        return QT_TRANSLATE_NOOP("Message", "date \"%1\"");
    case MessageId::AuditItemTime:
        return QT_TRANSLATE_NOOP("Message", "time \"%1\"");
    case MessageId::AuditItemValue:
        return QT_TRANSLATE_NOOP("Message", "value \"%1\"");
    case MessageId::AuditItemPatientId:
        return QT_TRANSLATE_NOOP("Message", "patient ID \"%1\"");
    case MessageId::AuditItemOperatorId:
        return QT_TRANSLATE_NOOP("Message", "operator ID \"%1\"");
    case MessageId::AuditItemName:
        return QT_TRANSLATE_NOOP("Message", "name \"%1\"");
    case MessageId::AuditItemBirthday:
        return QT_TRANSLATE_NOOP("Message", "birthday \"%1\"");
    case MessageId::AuditItemDiagnosis:
        return QT_TRANSLATE_NOOP("Message", "diagnosis %1");
    case MessageId::AuditItemMemo:
        return QT_TRANSLATE_NOOP("Message", "memo \"%1\"");
    case MessageId::AuditItemResultId:
        return QT_TRANSLATE_NOOP("Message", "result ID %1");
    case MessageId::AuditItemNameChanged:
        return QT_TRANSLATE_NOOP("Message", "name: \"%1\" -> \"%2\"");
    case MessageId::AuditItemPatientIdChanged:
        return QT_TRANSLATE_NOOP("Message", "patient ID: \"%1\" -> \"%2\"");
    case MessageId::AuditItemBirthdayChanged:
        return QT_TRANSLATE_NOOP("Message", "birthday: \"%1\" -> \"%2\"");
    case MessageId::AuditItemDiagnosisChanged:
        return QT_TRANSLATE_NOOP("Message", "diagnosis: \"%1\" -> \"%2\"");
    case MessageId::AuditItemMemoChanged:
        return QT_TRANSLATE_NOOP("Message", "memo: \"%1\" -> \"%2\"");
    case MessageId::AuditItemReceived:
        return QT_TRANSLATE_NOOP("Message", "%1 received, %2 new");
    case MessageId::AuditItemSkippedDeleted:
        return QT_TRANSLATE_NOOP("Message", "%1 skipped as deleted");
    case MessageId::AuditItemSkippedCorrected:
        return QT_TRANSLATE_NOOP("Message", "%1 skipped as corrected");
    case MessageId::AuditItemRecordSize:
        return QT_TRANSLATE_NOOP("Message", "meter with %1-byte records");
    case MessageId::AuditItemPort:
        return QT_TRANSLATE_NOOP("Message", "port %1");
    case MessageId::AuditItemPortUnknown:
        return QT_TRANSLATE_NOOP("Message", "port unknown");
    case MessageId::AuditItemMeterErased:
        return QT_TRANSLATE_NOOP("Message", "meter erased");
    case MessageId::AuditItemNote:
        return "%1";
    case MessageId::FileReason:
        return QT_TRANSLATE_NOOP("Message", "%1: %2");
    case MessageId::OutputNotAFileName:
        return QT_TRANSLATE_NOOP("Message", "%1: not a file name");
    case MessageId::OutputNotRegular:
        return QT_TRANSLATE_NOOP("Message",
                                 "%1: exists and is not a regular file; nothing was written");
    case MessageId::OutputInsideDataFolder:
        return QT_TRANSLATE_NOOP("Message",
                                 "%1: is inside the data folder %2; choose another place");
    case MessageId::InstallationIdDamaged:
        return QT_TRANSLATE_NOOP("Message", "%1: holds no UUID");
    case MessageId::BackupCopyUnreadable:
        return QT_TRANSLATE_NOOP("Message", "%1: the copy could not be read back");
    case MessageId::BackupManifestStart:
        return QT_TRANSLATE_NOOP("Message", "%1: the manifest does not start with \"%2\"");
    case MessageId::BackupManifestLine:
        return QT_TRANSLATE_NOOP("Message", "%1: the manifest has a line it does not explain: %2");
    case MessageId::BackupManifestName:
        return QT_TRANSLATE_NOOP("Message",
                                 "%1: the manifest names a file that cannot be restored: %2");
    case MessageId::BackupNotTar:
        return QT_TRANSLATE_NOOP("Message", "%1: not a backup archive (no tar header)");
    case MessageId::BackupHeaderDamaged:
        return QT_TRANSLATE_NOOP("Message", "%1: a member header is damaged");
    case MessageId::BackupMemberNotPlain:
        return QT_TRANSLATE_NOOP("Message", "%1: a member is not a plain file");
    case MessageId::BackupMemberPath:
        return QT_TRANSLATE_NOOP("Message", "%1: a member has a path, not a plain file name");
    case MessageId::BackupAfterManifest:
        return QT_TRANSLATE_NOOP("Message", "%1: a member follows the manifest");
    case MessageId::BackupMemberName:
        return QT_TRANSLATE_NOOP("Message", "%1: a member name cannot be restored: %2");
    case MessageId::BackupManifestTooLarge:
        return QT_TRANSLATE_NOOP("Message", "%1: the manifest is too large");
    case MessageId::BackupUnpackFailed:
        return QT_TRANSLATE_NOOP("Message", "%1: %2: %3");
    case MessageId::BackupMemberCut:
        return QT_TRANSLATE_NOOP("Message", "%1: a member is cut short or cannot be unpacked: %2");
    case MessageId::BackupCutShort:
        return QT_TRANSLATE_NOOP("Message", "%1: the archive is cut short");
    case MessageId::BackupNoManifest:
        return QT_TRANSLATE_NOOP("Message", "%1: the archive has no manifest");
    case MessageId::BackupLacks:
        return QT_TRANSLATE_NOOP("Message", "%1: the archive lacks %2");
    case MessageId::BackupChecksum:
        return QT_TRANSLATE_NOOP("Message", "%1: the checksum of %2 does not match");
    case MessageId::BackupDatabaseDamaged:
        return QT_TRANSLATE_NOOP("Message", "%1: the database %2 is damaged");
    case MessageId::BackupDatabaseDamagedBecause:
        return QT_TRANSLATE_NOOP("Message", "%1: the database %2 is damaged (%3)");
    case MessageId::BackupUnlisted:
        return QT_TRANSLATE_NOOP("Message", "%1: the manifest does not list %2");
    case MessageId::BackupInsideDataFolder:
        return QT_TRANSLATE_NOOP("Message",
                                 "%1: a backup cannot be written inside the data folder");
    case MessageId::BackupNotRegular:
        return QT_TRANSLATE_NOOP("Message", "%1: exists and is not a regular file");
    case MessageId::BackupNameNotStorable:
        return QT_TRANSLATE_NOOP("Message", "%1: this file name cannot be stored in a backup");
    case MessageId::RestoreStopped:
        return QT_TRANSLATE_NOOP("Message", "stopped");
    case MessageId::RestoreNotMovedAside:
        return QT_TRANSLATE_NOOP("Message", "%1: cannot be moved aside: %2");
    case MessageId::TableNotOpen:
        return QT_TRANSLATE_NOOP("Message", "The table is not open.");
    case MessageId::TableBusy:
        return QT_TRANSLATE_NOOP("Message", "%1: a new result is still being stored");
    case MessageId::TableRequestRefused:
        return QT_TRANSLATE_NOOP("Message", "%1: the table has no such field or row");
    case MessageId::TableNameRefused:
        return QT_TRANSLATE_NOOP("Message", "Not a usable table name: %1");
    case MessageId::TableReadOnly:
        return QT_TRANSLATE_NOOP("Message", "%1: opened read-only, so it is not changed");
    case MessageId::ResultGone:
        return QT_TRANSLATE_NOOP("Message",
                                 "The result of %1 %2 with the value %3 is no longer "
                                 "stored; it may have been changed or deleted meanwhile.");
    case MessageId::OutboxUnusable:
        return QT_TRANSLATE_NOOP("Message", "The delivery file %1 cannot be used: %2");
    case MessageId::OutboxNotWritten:
        return QT_TRANSLATE_NOOP("Message", "The delivery file %1 cannot be written: %2");
    case MessageId::OutboxNoEntry:
        return QT_TRANSLATE_NOOP("Message", "The delivery file %1 has no unsent entry %2.");
    case MessageId::LinkHostUnknown:
        return QT_TRANSLATE_NOOP("Message", "The receiver's host %1 cannot be found: %2");
    case MessageId::LinkRefused:
        return QT_TRANSLATE_NOOP("Message", "The receiver %1 cannot be reached: %2");
    case MessageId::LinkTimedOut:
        return QT_TRANSLATE_NOOP(
            "Message", "The receiver %1 did not take the connection within the time-out.");
    case MessageId::LinkLostSending:
        return QT_TRANSLATE_NOOP("Message", "The connection to %1 was lost while sending.");
    case MessageId::LinkNoTls:
        return QT_TRANSLATE_NOOP("Message", "No TLS library is at hand for %1.");
    case MessageId::LinkTlsFailed:
        return QT_TRANSLATE_NOOP("Message", "A TLS connection to %1 cannot be made: %2");
    case MessageId::AckNotAcknowledgement:
        return QT_TRANSLATE_NOOP("Message", "The answer of %1 is not an acknowledgement.");
    case MessageId::AckUnknownCode:
        return QT_TRANSLATE_NOOP("Message", "The acknowledgement of %1 has an unknown code: %2");
    case MessageId::AckTimedOut:
        return QT_TRANSLATE_NOOP("Message", "No acknowledgement came from %1 within the time-out.");
    case MessageId::AckClosed:
        return QT_TRANSLATE_NOOP("Message", "%1 closed the connection without an acknowledgement.");
    case MessageId::TrustNoCaCertificate:
        return QT_TRANSLATE_NOOP("Message", "The CA file holds no certificate: %1");
    case MessageId::TrustClientUnreadable:
        return QT_TRANSLATE_NOOP("Message", "The client certificate or its key cannot be read: %1");
    case MessageId::TrustKeyUnreadable:
        return QT_TRANSLATE_NOOP("Message", "The client key cannot be read: %1");
    case MessageId::FhirNoEventLoop:
        return QT_TRANSLATE_NOOP("Message", "Nothing runs the network for %1.");
    case MessageId::FhirBaseUnusable:
        return QT_TRANSLATE_NOOP("Message", "The FHIR base URL cannot be used: %1");
    case MessageId::FhirUnreachable:
        return QT_TRANSLATE_NOOP("Message", "The FHIR server %1 cannot be reached: %2");
    case MessageId::FhirTimedOut:
        return QT_TRANSLATE_NOOP("Message",
                                 "No answer came from the FHIR server %1 within the time-out.");
    case MessageId::FhirHttpStatus:
        return QT_TRANSLATE_NOOP("Message", "The FHIR server answered HTTP %1.");
    case MessageId::FhirHttpStatusBecause:
        return QT_TRANSLATE_NOOP("Message", "The FHIR server answered HTTP %1: %2");
    case MessageId::FhirNotTransactionResponse:
        return QT_TRANSLATE_NOOP("Message",
                                 "The FHIR server's answer is not a transaction-response Bundle.");
    case MessageId::FhirEntryCount:
        return QT_TRANSLATE_NOOP("Message",
                                 "The FHIR server's answer holds %1 entries for the %2 sent.");
    case MessageId::FhirLeftOpen:
        return QT_TRANSLATE_NOOP(
            "Message",
            "The FHIR server's answer left %1 results without an outcome; they stay pending.");
    case MessageId::DeliveryTimeLimit:
        return QT_TRANSLATE_NOOP(
            "Message", "The run's time limit was reached; the rest goes with the next run.");
    case MessageId::DeliveryWithoutResult:
        return QT_TRANSLATE_NOOP("Message", "%1 results were queued without their stored result; "
                                            "they go once they are queued again.");
    case MessageId::DeliveryTableName:
        return QT_TRANSLATE_NOOP(
            "Message", "The results of %1 cannot be opened: the table's name was refused.");
    case MessageId::DeliveryResultsUnreadable:
        return QT_TRANSLATE_NOOP("Message", "The results of %1 cannot be read: %2");
    case MessageId::DeliveryDeletionsUnreadable:
        return QT_TRANSLATE_NOOP(
            "Message", "Whether result %1 was deleted cannot be read; nothing was queued.");
    case MessageId::DeliveryNoTlsClient:
        return QT_TRANSLATE_NOOP("Message", "No TLS client is at hand to send to %1.");
    case MessageId::DeliveryNoFhirClient:
        return QT_TRANSLATE_NOOP("Message", "No FHIR client is at hand to send to %1.");
    case MessageId::DeliveryDestination:
        return QT_TRANSLATE_NOOP("Message", "The destination is neither mllp(s)://host:port nor a "
                                            "FHIR base URL http(s)://host/path: %1");
    case MessageId::MessagesNotRead:
        return QT_TRANSLATE_NOOP("Message", "The results for the message file cannot be read.");
    case MessageId::MessagesNotWritten:
        return QT_TRANSLATE_NOOP("Message", "The message file cannot be written.");
    }
    return "%1";
}

std::string FillArguments(const std::string& text, const std::vector<std::string>& args) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '9') {
            const auto index = static_cast<std::size_t>(text[i + 1] - '1');
            if (index < args.size()) {
                out += args[index];
            }
            ++i;
            continue;
        }
        out += text[i];
    }
    return out;
}

namespace {

// The stored keys of the items. A key, once written, keeps its meaning: logs outlive
// versions of the program, so a key is never renamed or reused.
struct Item {
    const char* key;
    MessageId id;
};
constexpr Item kItems[] = {
    {"date", MessageId::AuditItemDate},
    {"time", MessageId::AuditItemTime},
    {"value", MessageId::AuditItemValue},
    {"patient-id", MessageId::AuditItemPatientId},
    {"operator-id", MessageId::AuditItemOperatorId},
    {"name", MessageId::AuditItemName},
    {"birthday", MessageId::AuditItemBirthday},
    {"diagnosis", MessageId::AuditItemDiagnosis},
    {"memo", MessageId::AuditItemMemo},
    {"result-id", MessageId::AuditItemResultId},
    {"name-changed", MessageId::AuditItemNameChanged},
    {"patient-id-changed", MessageId::AuditItemPatientIdChanged},
    {"birthday-changed", MessageId::AuditItemBirthdayChanged},
    {"diagnosis-changed", MessageId::AuditItemDiagnosisChanged},
    {"memo-changed", MessageId::AuditItemMemoChanged},
    {"received", MessageId::AuditItemReceived},
    {"skipped-deleted", MessageId::AuditItemSkippedDeleted},
    {"skipped-corrected", MessageId::AuditItemSkippedCorrected},
    {"record-size", MessageId::AuditItemRecordSize},
    {"port", MessageId::AuditItemPort},
    {"port-unknown", MessageId::AuditItemPortUnknown},
    {"meter-erased", MessageId::AuditItemMeterErased},
    {"note", MessageId::AuditItemNote},
};

// A message whose arguments after the first `fixed` are items: each shown through its own
// message, the first after `lead`, the others after `separator`, all in place of the
// argument after the fixed ones.
struct ItemList {
    MessageId id;
    std::size_t fixed;
    const char* lead;
    const char* separator;
};
constexpr ItemList kItemLists[] = {
    {MessageId::AuditResultModified, 3, "", "; "},   {MessageId::AuditHbA1cDeleted, 0, "", ", "},
    {MessageId::AuditGlucoseDeleted, 0, "", ", "},   {MessageId::AuditHbA1cImported, 0, "", "; "},
    {MessageId::AuditGlucoseImported, 0, "", "; "},  {MessageId::AuditHbA1cPutBack, 5, "; ", "; "},
    {MessageId::AuditGlucosePutBack, 5, "; ", "; "},
};

const Item* ItemOf(MessageId id) {
    for (const Item& item : kItems) {
        if (item.id == id) {
            return &item;
        }
    }
    return nullptr;
}

const Item* ItemOfKey(const std::string& key) {
    for (const Item& item : kItems) {
        if (key == item.key) {
            return &item;
        }
    }
    return nullptr;
}

// How many values an item takes: the highest %N of its source text, which no translation
// changes.
std::size_t Arity(const char* text) {
    std::size_t most = 0;
    for (const char* c = text; *c != '\0'; ++c) {
        if (c[0] == '%' && c[1] >= '1' && c[1] <= '9') {
            most = std::max(most, static_cast<std::size_t>(c[1] - '0'));
        }
    }
    return most;
}

} // namespace

void AppendItem(std::vector<std::string>& args, MessageId item,
                std::initializer_list<std::string> values) {
    const Item* known = ItemOf(item);
    args.emplace_back(known ? known->key : "");
    args.insert(args.end(), values.begin(), values.end());
}

std::string ComposeMessage(const Message& message, const MessageTranslator& translate) {
    const char* source = MessageSource(message.id);
    const ItemList* list = nullptr;
    for (const ItemList& l : kItemLists) {
        if (l.id == message.id) {
            list = &l;
        }
    }
    if (!list || message.args.size() <= list->fixed) {
        return FillArguments(translate(source), message.args);
    }
    std::vector<std::string> args(message.args.begin(),
                                  message.args.begin() + static_cast<std::ptrdiff_t>(list->fixed));
    std::string items;
    for (std::size_t i = list->fixed; i < message.args.size();) {
        items += items.empty() ? list->lead : list->separator;
        const Item* item = ItemOfKey(message.args[i]);
        if (!item) {
            // A key of a newer version: what follows is shown as it was stored.
            for (std::size_t j = i; j < message.args.size(); ++j) {
                items += (j > i ? " " : "") + message.args[j];
            }
            break;
        }
        const char* itemSource = MessageSource(item->id);
        const std::size_t first = i + 1;
        const std::size_t end = std::min(message.args.size(), first + Arity(itemSource));
        items += FillArguments(
            translate(itemSource),
            std::vector<std::string>(message.args.begin() + static_cast<std::ptrdiff_t>(first),
                                     message.args.begin() + static_cast<std::ptrdiff_t>(end)));
        i = end;
    }
    args.push_back(std::move(items));
    return FillArguments(translate(source), args);
}

std::vector<std::string> MessageData(const Message& message) {
    std::size_t fixed = message.args.size();
    for (const ItemList& l : kItemLists) {
        if (l.id == message.id) {
            fixed = l.fixed;
        }
    }
    std::vector<std::string> data;
    for (std::size_t i = 0; i < message.args.size(); ++i) {
        if (i < fixed) {
            data.push_back(message.args[i]);
            continue;
        }
        const Item* item = ItemOfKey(message.args[i]);
        if (!item) {
            data.insert(data.end(), message.args.begin() + static_cast<std::ptrdiff_t>(i),
                        message.args.end());
            break;
        }
        const std::size_t end =
            std::min(message.args.size(), i + 1 + Arity(MessageSource(item->id)));
        data.insert(data.end(), message.args.begin() + static_cast<std::ptrdiff_t>(i + 1),
                    message.args.begin() + static_cast<std::ptrdiff_t>(end));
        i = end - 1;
    }
    return data;
}

std::string SourceText(const Message& message) {
    return ComposeMessage(message, [](const char* source) { return std::string(source); });
}

} // namespace qa
