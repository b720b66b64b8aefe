// The settings layer under abuse: a registry writer killed in the middle of a write, and
// language files far larger or stranger than any translator sends.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <random>
#include <string>
#include <thread>

#include "SettingsTestFolder.h"
#include "platform/CodePage.h"
#include "settings/AdvancedRegistryCM.h"
#include "settings/LangM.h"
#include "settings/SqliteConnection.h"
#include "support/HeadlessBackend.h"
#include "toolkit/NumberText.h"

namespace larkspan {
namespace {

constexpr char16_t kKey[] = u"HKEY_CURRENT_USER\\Software\\Quillmere\\Robustness";

// Value `i`: its number and a filling that depends on it, so that a torn or mixed-up value
// shows. 200 characters, well inside what GetStringValue returns whole.
std::u16string ValueText(std::uint32_t i) {
  std::u16string text = FromUtf8(std::to_string(i) + ":");
  text.resize(200, static_cast<char16_t>(u'a' + i % 26));
  return text;
}

bool IsWholeValue(const std::u16string& text) {
  return text == ValueText(static_cast<std::uint32_t>(LeadingNumber(text)));
}

// Writes values for ever, each through a fresh instance as the program uses the class: new
// names "n<i>" and ten names "slot<k>" overwritten in turn. Reports each write to `fd`.
[[noreturn]] void WriteForEver(int fd) {
  AdvancedRegistryCM().CreateKey(kKey);
  for (std::uint32_t i = 0;; ++i) {
    AdvancedRegistryCM registry;
    const std::u16string slot = FromUtf8("slot" + std::to_string(i % 10));
    if (!registry.SetStringValue(kKey, FromUtf8("n" + std::to_string(i)), ValueText(i)) ||
        !registry.SetStringValue(kKey, slot, ValueText(i))) {
      _exit(2);
    }
    if (write(fd, &i, sizeof i) != sizeof i) _exit(3);
  }
}

std::string IntegrityCheck(const std::string& path) {
  SqliteConnection db(path, false);
  SqliteStatement check(db, "PRAGMA integrity_check");
  return check.Step() ? check.Text(0) : "no answer";
}

TEST(RegistryKill, StoreStaysWholeWhenItsWriterIsKilledMidWrite) {
  std::mt19937 random(std::random_device{}());
  for (int round = 0; round < 4; ++round) {
    test::SettingsTestFolder folder;
    test::HeadlessBackend ui;
    int report[2];
    ASSERT_EQ(pipe(report), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      close(report[0]);
      WriteForEver(report[1]);
    }
    close(report[1]);
    // Let it get going, then kill it at a moment that no write is aligned with.
    std::uint32_t last = 0;
    pollfd watch{report[0], POLLIN, 0};
    ASSERT_GT(poll(&watch, 1, 10'000), 0);
    ASSERT_EQ(read(report[0], &last, sizeof last), static_cast<ssize_t>(sizeof last));
    std::this_thread::sleep_for(std::chrono::microseconds(20'000 + random() % 400'000));
    kill(child, SIGKILL);
    while (read(report[0], &last, sizeof last) == sizeof last) {
    }
    int status = 0;
    waitpid(child, &status, 0);
    close(report[0]);
    ASSERT_TRUE(WIFSIGNALED(status)) << "round " << round << ": the writer ended by itself";
    SCOPED_TRACE("round " + std::to_string(round) + ", last write reported " +
                 std::to_string(last));

    const auto value = [](const std::string& name) {
      return AdvancedRegistryCM().GetStringValue(kKey, FromUtf8(name));
    };
    for (std::uint32_t i = 0; i <= last; ++i)
      ASSERT_EQ(value("n" + std::to_string(i)), ValueText(i));
    for (std::uint32_t k = 0; k < 10; ++k) {
      const std::optional<std::u16string> slot = value("slot" + std::to_string(k));
      // A slot past the last reported write may not have been written yet.
      ASSERT_TRUE((k > last && slot == u"Error") || (slot && IsWholeValue(*slot))) << "slot" << k;
    }
    EXPECT_EQ(IntegrityCheck(folder.Database()), "ok");
    EXPECT_TRUE(ui.messages.empty());
  }
}

TEST(HugeLanguageFiles, LoadWithoutACrashAndReportWhatTheyHold) {
  test::SettingsTestFolder folder;
  const std::filesystem::path file = folder.Root() / "Lang/Big.lng";
  const std::string header = test::LangHeaderLine();
  std::string lines = header;
  for (int i = 0; i < 100'000; ++i) {
    lines += std::to_string(1000 + i % 400) + " line " + std::to_string(i) + "\r\n";
  }
  std::mt19937 random(20090);
  std::string noise(1u << 20, '\0');
  for (char& c : noise) c = static_cast<char>(random());
  const struct {
    const char* name;
    std::string bytes;
    std::int16_t result;
    int entry;
    std::u16string text;
  } cases[] = {
      {"10 MiB entry", header + "0012 " + std::string(10u << 20, 'x') + "_end\r\n", 0, 12,
       std::u16string(10u << 20, u'x') + u"\rend"},
      {"100 000 lines", lines, 0, 1399, u"line 99999"},
      {"random bytes", noise, 1, 0, u""},
      // Whatever the noise sets, the last header wins.
      {"random bytes, then the header", noise + "\r" + header, 0, 0, u""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    test::SettingsTestFolder::WriteBytes(file, c.bytes);
    LangTable table;
    EXPECT_EQ(LoadLanguageFile(FromUtf8(file.string()), table), c.result);
    EXPECT_EQ(table[0], u"");
    EXPECT_TRUE(table[c.entry] == c.text) << "entry " << c.entry << ": " << table[c.entry].size();
  }
}

}  // namespace
}  // namespace larkspan
