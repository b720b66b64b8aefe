#include "os/Paths.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <fstream>
#include <string>

#include "os/CodePage.h"

namespace larkspan {
namespace {

std::string HomeFolder() {
  if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') return home;
  const passwd* entry = getpwuid(getuid());
  return entry != nullptr && entry->pw_dir != nullptr ? entry->pw_dir : "";
}

std::string ConfigFolder(const std::string& home) {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  return config != nullptr && *config == '/' ? config : home + "/.config";
}

// The XDG_DESKTOP_DIR line of user-dirs.dirs: "$HOME/..." or an absolute path, in quotes.
std::string XdgDesktopFolder(const std::string& home) {
  std::ifstream file(ConfigFolder(home) + "/user-dirs.dirs");
  const std::string key = "XDG_DESKTOP_DIR=";
  for (std::string line; std::getline(file, line);) {
    if (line.rfind(key, 0) != 0) continue;
    std::string value = line.substr(key.size());
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
      value = value.substr(1, value.size() - 2);
    }
    if (value.rfind("$HOME", 0) == 0) value = home + value.substr(5);
    if (!value.empty() && value.front() == '/') return value;
  }
  return {};
}

}  // namespace

std::filesystem::path ProgramFolder() {
  std::error_code error;
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::filesystem::path() : program.parent_path();
}

std::u16string UserDesktopFolder() {
  std::string home = HomeFolder();
  std::string desktop = XdgDesktopFolder(home);
  if (desktop.empty()) desktop = home + "/Desktop";
  if (desktop.back() != '/') desktop += '/';
  return ToWide(desktop);
}

bool IsNormalFile(const std::filesystem::path& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(path, error);
}

bool CheckPathExist(const std::u16string& path) {
  if (path.empty()) return false;
  // A symbolic link counts as what it is, an existing entry, even when it leads nowhere.
  struct stat info {};
  return lstat(std::filesystem::path(path).c_str(), &info) == 0;
}

std::size_t FileNameMaxBytes() {
  return NAME_MAX;
}

}  // namespace larkspan
