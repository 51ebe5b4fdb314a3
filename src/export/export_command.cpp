#include "export/export_command.h"

#include <windows.h>

#include <map>
#include <memory>

#include "app/main_window.h"
#include "app/message_pump.h"
#include "common/com.h"
#include "export/excel_session.h"
#include "export/export_run.h"
#include "export/save_dialog.h"

namespace brivanta {
namespace {

class WindowUi : public ExportUi {
 public:
  explicit WindowUi(MainWindow& window) : window_(window), hwnd_(window.hwnd()) {}

  const ReportList& List() override { return window_.List(); }
  std::string ColumnTitle(int column) override { return window_.List().ColumnTitle(column); }
  void SetStatus(const std::string& text) override {
    if (IsWindow(hwnd_)) window_.SetStatus(text);
  }
  void Pump() override { PumpPendingMessages(); }
  bool Closing() override { return WindowIsClosing(hwnd_); }

 private:
  MainWindow& window_;
  HWND hwnd_;
};

// Each main window's `通用对话框1`, which lives as long as the window. A window
// property marks the window that a dialog belongs to, so that a later window that
// happens to get the same handle starts with a dialog of its own.
constexpr wchar_t kDialogProperty[] = L"Brivanta.ExportDialog";

FileDialog& DialogOf(HWND window) {
  static std::map<HWND, std::unique_ptr<FileDialog>> dialogs;
  for (auto it = dialogs.begin(); it != dialogs.end();) {
    const bool alive = GetPropW(it->first, kDialogProperty) == it->second.get();
    it = alive ? std::next(it) : dialogs.erase(it);
  }
  std::unique_ptr<FileDialog>& dialog = dialogs[window];
  if (!dialog) {
    dialog = std::make_unique<FileDialog>(window);
    SetPropW(window, kDialogProperty, dialog.get());
  }
  return *dialog;
}

}  // namespace

void ExportResults(MainWindow& window, ExcelAutomation& excel) {
  if (ExportRunning() || !IsWindow(window.hwnd())) return;
  WindowUi ui(window);
  FileDialog& dialog = DialogOf(window.hwnd());
  ScopedMessageFilter filter;  // a busy Excel is waited for, for the whole export
  RunExport(excel, dialog, ui);
}

void ExportResults(MainWindow& window) {
  if (ExportRunning()) return;
  ExcelSession excel;
  ExportResults(window, excel);
}

}  // namespace brivanta
