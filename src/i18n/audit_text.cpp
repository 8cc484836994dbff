#include "i18n/audit_text.h"

#include "i18n/language.h"
#include "i18n/message_text.h"

#include <QCoreApplication>

#include <cstring>

namespace qa {

std::string AuditDetailUtf8(const AuditEntry& entry) {
    if (entry.message.id == MessageId::Verbatim) {
        return entry.detail;
    }
    return MessageUtf8(entry.message);
}

QString AuditDetailText(const AuditEntry& entry) {
    return QString::fromStdString(AuditDetailUtf8(entry));
}

QString AuditActionText(const std::string& action) {
    struct Label {
        const char* action;
        const char* text;
    };
    static const Label kLabels[] = {
        {audit_action::kModify, QT_TRANSLATE_NOOP("AuditAction", "Modify")},
        {audit_action::kDelete, QT_TRANSLATE_NOOP("AuditAction", "Delete")},
        {audit_action::kImport, QT_TRANSLATE_NOOP("AuditAction", "Download")},
        {audit_action::kUserAdd, QT_TRANSLATE_NOOP("AuditAction", "Add user")},
        {audit_action::kUserDelete, QT_TRANSLATE_NOOP("AuditAction", "Delete user")},
        {audit_action::kUserRestore, QT_TRANSLATE_NOOP("AuditAction", "Restore user")},
        {audit_action::kSettings, QT_TRANSLATE_NOOP("AuditAction", "Settings")},
        {audit_action::kExport, QT_TRANSLATE_NOOP("AuditAction", "Export")},
        {audit_action::kPrint, QT_TRANSLATE_NOOP("AuditAction", "Print")},
        {audit_action::kBackup, QT_TRANSLATE_NOOP("AuditAction", "Backup")},
        {audit_action::kRestore, QT_TRANSLATE_NOOP("AuditAction", "Restore backup")},
        {audit_action::kUndelete, QT_TRANSLATE_NOOP("AuditAction", "Put back")},
        {audit_action::kUpgrade, QT_TRANSLATE_NOOP("AuditAction", "File upgrade")},
        {audit_action::kRelease, QT_TRANSLATE_NOOP("AuditAction", "Release to laboratory")},
    };
    for (const Label& label : kLabels) {
        if (action == label.action) {
            return Translate("AuditAction", label.text);
        }
    }
    return QString::fromStdString(action);
}

} // namespace qa
