// A backup archive of any content checked and restored over a data folder: no crash, the
// check and the restore agree, and what the archive held is what the folder holds after.
// A refused archive leaves the data folder exactly as it was and nothing beside it; an
// accepted one replaces the folder with the manifest's files (sizes as listed, owner-only)
// and keeps the old folder aside, whole.
#include "fuzz_common.h"
#include "store/backup.h"

#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

using namespace qa;
using qa::fuzz::Broken;

namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string& path, const char* data, std::size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(data, static_cast<std::streamsize>(size));
}

const char kKept[] = "the data folder's own file";

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static fuzz::Scratch scratch;
    const std::string root = scratch.Root();
    const std::string archive = root + "/backup.tar";
    const std::string folder = scratch.NewDataFolder();
    const std::string aside = folder + ".before-restore-1";
    WriteAll(archive, reinterpret_cast<const char*>(data), size);
    WriteAll(folder + "/kept.txt", kKept, sizeof kKept - 1);

    std::vector<BackupMember> members;
    const Status checked = CheckBackup(archive, &members);
    if (!checked && checked.error().args.empty()) {
        Broken("a refused check names neither the archive nor a file");
    }
    if (fuzz::Entries(root) != std::set<std::string>{"backup.tar", "data"}) {
        Broken("the check left something beside the archive");
    }
    const Expected<RestoredFolder> restored = RestoreBackup(archive, folder, "1");
    if (restored.ok() != checked.ok()) {
        Broken("the restore and the check disagree about the archive");
    }
    if (!restored) {
        if (restored.error().args.empty()) {
            Broken("a refused restore names neither the archive nor a file");
        }
        if (fuzz::Entries(folder) != std::set<std::string>{"kept.txt"} ||
            ReadAll(folder + "/kept.txt") != kKept) {
            Broken("a refused restore changed the data folder");
        }
        if (fuzz::Entries(root) != std::set<std::string>{"backup.tar", "data"}) {
            Broken("a refused restore left something beside the data folder");
        }
    } else {
        if (restored->asidePath != aside ||
            fuzz::Entries(aside) != std::set<std::string>{"kept.txt"} ||
            ReadAll(aside + "/kept.txt") != kKept) {
            Broken("the replaced data folder is not kept whole aside");
        }
        std::set<std::string> names;
        for (const BackupMember& member : members) {
            struct stat st {};
            const std::string path = folder + "/" + member.name;
            if (!names.insert(member.name).second || ::lstat(path.c_str(), &st) != 0 ||
                !S_ISREG(st.st_mode) ||
                static_cast<unsigned long long>(st.st_size) != member.size ||
                (st.st_mode & 077) != 0) {
                Broken("a listed member was not restored as a private file of its size");
            }
        }
        if (fuzz::Entries(folder) != names) {
            Broken("the restored folder holds other files than the manifest lists");
        }
        if (fuzz::Entries(root) !=
            std::set<std::string>{"backup.tar", "data", "data.before-restore-1"}) {
            Broken("the restore left something beside the data folder");
        }
        fuzz::RemoveFolder(aside);
    }
    ::unlink(archive.c_str());
    scratch.CheckNothingOutside();
    return 0;
}
