// Replays inputs through a fuzz target's entry point without libFuzzer, so the seed corpora
// run as ordinary tests in any build (GCC, sanitizers or none). Arguments are files or
// folders of files. The target runs in an empty working folder with TMPDIR pointing at a
// scratch folder, as scripts/fuzz gives it; both are removed at the end.
#include <dirent.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

void AddInputs(const std::string& path, std::vector<std::string>& inputs) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        std::fprintf(stderr, "no such input: %s\n", path.c_str());
        std::exit(2);
    }
    if (!S_ISDIR(st.st_mode)) {
        inputs.push_back(path);
        return;
    }
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(path.c_str())) {
        while (dirent* e = ::readdir(dir)) {
            if (e->d_name[0] != '.') {
                names.push_back(path + "/" + e->d_name);
            }
        }
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        AddInputs(name, inputs);
    }
}

int RemoveEntry(const char* path, const struct stat*, int, struct FTW*) {
    return ::remove(path);
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> inputs;
    for (int i = 1; i < argc; ++i) {
        AddInputs(argv[i], inputs);
    }
    if (inputs.empty()) {
        std::fprintf(stderr, "usage: %s FILE-OR-FOLDER...\n", argv[0]);
        return 2;
    }
    // Absolute names: the working folder changes below.
    for (std::string& input : inputs) {
        if (input.front() != '/') {
            char* cwd = ::getcwd(nullptr, 0);
            input = std::string(cwd) + "/" + input;
            std::free(cwd);
        }
    }
    const char* tmp = std::getenv("TMPDIR");
    std::string root = std::string(tmp && *tmp ? tmp : "/tmp") + "/qa-replay-XXXXXX";
    if (::mkdtemp(root.data()) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::string work = root + "/work";
    const std::string scratch = root + "/tmp";
    if (::mkdir(work.c_str(), 0700) != 0 || ::mkdir(scratch.c_str(), 0700) != 0 ||
        ::chdir(work.c_str()) != 0) {
        std::perror(root.c_str());
        return 1;
    }
    ::setenv("TMPDIR", scratch.c_str(), 1);
    for (const std::string& input : inputs) {
        std::ifstream file(input, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(file)),
                                std::istreambuf_iterator<char>());
        if (!file.good() && !file.eof()) {
            std::fprintf(stderr, "cannot read %s\n", input.c_str());
            return 1;
        }
        // Named first: a broken invariant aborts, and the log then says which input it was.
        std::fprintf(stderr, "%s (%zu bytes)\n", input.c_str(), bytes.size());
        (void)LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                     bytes.size());
    }
    if (::chdir("/") == 0) {
        ::nftw(root.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
    }
    std::fprintf(stderr, "%zu inputs replayed\n", inputs.size());
    return 0;
}
