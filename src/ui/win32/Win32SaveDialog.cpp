#include "ui/win32/Win32SaveDialog.h"

#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>

#include "os/win32/WideText.h"

namespace larkspan {
namespace {

// Room for a long path: the dialog gives up on a choice that does not fit.
constexpr std::size_t kPathRoom = 32768;

SaveFileCall saveFileCall;

}  // namespace

SaveFileCall SetSaveFileCall(SaveFileCall call) {
  return std::exchange(saveFileCall, std::move(call));
}

std::wstring ToFilterList(const std::u16string& filter) {
  if (filter.empty()) return {};
  std::wstring list(filter.begin(), filter.end());
  for (wchar_t& c : list) {
    if (c == L'|') c = L'\0';
  }
  list.push_back(L'\0');
  list.push_back(L'\0');
  return list;
}

void Win32SaveDialog::ShowSave() {
#ifdef LARKSPAN_TIMING
  // The benchmarks download without anyone at the dialog.
  if (const wchar_t* path = _wgetenv(L"LARKSPAN_SAVE_AS")) {
    FileName = FromWideChars(path);
    return;
  }
#endif
  std::wstring path(FileName.begin(), FileName.end());
  path.resize(kPathRoom, L'\0');
  const std::wstring filters = ToFilterList(Filter);
  const std::wstring folder(InitDir.begin(), InitDir.end());
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = GetActiveWindow();
  dialog.lpstrFilter = filters.empty() ? nullptr : filters.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = path.data();
  dialog.nMaxFile = static_cast<DWORD>(path.size());
  dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  // No overwrite prompt (the download asks its own question) and no check of the folder: a
  // path in a missing folder is the download's failure, which it shows as stopped.
  dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY;
  if (!(saveFileCall ? saveFileCall(dialog) : GetSaveFileNameW(&dialog))) {
    FileName.clear();
    return;
  }
  FileName = FromWideChars(path.c_str());
  // The chosen folder becomes the current one, as the dialog makes the folder it browsed to,
  // and also when the user typed the path: Run File names no folder, and the installer starts
  // in its own. The program finds its own files beside itself, never in the current folder,
  // and looks for no DLL there either.
  SetDllDirectoryW(L"");
  SetCurrentDirectoryW(std::filesystem::path(path.c_str()).parent_path().c_str());
}

}  // namespace larkspan
