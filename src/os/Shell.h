#pragma once
// Hands a file or an address to the desktop, which opens it with the user's default
// application. Never waits for it and never reports anything.
#include <functional>
#include <string>
#include <vector>

namespace larkspan {

void ShellOpen(const std::u16string& file, const std::u16string& parameters);

// Hands the file over and returns at once. It gets the platform's call as text, the file or
// address always second: on Linux xdg-open's argv (argv[0] its name); on Windows
// "ShellExecuteW", the file, the verb ("" or "open") and the parameters, in UTF-8.
using ShellLauncher = std::function<void(const std::vector<std::string>& argv)>;
// Replaces the launcher (for tests); returns the previous one. An empty launcher restores the
// default: xdg-open from PATH, detached, leaving no zombie behind; ShellExecuteW on Windows.
ShellLauncher SetShellLauncher(ShellLauncher launcher);
// The launcher set by SetShellLauncher; empty for the platform's own.
ShellLauncher CurrentShellLauncher();

}  // namespace larkspan
