#pragma once
// The file dialog component `通用对话框1`: the Windows common Save dialog that asks
// for the workbook's name.
#include <windows.h>
#include <commdlg.h>

#include <functional>
#include <optional>
#include <string>

#include "export/excel_automation.h"

namespace brivanta {

// What the dialog is shown with.
inline constexpr wchar_t kSaveFilter[] = L"EXCEL文件\0*.XLS\0";  // one entry, then the end
inline constexpr wchar_t kSaveDefaultExtension[] = L"xls";
inline constexpr DWORD kSaveDialogFlags =
    OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_EXPLORER;
// Room for the longest path Windows knows ("\\?\" paths of 32767 characters).
inline constexpr DWORD kSavePathCapacity = 32768;

class FileDialog : public SaveDialog {
 public:
  // Shows a dialog filled in as `OPENFILENAMEW` says and returns whether a name was
  // confirmed: GetSaveFileNameW, or a stand-in in tests.
  using ShowFunction = std::function<bool(OPENFILENAMEW&)>;

  explicit FileDialog(HWND owner = nullptr) : owner_(owner) {}

  // Shows the Save dialog with the last confirmed path as its initial name. A cancel
  // (or a dialog that cannot be shown) leaves that path unchanged.
  std::optional<std::string> AskSavePath() override;

  // The last confirmed path (UTF-8); empty before the first.
  const std::string& LastPath() const { return lastPath_; }

  // Replaces the function that shows the dialog in every FileDialog (an empty
  // function puts GetSaveFileNameW back). For tests.
  static void SetShowFunction(ShowFunction show);

 private:
  HWND owner_;
  std::string lastPath_;
};

}  // namespace brivanta
