#pragma once
#include <string>

namespace larkspan {

enum class UpdateInfoOutcome {
  kServerError,     // empty, an HTML page, or a field with nothing but blanks: error 300
  kFieldsComplete,  // every field holds something: the result display follows
};

// The update information as the check takes it apart: five "#"-separated fields
// (edition, version, build, installer address, news), used untrimmed.
struct UpdateInfo {
  UpdateInfoOutcome outcome = UpdateInfoOutcome::kServerError;
  // False when the body was refused before the fields were taken (empty or an HTML page);
  // true means the fields below were taken, so the installer address is valid even when an
  // empty field makes the outcome a server error.
  bool fieldsTaken = false;
  std::u16string edition;
  std::u16string version;
  std::u16string build;
  std::u16string downloadUrl;
  std::u16string news;
};

// Takes the fetched body apart as the update window's check does: blanks trimmed at both ends,
// an empty text or one beginning with "<head>" (any case) refused, the five fields taken with
// JNSplit in order (a missing field shows JNSplit's message through the user-interface
// services), then every field must hold a non-blank. Needs no window.
UpdateInfo ReadUpdateInfo(const std::u16string& body);

}  // namespace larkspan
