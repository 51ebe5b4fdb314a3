// The export's cell names, its choice of file format and its sequencing, against a
// scripted Excel, a scripted Save dialog and an in-memory window.
#include "export/export_run.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "export/workbook_rules.h"

namespace brivanta {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

// ---- Cell names and file formats ------------------------------------------------------

TEST(CellNameTest, ColumnLetterIsCode96PlusColumnAndRowIsDecimal) {
  struct Case {
    int column, row;
    const char* name;
  } cases[] = {
      {1, 1, "a1"},   {2, 1, "b1"},     {3, 1, "c1"},  {3, 2, "c2"},      {1, 11, "a11"},
      {2, 11, "b11"}, {26, 100, "z100"}, {1, 65536, "a65536"},
      {0, 1, ""},     {27, 1, ""},       {1, 0, ""},    {1, -3, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CellName(c.column, c.row), c.name) << c.column << "," << c.row;
  }
}

TEST(SaveAsFileFormatTest, XlsNamesGetTheExcel97FormatOfTheirVersion) {
  struct Case {
    const char* path;
    std::optional<std::string> version;
    std::optional<int> format;
  } cases[] = {
      {"C:\\out\\r.xls", "16.0", 56},
      {"C:\\out\\r.XLS", "12.0", 56},
      {"C:\\out\\r.Xls", "14.0", 56},
      {"C:\\out\\r.xls", "11.0", -4143},
      {"C:\\out\\r.xls", "9.0", -4143},
      {"C:\\out\\r.xls", std::nullopt, 56},   // version unreadable: a current Excel
      {"C:\\out\\r.xls", "", 56},
      {"C:\\out\\r.xlsx", "16.0", std::nullopt},
      {"C:\\out\\r.csv", "16.0", std::nullopt},
      {"C:\\out\\r", "16.0", std::nullopt},
      {"C:\\out\\r.xls.txt", "16.0", std::nullopt},
      {"C:\\out.xls\\r", "16.0", std::nullopt},   // the folder's name does not count
      {"C:\\out.xls/r", "11.0", std::nullopt},
      {"C:\\报表\\结果.xls", "15.0", 56},
      {"r.xls", "16.0", 56},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SaveAsFileFormat(c.path, c.version), c.format)
        << c.path << " " << c.version.value_or("(none)");
  }
}

TEST(MajorVersionTest, LeadingDigitsOnly) {
  EXPECT_EQ(MajorVersion("16.0"), 16);
  EXPECT_EQ(MajorVersion("9.0"), 9);
  EXPECT_EQ(MajorVersion("12"), 12);
  EXPECT_EQ(MajorVersion("v12"), std::nullopt);
  EXPECT_EQ(MajorVersion(""), std::nullopt);
}

// ---- Sequencing -----------------------------------------------------------------------

class ScriptedExcel : public ExcelAutomation {
 public:
  std::vector<std::string> calls;
  bool canStart = true;
  bool saveFails = false;
  std::optional<std::string> version = "16.0";
  std::function<void()> onSetValue;

  bool StartExcel() override { return Log("StartExcel", canStart); }
  bool SuppressAlerts() override { return Log("SuppressAlerts"); }
  bool CreateWorkbook() override { return Log("CreateWorkbook"); }
  bool SelectSheet(int index) override { return Log("SelectSheet " + std::to_string(index)); }
  bool SelectRange(const std::string& first, const std::string& last) override {
    return Log("SelectRange " + first + ":" + last);
  }
  bool SetNumberFormat(const std::string& format) override { return Log("Format " + format); }
  bool SetValue(const std::string& text) override {
    Log("Value " + text);
    if (onSetValue) onSetValue();
    return true;
  }
  std::optional<std::string> Version() override {
    Log("Version");
    return version;
  }
  bool SaveWorksheetAs(const std::string& path, std::optional<int> format) override {
    return Log("SaveAs " + path + " " + (format ? std::to_string(*format) : "-"), !saveFails);
  }
  void ReleaseWorkbook() override { Log("ReleaseWorkbook"); }
  void QuitExcel() override { Log("QuitExcel"); }

