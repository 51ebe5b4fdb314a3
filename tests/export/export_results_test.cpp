// The export end to end: a real main window, the real ExcelSession, the stand-in Excel
// as an out-of-process COM server, and a stand-in for the Save dialog.
#include "export/export_command.h"

#include <windows.h>
#include <commctrl.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/text.h"
#include "excel_standin.h"
#include "export/export_run.h"
#include "export_test_support.h"
#include "standin_client.h"

namespace brivanta::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class ExportResultsTest : public ExportFixture {};

SavedCell Text(const std::string& address, const std::string& text) {
  return {address, "@", "string", text};
}

TEST_F(ExportResultsTest, EmptyListSavesAWorkbookWithNoCellWritten) {
  Export();
  SavedWorkbook book = ReadWorkbook(out_);
  ASSERT_TRUE(book.exists);
  EXPECT_THAT(book.cells, IsEmpty());
  EXPECT_EQ(book.fileFormat, "56");
  EXPECT_EQ(LogCountPrefix("Worksheet.Range"), 0);
  EXPECT_EQ(LogCount("Application.Quit#302 call()"), 1);
  EXPECT_EQ(window_->Status(), kExportedText);
}

TEST_F(ExportResultsTest, OneRowBeforeStatisticsGivesTitlesAndThePathWithEmptyCounts) {
  const std::string path = Narrow(folder_) + "报告.docx";
  AddRow(path);
  Export();
  EXPECT_THAT(ReadWorkbook(out_).cells,
              ElementsAre(Text("A1", "文件列表"), Text("B1", "页数"), Text("C1", "总字数"),
                          Text("A2", path), Text("B2", ""), Text("C2", "")));
  EXPECT_EQ(window_->Status(), kExportedText);
}

TEST_F(ExportResultsTest, OneRowGivesExactlyTheseExcelCalls) {
  AddRow("C:\\d\\a.docx", "12", "3456");
  Export();
  const std::string out = Narrow(out_);
  std::vector<std::string> expected = {
      "start",
      "created",
      "Application.DisplayAlerts#343 put(false)",
      "Application.Workbooks#572 read()",
      "Workbooks.Add#181 call(missing)",
      "Application.Application#148 read()",
      "Application.Sheets#485 read()",
      "Sheets.Item#170 read(1)",
      "Sheets.Item#170 read(1)",
  };
  const char* cells[][2] = {{"a1", "文件列表"}, {"a2", "C:\\d\\a.docx"}, {"b1", "页数"},
                            {"b2", "12"},       {"c1", "总字数"},         {"c2", "3456"}};
  for (const auto& c : cells) {
    expected.push_back(std::string("Worksheet.Range#197 read(\"") + c[0] + "\", \"" + c[0] + "\")");
    expected.push_back("Range.NumberFormatLocal#1097 put(\"@\")");
    expected.push_back(std::string("Range.Value#6 put(\"") + c[1] + "\")");
  }
  expected.push_back("Application names Version");
  expected.push_back("Application.Version#392 get()");
  expected.push_back("Worksheet.SaveAs#284 call(\"" + out +
                     "\", 56, missing, missing, missing, missing, missing, missing, missing)");
  expected.push_back("Application.Quit#302 call()");
  expected.push_back("quit requested");
  expected.push_back("exit");
  ASSERT_TRUE(standin::WaitUntilGone(kExcelStandInExe, 15000));
  EXPECT_THAT(Log(), ::testing::ElementsAreArray(expected));
}

TEST_F(ExportResultsTest, CountsReachExcelAsStringsEachAfterTheTextFormat) {
  AddRow("C:\\d\\a.docx", "12", "3456");
  Export();
  SavedWorkbook book = ReadWorkbook(out_);
  ASSERT_NE(book.Find("B2"), nullptr);
  EXPECT_EQ(*book.Find("B2"), Text("B2", "12"));
  EXPECT_EQ(*book.Find("C2"), Text("C2", "3456"));
  // The exact calls for one cell: its range, the format "@", then the value as a string.
  std::vector<std::string> log = Log();
  int at = LogIndex("Worksheet.Range#197 read(\"b2\", \"b2\")");
  ASSERT_GE(at, 0);
  EXPECT_THAT(std::vector<std::string>(log.begin() + at, log.begin() + at + 3),
              ElementsAre("Worksheet.Range#197 read(\"b2\", \"b2\")",
                          "Range.NumberFormatLocal#1097 put(\"@\")", "Range.Value#6 put(\"12\")"));
  EXPECT_EQ(LogCountPrefix("Range.Value#6 put(\""), 6);
  EXPECT_EQ(LogCountPrefix("Range.Value#6"), 6);  // no value of any other type
}

