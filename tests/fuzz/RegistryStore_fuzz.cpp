// The SQLite registry store driven by random sequences of calls and compared, call by call,
// with a small in-memory model of the registry: seven roots that always exist, key and value
// names that compare without regard to case and keep the spelling they were created with, keys
// that exist without values, a key with subkeys that cannot be deleted (5), missing keys and
// values (2), handles that fail once closed (6) or once their key is deleted (1018), access
// rights that a handle must carry (5), and a buffer too small for a value (234). A reopened
// store must hold what the closed one held. Every input starts from an absent database file.
//
// Input: a sequence of calls, each an operation byte followed by its arguments (see Run).
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "FuzzSupport.h"
#include "settings/SqliteRegistryStore.h"

using namespace larkspan;
using namespace larkspan::fuzz;

namespace {

// Names with their case-folded forms; "" makes a path with an empty component, which no key
// can have.
struct Name {
  const char* spelling;
  const char* fold;
};
constexpr Name kNames[] = {
    {"key", "KEY"},
    {"Key", "KEY"},
    {"KEY", "KEY"},
    {"sub", "SUB"},
    {"SUB", "SUB"},
    {"Vantrel 2009", "VANTREL 2009"},
    {"vantrel 2009", "VANTREL 2009"},
    {"\xC3\xA9t\xC3\xA9", "\xC3\x89T\xC3\x89"},  // été
    {"\xC3\x89T\xC3\x89", "\xC3\x89T\xC3\x89"},  // ÉTÉ
    {"\xD0\xB6", "\xD0\x96"},                    // ж
    {"\xD0\x96", "\xD0\x96"},                    // Ж
    {"{KTD-1}", "{KTD-1}"},
    {"", ""},
};
constexpr std::size_t kNameCount = sizeof kNames / sizeof kNames[0];
constexpr std::uint32_t kAccess[] = {kKeyRead, kKeyWrite, kKeyAllAccess, kKeyQueryValue};
constexpr std::uint32_t kKeyEnumerate = 0x0008;
constexpr int kMaxCalls = 64;

struct ModelValue {
  std::string name;
  std::uint32_t type;
  std::string data;
};

struct ModelKey {
  std::string name;
  std::map<std::string, std::shared_ptr<ModelKey>> children;  // by folded name
  std::map<std::string, ModelValue> values;                   // by folded name
  ModelKey* parent = nullptr;
  bool alive = true;
};
using KeyPtr = std::shared_ptr<ModelKey>;

struct ModelHandle {
  KeyPtr key;
  std::uint32_t access;
};

// A key path as the calls pass it, with the folded form of each component.
struct Path {
  std::string text;
  std::vector<std::string> folds;
  std::vector<std::string> spellings;
  bool malformed = false;
};

struct Model {
  KeyPtr roots[7];
  std::map<RegHandle, ModelHandle> handles;

  Model() {
    for (auto& root : roots) root = std::make_shared<ModelKey>();
  }
  KeyPtr Root(RegHandle root) const {
    if (root < kHkeyClassesRoot || root > kHkeyDynData) return nullptr;
    return roots[root - kHkeyClassesRoot];
  }
  KeyPtr Find(KeyPtr key, const Path& path) const {
    for (const std::string& fold : path.folds) {
      auto child = key->children.find(fold);
      if (child == key->children.end()) return nullptr;
      key = child->second;
    }
    return key;
  }
  KeyPtr Create(KeyPtr key, const Path& path) {
    for (std::size_t i = 0; i < path.folds.size(); ++i) {
      KeyPtr& child = key->children[path.folds[i]];
      if (!child) {
        child = std::make_shared<ModelKey>();
        child->name = path.spellings[i];
        child->parent = key.get();
      }
      key = child;
    }
    return key;
  }
};

class Session {
 public:
  Session() {
    std::filesystem::remove_all(Folder());
    store_ = std::make_unique<SqliteRegistryStore>(Folder() + "/registry.db");
  }

  static const std::string& Folder() {
    static const std::string folder = ScratchPath("store-fuzz");
    return folder;
  }

