// Key-path parsing of the registry class, directly and through its public operations over a
// scripted store. Checked: the format test and the split at the first "\" (root, subkey), the
// message for a refused path, that a path without a root never reaches the store, that the
// store sees the subkey that the path names, that every opened key is closed again, and the
// result rules of each operation for the codes that the store answers with.
//
// Input: operation byte (0..7: parse, the seven operations), store-codes byte, a code (int32,
// for the error texts), the key path, a value name, the stored value's text, and a flag byte
// that stores raw bytes (the value text's UTF-8, without the terminating zero) instead.
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>

#include "FuzzSupport.h"
#include "platform/CodePage.h"
#include "settings/AdvancedRegistryCM.h"

using namespace larkspan;
using namespace larkspan::fuzz;

namespace {

constexpr std::int32_t kCodes[] = {kErrorSuccess, kErrorFileNotFound, kErrorAccessDenied,
                                   kErrorMoreData};

// Answers every call with the scripted codes and records what it was asked.
class ScriptedStore final : public RegistryStore {
 public:
  std::int32_t OpenKey(RegHandle root, const std::string& subKey, std::uint32_t,
                       RegHandle& key) override {
    return Open(root, subKey, openCode, key);
  }
  std::int32_t CreateKey(RegHandle root, const std::string& subKey, RegHandle& key) override {
    return Open(root, subKey, writeCode, key);
  }
  std::int32_t DeleteKey(RegHandle root, const std::string& subKey) override {
    Record(root, subKey);
    return writeCode;
  }
  std::int32_t SetValue(RegHandle, const std::string&, std::uint32_t, const char*,
                        std::uint32_t) override {
    return writeCode;
  }
  std::int32_t QueryValue(RegHandle, const std::string&, std::uint32_t*, char* data,
                          std::uint32_t* size) override {
    if (queryCode != kErrorSuccess) return queryCode;
    if (size == nullptr) return kErrorSuccess;
    const std::uint32_t room = *size;
    *size = static_cast<std::uint32_t>(value.size());
    if (data == nullptr) return kErrorSuccess;
    if (room < value.size()) return kErrorMoreData;
    std::memcpy(data, value.data(), value.size());
    return kErrorSuccess;
  }
  std::int32_t DeleteValue(RegHandle, const std::string&) override { return writeCode; }
  std::int32_t CloseKey(RegHandle) override {
    ++closed;
    return kErrorSuccess;
  }
  std::int32_t EnumKey(RegHandle, std::uint32_t, std::string&) override {
    return kErrorNoMoreItems;
  }
  std::int32_t EnumValue(RegHandle, std::uint32_t, std::string&, std::uint32_t&,
                         std::string&) override {
    return kErrorNoMoreItems;
  }

  std::int32_t openCode = 0;
  std::int32_t queryCode = 0;
  std::int32_t writeCode = 0;
  std::string value;
  int calls = 0;
  int opened = 0;
  int closed = 0;
  RegHandle root = 0;
  std::string subKey;

