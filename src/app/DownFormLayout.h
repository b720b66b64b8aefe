#pragma once
#include "ui/Layout.h"

namespace larkspan {

// The names of the download window's controls, for its layout table and its code alike.
namespace downform {
inline constexpr char lblDownStat[] = "lblDownStat";
inline constexpr char lblFileSize[] = "lblFileSize";
inline constexpr char lblFileSizeVal[] = "lblFileSizeVal";
inline constexpr char lblDown[] = "lblDown";
inline constexpr char lblDownVal[] = "lblDownVal";
inline constexpr char lblTransferRate[] = "lblTransferRate";
inline constexpr char lblTransferRateVal[] = "lblTransferRateVal";
inline constexpr char ProBarDownload[] = "ProBarDownload";
inline constexpr char btnStopDownload[] = "btnStopDownload";
inline constexpr char btnClose[] = "btnClose";
inline constexpr char btnCancel[] = "btnCancel";
inline constexpr char btnRunFile[] = "btnRunFile";
inline constexpr char DoDwonJobTimer[] = "DoDwonJobTimer";
inline constexpr char DownRateTimer[] = "DownRateTimer";
}  // namespace downform

// The download window as designed: every control with its place in twips, font, colours,
// caption, picture and initial state. The back ends build the window from this table.
const WindowLayout& DownFormLayout();

}  // namespace larkspan
