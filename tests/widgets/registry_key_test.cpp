#include "widgets/registry_key.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace qa {
namespace {

class RegistryKeyTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
    }
    QTemporaryDir dir;
};

TEST_F(RegistryKeyTest, EachRootIsItsOwnGroupOfTheFile) {
    RegistryKey key;
    EXPECT_EQ(key.GetRootKey(), RegistryKey::Root::CurrentUser);
    const std::pair<RegistryKey::Root, const char*> roots[] = {
        {RegistryKey::Root::ClassesRoot, "HKEY_CLASSES_ROOT"},
        {RegistryKey::Root::CurrentUser, "HKEY_CURRENT_USER"},
        {RegistryKey::Root::LocalMachine, "HKEY_LOCAL_MACHINE"},
        {RegistryKey::Root::Users, "HKEY_USERS"}};
    for (const auto& [root, group] : roots) {
        key.SetRootKey(root);
        ASSERT_TRUE(key.SetKey(QStringLiteral("Software"), true));
        ASSERT_TRUE(key.WriteString(QStringLiteral("Root"), QString::fromLatin1(group)));
    }
    QSettings file(key.FileName(), QSettings::IniFormat);
    for (const auto& [root, group] : roots) {
        EXPECT_EQ(
            file.value(QString::fromLatin1(group) + QStringLiteral("/Software/Root")).toString(),
            QString::fromLatin1(group));
    }
}

TEST_F(RegistryKeyTest, KeysAreOpenedOrCreatedAndLiveInTheApplicationSettingsFile) {
    {
        RegistryKey key;
        EXPECT_FALSE(key.SetKey(QStringLiteral("Software\\QuorinA1c\\Lists"), false));
        EXPECT_EQ(key.GetLastError(), RegistryKey::Error::NotFound);
        EXPECT_TRUE(key.GetKey().isEmpty());
        ASSERT_TRUE(key.SetKey(QStringLiteral("Software\\QuorinA1c\\Lists"), true));
        EXPECT_EQ(key.GetKey(), QStringLiteral("Software\\QuorinA1c\\Lists"));
        EXPECT_TRUE(key.FileName().startsWith(dir.path()));
        EXPECT_TRUE(key.FileName().contains(
            QStringLiteral("Local AppWizard-Generated Applications/QuorinA1cComm")));
    }
    RegistryKey again;
    EXPECT_TRUE(again.SetKey(QStringLiteral("\\Software\\QuorinA1c\\Lists\\"), false))
        << "an empty key exists after a restart";
    EXPECT_TRUE(again.SetKey(QStringLiteral("Software\\QuorinA1c"), false));
    EXPECT_TRUE(again.SetKey(QString(), false));
    EXPECT_TRUE(again.GetKey().isEmpty());
    again.SetRootKey(RegistryKey::Root::LocalMachine);
    EXPECT_FALSE(again.SetKey(QStringLiteral("Software\\QuorinA1c\\Lists"), false))
        << "each root has its own keys";

    EXPECT_FALSE(again.SetKey(QStringLiteral("a\\\\b"), true));
    EXPECT_FALSE(again.SetKey(QStringLiteral("a/b"), true));
    EXPECT_EQ(again.GetLastError(), RegistryKey::Error::InvalidParameter);
}

TEST_F(RegistryKeyTest, StringValuesReadBackWholeAndMissingOnesGiveTheDefault) {
    RegistryKey key;
    ASSERT_TRUE(key.SetKey(QStringLiteral("Software\\QuorinA1c"), true));
    EXPECT_EQ(key.GetValueType(QStringLiteral("Port")), RegistryKey::ValueType::None);
    EXPECT_EQ(key.ReadString(QStringLiteral("Port"), QStringLiteral("-1")), QStringLiteral("-1"));

    ASSERT_TRUE(key.WriteString(QStringLiteral("Port"), QStringLiteral("ttyUSB0")));
    ASSERT_TRUE(key.WriteString(QString(), QStringLiteral("default value")));
    const QString longText(1000, QLatin1Char('x'));
    ASSERT_TRUE(key.WriteString(QStringLiteral("Layout"), longText));

    RegistryKey reader;
    ASSERT_TRUE(reader.SetKey(QStringLiteral("Software\\QuorinA1c"), false));
    EXPECT_EQ(reader.GetValueType(QStringLiteral("Port")), RegistryKey::ValueType::String);
    EXPECT_EQ(reader.ReadString(QStringLiteral("Port"), QString()), QStringLiteral("ttyUSB0"));
    EXPECT_EQ(reader.ReadString(QString(), QString()), QStringLiteral("default value"));
    EXPECT_EQ(reader.ReadString(QStringLiteral("Layout"), QString()), longText);
    EXPECT_EQ(reader.GetValueType(QStringLiteral("@key")), RegistryKey::ValueType::None)
        << "reserved names stay hidden";
    EXPECT_FALSE(reader.WriteString(QStringLiteral("a/b"), QStringLiteral("x")));

    ASSERT_TRUE(reader.DeleteValue(QStringLiteral("Port")));
    EXPECT_EQ(reader.ReadString(QStringLiteral("Port"), QStringLiteral("gone")),
              QStringLiteral("gone"));
    EXPECT_TRUE(reader.SetKey(QStringLiteral("Software\\QuorinA1c"), false))
        << "the key outlives its values";
}

} // namespace
} // namespace qa
