#pragma once
// What the update check ends in once the update information has come: decided here, without a
// window, so that the update window only shows it and larkspan-publish reports exactly that.
#include <optional>
#include <string>

#include "settings/Language.h"
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

  // The installer's address for the download: there whenever the fields were taken, also when
  // another field left the text unusable.
  std::optional<std::u16string> InstallerAddress() const;
  // The news with its line breaks put in; empty leaves the news box as it is. Making it lets
  // pending window events run at every character (JReplace), so the window makes it once the
  // result lines show.
  std::u16string News() const;
};

// The check's outcome for the fetched `updateText`: the text taken apart (a missing field shows
// JNSplit's message through the run-time seam), then for complete fields the decision against
// `installed` and the result lines from `langText`. Every reading of the update text goes
// through here: a check that the text must pass before any of it is shown belongs at the start.
// Nothing here fails: unreadable numbers read as 0 and the entries used lie inside the table.
CheckOutcome DecideCheck(const std::u16string& updateText, const InstalledProduct& installed,
                         const LangTable& langText);

}  // namespace larkspan