TEST_F(ExportResultsTest, ListRowNineLandsOnWorksheetRowEleven) {
  for (int k = 0; k < 10; ++k) AddRow("C:\\d\\p0" + std::to_string(k) + ".doc", "1", "2");
  Export();
  SavedWorkbook book = ReadWorkbook(out_);
  ASSERT_NE(book.Find("A11"), nullptr);
  EXPECT_EQ(book.Find("A11")->text, "C:\\d\\p09.doc");
  EXPECT_EQ(*book.Find("B11"), Text("B11", "1"));
  EXPECT_EQ(*book.Find("C11"), Text("C11", "2"));
  EXPECT_EQ(book.Find("A12"), nullptr);
  EXPECT_EQ(book.cells.size(), 33u);
  // The title cells are written again for every row.
  EXPECT_EQ(LogCount("Worksheet.Range#197 read(\"a1\", \"a1\")"), 10);
}

TEST_F(ExportResultsTest, CancelNeverStartsExcel) {
  AddRow("C:\\d\\a.docx");
  AnswerDialogWith(std::nullopt);
  Export();
  ASSERT_EQ(showings_.size(), 1u);
  EXPECT_EQ(showings_[0].statusWhileShown, kExportingText);
  EXPECT_EQ(window_->Status(), kExportedText);
  EXPECT_THAT(Log(), IsEmpty());
  EXPECT_EQ(standin::CountProcesses(kExcelStandInExe), 0);
  EXPECT_FALSE(standin::FileExists(out_));
}

TEST_F(ExportResultsTest, TheDialogIsAskedForWithTheseSettings) {
  Export();
  ASSERT_EQ(showings_.size(), 1u);
  const DialogShowing& s = showings_[0];
  EXPECT_EQ(s.flags, static_cast<DWORD>(OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST |
                                        OFN_HIDEREADONLY | OFN_EXPLORER));
  EXPECT_EQ(s.flags & (OFN_CREATEPROMPT | OFN_NOCHANGEDIR), 0u);
  EXPECT_THAT(s.filter, ElementsAre(L"EXCEL文件", L"*.XLS"));
  EXPECT_EQ(s.filterIndex, 1u);
  EXPECT_EQ(s.defaultExtension, L"xls");
  EXPECT_FALSE(s.hasTitle);
  EXPECT_FALSE(s.hasInitialFolder);
  EXPECT_EQ(s.initialName, L"");
  EXPECT_EQ(s.owner, window_->hwnd());
  EXPECT_GE(s.capacity, 32768u);
  EXPECT_EQ(s.statusWhileShown, kExportingText);
}

