#include "update_window/UpdateInfo.h"

#include "toolkit/JString.h"
#include "toolkit/NumberText.h"

namespace larkspan {
namespace {

bool StartsWithHeadTag(const std::u16string& text) {
  std::u16string head = text.substr(0, 6);
  for (char16_t& c : head) {
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
  }
  return head == u"<head>";
}

}  // namespace

UpdateInfo ReadUpdateInfo(const std::u16string& body) {
  UpdateInfo info;
  const std::u16string text = TrimBlanks(body);
  // Nothing, or a web server's own page instead of the update information.
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
