#include "settings/SqliteRegistryStore.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "SettingsTestFolder.h"

namespace larkspan {
namespace {

class StoreTest : public ::testing::Test {
 protected:
  // Creates the key and leaves it open for writing.
  RegHandle Create(const std::string& path) {
    RegHandle key = 0;
    EXPECT_EQ(store.CreateKey(kHkeyCurrentUser, path, key), kErrorSuccess) << path;
    return key;
  }
  static std::int32_t Set(RegistryStore& to, RegHandle key, const std::string& name,
                          const std::string& text) {
    return to.SetValue(key, name, kRegSz, text.c_str(),
                       static_cast<std::uint32_t>(text.size() + 1));
  }
  std::int32_t Open(const std::string& path, RegHandle& key) {
    return store.OpenKey(kHkeyCurrentUser, path, kKeyRead, key);
  }

  test::SettingsTestFolder folder;
  SqliteRegistryStore store;
};

TEST_F(StoreTest, ReadingCreatesNothingAndTheFileIsTheUsersOnly) {
  RegHandle key = 0;
  EXPECT_EQ(Open("Software", key), kErrorFileNotFound);
  EXPECT_EQ(store.DeleteKey(kHkeyCurrentUser, "Software"), kErrorFileNotFound);
  EXPECT_FALSE(std::filesystem::exists(folder.Database().parent_path()));
  Create("Software");
  struct stat info;
  ASSERT_EQ(stat(folder.Database().c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST_F(StoreTest, NamesKeepTheirFirstSpelling) {
  Create("Software\\Mixed\xc3\x84");  // ends in a capital A with umlaut
  RegHandle again = Create("SOFTWARE\\mIXED\xc3\xa4");
  ASSERT_EQ(Set(store, again, "Name", "one"), kErrorSuccess);
  ASSERT_EQ(Set(store, again, "NAME", "two"), kErrorSuccess);
  RegHandle software = 0;
  ASSERT_EQ(Open("software", software), kErrorSuccess);
  std::string name, data;
  EXPECT_EQ(store.EnumKey(software, 0, name), kErrorSuccess);
  EXPECT_EQ(name, "Mixed\xc3\x84");
  EXPECT_EQ(store.EnumKey(software, 1, name), kErrorNoMoreItems);
  std::uint32_t type = 0;
  EXPECT_EQ(store.EnumValue(again, 0, name, type, data), kErrorSuccess);
  EXPECT_EQ(name + data, std::string("Nametwo", 8));
  EXPECT_EQ(store.EnumValue(again, 1, name, type, data), kErrorNoMoreItems);
}

TEST_F(StoreTest, RefusesWhatTheRegistryRefuses) {
  RegHandle key = Create("Parent\\Child");
  EXPECT_EQ(store.DeleteKey(kHkeyCurrentUser, ""), kErrorAccessDenied);
  EXPECT_EQ(store.CreateKey(kHkeyCurrentUser, "Parent\\\\Child", key), kErrorBadPathname);
  RegHandle readOnly = 0;
  ASSERT_EQ(Open("Parent\\Child", readOnly), kErrorSuccess);
  EXPECT_EQ(Set(store, readOnly, "Name", "x"), kErrorAccessDenied);

  ASSERT_EQ(Set(store, key, "Name", "twelve"), kErrorSuccess);
  char buffer[4];
  std::uint32_t size = sizeof buffer;
  EXPECT_EQ(store.QueryValue(key, "Name", nullptr, buffer, &size), kErrorMoreData);
  EXPECT_EQ(size, 7u);

  ASSERT_EQ(store.DeleteKey(kHkeyCurrentUser, "Parent\\Child"), kErrorSuccess);
  EXPECT_EQ(Set(store, key, "Name", "x"), kErrorKeyDeleted);  // opened before the delete
  EXPECT_EQ(store.CloseKey(key), kErrorSuccess);
  EXPECT_EQ(store.CloseKey(key), kErrorInvalidHandle);
}

TEST_F(StoreTest, UnusableFilesAnswerWithCodes) {
  test::SettingsTestFolder::WriteBytes(folder.Database(), std::string(8192, '\x5a'));
  RegHandle key = 0;
  EXPECT_EQ(Open("Software", key), kErrorRegistryCorrupt);
  EXPECT_EQ(store.CreateKey(kHkeyCurrentUser, "Software", key), kErrorRegistryCorrupt);
  std::filesystem::remove(folder.Database());
  std::filesystem::create_directory(folder.Database());  // a folder where the file belongs
  SqliteRegistryStore other;
  EXPECT_NE(other.CreateKey(kHkeyCurrentUser, "Software", key), kErrorSuccess);
}

// A second process writes one value after the other while this one keeps reading and now and
// then writes too: every read sees either the value or its absence, never a lock or a damaged
// file, and the two writers wait for each other.
TEST_F(StoreTest, AnotherProcessWritesWhileThisOneReads) {
  constexpr int kValues = 150;
  const RegHandle shared = Create("Shared");
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    SqliteRegistryStore writer;
    RegHandle key = 0;
    bool ok = writer.CreateKey(kHkeyCurrentUser, "Shared", key) == kErrorSuccess;
    for (int i = 0; ok && i < kValues; ++i) {
      ok = Set(writer, key, "V" + std::to_string(i), "value " + std::to_string(i)) == 0;
    }
    _exit(ok ? 0 : 1);
  }
  int unexpected = 0, status = 0;
  for (int reads = 0; waitpid(child, &status, WNOHANG) == 0 && reads < 1000000; ++reads) {
    SqliteRegistryStore reader;
    RegHandle key = 0;
    std::int32_t code = reader.OpenKey(kHkeyCurrentUser, "Shared", kKeyRead, key);
    std::uint32_t size = 0;
    if (code == kErrorSuccess)
      code = reader.QueryValue(key, "V" + std::to_string(reads % kValues), nullptr, nullptr, &size);
    unexpected += code != kErrorSuccess && code != kErrorFileNotFound;
    if (reads % 8 == 0) unexpected += Set(store, shared, "P", std::to_string(reads)) != 0;
  }
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(unexpected, 0);
  RegHandle key = 0;
  ASSERT_EQ(Open("Shared", key), kErrorSuccess);
  char buffer[32];
  std::uint32_t size = sizeof buffer;
  ASSERT_EQ(store.QueryValue(key, "v149", nullptr, buffer, &size), kErrorSuccess);
  EXPECT_STREQ(buffer, "value 149");
}

}  // namespace
}  // namespace larkspan
