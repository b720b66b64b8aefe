#pragma once
#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "settings/RegistryStore.h"

namespace larkspan {

// One command of larkspan-reg, read from its arguments.
struct RegCommand {
  std::string verb;                      // "add", "query" or "delete"
  std::string keyPath;                   // as typed: root name (short or long), "\", subkey
  std::optional<std::string> valueName;  // /v NAME, or "" for /ve
  std::optional<std::string> data;       // /d DATA
  bool force = false;                    // /f: no question before overwriting or deleting
};

// Reads the arguments after the program name; throws std::invalid_argument with a one-line
// reason when they do not form a command.
RegCommand ParseRegCommand(const std::vector<std::string>& args);

// Runs the commands the way Windows users know them from "reg", on a registry store. Output
// goes to `out`, questions are answered from `in`; failures throw RegToolError.
class RegTool {
 public:
  RegTool(RegistryStore& store, std::istream& in, std::ostream& out);
  void Run(const RegCommand& command);

 private:
  struct Key {
    RegHandle root;
    std::string rootName;  // the long name, for output
    std::string subKey;
    std::string FullPath() const { return subKey.empty() ? rootName : rootName + "\\" + subKey; }
  };

  Key ParseKey(const std::string& path) const;
  void Add(const Key& key, const RegCommand& command);
  void Query(const Key& key, const RegCommand& command);
  void Delete(const Key& key, const RegCommand& command);
  void DeleteTree(RegHandle root, const std::string& subKey);
  std::vector<std::string> SubKeyNames(RegHandle key);
  void PrintValue(const std::string& name, std::uint32_t type, const std::string& data);
  bool Confirm(const std::string& question);

  RegistryStore& store_;
  std::istream& in_;
  std::ostream& out_;
};

// A failed command: its one-line message (without the "ERROR: " in front).
struct RegToolError {
  std::string message;
};

// The one-line text for a registry result code.
std::string RegErrorText(std::int32_t code);

}  // namespace larkspan
