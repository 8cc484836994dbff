#pragma once

#include "store/prompter.h"

#include <optional>
#include <string>
#include <vector>

#ifndef QT_TRANSLATE_NOOP
#define QT_TRANSLATE_NOOP(context, text) text
#endif

namespace qa {

inline constexpr const char* kDataFolderName = "OrvoA1c";

// Where the per-user files live. An explicit folder (--data-dir) is used as it is;
// otherwise APPDATA when set (kept for installations that share a profile folder with the
// Windows program), else the XDG data home. "OrvoA1c" is appended unless the path already
// names that folder, compared without regard to case; the path itself keeps its case.
struct DataFolderInputs {
    std::optional<std::string> explicitFolder;
    std::optional<std::string> appData;
    std::optional<std::string> xdgDataHome;
    std::optional<std::string> home;
};

std::string ResolveDataFolder(const DataFolderInputs& inputs);
DataFolderInputs DataFolderInputsFromEnvironment();

// Makes sure the folder exists without touching the working directory. Missing parents are
// created too: on a fresh account ~/.local/share may not exist yet, and a data folder that
// silently fails to appear would make every later save fail. Returns false when the path
// cannot be made a folder.
[[nodiscard]] bool EnsureFolder(const std::string& path);

// Whether the folder lies on a file system mounted read-only (a CD, a write-protected stick,
// a read-only share): the window then opens it to read, with no lock and no changes.
bool OnReadOnlyMedia(const std::string& path);

// Patients' results are for this account only: files the program creates are 0600 and the
// data folder 0700. Sets the process's file mode mask accordingly.
void UsePrivateFileModes();
// A data folder that other accounts can read (made by an older version, or copied in) is
// made private once, with every file in it; returns true when it did, false when the folder
// was private already or could not be changed. The operator is then told so with
// kPrivateFolderMessage, %1 the folder.
[[nodiscard]] bool MakeDataFolderPrivate(const std::string& path);
inline constexpr const char* kPrivateFolderMessage =
    QT_TRANSLATE_NOOP("qa::Startup", "The data folder could be read by other accounts of this "
                                     "computer. It and its files are now private to this "
                                     "account: %1");

// Temporary files left in the data folder by a copy that was killed while writing: the
// hidden ".NAME.tmp-PID-N" files of an owner that no longer runs (and their journals), and
// the user-file rewrite's "user_info_d.ini". Only called while holding the folder's lock.
// Returns the paths it removed.
std::vector<std::string> RemoveStaleTempFiles(const std::string& path);

// Settles what interrupted work left, at start while holding the folder's lock: a restore's
// copies beside the folder, an operator delete or restore half-way, audit entries staged or
// announced but not yet in the log, files of an operator add that never registered. Returns
// the texts to tell the operator (each a kept copy or file that holds data, named).
std::vector<std::string> SettleInterruptedWork(const std::string& path);
inline constexpr const char* kKeptAsideMessage =
    QT_TRANSLATE_NOOP("qa::Startup", "A restore was interrupted. The data folder it replaced is "
                                     "kept as %1");
inline constexpr const char* kUnregisteredFilesMessage =
    QT_TRANSLATE_NOOP("qa::Startup", "Files of an operator that was never added hold results "
                                     "and were kept: %1");
// A restore interrupted between its two renames (where the file system cannot exchange two
// folders) leaves no data folder, only the copy set aside. %1 the data folder, %2 the copy.
inline constexpr const char* kSetAsideCopyMessage =
    QT_TRANSLATE_NOOP("qa::Startup", "The data folder %1 is missing. A restore was interrupted "
                                     "and the earlier data folder is kept as %2. Move it back "
                                     "to %1 to use it; no empty data folder was made.");
// The window's start: when the data folder is missing beside a copy set aside by a restore,
// asks through `prompter` whether to use the copy, and renames it back on yes. `copy` gets
// the copy's path. The caller makes no data folder unless the answer is NoCopy or PutBack.
enum class SetAsideAnswer { NoCopy, PutBack, Declined, Failed };
SetAsideAnswer OfferSetAsideCopy(const std::string& folder, Prompter& prompter,
                                 std::string* copy = nullptr);
inline constexpr const char* kSetAsideCopyQuestion =
    QT_TRANSLATE_NOOP("qa::Startup", "The data folder %1 is missing. A restore was interrupted "
                                     "and the earlier data folder is kept as %2.\n\nUse that "
                                     "copy as the data folder again?");

} // namespace qa