 private:
  void Record(RegHandle r, const std::string& s) {
    if (calls++ == 0) {
      root = r;
      subKey = s;
    }
  }
  std::int32_t Open(RegHandle r, const std::string& s, std::int32_t code, RegHandle& key) {
    Record(r, s);
    if (code == kErrorSuccess) key = 1000 + ++opened;
    return code;
  }
};

class Probe : public AdvancedRegistryCM {
 public:
  using AdvancedRegistryCM::AdvancedRegistryCM;
  using AdvancedRegistryCM::GetErrorMsg;
  using AdvancedRegistryCM::GetRootKeyHandle;
  using AdvancedRegistryCM::ParseKeyPath;
};

struct Expected {
  RegHandle root = 0;
  std::u16string subKey;
};

Expected ExpectedSplit(const std::u16string& path) {
  Expected expected;
  if (path.compare(0, 5, u"HKEY_") != 0 || path.back() == u'\\') return expected;
  const auto slash = path.find(u'\\');
  expected.root = Probe::GetRootKeyHandle(path.substr(0, slash));
  if (slash != std::u16string::npos) expected.subKey = path.substr(slash + 1);
  return expected;
}

void Parse(const std::u16string& original, const Expected& expected) {
  SilentUi& ui = Ui();
  ScriptedStore store;
  Probe probe(store);
  std::u16string path = original;
  const RegHandle root = probe.ParseKeyPath(path);
  FUZZ_CHECK(root == expected.root);
  const bool refused =
      original.compare(0, 5, u"HKEY_") != 0 || original.empty() || original.back() == u'\\';
  if (refused) {
    FUZZ_CHECK(path == original && ui.count == 1);
    FUZZ_CHECK(ui.lastPrompt == u"Incorrect Format: \n\n" + original && ui.lastTitle == kAppTitle);
  } else {
    FUZZ_CHECK(ui.count == 0);
    if (root != 0) FUZZ_CHECK(path == expected.subKey);
  }
  FUZZ_CHECK(store.calls == 0);
}

bool Written(std::int32_t code) {
  return code == kErrorSuccess || code == kErrorFileNotFound;
}

void Operate(int operation, ScriptedStore& store, const std::u16string& path,
             const std::u16string& name, const std::optional<std::u16string>& storedText) {
  Ui();
  std::optional<bool> done;
  std::optional<std::u16string> text;
  {
    AdvancedRegistryCM registry(store);
    switch (operation) {
      case 1:
        done = registry.SetStringValue(path, name, u"value");
        break;
      case 2:
        text = registry.GetStringValue(path, name);
        break;
      case 3:
        done = registry.CreateKey(path);
        break;
      case 4:
        done = registry.DeleteKey(path);
        break;
      case 5:
        done = registry.DeleteKeyValue(path, name);
        break;
      case 6:
        done = registry.KeyExist(path);
        break;
      default:
        done = registry.KeyValueExist(path, name);
        break;
    }
  }
  FUZZ_CHECK(store.opened == store.closed);

  const Expected expected = ExpectedSplit(path.empty() ? u"?" : path);
  if (expected.root == 0) {
    FUZZ_CHECK(store.calls == 0);
    FUZZ_CHECK(operation == 2 ? !text.has_value() : done == false);
    return;
  }
  FUZZ_CHECK(store.calls >= 1 && store.root == expected.root);
  FUZZ_CHECK(store.subKey == ToNarrow(expected.subKey));

  const bool opens = store.openCode == kErrorSuccess;
  switch (operation) {
    case 1:
    case 5:
      FUZZ_CHECK(done == (opens && Written(store.writeCode)));
      break;
    case 2:
      FUZZ_CHECK(text.has_value() && text->size() <= 254);
      if (!opens || store.queryCode != kErrorSuccess || store.value.size() > 255) {
        FUZZ_CHECK(*text == u"Error");
      } else if (storedText) {
        FUZZ_CHECK(*text == *storedText);
      }
      break;
    case 3:
    case 4:
      FUZZ_CHECK(done == Written(store.writeCode));
      break;
    case 6:
      FUZZ_CHECK(done == opens);
      break;
    default:
      FUZZ_CHECK(done == (opens && store.queryCode == kErrorSuccess));
      break;
  }
}

void ErrorText(std::int32_t code) {
  const std::u16string text = Probe::GetErrorMsg(code);
  FUZZ_CHECK(!text.empty());
  const std::u16string undefined = u"Undefined Error Code : ";
  if (text.compare(0, undefined.size(), undefined) != 0) return;
  const std::string digits = std::to_string(code < 0 ? -std::int64_t{code} : code);
  FUZZ_CHECK(text == undefined + (code < 0 ? u"-" : u" ") + FromUtf8(digits));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput in(data, size);
  const int operation = in.Byte() % 8;
  const std::uint8_t codes = in.Byte();
  const auto code = in.Number<std::int32_t>();
  const std::u16string path = in.Text();
  const std::u16string name = in.Text();
  const std::u16string valueText = in.Text();
  const bool raw = in.Flag();

  if (operation == 0) {
    Parse(path, ExpectedSplit(path.empty() ? u"?" : path));
    ErrorText(code);
    return 0;
  }
  ScriptedStore store;
  store.openCode = kCodes[codes & 3];
  store.queryCode = kCodes[(codes >> 2) & 3];
  store.writeCode = kCodes[(codes >> 4) & 3];
  std::optional<std::u16string> storedText;
  store.value = ToNarrow(valueText);
  // As the class itself stores a text: with its terminating zero. It reads back unchanged when
  // it has no zero inside, does not begin with a blank and fits with its zero into 255 bytes.
  if (!raw) {
    store.value.push_back('\0');
    if (valueText.find(u'\0') == std::u16string::npos && valueText.find(u' ') != 0 &&
        store.value.size() <= 255 && ToWide(ToNarrow(valueText)) == valueText) {
      storedText = valueText;
    }
  }
  Operate(operation, store, path, name, storedText);
  return 0;
}
