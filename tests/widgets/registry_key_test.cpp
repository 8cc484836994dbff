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

TEST_F(RegistryKeyTest, OnlyTheFourPredefinedRootsAreAccepted) {
    RegistryKey key;
    EXPECT_EQ(key.GetRootKey(), RegistryKey::CurrentUser);
    for (quint32 root : {0x80000000u, 0x80000001u, 0x80000002u, 0x80000003u}) {
        EXPECT_TRUE(key.SetRootKey(root)) << std::hex << root;
        EXPECT_EQ(key.GetRootKey(), root);
    }
    for (quint32 root : {0x80000004u, 0x80000005u, 0x7FFFFFFFu, 0u, 0xFFFFFFFFu}) {
        EXPECT_FALSE(key.SetRootKey(root)) << std::hex << root;
        EXPECT_EQ(key.GetRootKey(), RegistryKey::Users) << "the root stays as it was";
        EXPECT_NE(key.GetLastError(), 0u);
    }
}

TEST_F(RegistryKeyTest, KeysAreOpenedOrCreatedAndLiveInTheApplicationSettingsFile) {
    {
        RegistryKey key;
        EXPECT_FALSE(key.SetKey(QStringLiteral("Software\\QuorinA1c\\Lists"), false));
        EXPECT_EQ(key.GetLastError(), quint32(RegistryKey::ErrorFileNotFound));
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
    again.SetRootKey(RegistryKey::LocalMachine);
    EXPECT_FALSE(again.SetKey(QStringLiteral("Software\\QuorinA1c\\Lists"), false))
        << "each root has its own keys";

    EXPECT_FALSE(again.SetKey(QStringLiteral("a\\\\b"), true));
    EXPECT_FALSE(again.SetKey(QStringLiteral("a/b"), true));
    EXPECT_EQ(again.GetLastError(), quint32(RegistryKey::ErrorInvalidParameter));
}

TEST_F(RegistryKeyTest, StringValuesReadBackWholeAndMissingOnesGiveTheDefault) {
    RegistryKey key;
    ASSERT_TRUE(key.SetKey(QStringLiteral("Software\\QuorinA1c"), true));
    EXPECT_EQ(key.GetValueType(QStringLiteral("Port")), 0u);
    EXPECT_EQ(key.ReadString(QStringLiteral("Port"), QStringLiteral("-1")), QStringLiteral("-1"));

    ASSERT_TRUE(key.WriteString(QStringLiteral("Port"), QStringLiteral("ttyUSB0")));
    ASSERT_TRUE(key.WriteString(QString(), QStringLiteral("default value")));
    const QString longText(1000, QLatin1Char('x'));
    ASSERT_TRUE(key.WriteString(QStringLiteral("Layout"), longText));

    RegistryKey reader;
    ASSERT_TRUE(reader.SetKey(QStringLiteral("Software\\QuorinA1c"), false));
    EXPECT_EQ(reader.GetValueType(QStringLiteral("Port")), quint32(RegistryKey::TypeString));
    EXPECT_EQ(reader.ReadString(QStringLiteral("Port"), QString()), QStringLiteral("ttyUSB0"));
    EXPECT_EQ(reader.ReadString(QString(), QString()), QStringLiteral("default value"));
    EXPECT_EQ(reader.ReadString(QStringLiteral("Layout"), QString()), longText);
    EXPECT_EQ(reader.GetValueType(QStringLiteral("@key")), 0u) << "reserved names stay hidden";
    EXPECT_FALSE(reader.WriteString(QStringLiteral("a/b"), QStringLiteral("x")));

    ASSERT_TRUE(reader.DeleteValue(QStringLiteral("Port")));
    EXPECT_EQ(reader.ReadString(QStringLiteral("Port"), QStringLiteral("gone")),
              QStringLiteral("gone"));
    EXPECT_TRUE(reader.SetKey(QStringLiteral("Software\\QuorinA1c"), false))
        << "the key outlives its values";
}

} // namespace
} // namespace qa
