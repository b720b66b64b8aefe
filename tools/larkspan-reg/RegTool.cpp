#include "RegTool.h"

#include <cstdio>
#include <istream>
#include <ostream>
#include <stdexcept>

namespace larkspan {
namespace {

struct RootAlias {
  const char* shortName;
  const char* longName;
  RegHandle handle;
};

constexpr RootAlias kRoots[] = {
    {"HKCR", "HKEY_CLASSES_ROOT", kHkeyClassesRoot},
    {"HKCU", "HKEY_CURRENT_USER", kHkeyCurrentUser},
    {"HKLM", "HKEY_LOCAL_MACHINE", kHkeyLocalMachine},
    {"HKU", "HKEY_USERS", kHkeyUsers},
    {nullptr, "HKEY_PERFORMANCE_DATA", kHkeyPerformanceData},
    {"HKCC", "HKEY_CURRENT_CONFIG", kHkeyCurrentConfig},
    {nullptr, "HKEY_DYN_DATA", kHkeyDynData},
};

std::string Upper(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  }
  return text;
}

void Check(std::int32_t code) {
  if (code != kErrorSuccess) throw RegToolError{RegErrorText(code)};
}

std::string DisplayName(const std::string& valueName) {
  return valueName.empty() ? "(Default)" : valueName;
}

// Closes a key handle when the command is done with it, also on the way out of a failure.
class OpenedKey {
 public:
  explicit OpenedKey(RegistryStore& store) : store_(store) {}
  ~OpenedKey() {
    if (handle != 0) store_.CloseKey(handle);
  }
  OpenedKey(const OpenedKey&) = delete;
  OpenedKey& operator=(const OpenedKey&) = delete;
  RegHandle handle = 0;

 private:
  RegistryStore& store_;
};

}  // namespace

RegCommand ParseRegCommand(const std::vector<std::string>& args) {
  if (args.size() < 2)
    throw std::invalid_argument("Invalid syntax: a command and a key are needed.");
  RegCommand command;
  command.verb = Upper(args[0]) == "ADD"      ? "add"
                 : Upper(args[0]) == "QUERY"  ? "query"
                 : Upper(args[0]) == "DELETE" ? "delete"
                                              : "";
  if (command.verb.empty()) throw std::invalid_argument("Invalid operation: " + args[0] + ".");
  command.keyPath = args[1];
  for (std::size_t i = 2; i < args.size(); ++i) {
    std::string option = Upper(args[i]);
    if (!option.empty() && option[0] == '-') option[0] = '/';
    const bool takesText = option == "/V" || option == "/D";
    if (takesText && i + 1 >= args.size()) {
      throw std::invalid_argument("Invalid syntax: " + args[i] + " needs a text after it.");
    }
    if ((option == "/V" || option == "/VE") && command.valueName) {
      throw std::invalid_argument("Invalid syntax: more than one value name.");
    }
    if (option == "/V") {
      command.valueName = args[++i];
    } else if (option == "/VE") {
      command.valueName = "";
    } else if (option == "/D" && command.verb == "add") {
      command.data = args[++i];
    } else if (option == "/F" && command.verb != "query") {
      command.force = true;
    } else {
      throw std::invalid_argument("Invalid syntax: " + args[i] + " is not an option of " +
                                  command.verb + ".");
    }
  }
  // As with reg, data without a value name goes to the key's unnamed value.
  if (command.data && !command.valueName) command.valueName = "";
  return command;
}

std::string RegErrorText(std::int32_t code) {
  switch (code) {
    case kErrorFileNotFound:
      return "The system was unable to find the specified registry key or value.";
    case kErrorAccessDenied:
      return "Access is denied.";
    case kErrorBadPathname:
      return "Invalid key name.";
    case kErrorBadDb:
    case kErrorRegistryCorrupt:
      return "The registry store is corrupt.";
    default:
      return "The registry store failed with code " + std::to_string(code) + ".";
  }
}

RegTool::RegTool(RegistryStore& store, std::istream& in, std::ostream& out)
    : store_(store), in_(in), out_(out) {}

void RegTool::Run(const RegCommand& command) {
  const Key key = ParseKey(command.keyPath);
  if (command.verb == "add") {
    Add(key, command);
  } else if (command.verb == "query") {
    Query(key, command);
  } else {
    Delete(key, command);
  }
}

RegTool::Key RegTool::ParseKey(const std::string& path) const {
  const std::size_t slash = path.find('\\');
  const std::string rootName = Upper(path.substr(0, slash));
  if (!path.empty() && path.back() == '\\') throw RegToolError{"Invalid key name."};
  for (const RootAlias& root : kRoots) {
    if ((root.shortName != nullptr && rootName == root.shortName) || rootName == root.longName) {
      return Key{root.handle, root.longName,
                 slash == std::string::npos ? std::string() : path.substr(slash + 1)};
    }
  }
  throw RegToolError{"Invalid key name."};
}

