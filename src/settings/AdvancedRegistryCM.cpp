#include "settings/AdvancedRegistryCM.h"

#include <string_view>

#include "base/Failure.h"
#include "base/Runtime.h"
#include "os/CodePage.h"
#include "text/AsciiText.h"
#include "text/NumberText.h"

namespace larkspan {
namespace {

// GetStringValue reads into a buffer of this many bytes: longer values do not fit.
constexpr std::uint32_t kValueBufferSize = 255;

struct RootName {
  const char16_t* name;
  RegHandle handle;
};

constexpr RootName kRootNames[] = {
    {u"HKEY_CLASSES_ROOT", kHkeyClassesRoot},
    {u"HKEY_CURRENT_USER", kHkeyCurrentUser},
    {u"HKEY_LOCAL_MACHINE", kHkeyLocalMachine},
    {u"HKEY_USERS", kHkeyUsers},
    {u"HKEY_PERFORMANCE_DATA", kHkeyPerformanceData},
    {u"HKEY_CURRENT_CONFIG", kHkeyCurrentConfig},
    {u"HKEY_DYN_DATA", kHkeyDynData},
};

// Writers and deleters take "not found" as done: what they were to remove is gone anyway.
bool WriteSucceeded(std::int32_t code) {
  return code == kErrorSuccess || code == kErrorFileNotFound;
}

std::u16string SignedNumberText(std::int32_t code) {
  std::int64_t magnitude = code < 0 ? -std::int64_t{code} : code;
  std::string digits = std::to_string(magnitude);
  return (code < 0 ? u"-" : u" ") + std::u16string(digits.begin(), digits.end());
}

}  // namespace

AdvancedRegistryCM::AdvancedRegistryCM() : ownStore_(OpenUserRegistry()), store_(*ownStore_) {}

AdvancedRegistryCM::AdvancedRegistryCM(RegistryStore& store) : store_(store) {}

AdvancedRegistryCM::~AdvancedRegistryCM() {
  CloseOpenKey();
}

void AdvancedRegistryCM::SetDisplayErrorMsg(bool vNewValue) {
  bDisplayErrorMsg = vNewValue ? -1 : 0;
}

bool AdvancedRegistryCM::SetStringValue(std::u16string SKey, std::u16string sKeyName,
                                        std::u16string KeyValue) {
  if (OpenKeyPath(std::move(SKey), kKeyWrite) != KeyOpening::kOpen) return false;
  std::string data = ToNarrow(KeyValue);
  data.push_back('\0');  // the stored size counts the terminating zero
  lResult = store_.SetValue(hKey, ToNarrow(sKeyName), kRegSz, data.data(),
                            static_cast<std::uint32_t>(data.size()));
  CloseOpenKey();
  return WriteSucceeded(lResult);
}

std::optional<std::u16string> AdvancedRegistryCM::GetStringValue(std::u16string SKey,
                                                                 std::u16string sKeyName) {
  lBufferSize = 0;
  sBuffer.clear();
  try {
    switch (OpenKeyPath(std::move(SKey), kKeyRead)) {
      case KeyOpening::kNoRoot:
        return std::nullopt;
      case KeyOpening::kRefused:
        return u"Error";
      case KeyOpening::kOpen:
        break;
    }
    std::string buffer(kValueBufferSize, ' ');
    std::uint32_t size = kValueBufferSize;
    std::uint32_t type = kRegSz;  // asked for, but whatever type comes back is read as text
    lResult = store_.QueryValue(hKey, ToNarrow(sKeyName), &type, buffer.data(), &size);
    CloseOpenKey();
    if (lResult != kErrorSuccess) return u"Error";
    lBufferSize = static_cast<std::int32_t>(size);
    // The size counts bytes of the code page; the cut counts characters of the same data.
    const std::size_t dataChars = ToWide(std::string_view(buffer).substr(0, size)).size();
    // The trim runs over the whole buffer: the spaces behind the data go, and so do spaces in
    // front of the text, which then shifts the cut below by as many characters.
    sBuffer = TrimBlanks(ToWide(buffer));
    if (sBuffer.empty()) return u"";
    if (dataChars == 0) return u"Error";  // a cut of -1 characters is a run-time failure
    return sBuffer.substr(0, dataChars - 1);
  } catch (const Failure&) {
    CloseOpenKey();
    return u"Error";
  }
}

bool AdvancedRegistryCM::CreateKey(std::u16string SKey) {
  if (!ParseRoot(SKey)) return false;
  lResult = store_.CreateKey(hRootKey, ToNarrow(SKey), hKey);
  if (!WriteSucceeded(lResult)) {
    hKey = 0;
    return false;
  }
  CloseOpenKey();
  return true;
}

bool AdvancedRegistryCM::DeleteKey(std::u16string KeyName) {
  if (!ParseRoot(KeyName)) return false;
  lResult = store_.DeleteKey(hRootKey, ToNarrow(KeyName));
  return WriteSucceeded(lResult);
}

bool AdvancedRegistryCM::DeleteKeyValue(std::u16string sKeyName, std::u16string sValueName) {
  if (OpenKeyPath(std::move(sKeyName), kKeyWrite) != KeyOpening::kOpen) return false;
  lResult = store_.DeleteValue(hKey, ToNarrow(sValueName));
  CloseOpenKey();
  return WriteSucceeded(lResult);
}

bool AdvancedRegistryCM::KeyExist(std::u16string SKey) {
  if (OpenKeyPath(std::move(SKey), kKeyRead) != KeyOpening::kOpen) return false;
  CloseOpenKey();
  return true;
}

bool AdvancedRegistryCM::KeyValueExist(std::u16string SKey, std::u16string sKeyName) {
  if (OpenKeyPath(std::move(SKey), kKeyRead) != KeyOpening::kOpen) return false;
  std::uint32_t type = 0;
  std::uint32_t size = 0;
  lResult = store_.QueryValue(hKey, ToNarrow(sKeyName), &type, nullptr, &size);
  CloseOpenKey();
  return lResult == kErrorSuccess;
}

RegHandle AdvancedRegistryCM::ParseKeyPath(std::u16string& path) {
  const std::size_t slash = path.find(u'\\');
  lResult = slash == std::u16string::npos ? 0 : static_cast<std::int32_t>(slash + 1);
  if (path.substr(0, 5) != u"HKEY_" || (!path.empty() && path.back() == u'\\')) {
    // Shown whatever the error-display switch holds: a wrong path is the caller's mistake.
    MsgBox(u"Incorrect Format: \n\n" + path, kMsgOkOnly);
    return 0;
  }
  if (slash == std::u16string::npos) {
    const RegHandle root = GetRootKeyHandle(path);
    path.clear();  // the operation addresses the root key itself
    return root;
  }
  const RegHandle root = GetRootKeyHandle(path.substr(0, slash));
  path.erase(0, slash + 1);
  return root;
}

RegHandle AdvancedRegistryCM::GetRootKeyHandle(const std::u16string& rootName) {
  for (const RootName& root : kRootNames) {
    if (rootName == root.name) return root.handle;
  }
  return 0;
}

std::u16string AdvancedRegistryCM::GetErrorMsg(std::int32_t code) {
  switch (code) {
    case 2:
    case 1010:
      return u"Bad Key Name";
    case 4:
    case 1012:
      return u"Can't Read Key";
    case 5:
      return u"Access To this key Is Denied";
    case 8:
    case 14:
      return u"Out Of memory";
    case 87:
      return u"Invalid Parameter";
    case 234:
      return u"There Is More Data Than The Buffer Has Been Allocated To Hold";
    case 1009:
    case 1015:
      return u"The Registry Database Is Corrupt!";
    case 1011:
      return u"Can't Open Key";
    case 1013:
      return u"Can't Write Key";
    default:
      return u"Undefined Error Code : " + SignedNumberText(code);
  }
}

AdvancedRegistryCM::KeyOpening AdvancedRegistryCM::OpenKeyPath(std::u16string path,
                                                               std::uint32_t access) {
  if (!ParseRoot(path)) return KeyOpening::kNoRoot;
  lResult = store_.OpenKey(hRootKey, ToNarrow(path), access, hKey);
  if (lResult == kErrorSuccess) return KeyOpening::kOpen;
  hKey = 0;
  return KeyOpening::kRefused;
}

void AdvancedRegistryCM::CloseOpenKey() {
  if (hKey == 0) return;
  store_.CloseKey(hKey);
  hKey = 0;
}

bool AdvancedRegistryCM::ParseRoot(std::u16string& path) {
  hRootKey = ParseKeyPath(path);
  return hRootKey != 0;
}

}  // namespace larkspan
