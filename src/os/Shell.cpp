#include "os/Shell.h"

#include <mutex>

namespace larkspan {
namespace {

std::mutex launcherMutex;
ShellLauncher customLauncher;

}  // namespace

ShellLauncher SetShellLauncher(ShellLauncher launcher) {
  std::lock_guard lock(launcherMutex);
  ShellLauncher previous = std::move(customLauncher);
  customLauncher = std::move(launcher);
  return previous;
}

ShellLauncher CurrentShellLauncher() {
  std::lock_guard lock(launcherMutex);
  return customLauncher;
}

}  // namespace larkspan
