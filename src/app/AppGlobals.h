#pragma once
#include <optional>
#include <string>
#include <vector>

#include "net/Inet.h"
#include "settings/Language.h"
#include "update/ReleaseSignature.h"

namespace larkspan {

// The process-wide record: created empty when the process starts, filled at start-up, and
// living until the process ends. Every text field is empty until set. Both windows read it;
// start-up fills it and builds the windows (app/Startup.h).
struct AppGlobals {
  AppGlobals();

  std::u16string CompanyName;
  std::u16string UpdaterVersion;
  std::u16string DownloaderName;
  std::u16string DownloaderVersion;
  std::u16string DownloaderTitle;
  std::u16string CompanyURL;
  std::u16string ProductName;
  std::u16string CallerField;
  std::u16string InstalledVersion;
  std::u16string InstalledBuild;
  std::u16string UpdateInfoURL;
  std::u16string CommandLine;
  std::u16string DownloadURL;

  LangTable LangText;
  std::u16string LangFileName;

  // Where IsOnline probes, in order: the product's site, then the maker's (deployment data).
  std::vector<std::u16string> probeAddresses;
  // Design-time settings of the two transfer controls (port 80, time-out 60 s).
  InetSettings transferSettings;
  // The release key of a deployment with signed releases, empty without one; and the installer
  // that the verified update information names, which the download must match.
  std::string releaseKey;
  std::optional<SignedInstaller> signedInstaller;
};

AppGlobals& Globals();

// Language entry `entry` of the process's table; throws Failure(kSubscriptOutOfRange) outside
// 0 to 1400.
const std::u16string& Lang(int entry);

// Empties start-up's texts and the installer address; the caller's field keeps its value.
void ClearGlobals();
// Clears the process-wide texts and ends the program at once; does not return.
[[noreturn]] void ExitProgram();

}  // namespace larkspan