void RegTool::Add(const Key& key, const RegCommand& command) {
  OpenedKey opened(store_);
  Check(store_.CreateKey(key.root, key.subKey, opened.handle));
  if (command.valueName) {
    const std::string& name = *command.valueName;
    std::uint32_t size = 0;
    const bool exists = store_.QueryValue(opened.handle, name, nullptr, nullptr, &size) == 0;
    if (exists && !command.force &&
        !Confirm("Value " + DisplayName(name) + " exists, overwrite(Yes/No)? ")) {
      throw RegToolError{"The operation was cancelled; nothing was changed."};
    }
    std::string data = command.data.value_or("");
    data.push_back('\0');
    Check(store_.SetValue(opened.handle, name, kRegSz, data.data(),
                          static_cast<std::uint32_t>(data.size())));
  }
  out_ << "The operation completed successfully.\n";
}

void RegTool::Query(const Key& key, const RegCommand& command) {
  OpenedKey opened(store_);
  Check(store_.OpenKey(key.root, key.subKey, kKeyRead, opened.handle));
  if (command.valueName) {
    std::uint32_t type = 0;
    std::uint32_t size = 0;
    Check(store_.QueryValue(opened.handle, *command.valueName, &type, nullptr, &size));
    std::string data(size, '\0');
    Check(store_.QueryValue(opened.handle, *command.valueName, &type, data.data(), &size));
    data.resize(size);
    out_ << '\n' << key.FullPath() << '\n';
    PrintValue(*command.valueName, type, data);
    out_ << '\n';
    return;
  }
  out_ << '\n' << key.FullPath() << '\n';
  std::string name;
  std::string data;
  std::uint32_t type = 0;
  for (std::uint32_t i = 0; store_.EnumValue(opened.handle, i, name, type, data) == 0; ++i) {
    PrintValue(name, type, data);
  }
  out_ << '\n';
  for (const std::string& subKey : SubKeyNames(opened.handle)) {
    out_ << key.FullPath() << '\\' << subKey << '\n';
  }
}

void RegTool::Delete(const Key& key, const RegCommand& command) {
  if (command.valueName) {
    const std::string& name = *command.valueName;
    if (!command.force &&
        !Confirm("Delete the registry value " + DisplayName(name) + " (Yes/No)? ")) {
      throw RegToolError{"The operation was cancelled; nothing was changed."};
    }
    OpenedKey opened(store_);
    Check(store_.OpenKey(key.root, key.subKey, kKeyWrite, opened.handle));
    Check(store_.DeleteValue(opened.handle, name));
  } else {
    if (key.subKey.empty()) throw RegToolError{"A root key cannot be deleted."};
    {
      OpenedKey opened(store_);  // a missing key is reported before any question
      Check(store_.OpenKey(key.root, key.subKey, kKeyRead, opened.handle));
    }
    if (!command.force &&
        !Confirm("Permanently delete the registry key " + key.FullPath() + " (Yes/No)? ")) {
      throw RegToolError{"The operation was cancelled; nothing was changed."};
    }
    DeleteTree(key.root, key.subKey);
  }
  out_ << "The operation completed successfully.\n";
}

// The store deletes only keys without subkeys, so the subkeys go first.
void RegTool::DeleteTree(RegHandle root, const std::string& subKey) {
  std::vector<std::string> children;
  {
    OpenedKey opened(store_);
    Check(store_.OpenKey(root, subKey, kKeyRead, opened.handle));
    children = SubKeyNames(opened.handle);
  }
  for (const std::string& child : children) DeleteTree(root, subKey + "\\" + child);
  Check(store_.DeleteKey(root, subKey));
}

std::vector<std::string> RegTool::SubKeyNames(RegHandle key) {
  std::vector<std::string> names;
  std::string name;
  for (std::uint32_t i = 0; store_.EnumKey(key, i, name) == 0; ++i) names.push_back(name);
  return names;
}

void RegTool::PrintValue(const std::string& name, std::uint32_t type, const std::string& data) {
  out_ << "    " << DisplayName(name) << "    ";
  if (type == kRegSz) {
    out_ << "REG_SZ    " << data.substr(0, data.find('\0')) << '\n';
    return;
  }
  out_ << "REG_TYPE_" << type << "    ";
  for (unsigned char byte : data) {
    char hex[3];
    std::snprintf(hex, sizeof hex, "%02X", byte);
    out_ << hex;
  }
  out_ << '\n';
}

bool RegTool::Confirm(const std::string& question) {
  out_ << question << std::flush;
  std::string answer;
  if (!std::getline(in_, answer)) {
    out_ << '\n';  // no answer to read: end the question's line before the failure message
    return false;
  }
  answer = Upper(answer);
  return answer == "Y" || answer == "YES";
}

}  // namespace larkspan