 private:
  bool Log(const std::string& call, bool result = true) {
    calls.push_back(call);
    return result;
  }
};

class ScriptedDialog : public SaveDialog {
 public:
  std::optional<std::string> answer = "C:\\out\\r.xls";
  std::function<void()> whileShown;
  int shown = 0;
  std::optional<std::string> AskSavePath() override {
    ++shown;
    if (whileShown) whileShown();
    return answer;
  }
};

class MemoryList : public ReportList {
 public:
  std::vector<std::vector<std::string>> rows;
  int RowCount() const override { return static_cast<int>(rows.size()); }
  int ColumnCount() const override { return 3; }
  std::string CellText(int row, int column) const override {
    if (row < 0 || row >= RowCount() || column < 0 || column >= 3) return {};
    return rows[row][column];
  }
  void SetCellText(int, int, const std::string&) override {}
};

class MemoryUi : public ExportUi {
 public:
  MemoryList list;
  std::vector<std::string> statuses;
  std::vector<std::string>* calls = nullptr;  // pumps are logged among the Excel calls
  std::function<void(int)> onPump;            // gets the number of the pump (from 1)
  bool closed = false;
  int pumps = 0;

  const ReportList& List() override { return list; }
  std::string ColumnTitle(int column) override {
    const char* titles[] = {"文件列表", "页数", "总字数"};
    return column >= 0 && column < 3 ? titles[column] : "";
  }
  void SetStatus(const std::string& text) override { statuses.push_back(text); }
  void Pump() override {
    ++pumps;
    if (calls) calls->push_back("Pump");
    if (onPump) onPump(pumps);
  }
  bool Closing() override { return closed; }
};

class ExportRunTest : public ::testing::Test {
 protected:
  ExportRunTest() { ui.calls = &excel.calls; }
  ExportOutcome Run() { return RunExport(excel, dialog, ui); }

  ScriptedExcel excel;
  ScriptedDialog dialog;
  MemoryUi ui;
};

std::vector<std::string> CellCalls(const std::string& name, const std::string& text) {
  return {"SelectRange " + name + ":" + name, "Format @", "Value " + text};
}

TEST_F(ExportRunTest, OneRowWritesTitleThenDataCellPerColumnAndSaves) {
  ui.list.rows = {{"C:\\d\\a.doc", "12", "3456"}};
  EXPECT_EQ(Run(), ExportOutcome::kSaved);

  std::vector<std::string> expected = {"StartExcel", "SuppressAlerts", "CreateWorkbook",
                                       "SelectSheet 1", "Pump"};
  const char* titles[] = {"文件列表", "页数", "总字数"};
  const char* cells[] = {"C:\\d\\a.doc", "12", "3456"};
  const char* letters[] = {"a", "b", "c"};
  for (int j = 0; j < 3; ++j) {
    expected.push_back("Pump");
    for (auto& c : CellCalls(std::string(letters[j]) + "1", titles[j])) expected.push_back(c);
    for (auto& c : CellCalls(std::string(letters[j]) + "2", cells[j])) expected.push_back(c);
  }
  expected.push_back("Version");
  expected.push_back("SaveAs C:\\out\\r.xls 56");
  expected.push_back("ReleaseWorkbook");
  expected.push_back("QuitExcel");
  EXPECT_THAT(excel.calls, ElementsAreArray(expected));
  EXPECT_THAT(ui.statuses, ElementsAre(kExportingText, kExportedText));
}

TEST_F(ExportRunTest, TitlesAreWrittenAgainForEveryRowAndRowKLandsOnRowKPlus2) {
  for (int k = 0; k < 10; ++k) ui.list.rows.push_back({"p" + std::to_string(k), "", ""});
  Run();
  std::vector<std::string> ranges;
  for (const std::string& c : excel.calls) {
    if (c.rfind("SelectRange ", 0) == 0) ranges.push_back(c.substr(12));
  }
  ASSERT_EQ(ranges.size(), 60u);
  EXPECT_EQ(ranges[54], "a1:a1");
  EXPECT_EQ(ranges[55], "a11:a11");
  EXPECT_EQ(ranges[57], "b11:b11");
  EXPECT_EQ(ranges[59], "c11:c11");
  EXPECT_EQ(std::count(ranges.begin(), ranges.end(), "b1:b1"), 10);
  // One pump per row and one per column.
  EXPECT_EQ(ui.pumps, 10 * 4);
}

