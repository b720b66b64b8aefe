#pragma once
// Hands a file or an address to the desktop, which opens it with the user's default
// application. Never waits for it and never reports anything.
#include <functional>
#include <string>
#include <vector>

namespace larkspan {

void ShellOpen(const std::u16string& file, const std::u16string& parameters);

// Starts a program with these arguments (argv[0] is its name) and returns at once.
using ShellLauncher = std::function<void(const std::vector<std::string>& argv)>;
// Replaces the launcher (for tests); returns the previous one. An empty launcher restores the
// default, which starts xdg-open from PATH, detached, leaving no zombie behind.
ShellLauncher SetShellLauncher(ShellLauncher launcher);

}  // namespace larkspan
