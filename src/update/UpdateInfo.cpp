#include "update/UpdateInfo.h"

#include "text/AsciiText.h"
#include "text/JString.h"
#include "text/NumberText.h"

namespace larkspan {
namespace {

// A web server's own page instead of the update information.
bool StartsWithHeadTag(std::u16string_view text) {
  return AsciiLower(text.substr(0, 6)) == u"<head>";
}

}  // namespace

UpdateInfo ReadUpdateInfo(const std::u16string& body) {
  UpdateInfo info;
  const std::u16string text = TrimBlanks(body);
  if (text.empty() || StartsWithHeadTag(text)) return info;

  info.edition = JNSplit(text, u"#", 0, true);
  info.version = JNSplit(text, u"#", 1, true);
  info.build = JNSplit(text, u"#", 2, true);
  info.downloadUrl = JNSplit(text, u"#", 3, true);
  info.news = JNSplit(text, u"#", 4, true);
  info.fieldsTaken = true;

  for (const std::u16string* field :
       {&info.edition, &info.version, &info.build, &info.downloadUrl, &info.news}) {
    if (TrimBlanks(*field).empty()) return info;
  }
  info.outcome = UpdateInfoOutcome::kFieldsComplete;
  return info;
}

}  // namespace larkspan
