#include "widgets/registry_key.h"

#include <QSettings>
#include <QStringList>

namespace qa {

namespace {

// Keys exist without values in the registry; an INI group does not, so every created key
// carries this entry. Value names starting with '@' are reserved for it and for the key's
// unnamed (default) value.
const QString kKeyMarker = QStringLiteral("@key");
const QString kDefaultValue = QStringLiteral("@");

QString storedName(const QString& name) {
    return name.isEmpty() ? kDefaultValue : name;
}

} // namespace

RegistryKey::RegistryKey()
    : settings_(std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                            QString::fromLatin1(kOrganization),
                                            QString::fromLatin1(kApplication))) {}

RegistryKey::RegistryKey(const QString& iniPath)
    : settings_(std::make_unique<QSettings>(iniPath, QSettings::IniFormat)) {}

RegistryKey::~RegistryKey() = default;

QString RegistryKey::rootGroup() const {
    switch (root_) {
    case Root::ClassesRoot:
        return QStringLiteral("HKEY_CLASSES_ROOT");
    case Root::LocalMachine:
        return QStringLiteral("HKEY_LOCAL_MACHINE");
    case Root::Users:
        return QStringLiteral("HKEY_USERS");
    case Root::CurrentUser:
        break;
    }
    return QStringLiteral("HKEY_CURRENT_USER");
}

QString RegistryKey::groupFor(const QString& path) const {
    if (path.isEmpty()) {
        return rootGroup();
    }
    return rootGroup() + QLatin1Char('/') +
           QString(path).replace(QLatin1Char('\\'), QLatin1Char('/'));
}

bool RegistryKey::normalise(const QString& subKey, QString& path) {
    // A '/' would split a key name into two groups, and an empty name between separators
    // names no key.
    if (subKey.contains(QLatin1Char('/'))) {
        return false;
    }
    QStringList parts = subKey.split(QLatin1Char('\\'));
    while (!parts.isEmpty() && parts.front().isEmpty()) {
        parts.removeFirst();
    }
    while (!parts.isEmpty() && parts.back().isEmpty()) {
        parts.removeLast();
    }
    for (const QString& part : parts) {
        if (part.isEmpty() || part.startsWith(QLatin1Char('@'))) {
            return false;
        }
    }
    path = parts.join(QLatin1Char('\\'));
    return true;
}

bool RegistryKey::validValueName(const QString& name) {
    return !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\')) &&
           !name.startsWith(QLatin1Char('@'));
}

bool RegistryKey::keyExists(const QString& path) const {
    if (path.isEmpty()) {
        return true;
    }
    settings_->beginGroup(groupFor(path));
    const bool exists = !settings_->childKeys().isEmpty() || !settings_->childGroups().isEmpty();
    settings_->endGroup();
    return exists;
}

void RegistryKey::flush() {
    if (!noFlush_) {
        settings_->sync();
    }
}

bool RegistryKey::SetKey(const QString& subKey, bool create) {
    if (subKey.isEmpty()) {
        path_.clear();
        lastError_ = Error::None;
        return true;
    }
    QString path;
    if (!normalise(subKey, path) || path.isEmpty()) {
        lastError_ = Error::InvalidParameter;
        return false;
    }
    if (!keyExists(path)) {
        if (!create) {
            lastError_ = Error::NotFound;
            return false;
        }
        settings_->setValue(groupFor(path) + QLatin1Char('/') + kKeyMarker, QString());
    }
    flush();
    if (settings_->status() != QSettings::NoError) {
        lastError_ = Error::AccessDenied;
        return false;
    }
    path_ = path;
    lastError_ = Error::None;
    return true;
}

RegistryKey::ValueType RegistryKey::GetValueType(const QString& name) const {
    if (!validValueName(name) || !keyExists(path_)) {
        lastError_ = Error::NotFound;
        return ValueType::None;
    }
    const QVariant value = settings_->value(groupFor(path_) + QLatin1Char('/') + storedName(name));
    if (!value.isValid()) {
        lastError_ = Error::NotFound;
        return ValueType::None;
    }
    lastError_ = Error::None;
    switch (value.typeId()) {
    case QMetaType::QByteArray:
        return ValueType::Binary;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return ValueType::Number;
    default:
        return ValueType::String;
    }
}

QString RegistryKey::ReadString(const QString& name, const QString& defaultValue) const {
    const ValueType type = GetValueType(name);
    if (type != ValueType::String && type != ValueType::ExpandString) {
        return defaultValue;
    }
    return settings_->value(groupFor(path_) + QLatin1Char('/') + storedName(name)).toString();
}

bool RegistryKey::WriteString(const QString& name, const QString& value) {
    if (!validValueName(name)) {
        lastError_ = Error::InvalidParameter;
        return false;
    }
    if (!keyExists(path_)) {
        lastError_ = Error::NotFound;
        return false;
    }
    settings_->setValue(groupFor(path_) + QLatin1Char('/') + storedName(name), value);
    flush();
    if (settings_->status() != QSettings::NoError) {
        lastError_ = Error::AccessDenied;
        return false;
    }
    lastError_ = Error::None;
    return true;
}

bool RegistryKey::DeleteValue(const QString& name) {
    if (GetValueType(name) == ValueType::None) {
        return false;
    }
    settings_->remove(groupFor(path_) + QLatin1Char('/') + storedName(name));
    flush();
    return settings_->status() == QSettings::NoError;
}

QString RegistryKey::FileName() const {
    return settings_->fileName();
}

} // namespace qa
