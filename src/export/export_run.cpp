#include "export/export_run.h"

#include <algorithm>

#include "common/scoped_flag.h"
#include "export/workbook_rules.h"

namespace brivanta {
namespace {

bool running = false;


constexpr int kLastLetterColumn = 26;

void WriteCell(ExcelAutomation& excel, const std::string& name, const std::string& text) {
  excel.SelectRange(name, name);
  excel.SetNumberFormat(kTextNumberFormat);
  excel.SetValue(text);
}

// Writes every list row below the titles; false when the window was closed, which
// ends the export after the row under way.
bool WriteRows(ExcelAutomation& excel, ExportUi& ui) {
  const int n = ui.List().RowCount();
  for (int i = 1; i <= n; ++i) {
    ui.Pump();
    const int c = std::min(ui.List().ColumnCount(), kLastLetterColumn);
    for (int j = 1; j <= c; ++j) {
      ui.Pump();
      WriteCell(excel, CellName(j, 1), ui.ColumnTitle(j - 1));
      WriteCell(excel, CellName(j, i + 1), ui.List().CellText(i - 1, j - 1));
    }
    if (ui.Closing()) return false;
  }
  return true;
}

}  // namespace

bool ExportRunning() { return running; }

ExportOutcome RunExport(ExcelAutomation& excel, SaveDialog& dialog, ExportUi& ui) {
  if (running) return ExportOutcome::kIgnored;
  ScopedFlag flag(running);

  ui.SetStatus(kExportingText);
  const std::optional<std::string> path = dialog.AskSavePath();
  if (!path) {
    ui.SetStatus(kExportedText);
    return ExportOutcome::kCancelled;
  }

  if (!excel.StartExcel()) {
    excel.QuitExcel();
    ui.SetStatus(kNoExcelText);
    return ExportOutcome::kNoExcel;
  }
  // Before anything else: neither SaveAs nor Quit may wait on a hidden prompt.
  excel.SuppressAlerts();
  excel.CreateWorkbook();
  excel.SelectSheet(1);

  if (!WriteRows(excel, ui)) {
    excel.ReleaseWorkbook();
    excel.QuitExcel();
    return ExportOutcome::kClosed;
  }

  const std::optional<std::string> version =
      HasXlsExtension(*path) ? excel.Version() : std::nullopt;
  const bool saved = excel.SaveWorksheetAs(*path, SaveAsFileFormat(*path, version));
  excel.ReleaseWorkbook();
  excel.QuitExcel();
  ui.SetStatus(saved ? kExportedText : kNotSavedText);
  return saved ? ExportOutcome::kSaved : ExportOutcome::kNotSaved;
}

}  // namespace brivanta
