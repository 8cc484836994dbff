#include "app/cli_common.h"

#include "store/folder_check.h"

namespace qa::cli {

int Cli::Check() {
    if (int code = Extra(1); code != kExitOk) {
        return code;
    }
    // A folder named here is checked instead of the data folder: a copy before it is used.
    const std::string folder = options_.positional.empty() ? folder_ : options_.positional[0];
    const std::vector<FolderFinding> findings = CheckDataFolder(folder);
    for (const FolderFinding& finding : findings) {
        (finding.kind == FolderFinding::Kind::Fine ? out_ : err_)
            << ConsoleText(MessageUtf8(finding.message)) << "\n";
    }
    return FoundProblems(findings) ? kExitFailed : kExitOk;
}

} // namespace qa::cli
