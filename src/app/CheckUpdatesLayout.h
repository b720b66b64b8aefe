#pragma once
#include "ui/Layout.h"

namespace larkspan {

// The names of the update window's controls, for its layout table and its code alike.
namespace checkupdates {
inline constexpr char StatusL[] = "StatusL";
inline constexpr char DownloadCB[] = "DownloadCB";
inline constexpr char NewsT[] = "NewsT";
inline constexpr char lblLastNews[] = "lblLastNews";
inline constexpr char btnCancel[] = "btnCancel";
inline constexpr char imgDownload[] = "imgDownload";
inline constexpr char imgReadMore[] = "imgReadMore";
inline constexpr char DoJobTimer[] = "DoJobTimer";
inline constexpr char OnTopFormTimer[] = "OnTopFormTimer";
}  // namespace checkupdates

// The update window as designed: every control with its place in twips, font, colours,
// caption, picture and initial state. The back ends build the window from this table.
const WindowLayout& CheckUpdatesFormLayout();

}  // namespace larkspan
