#pragma once
// The two commands of larkspan-publish, the maker's tool: write the update-information text of
// a release, and check what a user's updater would do with a published one.
#include <iosfwd>
#include <string>

#include "net/Inet.h"
#include "settings/Language.h"

namespace larkspan::publish {

class Signer;

// One release as the maker describes it; the news with its line breaks written as the marker.
struct Release {
  std::u16string edition, version, build, url, news;
};

// A refusal (status 1), or the reason why a command cannot run at all (status 2): one line for
// the maker, and the tool's exit status.
struct PublishError {
  std::u16string message;
  int status = 1;
};

// The bytes of the file at `path`; PublishError (status 2) naming it as `what` when unreadable.
std::string ReadFileBytes(const std::u16string& path, const std::u16string& what);

// A news file's text as the news field: line breaks (CR LF, LF or CR) written as the marker.
// The line break that ends the file's last line is not part of the news.
std::u16string NewsField(std::u16string fileText);

// The update-information text of `release`: its five fields joined with "#". Throws
// PublishError when a user's updater would misread the text: a "#" in a field, a blank field,
// a version that is not a plain number other than 0, a build part beyond 16 bits, an address
// that is not http or https, that ends in "/" or whose last part the Save dialog would not offer
// as it stands on Linux and on Windows, a text that reads as a web page, a field that reads back
// otherwise.
std::u16string MakeUpdateText(const Release& release);

// `text` (as MakeUpdateText made it) with the release record of the `installer` bytes in its
// sixth field, signed by `signer`. Throws PublishError when an updater with the key would not
// verify it (a text that the narrow character set does not carry unchanged) or the installer
// is larger than a Content-Length can say.
std::u16string SignUpdateText(const std::u16string& text, const std::string& installer,
                              const Signer& signer);

// A release key's text from a key file: the base64 lines of a PEM public key file, or the one
// line that a build's LARKSPAN_RELEASE_KEY takes.
std::string ReleaseKeyText(const std::string& fileText);

// Reads the update information at `source` (an http or https address; anything else is a file)
// the way the updater reads it, decides as the updater decides for a user with `installed`
// ("VERSION*BUILD"), downloads the installer as the updater does and, when `localFile` is not
// empty, compares the served bytes with that file. With a `releaseKey` it reads and downloads
// as an updater built with that key: the text's signature, then the installer's size and
// digest. Writes the report to `out` and returns 0 when that user would get a working download
// of the installer (of that file), 1 otherwise. Throws PublishError when it cannot check at
// all. The result lines come from `langText`, the requests go out with `transfer`, as the
// updater's transfer control has them.
int Check(const LangTable& langText, const InetSettings& transfer, const std::u16string& source,
          const std::u16string& installed, const std::u16string& localFile,
          const std::string& releaseKey, std::ostream& out);

}  // namespace larkspan::publish
