#include "status_text.h"
#include "store/settings.h"
#include "temp_dir.h"

#include <clocale>
#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>
#include <limits>

using namespace qa;
using qa::test::FileExists;
using qa::test::ReadFile;
using qa::test::TempDir;
using qa::test::WriteFile;

namespace {

const char* const kDefaultFile = "[SETTING VALUE]\n"
                                 "HbA1c_unit=0\n"
                                 "Glucose_unit=0\n"
                                 "Date=0\n"
                                 "time=0\n"
                                 "HbA1c_high=6.7\n"
                                 "HbA1c_low=4.5\n"
                                 "Glucose_high=160.0\n"
                                 "Glucose_low=80.0\n"
                                 "lang=0\n"
                                 "Name=\n"
                                 "Hospital=\n"
                                 "Email=\n"
                                 "Command=\n";

} // namespace

TEST(Settings, AMissingFileIsWrittenWithAllThirteenDefaults) {
    TempDir dir;
    std::string path = SettingsFilePath(dir.Path(), "Basis");
    EXPECT_EQ(path, dir.Path() + "/Basis_set_info.ini");
    SettingsStore store;
    store.hba1cUnit = 1;
    store.name = "stale";
    ASSERT_TRUE(LoadSettings(path, store));
    EXPECT_EQ(ReadFile(path), kDefaultFile);
    EXPECT_EQ(store, SettingsStore{});
}

TEST(Settings, MissingKeysLoadAsMinusOne) {
    TempDir dir;
    std::string path = dir.File("u_set_info.ini");
    WriteFile(path, "[SETTING VALUE]\nHbA1c_unit=1\nHospital=  Seoul Clinic  \n");
    SettingsStore store;
    ASSERT_TRUE(LoadSettings(path, store));
    EXPECT_EQ(store.name, "-1");
    EXPECT_EQ(store.email, "-1");
    EXPECT_EQ(store.hospital, "Seoul Clinic");
    EXPECT_EQ(store.hba1cUnit, 1);
    EXPECT_EQ(store.glucoseUnit, -1);
    EXPECT_EQ(store.dateFormat, -1);
    EXPECT_EQ(store.language, -1);
    EXPECT_FLOAT_EQ(store.hba1cHigh, -1.0f);
    EXPECT_EQ(ReadFile(path), "[SETTING VALUE]\nHbA1c_unit=1\nHospital=  Seoul Clinic  \n")
        << "loading never writes an existing file";
}

TEST(Settings, SaveWritesOneDecimalLimitsAndKeepsOtherContent) {
    TempDir dir;
    std::string path = dir.File("u_set_info.ini");
    WriteFile(path, "; kept\n[SETTING VALUE]\nName=old\nExtra=kept\n[Other]\na=b\n");
    SettingsStore store;
    store.hba1cUnit = 1;
    store.glucoseUnit = 1;
    store.dateFormat = 2;
    store.timeFormat = 1;
    store.hba1cHigh = 7.26f;
    store.hba1cLow = 4.0f;
    store.glucoseHigh = 180.04f;
    store.glucoseLow = 70.0f;
    store.language = 0;
    store.name = "김철수";
    store.hospital = "O'Hara \"Clinic\"";
    store.email = "a@b.kr";
    store.command = "line one\r\nline two";
    ASSERT_TRUE(SaveSettings(path, store));
    EXPECT_EQ(ReadFile(path), "; kept\n[SETTING VALUE]\nName=김철수\nExtra=kept\n"
                              "HbA1c_unit=1\nGlucose_unit=1\nDate=2\ntime=1\n"
                              "HbA1c_high=7.3\nHbA1c_low=4.0\nGlucose_high=180.0\n"
                              "Glucose_low=70.0\nlang=0\nHospital=O'Hara \"Clinic\"\n"
                              "Email=a@b.kr\nCommand=line one  line two\n"
                              "[Other]\na=b\n");
    SettingsStore loaded;
    ASSERT_TRUE(LoadSettings(path, loaded));
    EXPECT_EQ(loaded.command, "line one  line two") << "a memo cannot add keys to the file";
    EXPECT_EQ(loaded.hospital, store.hospital);
    EXPECT_FLOAT_EQ(loaded.hba1cHigh, 7.3f);
    EXPECT_FLOAT_EQ(loaded.glucoseHigh, 180.0f);
}

TEST(Settings, LongTextsAreCutTo99BytesOnLoading) {
    TempDir dir;
    std::string path = dir.File("u_set_info.ini");
    SettingsStore store;
    store.name = std::string(150, 'n');
    ASSERT_TRUE(SaveSettings(path, store));
    ASSERT_TRUE(LoadSettings(path, store));
    EXPECT_EQ(store.name, std::string(99, 'n'));
}

