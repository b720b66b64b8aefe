#include "Publish.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <ostream>
#include <stdexcept>
#include <thread>
#include <vector>

#include "Product.h"
#include "Signer.h"
#include "base/Failure.h"
#include "base/Runtime.h"
#include "crypto/Crypto.h"
#include "net/Inet.h"
#include "os/CodePage.h"
#include "text/AsciiText.h"
#include "text/FileString.h"
#include "text/JString.h"
#include "text/NumberText.h"
#include "update/CheckOutcome.h"
#include "update/DownProgress.h"
#include "update/OfferedName.h"
#include "update/ReleaseSignature.h"
#include "update/ResultLine.h"

namespace larkspan::publish {
namespace {

constexpr const char16_t* kFieldNames[] = {u"edition", u"version", u"build", u"installer address",
                                           u"news"};

std::u16string Quoted(std::u16string_view text) {
  return u"\"" + std::u16string(text) + u"\"";
}

// A text that came from the update information or a server, as the report prints it: control
// characters (C0, DEL and C1) written as \xHH, so that the text can neither drive the maker's
// terminal nor start a report line of its own, and the characters that hide themselves or turn
// the text around them as \uHHHH (\UHHHHHHHH beyond 16 bits), so that it reads as it is.
std::string Shown(std::u16string_view text) {
  const auto hex = [](std::u16string_view prefix, char32_t c, int digits) {
    std::u16string written(prefix);
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) {
      written += static_cast<char16_t>(u"0123456789ABCDEF"[(c >> shift) & 15]);
    }
    return written;
  };
  std::u16string escaped;
  for (std::size_t at = 0; at < text.size();) {
    const auto [c, width] = CharacterAt(text, at);
    if (c < 0x20 || (c >= 0x7F && c <= 0x9F)) {
      escaped += hex(u"\\x", c, 2);
    } else if (IsInvisibleControl(c)) {
      escaped += c > 0xFFFF ? hex(u"\\U", c, 8) : hex(u"\\u", c, 4);
    } else {
      escaped += text.substr(at, width);
    }
    at += width;
  }
  return ToNarrow(escaped);
}

std::string Shown(const char* narrow) {
  return Shown(ToWide(narrow));
}

// A refusal quotes what the maker gave, which is shown as check shows a server's texts.
[[noreturn]] void Refuse(const std::u16string& message) {
  throw PublishError{ToWide(Shown(message))};
}

// Lines that the window shows, separated by CR LF: each one shown, indented by two blanks.
std::string ShownLines(std::u16string_view lines) {
  std::string shown;
  for (std::size_t from = 0;;) {
    const std::size_t end = lines.find(u"\r\n", from);
    shown += Shown(lines.substr(from, end - from));
    if (end == std::u16string_view::npos) return shown;
    shown += "\n  ";
    from = end + 2;
  }
}

// The download counts its chunks on a 16-bit counter that the rate display resets once a
// second: a body of more chunks than it holds stops on a link fast enough to bring them all
// between two ticks.
constexpr std::int64_t kLargestSafeInstaller =
    std::int64_t{std::numeric_limits<std::int16_t>::max()} * kChunkSize;

bool StartsWithIgnoringCase(std::u16string_view text, std::u16string_view start) {
  return text.size() >= start.size() &&
         EqualsIgnoringAsciiCase(text.substr(0, start.size()), start);
}

bool IsWebAddress(std::u16string_view text) {
  for (std::u16string_view scheme : {u"http://", u"https://"}) {
    if (StartsWithIgnoringCase(text, scheme) && text.size() > scheme.size()) return true;
  }
  return false;
}

// Stands in for the updater's run-time seam while the tool reads as the updater does: the
// messages that the updater would show are kept instead of shown.
class MessageRecorder final : public Runtime {
 public:
  MessageRecorder() : previous_(UseRuntime(this)) {}
  ~MessageRecorder() override { UseRuntime(previous_); }
  MsgBoxResult MsgBox(const std::u16string& prompt, int, const std::u16string& title) override {
    messages.push_back(title + u": " + JReplace(prompt, u"\n", u" ", 0, 0, 0, true));
    return MsgBoxResult::kOk;
  }
  void DoEvents() override {}
  [[noreturn]] void EndProgram() override { throw std::logic_error("the updater would end here"); }