  void Run(FuzzInput& in) {
    for (call_ = 0; call_ < kMaxCalls && !in.Empty(); ++call_) {
      switch (in.Byte() % 10) {
        case 0:
          OpenKey(in);
          break;
        case 1:
          CreateKey(in);
          break;
        case 2:
          DeleteKey(in);
          break;
        case 3:
          SetValue(in);
          break;
        case 4:
          QueryValue(in);
          break;
        case 5:
          DeleteValue(in);
          break;
        case 6:
          CloseKey(in);
          break;
        case 7:
          ListKeys(in);
          break;
        case 8:
          ListValues(in);
          break;
        default:
          Reopen();
          break;
      }
    }
  }

 private:
  // Operation byte, then: root byte (0..6 a root, 7 no root), component count byte (0..3), one
  // byte per component (index into kNames).
  Path TakePath(FuzzInput& in) {
    Path path;
    const int count = in.Byte() % 4;
    for (int i = 0; i < count; ++i) {
      const Name& name = kNames[in.Byte() % kNameCount];
      if (i > 0) path.text += '\\';
      path.text += name.spelling;
      path.folds.push_back(name.fold);
      path.spellings.push_back(name.spelling);
    }
    if (path.text.empty()) {
      path.folds.clear();
      path.spellings.clear();
    } else {
      path.malformed = std::count(path.folds.begin(), path.folds.end(), "") > 0;
    }
    return path;
  }
  static RegHandle TakeRoot(FuzzInput& in) { return kHkeyClassesRoot + in.Byte() % 8; }
  // A handle that the store gave out earlier (open or closed), or one it never gave.
  RegHandle TakeHandle(FuzzInput& in) {
    const std::uint8_t pick = in.Byte();
    if (given_.empty() || pick == 0xFF) return 0xBAD;
    return given_[pick % given_.size()];
  }
  // Value names: "" is the key's default value.
  static const Name& TakeName(FuzzInput& in) { return kNames[in.Byte() % kNameCount]; }

  void Expect(const char* call, std::int32_t got, std::int32_t expected) {
    if (got == expected) return;
    std::fprintf(stderr, "call %d (%s): store answered %d, the model %d\n", call_, call, got,
                 expected);
    std::abort();
  }
  void ExpectOneOf(const char* call, std::int32_t got, std::int32_t a, std::int32_t b) {
    Expect(call, got, got == b ? b : a);
  }

  // The handle's checks that every call on a handle makes first: open (6), rights (5), key
  // still there (1018). Returns the key when all pass.
  KeyPtr CheckHandle(const char* call, RegHandle handle, std::uint32_t rights, std::int32_t got) {
    auto found = model_.handles.find(handle);
    if (found == model_.handles.end()) {
      Expect(call, got, kErrorInvalidHandle);
    } else if ((found->second.access & rights) != rights) {
      Expect(call, got, kErrorAccessDenied);
    } else {
      return found->second.key;
    }
    return nullptr;
  }

  void AddHandle(RegHandle handle, KeyPtr key, std::uint32_t access) {
    FUZZ_CHECK(model_.handles.count(handle) == 0);
    model_.handles[handle] = ModelHandle{std::move(key), access};
    given_.push_back(handle);
  }

  void OpenKey(FuzzInput& in) {
    const RegHandle root = TakeRoot(in);
    const Path path = TakePath(in);
    const std::uint32_t access = kAccess[in.Byte() % 4];
    RegHandle handle = 0;
    const std::int32_t got = store_->OpenKey(root, path.text, access, handle);
    const KeyPtr rootKey = model_.Root(root);
    if (!rootKey) return Expect("OpenKey", got, kErrorInvalidHandle);
    if (path.malformed) return ExpectOneOf("OpenKey", got, kErrorBadPathname, kErrorFileNotFound);
    const KeyPtr key = model_.Find(rootKey, path);
    if (!key) return Expect("OpenKey", got, kErrorFileNotFound);
    Expect("OpenKey", got, kErrorSuccess);
    AddHandle(handle, key, access);
  }

