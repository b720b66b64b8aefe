// larkspan-publish: writes the update information of a Vantrel release, and checks a published
// one the way the users' updater will read it.
#include <algorithm>
#include <clocale>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "Publish.h"
#include "Signer.h"
#include "os/CodePage.h"
#include "os/Paths.h"
#include "settings/Language.h"

namespace {

using larkspan::ToNarrow;
using larkspan::ToWide;
using larkspan::publish::PublishError;
using larkspan::publish::ReadFileBytes;

constexpr char kUsage[] = R"(Usage:
  larkspan-publish make --edition TEXT --version N --build TEXT --url ADDRESS --news FILE
                        [--key PRIVATE-KEY-FILE --file SETUP.EXE] [-o FILE]
  larkspan-publish check SOURCE [--installed VERSION*BUILD] [--file SETUP.EXE]
                        [--key PUBLIC-KEY-FILE]
  larkspan-publish --help

make writes the update-information text (to standard output, or to FILE with -o): the five
  fields joined with "#", the news file's line breaks written as "<Crlf>". It refuses, with one
  line on standard error and exit status 1, any text that the updater would misread. With
  --key it adds the release record of the installer SETUP.EXE, signed with that P-256 key.
check reads SOURCE (an http or https address, or a file) as the updater does, shows what a
  user with the installed VERSION*BUILD (default 0*0, older than any release) would see, then
  downloads the installer as the updater does; with --file it compares the served bytes with
  that file, with --key it reads and downloads as an updater built with that public key.
  Exit status 0 only when that user would get a working download (of that file).
Exit status 2: the command line or a file cannot be used.
)";

// Options of the form "--name value" after the command, and the words that are no option.
struct Arguments {
  std::map<std::string, std::string> options;
  std::vector<std::string> words;
};

Arguments ReadArguments(int argc, char** argv, const std::vector<std::string>& known) {
  Arguments args;
  for (int i = 2; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.size() < 2 || arg[0] != '-') {
      args.words.push_back(arg);
    } else if (std::find(known.begin(), known.end(), arg) == known.end() || i + 1 == argc) {
      throw PublishError{ToWide("unknown option or missing value: " + arg), 2};
    } else {
      args.options[arg] = argv[++i];
    }
  }
  return args;
}

std::string Required(const Arguments& args, const std::string& name) {
  const auto found = args.options.find(name);
  if (found == args.options.end()) throw PublishError{ToWide("missing " + name), 2};
  return found->second;
}

int Make(const Arguments& args) {
  if (!args.words.empty()) throw PublishError{ToWide("unexpected argument " + args.words[0]), 2};
  const larkspan::publish::Release release{
      ToWide(Required(args, "--edition")), ToWide(Required(args, "--version")),
      ToWide(Required(args, "--build")), ToWide(Required(args, "--url")),
      larkspan::publish::NewsField(
          ToWide(ReadFileBytes(ToWide(Required(args, "--news")), u"the news file")))};
  std::u16string text = larkspan::publish::MakeUpdateText(release);
  if (args.options.contains("--key") || args.options.contains("--file")) {
    const std::u16string keyPath = ToWide(Required(args, "--key"));
    const larkspan::publish::Signer signer(ReadFileBytes(keyPath, u"the key file"), keyPath);
    text = larkspan::publish::SignUpdateText(
        text, ReadFileBytes(ToWide(Required(args, "--file")), u"the installer"), signer);
  }
  const std::string narrow = ToNarrow(text);
  const auto output = args.options.find("-o");
  if (output == args.options.end()) {
    std::cout << narrow << std::flush;
    return std::cout ? 0 : 2;
  }
  std::ofstream file(output->second, std::ios::binary);
  file << narrow;
  file.close();
  if (!file) throw PublishError{ToWide("cannot write " + output->second), 2};
  return 0;
}

int Check(const Arguments& args) {
  if (args.words.size() != 1) throw PublishError{u"check takes one SOURCE", 2};
  const auto option = [&](const std::string& name, const std::string& otherwise) {
    const auto found = args.options.find(name);
    return ToWide(found == args.options.end() ? otherwise : found->second);
  };
  // The texts the window would show, in English, from beside the program as the updater has them.
  const std::filesystem::path lang = larkspan::ProgramFolder() / "Lang" / "English.lng";
  larkspan::LangTable langText;
  if (larkspan::LoadLanguageFile(lang.u16string(), langText) != 0) {
    throw PublishError{u"cannot read the language file " + lang.u16string(), 2};
  }
  const std::u16string keyPath = option("--key", "");
  const std::string key =
      keyPath.empty() ? std::string()
                      : larkspan::publish::ReleaseKeyText(ReadFileBytes(keyPath, u"the key file"));
  return larkspan::publish::Check(langText, larkspan::InetSettings{}, ToWide(args.words[0]),
                                  option("--installed", "0*0"), option("--file", ""), key,
                                  std::cout);
}

}  // namespace

int main(int argc, char** argv) {
  // Texts are in the locale's character set, as the updater reads and writes them.
  std::setlocale(LC_CTYPE, "");
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "--help" || command == "-h") {
    std::cout << kUsage;
    return 0;
  }
  try {
    if (command == "make") {
      return Make(ReadArguments(
          argc, argv,
          {"--edition", "--version", "--build", "--url", "--news", "--key", "--file", "-o"}));
    }
    if (command == "check") {
      return Check(ReadArguments(argc, argv, {"--installed", "--file", "--key"}));
    }
    std::cerr << kUsage;
    return 2;
  } catch (const PublishError& error) {
    std::cerr << "larkspan-publish: " << ToNarrow(error.message) << '\n';
    return error.status;
  }
}
