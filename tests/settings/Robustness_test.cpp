// The settings layer under abuse: a registry writer killed in the middle of a write, and
// language files far larger or stranger than any translator sends.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sqlite3.h>
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
#include "support/HeadlessBackend.h"

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
  const std::size_t colon = text.find(u':');
  if (colon == std::u16string::npos || colon == 0) return false;
  return text == ValueText(static_cast<std::uint32_t>(std::stoul(ToUtf8(text.substr(0, colon)))));
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
  sqlite3* db = nullptr;
  std::string result = "cannot open";
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &statement, nullptr);
    result = sqlite3_step(statement) == SQLITE_ROW
                 ? reinterpret_cast<const char*>(sqlite3_column_text(statement, 0))
                 : "no answer";
    sqlite3_finalize(statement);
  }
  sqlite3_close(db);
  return result;
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

    for (std::uint32_t i = 0; i <= last; ++i) {
      const std::optional<std::u16string> value =
          AdvancedRegistryCM().GetStringValue(kKey, FromUtf8("n" + std::to_string(i)));
      ASSERT_TRUE(value && *value == ValueText(i)) << "n" << i;
    }
    for (std::uint32_t k = 0; k < 10; ++k) {
      const std::optional<std::u16string> slot =
          AdvancedRegistryCM().GetStringValue(kKey, FromUtf8("slot" + std::to_string(k)));
      // A slot past the last reported write may not have been written yet.
      const bool missingMayBe = k > last && slot == u"Error";
      ASSERT_TRUE(missingMayBe || (slot && IsWholeValue(*slot))) << "slot" << k;
    }
    EXPECT_EQ(IntegrityCheck(folder.Database()), "ok");
    EXPECT_TRUE(ui.messages.empty());
  }
}

// ------------------------------------------------------------------ language files

std::string HeaderLine() {
  return "0000 " + ToUtf8(LangFileHeader) + "\r\n";
}

TEST(HugeLanguageFiles, LoadWithoutACrashAndReportWhatTheyHold) {
  test::SettingsTestFolder folder;
  const std::filesystem::path file = folder.Root() / "Lang/Big.lng";
  struct Case {
    const char* name;
    std::string bytes;
    std::int16_t result;
  };
  std::string tenMiB = HeaderLine() + "0012 ";
  tenMiB.append(10u << 20, 'x');
  tenMiB += "_end\r\n";
  std::string lines = HeaderLine();
  for (int i = 0; i < 100'000; ++i) {
    lines += std::to_string(1000 + i % 400) + " line " + std::to_string(i) + "\r\n";
  }
  std::mt19937 random(20090);
  std::string noise(1u << 20, '\0');
  for (char& c : noise) c = static_cast<char>(random());
  // The same noise with the header after it: whatever the noise sets, the last header wins.
  const std::string noiseThenHeader = noise + "\r" + HeaderLine();

  for (const Case& c : {Case{"10 MiB entry", tenMiB, 0}, Case{"100 000 lines", lines, 0},
                        Case{"random bytes", noise, 1},
                        Case{"random bytes, then the header", noiseThenHeader, 0}}) {
    SCOPED_TRACE(c.name);
    test::SettingsTestFolder::WriteBytes(file, c.bytes);
    LangTable table;
    EXPECT_EQ(LoadLanguageFile(FromUtf8(file.string()), table), c.result);
    EXPECT_EQ(table[0], u"");
    if (c.bytes == tenMiB) {
      EXPECT_EQ(table[12].size(), (10u << 20) + 4);
      EXPECT_EQ(table[12].substr(table[12].size() - 4), u"\rend");
    }
    if (c.bytes == lines) {
      EXPECT_EQ(table[1399], u"line 99999");
    }
  }
}

}  // namespace
}  // namespace larkspan
