#include "app/data_folder.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace qa;

TEST(DataFolder, ChoosesExplicitThenAppDataThenXdgThenHome) {
    DataFolderInputs in;
    in.home = "/home/op";
    EXPECT_EQ(ResolveDataFolder(in), "/home/op/.local/share/OrvoA1c");
    in.xdgDataHome = "/xdg/Data/";
    EXPECT_EQ(ResolveDataFolder(in), "/xdg/Data/OrvoA1c") << "case kept, one separator";
    in.appData = "/Shared/Profile";
    EXPECT_EQ(ResolveDataFolder(in), "/Shared/Profile/OrvoA1c");
    in.explicitFolder = "/srv/clinic";
    EXPECT_EQ(ResolveDataFolder(in), "/srv/clinic") << "used as it is";
}

TEST(DataFolder, FolderNameIsNotAppendedTwiceWhateverItsCase) {
    DataFolderInputs in;
    in.appData = "/Shared/ORVOA1C";
    EXPECT_EQ(ResolveDataFolder(in), "/Shared/ORVOA1C");
    in.appData = "/Shared/orvoA1c/sub";
    EXPECT_EQ(ResolveDataFolder(in), "/Shared/orvoA1c/sub");
}

TEST(DataFolder, EnsureFolderCreatesWithoutMovingTheWorkingDirectory) {
    qa::test::TempDir dir;
    auto before = std::filesystem::current_path();
    std::string nested = dir.File("a/b/OrvoA1c");
    EXPECT_TRUE(EnsureFolder(nested));
    EXPECT_TRUE(std::filesystem::is_directory(nested));
    EXPECT_TRUE(EnsureFolder(nested)) << "an existing folder is fine";
    EXPECT_EQ(std::filesystem::current_path(), before);

    qa::test::WriteFile(dir.File("plain"), "x");
    EXPECT_FALSE(EnsureFolder(dir.File("plain"))) << "a file in the way is reported";
    EXPECT_FALSE(EnsureFolder(dir.File("plain/sub")));
}