TEST_F(ExportResultsTest, EachExportStartsWithThePreviouslyChosenPath) {
  const std::wstring first = folder_ + L"第一.xls";
  const std::wstring second = folder_ + L"second.xls";
  AnswerDialogWith(first);
  Export();
  AnswerDialogWith(std::nullopt);  // a cancel keeps the path
  Export();
  AnswerDialogWith(second);
  Export();
  Export();
  ASSERT_EQ(showings_.size(), 4u);
  EXPECT_EQ(showings_[0].initialName, L"");
  EXPECT_EQ(showings_[1].initialName, first);
  EXPECT_EQ(showings_[2].initialName, first);
  EXPECT_EQ(showings_[3].initialName, second);

  // Another main window has a dialog of its own.
  MainWindow other(nullptr);
  ASSERT_TRUE(other.Create(GetModuleHandleW(nullptr), SW_SHOWNOACTIVATE));
  AnswerDialogWith(std::nullopt);
  ExportResults(other);
  ASSERT_EQ(showings_.size(), 5u);
  EXPECT_EQ(showings_[4].initialName, L"");
  DestroyWindow(other.hwnd());
  MSG m;
  while (PeekMessageW(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
}

TEST_F(ExportResultsTest, APathLongerThanMaxPathReachesExcelWhole) {
  std::wstring folder = folder_;
  for (int i = 0; i < 3; ++i) {
    folder += std::wstring(100, static_cast<wchar_t>(L'a' + i)) + L"\\";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  }
  const std::wstring path = folder + L"长名字的导出结果.xls";
  ASSERT_GT(path.size(), static_cast<size_t>(MAX_PATH));
  AnswerDialogWith(path);
  AddRow("C:\\d\\a.docx");
  Export();
  EXPECT_EQ(LogCountPrefix("Worksheet.SaveAs#284 call(\"" + Narrow(path) + "\", 56"), 1);
  EXPECT_EQ(ReadWorkbook(path).cells.size(), 6u);
  EXPECT_EQ(window_->Status(), kExportedText);
  DeleteFileW(path.c_str());
  for (size_t end = folder.size() - 1; end > folder_.size(); end = folder.rfind(L'\\', end - 1)) {
    RemoveDirectoryW(folder.substr(0, end).c_str());
  }
}

TEST_F(ExportResultsTest, RowsClearedDuringTheExportAreWrittenEmpty) {
  AddRow("C:\\d\\a.docx", "1", "10");
  AddRow("C:\\d\\b.docx", "2", "20");
  AddRow("C:\\d\\c.docx", "3", "30");
  PostedAction clear([&] { window_->List().RemoveAllRows(); });  // in the first pump
  Export();
  EXPECT_EQ(clear.runs(), 1);
  EXPECT_THAT(ReadWorkbook(out_).cells,
              ElementsAre(Text("A1", "文件列表"), Text("B1", "页数"), Text("C1", "总字数"),
                          Text("A2", ""), Text("B2", ""), Text("C2", ""),  //
                          Text("A3", ""), Text("B3", ""), Text("C3", ""),  //
                          Text("A4", ""), Text("B4", ""), Text("C4", "")));
}

// ---- Sound behaviour ------------------------------------------------------------------

// 1. The file is in the format its name promises.
TEST_F(ExportResultsTest, SaveAsGetsTheFileFormatOfTheNameAndTheVersion) {
  struct Case {
    const wchar_t* name;
    const wchar_t* options;
    const char* format;
    int versionReads;
  } cases[] = {
      {L"a.xls", L"", "56", 1},
      {L"b.XLS", L"version=12.0", "56", 1},
      {L"c.xls", L"version=11.0", "-4143", 1},
      {L"d.xlsx", L"", "missing", 0},
      {L"e.csv", L"version=11.0", "missing", 0},
  };
  AddRow("C:\\d\\a.docx");
  for (const Case& c : cases) {
    SetOptions(c.options);
    DeleteFileW(log_.c_str());
    AnswerDialogWith(folder_ + c.name);
    Export();
    EXPECT_EQ(ReadWorkbook(folder_ + c.name).fileFormat, c.format) << Narrow(c.name);
    EXPECT_EQ(LogCount("Application names Version"), c.versionReads) << Narrow(c.name);
    ASSERT_TRUE(standin::WaitUntilGone(kExcelStandInExe, 15000));
  }
}

// 2. No hidden prompt: alerts are off before SaveAs, so an existing file (which the
// dialog already asked about) is replaced without Excel asking again.
TEST_F(ExportResultsTest, AlertsAreOffBeforeSaveAsAndAnExistingFileIsReplaced) {
  ASSERT_TRUE(standin::WriteTextFile(out_, "old content"));
  AddRow("C:\\d\\a.docx");
  Export();
  int alertsOff = LogIndex("Application.DisplayAlerts#343 put(false)");
  ASSERT_GE(alertsOff, 0);
  EXPECT_LT(alertsOff, LogIndex("Worksheet.SaveAs#284"));
  EXPECT_LT(alertsOff, LogIndex("Workbooks.Add#181"));
  EXPECT_EQ(LogCount("prompt shown"), 0);
  EXPECT_EQ(ReadWorkbook(out_).cells.size(), 6u);
  EXPECT_EQ(window_->Status(), kExportedText);
}

// 3. Failure is not reported as success.
TEST_F(ExportResultsTest, ExcelThatCannotStartIsReported) {
  struct Case {
    const char* what;
    std::function<void()> breakExcel;
  } cases[] = {
      {"not installed",
       [] { ASSERT_EQ(RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\Excel.Application"),
                      ERROR_SUCCESS); }},
      {"its program is missing",
       [this] {
         ASSERT_TRUE(standin::RegisterServer(kExcelStandInClsid, kExcelProgId,
                                             folder_ + L"missing\\EXCEL.EXE"));
       }},
  };
  AddRow("C:\\d\\a.docx", "1", "2");
  for (const Case& c : cases) {
    ASSERT_TRUE(standin::RegisterServer(kExcelStandInClsid, kExcelProgId,
                                        standin::ExeFolder() + kExcelStandInExe));
    c.breakExcel();
    Export();
    EXPECT_EQ(window_->Status(), kNoExcelText) << c.what;
    EXPECT_FALSE(standin::FileExists(out_)) << c.what;
  }
  EXPECT_THAT(Log(), IsEmpty());
  ASSERT_TRUE(standin::RegisterServer(kExcelStandInClsid, kExcelProgId,
                                      standin::ExeFolder() + kExcelStandInExe));
}

TEST_F(ExportResultsTest, AFailedSaveIsReportedAndExcelStillQuits) {
  SetOptions(L"saveas=fail");
  AddRow("C:\\d\\a.docx");
  Export();
  EXPECT_EQ(window_->Status(), kNotSavedText);
  EXPECT_FALSE(standin::FileExists(out_));
  EXPECT_GT(LogIndex("Application.Quit#302 call()"), LogIndex("Worksheet error cannot save"));
}

TEST_F(ExportResultsTest, ASaveIntoAFolderThatIsGoneIsReported) {
  AnswerDialogWith(folder_ + L"gone\\out.xls");
  Export();
  EXPECT_EQ(window_->Status(), kNotSavedText);
  EXPECT_EQ(LogCount("Application.Quit#302 call()"), 1);
}

// 4. A busy Excel is waited for.
TEST_F(ExportResultsTest, ABusyExcelIsWaitedFor) {
  SetOptions(L"busy=4");
  AddRow("C:\\d\\a.docx", "7", "70");
  Export();
  EXPECT_EQ(LogCount("busy"), 4);
  EXPECT_EQ(ReadWorkbook(out_).cells.size(), 6u);
  EXPECT_EQ(window_->Status(), kExportedText);
}

// 5. One export at a time.
TEST_F(ExportResultsTest, AClickDuringAnExportIsIgnored) {
  AddRow("C:\\d\\a.docx");
  AddRow("C:\\d\\b.docx");
  PostedAction click([&] {
    SendMessageW(window_->hwnd(), WM_COMMAND, MAKEWPARAM(kIdExport, BN_CLICKED),
                 reinterpret_cast<LPARAM>(window_->Control(kIdExport)));
    ExportResults(*window_);
  });
  Export();
  EXPECT_EQ(click.runs(), 1);
  EXPECT_EQ(showings_.size(), 1u);
  EXPECT_EQ(LogCount("created"), 1);
  EXPECT_EQ(LogCountPrefix("Worksheet.SaveAs#284"), 1);
  EXPECT_EQ(ReadWorkbook(out_).cells.size(), 9u);
}

// 6. Closing the window during the export ends it after the current row, and Excel
// still quits (the fixture checks that no stand-in is left).
LRESULT CALLBACK CloseOnSecondRow(HWND list, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                  DWORD_PTR mainWindow) {
  if (msg == LVM_GETITEMTEXTW && wp == 1) {
    PostMessageW(reinterpret_cast<HWND>(mainWindow), WM_CLOSE, 0, 0);
  }
  return DefSubclassProc(list, msg, wp, lp);
}

TEST_F(ExportResultsTest, ClosingTheWindowEndsTheExportAfterTheCurrentRowAndQuitsExcel) {
  for (int k = 0; k < 4; ++k) AddRow("C:\\d\\p" + std::to_string(k) + ".doc", "1", "2");
  HWND list = window_->Control(kIdList);
  ASSERT_TRUE(SetWindowSubclass(list, CloseOnSecondRow, 1,
                                reinterpret_cast<DWORD_PTR>(window_->hwnd())));
  Export();
  EXPECT_FALSE(IsWindow(list));
  EXPECT_EQ(LogCount("Worksheet.Range#197 read(\"a3\", \"a3\")"), 1);
  EXPECT_EQ(LogCount("Worksheet.Range#197 read(\"c3\", \"c3\")"), 1);  // the row is ended
  EXPECT_EQ(LogCount("Worksheet.Range#197 read(\"a4\", \"a4\")"), 0);
  EXPECT_EQ(LogCountPrefix("Worksheet.SaveAs"), 0);
  EXPECT_EQ(LogCount("Application.Quit#302 call()"), 1);
  EXPECT_FALSE(standin::FileExists(out_));
  EXPECT_TRUE(standin::WaitUntilGone(kExcelStandInExe, 15000));
}

}  // namespace
}  // namespace brivanta::testing