  void CreateKey(FuzzInput& in) {
    const RegHandle root = TakeRoot(in);
    const Path path = TakePath(in);
    RegHandle handle = 0;
    const std::int32_t got = store_->CreateKey(root, path.text, handle);
    const KeyPtr rootKey = model_.Root(root);
    if (!rootKey) return Expect("CreateKey", got, kErrorInvalidHandle);
    if (path.malformed) {
      return ExpectOneOf("CreateKey", got, kErrorBadPathname, kErrorFileNotFound);
    }
    Expect("CreateKey", got, kErrorSuccess);
    AddHandle(handle, model_.Create(rootKey, path), kKeyAllAccess);
  }

  void DeleteKey(FuzzInput& in) {
    const RegHandle root = TakeRoot(in);
    const Path path = TakePath(in);
    const std::int32_t got = store_->DeleteKey(root, path.text);
    const KeyPtr rootKey = model_.Root(root);
    if (!rootKey) return Expect("DeleteKey", got, kErrorInvalidHandle);
    if (path.text.empty()) return Expect("DeleteKey", got, kErrorAccessDenied);
    if (path.malformed) {
      return ExpectOneOf("DeleteKey", got, kErrorBadPathname, kErrorFileNotFound);
    }
    const KeyPtr key = model_.Find(rootKey, path);
    if (!key) return Expect("DeleteKey", got, kErrorFileNotFound);
    if (!key->children.empty()) return Expect("DeleteKey", got, kErrorAccessDenied);
    Expect("DeleteKey", got, kErrorSuccess);
    key->alive = false;
    key->values.clear();
    key->parent->children.erase(path.folds.back());
  }

  // Handle byte, name byte, type byte, length byte (0..31), then the data bytes.
  void SetValue(FuzzInput& in) {
    const RegHandle handle = TakeHandle(in);
    const Name& name = TakeName(in);
    const std::uint32_t type = in.Byte() % 4;
    std::string data(in.Byte() % 32, '\0');
    for (char& c : data) c = static_cast<char>(in.Byte());
    const std::int32_t got = store_->SetValue(handle, name.spelling, type, data.data(),
                                              static_cast<std::uint32_t>(data.size()));
    const KeyPtr key = CheckHandle("SetValue", handle, kKeySetValue, got);
    if (!key) return;
    if (!key->alive) return Expect("SetValue", got, kErrorKeyDeleted);
    Expect("SetValue", got, kErrorSuccess);
    auto [value, added] = key->values.try_emplace(name.fold, ModelValue{name.spelling, type, data});
    if (!added) {
      value->second.type = type;
      value->second.data = data;
    }
  }

  // Handle byte, name byte, mode byte (1: ask the type, 2: ask the size, 4: give a buffer,
  // which asks the size too), room byte (0..39).
  void QueryValue(FuzzInput& in) {
    const RegHandle handle = TakeHandle(in);
    const Name& name = TakeName(in);
    const std::uint8_t mode = in.Byte();
    const std::uint32_t room = in.Byte() % 40;
    std::uint32_t type = 0xFFFF;
    std::uint32_t size = room;
    std::string buffer(room, '\xEE');
    const bool withBuffer = (mode & 4) != 0;
    const bool withSize = withBuffer || (mode & 2) != 0;
    const std::int32_t got =
        store_->QueryValue(handle, name.spelling, (mode & 1) != 0 ? &type : nullptr,
                           withBuffer ? buffer.data() : nullptr, withSize ? &size : nullptr);
    const KeyPtr key = CheckHandle("QueryValue", handle, kKeyQueryValue, got);
    if (!key) return;
    if (!key->alive) return Expect("QueryValue", got, kErrorKeyDeleted);
    auto found = key->values.find(name.fold);
    if (found == key->values.end()) return Expect("QueryValue", got, kErrorFileNotFound);
    const ModelValue& value = found->second;
    if (withSize) FUZZ_CHECK(size == value.data.size());
    if (withBuffer && room < value.data.size()) return Expect("QueryValue", got, kErrorMoreData);
    Expect("QueryValue", got, kErrorSuccess);
    if ((mode & 1) != 0) FUZZ_CHECK(type == value.type);
    if (withBuffer) FUZZ_CHECK(buffer.compare(0, value.data.size(), value.data) == 0);
  }

