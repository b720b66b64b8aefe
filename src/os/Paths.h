#pragma once
#include <cstddef>
#include <filesystem>
#include <string>

namespace larkspan {

// The folder of the running program.
std::filesystem::path ProgramFolder();
// The user's desktop folder as the Save dialog starts in it, with a trailing separator: on
// Linux the XDG desktop folder when the user's user-dirs.dirs names one, else $HOME/Desktop/;
// on Windows the user profile's Desktop folder.
std::u16string UserDesktopFolder();
// True when the path names a plain file, the kind a program reads its data from: not a folder
// or a device, and on Windows not a hidden or system file either.
bool IsNormalFile(const std::filesystem::path& path);
// True when the path names an existing file or folder; false for an empty path or whenever
// its existence cannot be established. On Linux a symbolic link there counts as existing,
// wherever it leads.
bool CheckPathExist(const std::u16string& path);
// The longest file name, in bytes of UTF-8, that the platform's file systems hold: 255 on
// Linux; no limit in bytes on Windows, which counts UTF-16 units.
std::size_t FileNameMaxBytes();

}  // namespace larkspan
