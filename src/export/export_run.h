#pragma once
// The export behind "导出提取结果到Excel" (`按钮2`): the whole list, column titles first,
// goes into a new Excel workbook saved under the name the user picks.
#include "export/excel_automation.h"

namespace brivanta {

inline constexpr const char kExportingText[] = "正在导出，请等待...";
inline constexpr const char kExportedText[] = "导出完毕！";
inline constexpr const char kNoExcelText[] = "无法启动Excel，导出失败！";
inline constexpr const char kNotSavedText[] = "导出失败，未能保存文件！";
inline constexpr const char kTextNumberFormat[] = "@";

enum class ExportOutcome {
  kIgnored,    // an export was already under way: nothing done
  kCancelled,  // no name confirmed: Excel never started
  kNoExcel,    // Excel could not be started
  kNotSaved,   // Excel did not save the workbook
  kSaved,
  kClosed,     // the window was closed during the export: ended after the current row
};

// Runs one export over ui.List(). Status line: "正在导出，请等待..." while the dialog is
// open and the cells are written; then "导出完毕！" after a save or a cancel,
// "无法启动Excel，导出失败！" when Excel cannot be started, "导出失败，未能保存文件！"
// when the save fails; nothing once the window is closed. Whatever was started is
// told to quit before the run returns.
ExportOutcome RunExport(ExcelAutomation& excel, SaveDialog& dialog, ExportUi& ui);

// True while RunExport is under way.
bool ExportRunning();

}  // namespace brivanta
