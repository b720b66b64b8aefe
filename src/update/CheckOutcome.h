#pragma once
// What the update check ends in once the update information has come: decided here, without a
// window, so that the update window only shows it and larkspan-publish reports exactly that.
#include <optional>
#include <string>
#include <string_view>

#include "settings/Language.h"
#include "update/ReleaseSignature.h"
#include "update/UpdateInfo.h"
#include "update/VersionDecision.h"

namespace larkspan {

// The installed product as the updater's command line gives it: its name, version and build.
struct InstalledProduct {
  std::u16string name, version, build;
};

struct CheckOutcome {
  // The update information as the check took it apart.
  UpdateInfo info;
  // The decision; nothing when the text is not usable and the window shows error 300 instead
  // of a result.
  std::optional<ReleaseOutcome> release;
  // The status line of a decision: the result lines.
  std::u16string resultLines;
  // A newer version or build: the Download button shows.
  bool downloadOffered = false;
  // A build with a release key: what became of the text's signature, and the installer that
  // the verified record names, which the download must match.
  SignatureCheck signature = SignatureCheck::kNoKey;
  std::optional<SignedInstaller> installer;

  // The installer's address for the download: there whenever the fields were taken, also when
  // another field left the text unusable; with a release key only from a verified text.
  std::optional<std::u16string> InstallerAddress() const;
  // The news with its line breaks put in; empty leaves the news box as it is. Making it lets
  // pending window events run at every character (JReplace), so the window makes it once the
  // result lines show.
  std::u16string News() const;
};

// The check's outcome for the fetched `updateText`: the text taken apart (a missing field shows
// JNSplit's message through the run-time seam); with a `releaseKey` (a build's key text, empty
// in a build without one) complete fields must also verify, else the text is as unusable as an
// empty one; then the decision against `installed` and the result lines from `langText`. Every
// reading of the update text goes through here. Nothing here fails: unreadable numbers read as
// 0, the entries used lie inside the table, and a key that cannot be read verifies nothing.
CheckOutcome DecideCheck(const std::u16string& updateText, const InstalledProduct& installed,
                         const LangTable& langText, std::string_view releaseKey = {});

}  // namespace larkspan