// The failure names the file and the system's reason; what is there is never replaced.
TEST(Settings, AFileThatCannotBeReadKeepsItsContentAndLoadsDefaults) {
    TempDir dir;
    std::string path = dir.File("u_set_info.ini");
    std::filesystem::create_directory(path);
    WriteFile(path + "/inside", "x");
    SettingsStore store;
    store.hba1cUnit = 1;
    EXPECT_EQ(test::Why(LoadSettings(path, store)), path + ": Is a directory");
    EXPECT_EQ(store, SettingsStore{});
    EXPECT_EQ(ReadFile(path + "/inside"), "x");

    // Far larger than any settings file: something else under its name.
    const std::string broken = dir.File("v_set_info.ini");
    WriteFile(broken, "[SETTING VALUE]\nHbA1c_unit=1\n");
    std::filesystem::resize_file(broken, 17u << 20);
    store.hba1cUnit = 1;
    EXPECT_EQ(test::Why(LoadSettings(broken, store)), broken + ": File too large");
    EXPECT_EQ(store, SettingsStore{});
    EXPECT_EQ(test::Why(SaveSettings(broken, store)), broken + ": File too large");
    EXPECT_EQ(std::filesystem::file_size(broken), 17u << 20);

    const std::string gone = dir.File("gone/w_set_info.ini");
    EXPECT_EQ(test::Why(LoadSettings(gone, store)), gone + ": No such file or directory");
}

TEST(Settings, LeadingNumberParsing) {
    struct IntCase {
        const char* text;
        std::int32_t value;
    };
    for (const IntCase& c : std::vector<IntCase>{{"12", 12},
                                                 {"  7 days", 7},
                                                 {"-1", -1},
                                                 {"x1", 0},
                                                 {"", 0},
                                                 {"99999999999999", 2147483647},
                                                 {"-99999999999999", -2147483647 - 1}}) {
        EXPECT_EQ(LeadingInt(c.text), c.value) << c.text;
    }
    struct RealCase {
        const char* text;
        double value;
    };
    for (const RealCase& c : std::vector<RealCase>{{"6.7", 6.7},
                                                   {" 160.0 mg", 160.0},
                                                   {"-1", -1.0},
                                                   {"abc", 0.0},
                                                   {"nan", 0.0},
                                                   {"inf", 0.0}}) {
        EXPECT_DOUBLE_EQ(LeadingDouble(c.text), c.value) << c.text;
    }
    EXPECT_TRUE(std::isinf(LeadingDouble("1e999")));
}

TEST(Settings, NumbersDoNotFollowTheProcessLocale) {
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr &&
        std::setlocale(LC_NUMERIC, "de_DE") == nullptr) {
        GTEST_SKIP() << "no locale with a decimal comma installed";
    }
    std::string fixed = FixedText(6.7f, 1);
    double parsed = LeadingDouble("6.7");
    std::setlocale(LC_NUMERIC, "C");
    EXPECT_EQ(fixed, "6.7");
    EXPECT_DOUBLE_EQ(parsed, 6.7);
}

TEST(Settings, TargetLimitsAreNumbersWithinReachOfTheMeter) {
    SettingsStore store;
    store.hba1cHigh = 6.7F;
    store.glucoseHigh = 160.0F;
    const Status huge = ApplySettingsEntry(store, "Glucose_high", "99999999999999999999999");
    ASSERT_FALSE(huge);
    EXPECT_EQ(huge.error().id, MessageId::SettingOutOfRange);
    EXPECT_EQ(huge.error().args,
              (std::vector<std::string>{"Glucose_high", "0", "1000.0", "99999999999999999999999"}));
    EXPECT_FALSE(ApplySettingsEntry(store, "hba1c_high", "20.1"));
    EXPECT_EQ(store.hba1cHigh, 6.7F) << "a refused value leaves the setting as it was";
    EXPECT_EQ(store.glucoseHigh, 160.0F);
    const Status negative = ApplySettingsEntry(store, "HbA1c_low", "-1");
    ASSERT_FALSE(negative);
    EXPECT_EQ(negative.error().id, MessageId::SettingNotANumber);
    ASSERT_TRUE(ApplySettingsEntry(store, "HbA1c_high", "20"));
    ASSERT_TRUE(ApplySettingsEntry(store, "Glucose_low", "1000.0"));
    EXPECT_EQ(store.hba1cHigh, 20.0F);
    EXPECT_EQ(store.glucoseLow, 1000.0F);
}