  void DeleteValue(FuzzInput& in) {
    const RegHandle handle = TakeHandle(in);
    const Name& name = TakeName(in);
    const std::int32_t got = store_->DeleteValue(handle, name.spelling);
    const KeyPtr key = CheckHandle("DeleteValue", handle, kKeySetValue, got);
    if (!key) return;
    if (!key->alive) return Expect("DeleteValue", got, kErrorKeyDeleted);
    if (key->values.erase(name.fold) == 0) return Expect("DeleteValue", got, kErrorFileNotFound);
    Expect("DeleteValue", got, kErrorSuccess);
  }

  void CloseKey(FuzzInput& in) {
    const RegHandle handle = TakeHandle(in);
    const std::int32_t got = store_->CloseKey(handle);
    Expect("CloseKey", got,
           model_.handles.erase(handle) == 1 ? kErrorSuccess : kErrorInvalidHandle);
  }

  // The listings are compared as sets of names in their stored spelling; their order is the
  // store's choice.
  void ListKeys(FuzzInput& in) {
    const RegHandle handle = TakeHandle(in);
    std::vector<std::string> listed;
    std::int32_t got = kErrorSuccess;
    for (std::uint32_t i = 0; i < 64; ++i) {
      std::string name;
      got = store_->EnumKey(handle, i, name);
      if (got != kErrorSuccess) break;
      listed.push_back(name);
    }
    const KeyPtr key = CheckHandle("EnumKey", handle, kKeyEnumerate, got);
    if (!key) {
      FUZZ_CHECK(listed.empty());
      return;
    }
    Expect("EnumKey", got, kErrorNoMoreItems);
    std::vector<std::string> expected;
    for (const auto& [fold, child] : key->children) expected.push_back(child->name);
    std::sort(listed.begin(), listed.end());
    std::sort(expected.begin(), expected.end());
    FUZZ_CHECK(listed == expected);
  }

  void ListValues(FuzzInput& in) {
    const RegHandle handle = TakeHandle(in);
    std::vector<std::tuple<std::string, std::uint32_t, std::string>> listed;
    std::int32_t got = kErrorSuccess;
    for (std::uint32_t i = 0; i < 64; ++i) {
      std::string name;
      std::uint32_t type = 0;
      std::string data;
      got = store_->EnumValue(handle, i, name, type, data);
      if (got != kErrorSuccess) break;
      listed.emplace_back(name, type, data);
    }
    const KeyPtr key = CheckHandle("EnumValue", handle, kKeyQueryValue, got);
    if (!key) {
      FUZZ_CHECK(listed.empty());
      return;
    }
    Expect("EnumValue", got, kErrorNoMoreItems);
    std::vector<std::tuple<std::string, std::uint32_t, std::string>> expected;
    for (const auto& [fold, value] : key->values) {
      expected.emplace_back(value.name, value.type, value.data);
    }
    std::sort(listed.begin(), listed.end());
    std::sort(expected.begin(), expected.end());
    FUZZ_CHECK(listed == expected);
  }

  // Another store on the same file: the handles of the old one are gone, the keys and values
  // stay.
  void Reopen() {
    const std::string path = store_->Path();
    store_.reset();
    store_ = std::make_unique<SqliteRegistryStore>(path);
    model_.handles.clear();
  }

  std::unique_ptr<SqliteRegistryStore> store_;
  Model model_;
  std::vector<RegHandle> given_;
  int call_ = 0;
};

void RemoveFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(Session::Folder(), ignored);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // Made before the exit handler is registered, so that it is destroyed after the handler ran.
  Session::Folder();
  std::atexit(RemoveFolder);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput in(data, size);
  Ui();
  Session session;
  session.Run(in);
  return 0;
}
