// larkspan-reg: reads and changes the registry store that Larkspan reads its language setting
// from, with the command shapes of the Windows "reg" command.
#include <clocale>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "RegTool.h"
#include "settings/sqlite/SqliteRegistryStore.h"

namespace {

constexpr char kUsage[] = R"(Usage:
  larkspan-reg add KEY [/v NAME | /ve] [/d DATA] [/f]
  larkspan-reg query KEY [/v NAME | /ve]
  larkspan-reg delete KEY [/v NAME | /ve] [/f]
  larkspan-reg --help

KEY is a root name, "\" and the subkey path, for example
  "HKCU\Software\Quillmere\Vantrel 2009". Roots: HKCU, HKLM, HKCR, HKU, HKCC
  or their long names (HKEY_CURRENT_USER, ...).
  /v NAME   the value to add, show or delete; /ve the key's unnamed value
  /d DATA   the text to store (values are strings)
  /f        overwrite or delete without asking
Without /v, add creates the key only, query lists the key's values and subkeys and
delete removes the key with all its subkeys.

The store is $XDG_CONFIG_HOME/Quillmere/registry.db (~/.config/Quillmere/registry.db).
Exit status: 0 on success, 1 on failure.
)";

}  // namespace

int main(int argc, char** argv) {
  // Names and data are texts in the locale's character set, as the program writes them.
  std::setlocale(LC_CTYPE, "");
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (!args.empty() && (args[0] == "--help" || args[0] == "-h" || args[0] == "/?")) {
    std::cout << kUsage;
    return 0;
  }
  try {
    const larkspan::RegCommand command = larkspan::ParseRegCommand(args);
    larkspan::SqliteRegistryStore store;
    larkspan::RegTool(store, std::cin, std::cout).Run(command);
    return 0;
  } catch (const std::invalid_argument& error) {
    std::cerr << "ERROR: " << error.what() << " Type \"larkspan-reg --help\" for usage.\n";
  } catch (const larkspan::RegToolError& error) {
    std::cerr << "ERROR: " << error.message << '\n';
  }
  return 1;
}