  std::vector<std::u16string> messages;

 private:
  Runtime* previous_;
};

// The updater's check of `text` for a user with `installed`, and the messages it shows on the
// way.
struct Reading {
  CheckOutcome outcome;
  std::vector<std::u16string> messages;
};

Reading Read(const std::u16string& text, const InstalledProduct& installed = {},
             const LangTable& langText = LangTable(), std::string_view releaseKey = {}) {
  MessageRecorder recorder;
  CheckOutcome outcome = DecideCheck(text, installed, langText, releaseKey);
  return {std::move(outcome), std::move(recorder.messages)};
}

// Why the updater shows error 300 after this check; empty when it shows the result.
std::u16string Why300(const std::u16string& text, const CheckOutcome& outcome) {
  if (outcome.release) return {};
  const UpdateInfo& info = outcome.info;
  if (TrimBlanks(text).empty()) return u"the text is empty";
  if (!info.fieldsTaken) {
    return u"the text begins with \"<head>\": the updater takes it for a web page";
  }
  switch (outcome.signature) {
    case SignatureCheck::kMissing:
      return u"the text has no release record after its fifth \"#\", and the key requires one";
    case SignatureCheck::kMalformed:
      return u"the sixth field is not a release record (LR1;SIZE;SHA-256;SIGNATURE)";
    case SignatureCheck::kNotVerified:
      return u"the release record does not verify with the key: the text is not the one signed, "
             u"or another key signed it";
    default:
      break;
  }
  const std::u16string* fields[] = {&info.edition, &info.version, &info.build, &info.downloadUrl,
                                    &info.news};
  std::size_t i = 0;
  while (i + 1 < std::size(fields) && !TrimBlanks(*fields[i]).empty()) ++i;
  return u"the " + std::u16string(kFieldNames[i]) + u" field is empty, blank or missing";
}

void CheckVersion(const std::u16string& version) {
  // Read with "." as the decimal separator. Where the user's locale has ",", the strict
  // conversion takes the "." of a version written as it is shown here for a group separator:
  // the value changes, but neither its acceptance nor whether it is 0.
  ScopedDecimalSeparator point(u'.');
  double value = 0;
  if (!ResumeNext([&] { value = StrictNumber(version); }) || value == 0) {
    Refuse(u"the version " + Quoted(version) +
           u" is not a plain number other than 0, such as 3.2: the updater never offers it");
  }
  const std::u16string shown = NumberToText(LeadingNumber(version));
  if (shown != version) {
    Refuse(u"the version " + Quoted(version) + u" is shown and compared as " + shown +
           u"; write it that way");
  }
}

// The comparison reads a build in three parts, each as a 16-bit number, and takes one beyond
// that as 0.
void CheckBuild(std::u16string_view build) {
  if (!BuildPartsFit(build)) {
    Refuse(u"a part of the build " + Quoted(build) +
           u" reads beyond -32768 to 32767: the updater takes it as 0");
  }
}

struct Download {
  std::u16string failure;  // why the user's download would not work; empty when it would
  std::int64_t received = 0;
  Sha256Digest sha256{};
};

std::string Hex(const Sha256Digest& digest) {
  return ToNarrow(HexText(digest));
}

Sha256Digest DigestOf(const std::string& bytes) {
  Sha256 hash;
  hash.Update(bytes.data(), bytes.size());
  return hash.Finish();
}

// Takes the installer as the download window does: the request, the Content-Length as the
// window reads it, then the body in requests of kChunkSize bytes; with a `signedInstaller`
// (a keyed check), compares the size and the digest with it as a keyed updater does.
Download DownloadInstaller(const InetSettings& transfer, const std::u16string& address,
                           const std::optional<SignedInstaller>& signedInstaller,
                           std::ostream& out) {
  Download d;
  Inet inet(transfer);
  if (!ResumeNext([&] { inet.Execute(address, u"GET"); })) {
    d.failure = u"the address cannot be requested";
    return d;
  }
  while (inet.StillExecuting()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  const std::u16string lengthText = inet.GetHeader(u"Content-Length");
  const std::u16string type = inet.GetHeader(u"Content-Type");
  if (lengthText.empty()) {
    // Without the header the download stops at once; a byte of the body tells whether a
    // response came at all.
    try {
      std::vector<std::uint8_t> first;
      inet.GetChunk(first, 1);
      out << "  response: arrived, Content-Type " << Shown(type.empty() ? u"(none)" : type)
          << "\n  Content-Length: missing\n";
      d.failure = u"the response has no Content-Length, and every download stops at once";
    } catch (const Failure& failure) {
      out << "  response: none (" << Shown(failure.what()) << ")\n";
      d.failure = u"the installer address gives no response";
    }
    return d;
  }
  out << "  response: arrived, Content-Type " << Shown(type.empty() ? u"(none)" : type)
      << "\n  Content-Length: " << Shown(lengthText);
  std::int32_t size = 0;
  try {
    size = ContentLengthValue(lengthText);
  } catch (const Failure&) {
    out << " (not a whole number within 32 bits)\n";
    d.failure = u"the Content-Length is unusable, and every download stops at once";
    return d;
  }
  out << " (" << Shown(SizeText(size)) << ")\n";
  if (size > kLargestSafeInstaller) {
    out << "  warning: larger than " << kLargestSafeInstaller << " bytes ("
        << kLargestSafeInstaller / kChunkSize << " chunks of " << kChunkSize
        << " bytes): the updater stops the\n    download when more than that arrives between "
           "two ticks of its rate display, once a\n    second, so users on links faster than "
           "about 32 MiB/s cannot download it\n";
  }
  if (signedInstaller && signedInstaller->size != size) {
    out << "  signed size: " << signedInstaller->size << " bytes, not the Content-Length\n";
    d.failure = u"the served size is not the signed one, and a keyed updater stops at once";
    return d;
  }
  Sha256 hash;
  try {
    std::vector<std::uint8_t> chunk;
    for (std::int32_t remaining = size; remaining > 0;) {
      const std::int32_t asked = std::min(remaining, kChunkSize);
      inet.GetChunk(chunk, asked);
      hash.Update(chunk.data(), chunk.size());
      d.received += asked;
      remaining -= asked;
    }
  } catch (const Failure& failure) {
    out << "  received: " << d.received << " of " << size << " bytes, then "
        << Shown(failure.what()) << "\n";
    d.failure = u"the download stops part way";
    return d;
  }
  d.sha256 = hash.Finish();
  out << "  received: " << d.received << " bytes, SHA-256 " << Hex(d.sha256) << "\n";
  if (signedInstaller) {
    const bool same = signedInstaller->sha256 == d.sha256;
    out << "  signed SHA-256: " << Hex(signedInstaller->sha256)
        << (same ? ": the same\n" : ": different\n");
    if (!same) {
      d.failure = u"the served bytes are not the signed ones, and a keyed updater removes them";
      return d;
    }
  }
  if (size == 0) d.failure = u"the Content-Length is 0: the download gives an empty file";
  if (StartsWithIgnoringCase(type, u"text/html")) {
    d.failure = u"the address serves a web page, which the updater would save as the installer";
  }
  return d;
}

// Prints what the update window shows after reading `text`; returns why the user is offered
// no download, or nothing when the Download button shows.
std::u16string ReportOutcome(const std::u16string& text, const CheckOutcome& outcome,
                             std::ostream& out) {
  const std::u16string why = Why300(text, outcome);
  if (!why.empty()) {
    out << "outcome: error 300, because " << Shown(why) << "\n";
    return u"the updater shows error 300";
  }
  out << "outcome: " << (outcome.downloadOffered ? "Download button" : "no Download button")
      << "; the window shows\n  " << ShownLines(outcome.resultLines) << "\nnews:\n  "
      << ShownLines(outcome.News()) << "\n";
  return outcome.downloadOffered ? u"" : u"nothing newer is offered";
}

}  // namespace

std::string ReadFileBytes(const std::u16string& path, const std::u16string& what) {
  std::ifstream in(std::filesystem::path(path), std::ios::binary);
  std::string bytes(std::istreambuf_iterator<char>(in), {});
  if (!in.is_open() || in.bad()) {
    throw PublishError{u"cannot read " + what + u" " + Quoted(path), 2};
  }
  return bytes;
}

std::u16string NewsField(std::u16string fileText) {
  if (!fileText.empty() && fileText.back() == u'\n') fileText.pop_back();
  if (!fileText.empty() && fileText.back() == u'\r') fileText.pop_back();
  std::u16string news;
  for (std::size_t i = 0; i < fileText.size(); ++i) {
    const char16_t c = fileText[i];
    if (c != u'\r' && c != u'\n') {
      news += c;
      continue;
    }
    if (c == u'\r' && i + 1 < fileText.size() && fileText[i + 1] == u'\n') ++i;
    news += kNewsLineBreak;
  }
  return news;
}

std::u16string MakeUpdateText(const Release& release) {
  const std::u16string* given[] = {&release.edition, &release.version, &release.build, &release.url,
                                   &release.news};
  for (std::size_t i = 0; i < std::size(given); ++i) {
    const std::u16string name = kFieldNames[i];
    if (TrimBlanks(*given[i]).empty()) Refuse(u"the " + name + u" is empty or blank");
    if (given[i]->find(u'#') != std::u16string::npos) {
      Refuse(u"the " + name + u" contains \"#\", which the updater takes for the next field");
    }
  }
  CheckVersion(release.version);
  CheckBuild(release.build);
  if (!IsWebAddress(release.url)) {
    Refuse(u"the installer address " + Quoted(release.url) + u" is not an http or https address");
  }
  // The Save dialog offers the address's last part only as a plain file name, as it reads and
  // short enough for Linux and for Windows, where users of the same text save it.
  const std::u16string lastPart = GetFileName(TrimBlanks(release.url), u"/", true);
  if (lastPart.empty()) {
    Refuse(u"the installer address " + Quoted(release.url) +
           u" ends in \"/\": users would be offered no file name");
  }
  if (const std::u16string offered = OfferedFileName(lastPart, kLinuxNameBytes);
      offered != lastPart) {
    Refuse(u"the installer address ends in " + Quoted(lastPart) +
           u", which users would be offered to save as " + Quoted(offered));
  }
  std::u16string text = release.edition;
  for (std::size_t i = 1; i < std::size(given); ++i) text += u"#" + *given[i];

  // Whatever else the updater would take otherwise shows when it reads the text back.
  const Reading reading = Read(text);
  const std::u16string why = Why300(text, reading.outcome);
  if (!why.empty()) Refuse(why);
  const UpdateInfo& info = reading.outcome.info;
  const std::u16string* read[] = {&info.edition, &info.version, &info.build, &info.downloadUrl,
                                  &info.news};
  for (std::size_t i = 0; i < std::size(given); ++i) {
    if (*read[i] != *given[i]) {
      Refuse(u"the updater would read the " + std::u16string(kFieldNames[i]) + u" as " +
             Quoted(*read[i]) + u" (blanks at the ends of the text are trimmed)");
    }
  }
  return text;
}

std::u16string SignUpdateText(const std::u16string& text, const std::string& installer,
                              const Signer& signer) {
  if (installer.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
    Refuse(u"the installer is larger than a Content-Length that the updater takes");
  }
  const SignedInstaller named{static_cast<std::int32_t>(installer.size()), DigestOf(installer)};
  const std::u16string signedText =
      text + u"#" + ReleaseRecord(named, signer.Sign(SignedMessage(text, named)));
  // Read back as an updater with the key reads the written text: one that the narrow character
  // set does not carry unchanged would not verify there either.
  const std::u16string served = ToWide(ToNarrow(signedText));
  const Reading reading = Read(served, {}, LangTable(), signer.PublicKeyText());
  if (const std::u16string why = Why300(served, reading.outcome); !why.empty()) Refuse(why);
  return signedText;
}

std::string ReleaseKeyText(const std::string& fileText) {
  std::string key;
  std::size_t from = 0;
  while (from < fileText.size()) {
    const std::size_t end = std::min(fileText.find('\n', from), fileText.size());
    const std::string_view line = std::string_view(fileText).substr(from, end - from);
    if (!line.starts_with("-----")) {
      for (const char c : line) {
        if (c != ' ' && c != '\t' && c != '\r') key += c;
      }
    }
    from = end + 1;
  }
  return key;
}

int Check(const LangTable& langText, const InetSettings& transfer, const std::u16string& source,
          const std::u16string& installedText, const std::u16string& localFile,
          const std::string& releaseKey, std::ostream& out) {
  if (std::count(installedText.begin(), installedText.end(), u'*') != 1) {
    throw PublishError{u"--installed takes VERSION*BUILD, such as 3.1*0101000", 2};
  }
  Sha256Digest localSha{};
  std::size_t localSize = 0;
  if (!localFile.empty()) {
    const std::string bytes = ReadFileBytes(localFile, u"the file");
    localSha = DigestOf(bytes);
    localSize = bytes.size();
  }
  if (!releaseKey.empty() && !P256PublicKey(releaseKey).Usable()) {
    throw PublishError{u"the key file holds no P-256 public key", 2};
  }
  // The installed version and build as the updater's start-up takes them from a command line
  // that carries them: its fields 1 and 2.
  const std::u16string commandLine = u"larkspan-publish*" + installedText + u"*" + source;
  const InstalledProduct installed{kProductName, JNSplit(commandLine, u"*", 1, true),
                                   JNSplit(commandLine, u"*", 2, true)};

  std::u16string text;
  if (IsWebAddress(source)) {
    Inet inet(transfer);
    try {
      text = inet.OpenURL(source);
    } catch (const Failure& failure) {
      out << "update information: " << Shown(source)
          << "\n  fetch failed: " << Shown(failure.what())
          << "\nresult: the updater ends the check without a word and offers nothing (exit 1)\n";
      return 1;
    }
  } else {
    text = ToWide(ReadFileBytes(source, u"the update information"));
  }
  out << "update information: " << Shown(source) << " (" << text.size() << " characters)\n";
  const Reading reading = Read(text, installed, langText, releaseKey);
  const UpdateInfo& info = reading.outcome.info;
  if (info.fieldsTaken) {
    out << "  edition " << Shown(Quoted(info.edition)) << ", version "
        << Shown(Quoted(info.version)) << ", build " << Shown(Quoted(info.build)) << "\n";
  }
  for (const std::u16string& message : reading.messages) {
    out << "  the updater would show the message " << Shown(Quoted(message)) << "\n";
  }
  if (const auto& named = reading.outcome.installer) {
    out << "  release record: verified with the key; installer of " << named->size
        << " bytes, SHA-256 " << Hex(named->sha256) << "\n";
  }
  out << "installed: version " << Shown(installed.version) << ", build " << Shown(installed.build)
      << "\n";

  std::u16string verdict = ReportOutcome(text, reading.outcome, out);
  // The updater keeps the installer address even when another field is empty: it is checked
  // whenever there is one.
  const std::u16string address = TrimBlanks(reading.outcome.InstallerAddress().value_or(u""));
  if (!address.empty()) {
    out << "installer: " << Shown(address) << "\n";
    const Download download = DownloadInstaller(transfer, address, reading.outcome.installer, out);
    if (verdict.empty()) verdict = download.failure;
    if (!localFile.empty() && download.failure.empty()) {
      const bool equal = localSha == download.sha256;
      out << "  local file: " << Shown(localFile) << ", " << localSize << " bytes, SHA-256 "
          << Hex(localSha) << (equal ? ": the same bytes\n" : ": different bytes\n");
      if (!equal && verdict.empty()) verdict = u"the served installer is not the local file";
    }
  }
  const std::string user =
      "a user with version " + Shown(installed.version) + " build " + Shown(installed.build);
  if (verdict.empty()) {
    out << "result: " << user << " gets a working download of the installer (exit 0)\n";
    return 0;
  }
  out << "result: " << user << " gets no working download: " << Shown(verdict) << " (exit 1)\n";
  return 1;
}

}  // namespace larkspan::publish