TEST_F(ExportRunTest, EmptyListSavesAWorkbookWithNoCellWritten) {
  EXPECT_EQ(Run(), ExportOutcome::kSaved);
  EXPECT_THAT(excel.calls, ElementsAre("StartExcel", "SuppressAlerts", "CreateWorkbook",
                                       "SelectSheet 1", "Version", "SaveAs C:\\out\\r.xls 56",
                                       "ReleaseWorkbook", "QuitExcel"));
  EXPECT_THAT(ui.statuses, ElementsAre(kExportingText, kExportedText));
}

TEST_F(ExportRunTest, CancelNeverStartsExcelAndEndsWithDone) {
  ui.list.rows = {{"a", "1", "2"}};
  dialog.answer = std::nullopt;
  std::vector<std::string> statusWhileShown;
  dialog.whileShown = [&] { statusWhileShown = ui.statuses; };
  EXPECT_EQ(Run(), ExportOutcome::kCancelled);
  EXPECT_THAT(excel.calls, IsEmpty());
  EXPECT_THAT(statusWhileShown, ElementsAre(kExportingText));
  EXPECT_THAT(ui.statuses, ElementsAre(kExportingText, kExportedText));
}

TEST_F(ExportRunTest, FileFormatFollowsTheNameAndTheVersion) {
  struct Case {
    const char* path;
    std::optional<std::string> version;
    const char* saveCall;
    bool asksVersion;
  } cases[] = {
      {"C:\\r.xls", "16.0", "SaveAs C:\\r.xls 56", true},
      {"C:\\r.XLS", "11.0", "SaveAs C:\\r.XLS -4143", true},
      {"C:\\r.xlsx", "16.0", "SaveAs C:\\r.xlsx -", false},
      {"C:\\r.xls", std::nullopt, "SaveAs C:\\r.xls 56", true},
  };
  for (const Case& c : cases) {
    ScriptedExcel excel;
    ScriptedDialog dialog;
    MemoryUi ui;
    dialog.answer = c.path;
    excel.version = c.version;
    RunExport(excel, dialog, ui);
    EXPECT_EQ(std::count(excel.calls.begin(), excel.calls.end(), "Version"), c.asksVersion ? 1 : 0)
        << c.path;
    EXPECT_EQ(std::count(excel.calls.begin(), excel.calls.end(), c.saveCall), 1) << c.path;
  }
}

TEST_F(ExportRunTest, ExcelThatCannotStartIsReportedAndNothingIsWritten) {
  ui.list.rows = {{"a", "1", "2"}, {"b", "3", "4"}};
  excel.canStart = false;
  EXPECT_EQ(Run(), ExportOutcome::kNoExcel);
  EXPECT_THAT(excel.calls, ElementsAre("StartExcel", "QuitExcel"));
  EXPECT_THAT(ui.statuses, ElementsAre(kExportingText, kNoExcelText));
}

TEST_F(ExportRunTest, FailedSaveIsReportedAndExcelStillQuits) {
  ui.list.rows = {{"a", "1", "2"}};
  excel.saveFails = true;
  EXPECT_EQ(Run(), ExportOutcome::kNotSaved);
  ASSERT_GE(excel.calls.size(), 2u);
  EXPECT_THAT(std::vector<std::string>(excel.calls.end() - 2, excel.calls.end()),
              ElementsAre("ReleaseWorkbook", "QuitExcel"));
  EXPECT_THAT(ui.statuses, ElementsAre(kExportingText, kNotSavedText));
}

TEST_F(ExportRunTest, AlertsAreSuppressedBeforeTheWorkbookAndTheSave) {
  ui.list.rows = {{"a", "1", "2"}};
  Run();
  auto at = [&](const std::string& call) {
    return std::find(excel.calls.begin(), excel.calls.end(), call) - excel.calls.begin();
  };
  EXPECT_LT(at("SuppressAlerts"), at("CreateWorkbook"));
  EXPECT_LT(at("SuppressAlerts"), at("SaveAs C:\\out\\r.xls 56"));
  EXPECT_LT(at("SuppressAlerts"), at("QuitExcel"));
}

