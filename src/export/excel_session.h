#pragma once
// ExcelSession: Microsoft Excel ("Excel.Application") driven through IDispatch for
// the export.
#include <windows.h>

#include <optional>
#include <string>

#include "common/com.h"
#include "export/excel_automation.h"

namespace brivanta {

// Members of Excel's object model that are called by number.
namespace excel_dispid {
constexpr DISPID kWorkbooks = 0x23C;           // Application.Workbooks
constexpr DISPID kAdd = 0xB5;                  // Workbooks.Add
constexpr DISPID kApplication = 0x94;          // Application.Application
constexpr DISPID kSheets = 0x1E5;              // Application.Sheets (of the active workbook)
constexpr DISPID kItem = 0xAA;                 // Sheets.Item
constexpr DISPID kRange = 0xC5;                // Worksheet.Range
constexpr DISPID kNumberFormatLocal = 0x449;   // Range.NumberFormatLocal
constexpr DISPID kValue = 6;                   // Range.Value
constexpr DISPID kSaveAs = 0x11C;              // Worksheet.SaveAs (the hidden _SaveAs)
constexpr DISPID kQuit = 0x12E;                // Application.Quit
constexpr DISPID kDisplayAlerts = 0x157;       // Application.DisplayAlerts
}  // namespace excel_dispid

// Worksheet.SaveAs: Filename, FileFormat, then seven more optional parameters.
constexpr size_t kSaveAsArgumentCount = 9;

class ExcelSession : public ExcelAutomation {
 public:
  ExcelSession() = default;
  ~ExcelSession() override;  // quits Excel if it is still held
  ExcelSession(const ExcelSession&) = delete;
  ExcelSession& operator=(const ExcelSession&) = delete;

  bool StartExcel() override;
  bool SuppressAlerts() override;
  bool CreateWorkbook() override;
  bool SelectSheet(int index) override;
  bool SelectRange(const std::string& first, const std::string& last) override;
  bool SetNumberFormat(const std::string& format) override;
  bool SetValue(const std::string& text) override;
  std::optional<std::string> Version() override;
  bool SaveWorksheetAs(const std::string& path, std::optional<int> fileFormat) override;
  void ReleaseWorkbook() override;
  void QuitExcel() override;

  // What the last failed call ended with (HRESULT, and Excel's own description when
  // it raised an error); empty when none failed.
  const std::wstring& LastError() const { return lastError_; }

 private:
  // Notes a failure (and whether Excel went away, so that later calls fail at once).
  bool Succeeded(const InvokeResult& result, const wchar_t* what);
  bool Usable(const ComPtr<IDispatch>& object) const { return object && !gone_; }
  ComPtr<IDispatch> Fetch(IDispatch* from, DISPID id, std::vector<Variant>& args,
                              const wchar_t* what);
  bool PutString(DISPID id, const std::string& text, const wchar_t* what);

  ComPtr<IDispatch> excelProgram_;   // Excel程序1
  ComPtr<IDispatch> workbooks_;      // Excel工作簿1: the workbooks collection
  ComPtr<IDispatch> application_;    // the application again, from its Application
  ComPtr<IDispatch> sheets_;
  ComPtr<IDispatch> sheet_;          // the target worksheet
  ComPtr<IDispatch> range_;          // the target range
  bool gone_ = false;
  std::wstring lastError_;
};

}  // namespace brivanta
