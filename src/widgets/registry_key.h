#pragma once

#include <QString>

#include <memory>

class QSettings;

namespace qa {

// Registry keys and string values kept in the application's INI settings file: each
// predefined root is a top-level group, a sub-key path ("Software\\Vendor\\App") the groups
// below it. Keys exist on their own, even without values.
class RegistryKey {
public:
    enum Root : quint32 {
        ClassesRoot = 0x80000000,
        CurrentUser = 0x80000001,
        LocalMachine = 0x80000002,
        Users = 0x80000003,
    };
    enum ValueType : quint32 {
        TypeNone = 0,
        TypeString = 1,
        TypeExpandString = 2,
        TypeBinary = 3,
        TypeDword = 4
    };
    enum Error : quint32 {
        ErrorNone = 0,
        ErrorFileNotFound = 2,
        ErrorAccessDenied = 5,
        ErrorInvalidParameter = 87
    };

    static constexpr const char* kOrganization = "Local AppWizard-Generated Applications";
    static constexpr const char* kApplication = "QuorinA1cComm";

    // The application's settings file in the user's configuration folder.
    RegistryKey();
    // An explicit INI file (tests, tools).
    explicit RegistryKey(const QString& iniPath);
    ~RegistryKey();
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    // Only the four predefined roots are accepted; anything else leaves the root unchanged.
    bool SetRootKey(quint32 root);
    quint32 GetRootKey() const { return root_; }

    // An empty sub-key clears the current path. Otherwise opens the key, or creates it with
    // `create`; false when it does not exist (or the path is malformed).
    bool SetKey(const QString& subKey, bool create);
    QString GetKey() const { return path_; }

    // TypeNone when the key or the value does not exist.
    quint32 GetValueType(const QString& name) const;
    // The whole value, whatever its length; the default for a missing or non-text value.
    QString ReadString(const QString& name, const QString& defaultValue) const;
    bool WriteString(const QString& name, const QString& value);
    bool DeleteValue(const QString& name);

    void SetNoFlush(bool noFlush) { noFlush_ = noFlush; }
    quint32 GetLastError() const { return lastError_; }
    QString FileName() const;

private:
    QString rootGroup() const;
    QString groupFor(const QString& path) const;
    bool keyExists(const QString& path) const;
    static bool normalise(const QString& subKey, QString& path);
    static bool validValueName(const QString& name);
    void flush();

    std::unique_ptr<QSettings> settings_;
    mutable quint32 lastError_ = ErrorNone;
    quint32 root_ = CurrentUser;
    bool noFlush_ = false;
    QString path_;
};

} // namespace qa
