#pragma once

#include <QString>

#include <memory>

class QSettings;

namespace qa {

// Part of the widget set the program was designed with; no part of this program uses it at
// present (the settings live in the program's own files). It is kept, with its tests.
//
// Registry keys and string values kept in the application's INI settings file: each
// predefined root is a top-level group, a sub-key path ("Software\\Vendor\\App") the groups
// below it. Keys exist on their own, even without values.
class RegistryKey {
public:
    // The predefined roots; each is a top-level group of the file, named as the system
    // names the root ("HKEY_CURRENT_USER"), so the file reads like an exported registry.
    enum class Root { ClassesRoot, CurrentUser, LocalMachine, Users };
    enum class ValueType { None, String, ExpandString, Binary, Number };
    enum class Error { None, NotFound, AccessDenied, InvalidParameter };

    static constexpr const char* kOrganization = "Local AppWizard-Generated Applications";
    static constexpr const char* kApplication = "QuorinA1cComm";

    // The application's settings file in the user's configuration folder.
    RegistryKey();
    // An explicit INI file (tests, tools).
    explicit RegistryKey(const QString& iniPath);
    ~RegistryKey();
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    void SetRootKey(Root root) { root_ = root; }
    Root GetRootKey() const { return root_; }

    // An empty sub-key clears the current path. Otherwise opens the key, or creates it with
    // `create`; false when it does not exist (or the path is malformed).
    [[nodiscard]] bool SetKey(const QString& subKey, bool create);
    QString GetKey() const { return path_; }

    // ValueType::None when the key or the value does not exist.
    ValueType GetValueType(const QString& name) const;
    // The whole value, whatever its length; the default for a missing or non-text value.
    QString ReadString(const QString& name, const QString& defaultValue) const;
    [[nodiscard]] bool WriteString(const QString& name, const QString& value);
    [[nodiscard]] bool DeleteValue(const QString& name);

    void SetNoFlush(bool noFlush) { noFlush_ = noFlush; }
    Error GetLastError() const { return lastError_; }
    QString FileName() const;

private:
    QString rootGroup() const;
    QString groupFor(const QString& path) const;
    bool keyExists(const QString& path) const;
    static bool normalise(const QString& subKey, QString& path);
    static bool validValueName(const QString& name);
    void flush();

    std::unique_ptr<QSettings> settings_;
    mutable Error lastError_ = Error::None;
    Root root_ = Root::CurrentUser;
    bool noFlush_ = false;
    QString path_;
};

} // namespace qa