TEST_F(ExportRunTest, ClosingTheWindowEndsTheExportAfterTheCurrentRowAndQuitsExcel) {
  for (int k = 0; k < 5; ++k) ui.list.rows.push_back({"p" + std::to_string(k), "", ""});
  // The window goes in the middle of the second row (its second column's pump).
  ui.onPump = [&](int pump) {
    if (pump == 4 + 3) ui.closed = true;
  };
  EXPECT_EQ(Run(), ExportOutcome::kClosed);
  std::vector<std::string> values;
  for (const std::string& c : excel.calls) {
    if (c.rfind("SelectRange ", 0) == 0) values.push_back(c.substr(12));
  }
  ASSERT_EQ(values.size(), 12u);  // two whole rows, title and data cell per column
  EXPECT_EQ(values.back(), "c3:c3");
  EXPECT_THAT(std::vector<std::string>(excel.calls.end() - 2, excel.calls.end()),
              ElementsAre("ReleaseWorkbook", "QuitExcel"));
  EXPECT_EQ(std::count_if(excel.calls.begin(), excel.calls.end(),
                          [](const std::string& c) { return c.rfind("SaveAs", 0) == 0; }),
            0);
  EXPECT_THAT(ui.statuses, ElementsAre(kExportingText));
}

TEST_F(ExportRunTest, RowsClearedDuringTheExportAreWrittenEmpty) {
  ui.list.rows = {{"a", "1", "2"}, {"b", "3", "4"}, {"c", "5", "6"}};
  // The first pump of the second row clears the list.
  ui.onPump = [&](int pump) {
    if (pump == 5) ui.list.rows.clear();
  };
  EXPECT_EQ(Run(), ExportOutcome::kSaved);
  std::vector<std::string> values;
  for (const std::string& c : excel.calls) {
    if (c.rfind("Value ", 0) == 0) values.push_back(c.substr(6));
  }
  EXPECT_THAT(values, ElementsAre("文件列表", "a", "页数", "1", "总字数", "2",     //
                                  "文件列表", "", "页数", "", "总字数", "",        //
                                  "文件列表", "", "页数", "", "总字数", ""));
  EXPECT_EQ(std::count(excel.calls.begin(), excel.calls.end(), "SelectRange c4:c4"), 1);
}

TEST_F(ExportRunTest, ASecondExportDuringAnExportIsIgnored) {
  ui.list.rows = {{"a", "1", "2"}};
  ScriptedExcel second;
  ScriptedDialog secondDialog;
  MemoryUi secondUi;
  std::optional<ExportOutcome> nested;
  ui.onPump = [&](int pump) {
    if (pump == 1) nested = RunExport(second, secondDialog, secondUi);
  };
  EXPECT_FALSE(ExportRunning());
  EXPECT_EQ(Run(), ExportOutcome::kSaved);
  EXPECT_EQ(nested, ExportOutcome::kIgnored);
  EXPECT_THAT(second.calls, IsEmpty());
  EXPECT_EQ(secondDialog.shown, 0);
  EXPECT_THAT(secondUi.statuses, IsEmpty());
  EXPECT_FALSE(ExportRunning());
  // And once it has ended, the next one runs.
  EXPECT_EQ(RunExport(second, secondDialog, secondUi), ExportOutcome::kSaved);
}

TEST_F(ExportRunTest, AnExportDuringTheDialogIsIgnoredToo) {
  ScriptedDialog secondDialog;
  MemoryUi secondUi;
  ScriptedExcel second;
  std::optional<ExportOutcome> nested;
  dialog.whileShown = [&] { nested = RunExport(second, secondDialog, secondUi); };
  Run();
  EXPECT_EQ(nested, ExportOutcome::kIgnored);
  EXPECT_EQ(secondDialog.shown, 0);
}

}  // namespace
}  // namespace brivanta
