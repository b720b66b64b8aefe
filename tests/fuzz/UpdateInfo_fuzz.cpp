// The update information as the check takes it apart, from the raw bytes of a response body
// (turned into text as the transfer control delivers it). Checked against a plain reading of
// the format: blanks trimmed at both ends, an empty text or an HTML page refused without a word,
// fields split at "#" with a field number beyond the last shown once per missing field, the
// news ending at a fifth "#", and the fields complete exactly when all five hold a non-blank.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzSupport.h"
#include "platform/CodePage.h"
#include "toolkit/NumberText.h"
#include "update_window/UpdateInfo.h"

using namespace larkspan;
using namespace larkspan::fuzz;

namespace {

bool IsHtmlPage(const std::u16string& text) {
  if (text.size() < 6) return false;
  std::u16string head = text.substr(0, 6);
  for (char16_t& c : head) {
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
  }
  return head == u"<head>";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::u16string body = ToWide(std::string_view(reinterpret_cast<const char*>(data), size));
  SilentUi& ui = Ui();
  const UpdateInfo info = ReadUpdateInfo(body);

  const std::u16string text = TrimBlanks(body);
  if (text.empty() || IsHtmlPage(text)) {
    FUZZ_CHECK(!info.fieldsTaken && info.outcome == UpdateInfoOutcome::kServerError);
    FUZZ_CHECK(ui.count == 0);
    return 0;
  }
  FUZZ_CHECK(info.fieldsTaken);

  std::vector<std::u16string> parts(1);
  for (char16_t c : text) {
    if (c == u'#') {
      parts.emplace_back();
    } else {
      parts.back() += c;
    }
  }
  const std::size_t hashes = parts.size() - 1;
  if (hashes == 0) {
    FUZZ_CHECK(ui.count == 0 && info.edition.empty() && info.news.empty());
    FUZZ_CHECK(info.outcome == UpdateInfoOutcome::kServerError);
    return 0;
  }
  // One message for each field beyond the last: fields 2 to 4 with one "#", and so on.
  FUZZ_CHECK(ui.count == (hashes < 4 ? static_cast<int>(4 - hashes) : 0));
  parts.resize(5);
  const std::u16string* fields[] = {&info.edition, &info.version, &info.build, &info.downloadUrl,
                                    &info.news};
  bool complete = true;
  for (int i = 0; i < 5; ++i) {
    FUZZ_CHECK(*fields[i] == parts[i]);
    complete = complete && !TrimBlanks(parts[i]).empty();
  }
  FUZZ_CHECK((info.outcome == UpdateInfoOutcome::kFieldsComplete) == complete);
  return 0;
}
