#include "os/Shell.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <exception>
#include <sstream>

#include "base/Failure.h"
#include "base/Utf8.h"
#include "os/CodePage.h"

namespace larkspan {
namespace {

// Double fork: the child exits at once and is reaped here, the grandchild runs the program
// and is adopted by init, so nothing is left to wait for and no zombie stays behind.
void LaunchDetached(const std::vector<std::string>& argv) {
  if (argv.empty()) return;
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  // Prepared before forking: only async-signal-safe calls may follow in the child.
  int devNull = open("/dev/null", O_RDWR | O_CLOEXEC);
  pid_t child = fork();
  if (child < 0) {
    if (devNull >= 0) close(devNull);
    return;
  }
  if (child == 0) {
    setsid();
    if (fork() == 0) {
      if (devNull >= 0) {
        dup2(devNull, STDIN_FILENO);
        dup2(devNull, STDOUT_FILENO);
        dup2(devNull, STDERR_FILENO);
      }
      execvp(args[0], args.data());
    }
    _exit(0);
  }
  if (devNull >= 0) close(devNull);
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
}

// The file goes as the bytes that name it on the disk: UTF-8, as the target file and every
// other path of the program reach the system, whatever the locale's character set.
std::vector<std::string> Arguments(const std::u16string& file, const std::u16string& parameters) {
  std::vector<std::string> argv{"xdg-open", ToUtf8(file)};
  std::istringstream words(ToNarrow(parameters));
  for (std::string word; words >> word;) argv.push_back(word);
  return argv;
}

}  // namespace

void ShellOpen(const std::u16string& file, const std::u16string& parameters) {
  if (file.empty()) return;  // nothing to open
  const ShellLauncher launcher = CurrentShellLauncher();
  try {
    if (launcher) {
      launcher(Arguments(file, parameters));
    } else {
      LaunchDetached(Arguments(file, parameters));
    }
  } catch (const Failure&) {
    // Opening is a courtesy: whatever goes wrong, the caller carries on.
  }
}

}  // namespace larkspan
