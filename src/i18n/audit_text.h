#pragma once

#include "store/audit_log.h"

#include <QString>

#include <string>

namespace qa {

// What an audit entry says, in the reader's language: its message when it has one, else the
// detail as it was written (entries of older versions, and entries made without a message).
std::string AuditDetailUtf8(const AuditEntry& entry);
QString AuditDetailText(const AuditEntry& entry);

// An entry's action (one of audit_action) in the reader's language; an action this version
// does not know is shown as it was stored.
QString AuditActionText(const std::string& action);

} // namespace qa
