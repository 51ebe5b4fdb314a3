#pragma once
// The click handler of "导出提取结果到Excel" (`按钮2`).
namespace brivanta {

class MainWindow;
class ExcelAutomation;

// Exports the main window's list into a new Excel workbook under the name the user
// picks in the Save dialog. A click while an export is under way is ignored. The
// window's Save dialog keeps the last confirmed path as long as the window lives.
void ExportResults(MainWindow& window);

// The same export with another Excel (tests).
void ExportResults(MainWindow& window, ExcelAutomation& excel);

}  // namespace brivanta
