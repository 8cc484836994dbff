// A profile file of any content: reading never crashes, and a write of one key gives the
// value back and leaves the values of other sections (the current operator, the operator's
// name) as they were read before it.
#include "fuzz_common.h"
#include "store/profile_file.h"
#include "store/settings.h"

#include <cstdint>
#include <fstream>
#include <string>

using namespace qa;
using qa::fuzz::Broken;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static fuzz::Scratch scratch;
    const std::string folder = scratch.NewDataFolder();
    const std::string path = folder + "/user_set_info.ini";
    {
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    SettingsStore settings;
    // Any input may be refused; what matters is that nothing breaks and nothing leaks out.
    (void)LoadSettings(path, settings);
    std::string before = ReadProfileString(path, "UserInfo", "Name", "-1", 100);
    std::string other = ReadProfileString(path, "Count", "current_user", "-1", 100);
    if (WriteProfileString(path, "Fuzz", "Key", "value 1")) {
        if (ReadProfileString(path, "Fuzz", "Key", "-1", 100) != "value 1") {
            Broken("a written key does not read back");
        }
        if (ReadProfileString(path, "Count", "current_user", "-1", 100) != other && other != "-1") {
            Broken("a write changed another section's value");
        }
        if (ReadProfileString(path, "UserInfo", "Name", "-1", 100) != before && before != "-1") {
            Broken("a write changed the operator's name");
        }
    }
    // A refused write is reported to the caller; here only its traces in the folder count.
    (void)SaveSettings(path, settings);
    for (const auto& name : fuzz::Entries(folder)) {
        if (name != "user_set_info.ini") {
            Broken("a file left in the data folder: " + name);
        }
    }
    scratch.CheckNothingOutside();
    return 0;
}
