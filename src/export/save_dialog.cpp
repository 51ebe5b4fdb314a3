#include "export/save_dialog.h"

#include <vector>

#include "common/text.h"

namespace brivanta {
namespace {

FileDialog::ShowFunction& ShowOverride() {
  static FileDialog::ShowFunction show;
  return show;
}

bool ShowSystemDialog(OPENFILENAMEW& ofn) { return GetSaveFileNameW(&ofn) != FALSE; }

}  // namespace

void FileDialog::SetShowFunction(ShowFunction show) { ShowOverride() = std::move(show); }

std::optional<std::string> FileDialog::AskSavePath() {
  std::vector<wchar_t> file(kSavePathCapacity, L'\0');
  const std::wstring initial = Widen(lastPath_);
  if (initial.size() < file.size()) std::copy(initial.begin(), initial.end(), file.begin());

  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner_;
  ofn.lpstrFilter = kSaveFilter;
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  ofn.lpstrDefExt = kSaveDefaultExtension;
  ofn.Flags = kSaveDialogFlags;

  const ShowFunction& show = ShowOverride();
  const bool confirmed = show ? show(ofn) : ShowSystemDialog(ofn);
  if (!confirmed) return std::nullopt;
  file.back() = L'\0';
  std::string path = Narrow(file.data());
  if (path.empty()) return std::nullopt;
  lastPath_ = path;
  return path;
}

}  // namespace brivanta
