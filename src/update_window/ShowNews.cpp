// The result display of the update window: the decision between a newer version, a newer
// build and nothing new, and the lines that tell the user.
#include <cstdint>

#include "platform/Failure.h"
#include "startup/AppGlobals.h"
#include "toolkit/JString.h"
#include "toolkit/NumberText.h"
#include "update_window/CheckUpdatesForm.h"

namespace larkspan {
namespace {

// A build text such as "0101001" is read in three parts: its first two characters, its
// characters 3 and 4, and its last three characters.
struct BuildParts {
  std::int16_t first = 0, middle = 0, last = 0;
};

// A part too large for 16 bits fails, and the guarded caller leaves that part at 0.
std::int16_t PartValue(std::u16string_view characters) {
  std::optional<std::int16_t> value = RoundToInt16(LeadingNumber(characters));
  if (!value) throw Failure(kOverflow, "build part out of range");
  return *value;
}

BuildParts ReadBuild(const std::u16string& build) {
  std::u16string_view text(build);
  BuildParts parts;
  ResumeNext(
      [&] { parts.last = PartValue(text.substr(text.size() - std::min<size_t>(3, text.size()))); });
  ResumeNext([&] { parts.middle = PartValue(text.size() > 2 ? text.substr(2, 2) : u""); });
  ResumeNext([&] { parts.first = PartValue(text.substr(0, 2)); });
  return parts;
}

enum class Outcome { kNewerVersion, kNewerBuild, kNothingNewer };

Outcome NewerByBuild(const BuildParts& installed, const BuildParts& server) {
  if (server.last > installed.last) return Outcome::kNewerBuild;
  if (server.last == installed.last && server.middle > installed.middle) {
    return Outcome::kNewerBuild;
  }
  if (server.last == installed.last && server.middle == installed.middle &&
      server.first > installed.first) {
    return Outcome::kNewerBuild;
  }
  return Outcome::kNothingNewer;
}

}  // namespace

void CheckUpdatesForm::ShowNews(std::u16string Ver, const std::u16string& EDYear,
                                std::u16string Build, std::u16string News) {
  const AppGlobals& g = Globals();
  const LangTable& lang = g.LangText;
  BuildParts installedBuild = ReadBuild(g.InstalledBuild);
  BuildParts serverBuild = ReadBuild(Build);
  double installed = LeadingNumber(g.InstalledVersion);
  double server = LeadingNumber(Ver);

  // The server's version must also be a number as a whole. One that is not (a letter in it,
  // say "3.2b") is taken as not newer here; when its reading equals the installed version
  // the builds still decide below.
  bool wholeNumberNotZero = false;
  ResumeNext([&] { wholeNumberNotZero = StrictNumber(Ver) != 0; });

  Outcome outcome = Outcome::kNothingNewer;
  if (installed < server && wholeNumberNotZero) {
    outcome = Outcome::kNewerVersion;
  } else if (installed == server) {
    outcome = NewerByBuild(installedBuild, serverBuild);
  }

  auto release = [&] {
    return lang[24] + u" " + NumberToText(server) + u" " + lang[1284] + u" " + Build;
  };
  switch (outcome) {
    case Outcome::kNewerVersion:
      ResumeNext([&] { DownloadCB.SetVisible(true); });
      // No blank between product name and edition in this line; the newer-build line has one.
      ResumeNext([&] {
        StatusL.SetCaption(lang[1099] + u"\r\n" + g.ProductName + EDYear + u" " + release());
      });
      break;
    case Outcome::kNewerBuild:
      ResumeNext([&] { DownloadCB.SetVisible(true); });
      ResumeNext([&] {
        StatusL.SetCaption(lang[1100] + u"\r\n" + g.ProductName + u" " + EDYear + u" " + release());
      });
      break;
    case Outcome::kNothingNewer:
      ResumeNext([&] { StatusL.SetCaption(lang[1047]); });
      break;
  }

  ResumeNext([&] { News = JReplace(News, u"<Crlf>", u"\r\n", 0, 0, 0, false); });
  if (ConditionOrEnter([&] { return !News.empty(); })) {
    ResumeNext([&] { NewsT.SetText(News); });
  }
}

}  // namespace larkspan
