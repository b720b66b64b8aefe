#pragma once
// The language entries that the windows and their result lines show, by what they say. Their
// texts are the language file's; see Lang/English.lng.
namespace larkspan::lang {

enum Entry : int {
  kVersionWord = 24,         // result lines, before the version number
  kUpdateCancel = 108,       // the update window's Cancel button
  kFileSize = 168,           // download window: name label of the size
  kErrorWord = 334,          // both error lines, before " 312)" or " 300)"
  kClose = 578,              // download window: Close button
  kDownloadCancel = 717,     // download window: Cancel button
  kDownloadButton = 1045,    // update window: Download button
  kNothingNewer = 1047,      // result line when nothing newer is out
  kLastNews = 1048,          // heading above the news box
  kNewerVersion = 1099,      // first result line for a newer version
  kNewerBuild = 1100,        // first result line for a newer build
  kUpdateManager = 1107,     // middle of the update window's caption
  kDownloaded = 1110,        // download window: name label of the amount downloaded
  kTransferRate = 1111,      // download window: name label of the rate
  kRunFile = 1112,           // download window: Run File button
  kStop = 1133,              // download window: Stop button
  kRequesting = 1141,        // download status while the request runs
  kStopped = 1144,           // download status when stopped or failed
  kReceiving = 1148,         // download status while the body is written, before " ..."
  kComplete = 1149,          // download status when complete
  kReplaceQuestion = 1150,   // first line of the question before replacing a file
  kReplaceQuestion2 = 1151,  // its second line
  kCloseQuestion = 1152,     // first line of the question when closed during a download
  kCloseQuestion2 = 1154,    // its second line
  kChecking = 1156,          // status at load and at the start of the check, before " ..."
  kConnectingMaker = 1157,   // status while the maker's site is probed, before " ..."
  kNoConnection2 = 1158,     // no-connection display, second explanation line
  kServerError1 = 1159,      // server-error display, first explanation line
  kServerError2 = 1160,      // server-error display, second explanation line
  kNoConnection1 = 1161,     // no-connection display, first explanation line
  kNoConnection3 = 1162,     // no-connection display, third explanation line
  kBuildWord = 1284,         // result lines, before the build text
};

}  // namespace larkspan::lang
