#pragma once
// What the export run needs from Excel, from the Save dialog and from the window it
// runs in. Portable: no windows.h, so that the run can be tested with fakes.
#include <optional>
#include <string>

#include "doclist/report_list.h"

namespace brivanta {

// One Excel application and the workbook of one export (the components `Excel程序1`
// and `Excel工作簿1`). Every operation swallows errors: it reports them, never throws,
// and does nothing (reporting false) when an object it needs is not held.
class ExcelAutomation {
 public:
  virtual ~ExcelAutomation() = default;

  // `StartExcel`: lets go of any application still held and starts a new one.
  // False when Excel cannot be started.
  virtual bool StartExcel() = 0;
  // Tells Excel to show no alert that would wait for an answer (Excel is invisible).
  virtual bool SuppressAlerts() = 0;
  // `CreateWorkbook`: a new workbook, whose first sheet becomes the target.
  virtual bool CreateWorkbook() = 0;
  // `SelectSheet`: the sheet with this 1-based index becomes the target.
  virtual bool SelectSheet(int index) = 0;
  // `SelectRange`: the range from cell `first` to cell `last` ("a1") becomes the target.
  virtual bool SelectRange(const std::string& first, const std::string& last) = 0;
  // `SetNumberFormat`: the target range's number format, in the user's locale.
  virtual bool SetNumberFormat(const std::string& format) = 0;
  // `SetValue`: the target range's value, as a string.
  virtual bool SetValue(const std::string& text) = 0;
  // The application's "Version" text ("16.0"); no value when Excel gave none.
  virtual std::optional<std::string> Version() = 0;
  // `SaveWorksheetAs`: saves the target sheet's workbook under `path` (UTF-8), in
  // `fileFormat` when one is given, else in Excel's default format.
  virtual bool SaveWorksheetAs(const std::string& path, std::optional<int> fileFormat) = 0;
  // `ReleaseWorkbook`: lets go of everything but the application; no Excel call.
  virtual void ReleaseWorkbook() = 0;
  // `QuitExcel`: tells Excel to quit and lets go of it.
  virtual void QuitExcel() = 0;
};

// The Save dialog (`通用对话框1`).
class SaveDialog {
 public:
  virtual ~SaveDialog() = default;
  // Shows the dialog; the chosen full path (UTF-8), or no value when the user did
  // not confirm a name.
  virtual std::optional<std::string> AskSavePath() = 0;
};

// The window an export reads from and reports to.
class ExportUi {
 public:
  virtual ~ExportUi() = default;

  // RowCount, ColumnCount and CellText of the document list.
  virtual const ReportList& List() = 0;
  // The list's column title; empty for a column that does not exist.
  virtual std::string ColumnTitle(int column) = 0;
  virtual void SetStatus(const std::string& text) = 0;
  // Lets pending window messages through (which may change the rows, close the
  // window or click a button).
  virtual void Pump() = 0;
  // True once the window has been closed.
  virtual bool Closing() = 0;
};

}  // namespace brivanta
