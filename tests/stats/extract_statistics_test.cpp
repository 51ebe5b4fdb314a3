// The statistics run end to end: a real main window, the real WordSession, and the
// stand-in Word as an out-of-process COM server.
#include "stats/extract_command.h"

#include <windows.h>
#include <ole2.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "common/text.h"
#include "standin_client.h"
#include "win_test_support.h"
#include "word_standin.h"

namespace brivanta {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::Not;
using namespace brivanta::testing;

constexpr char kDone[] = "页数及字数提取统计完毕！";

// Runs an action from the window's message queue: posted before a run, it runs in the
// run's first pump, between the first and the second document.
class PostedAction {
 public:
  explicit PostedAction(std::function<void()> action) : action_(std::move(action)) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"BrivantaStatsTestAction";
    RegisterClassW(&wc);
    hwnd_ = CreateWindowW(wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                          wc.hInstance, nullptr);
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    PostMessageW(hwnd_, WM_APP, 0, 0);
  }
  ~PostedAction() { DestroyWindow(hwnd_); }
  int runs() const { return runs_; }

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<PostedAction*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (msg == WM_APP && self) {
      ++self->runs_;
      self->action_();
      return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
  }
  std::function<void()> action_;
  HWND hwnd_ = nullptr;
  int runs_ = 0;
};

class ExtractStatisticsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(standin::RegisterServer(kWordStandInClsid, kWordProgId,
                                        standin::ExeFolder() + kWordStandInExe));
    folder_ = standin::MakeTempFolder(L"brivanta-stats-");
    log_ = folder_ + L"word.log";
    SetOptions(L"");
    window_ = std::make_unique<MainWindow>(nullptr);
    ASSERT_TRUE(window_->Create(GetModuleHandleW(nullptr), SW_SHOWNOACTIVATE));
  }

  void TearDown() override {
    window_.reset();
    MSG m;
    while (PeekMessageW(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    // No Word may outlive a run, whatever happened in it.
    EXPECT_TRUE(standin::WaitUntilGone(kWordStandInExe, 15000)) << "a stand-in Word is left";
    standin::EndProcesses(kWordStandInExe);
  }

  void SetOptions(const std::wstring& options) {
    ASSERT_TRUE(standin::WriteSettings(kWordStandInClsid, log_, options));
  }

  // Writes a fixture document and adds its row; returns its path.
  std::string AddDocument(const std::string& name, const std::string& content) {
    std::wstring path = folder_ + Widen(name);
    EXPECT_TRUE(standin::WriteTextFile(path, content));
    window_->List().AddRow(Narrow(path));
    return Narrow(path);
  }

  void Click() {
    HWND button = window_->Control(kIdExtract);
    SendMessageW(window_->hwnd(), WM_COMMAND, MAKEWPARAM(kIdExtract, BN_CLICKED), reinterpret_cast<LPARAM>(button));
  }

  std::vector<std::string> Cells(int column) {
    std::vector<std::string> out;
    for (int r = 0; r < window_->List().RowCount(); ++r) {
      out.push_back(window_->List().CellText(r, column));
    }
    return out;
  }

  // The stand-in's log without the process ids of its "start" lines.
  std::vector<std::string> Log() {
    std::vector<std::string> lines = standin::ReadLog(log_);
    for (auto& line : lines) {
      if (line.rfind("start pid=", 0) == 0) line = "start";
    }
    return lines;
  }
  int LogCount(const std::string& line) {
    auto lines = Log();
    return static_cast<int>(std::count(lines.begin(), lines.end(), line));
  }
  // Index of the first log line that starts with `prefix`; -1 when none does.
  int LogIndex(const std::string& prefix) {
    auto lines = Log();
    for (size_t i = 0; i < lines.size(); ++i) {
      if (lines[i].rfind(prefix, 0) == 0) return static_cast<int>(i);
    }
    return -1;
  }

  std::wstring folder_;
  std::wstring log_;
  std::unique_ptr<MainWindow> window_;
};

std::string OpenLine(const std::string& path) {
  return "Documents.Open2000#15 call(&\"" + path +
         "\", &false, &true, &false, &missing, &missing, &missing, &missing, &missing, "
         "&missing, &missing, &missing)";
}

TEST_F(ExtractStatisticsTest, CleanRunFillsTheRowsWithExactlyTheseWordCalls) {
  std::string a = AddDocument("a.docx", "pages=12\nwords=1234\n");
  std::string b = AddDocument("b.docx", "pages=1\nwords=0\n");
  Click();

  EXPECT_THAT(Cells(1), ElementsAre("12", "1"));
  EXPECT_THAT(Cells(2), ElementsAre("1234", "0"));
  EXPECT_EQ(window_->Status(), kDone);
  EXPECT_EQ(window_->Progress().Maximum(), 2);
  EXPECT_EQ(window_->Progress().Position(), 2);
  wintest::SaveScreenshotIfAsked("finished-run");

  std::vector<std::string> perDocument = {
      "Application names Selection",
      "Application.Selection#5 read()",
      "Selection names Information",
      "Selection.Information#401 read(4)",
      "Application names ActiveDocument",
      "Application.ActiveDocument#3 read()",
      "Document names ComputeStatistics",
      "Document.ComputeStatistics#303 read(0)",
      "Document.Close#1105 call(&0, &missing, &missing)",
  };
  std::vector<std::string> expected = {
      "start",
      "created",
      "Application.Visible#23 put(false)",
      "Application names AutomationSecurity",
      "Application.AutomationSecurity#421 put(3)",
      "Application.DisplayAlerts#94 put(0)",
      "Application.Documents#6 get()",
  };
  for (const std::string& path : {a, b}) {
    expected.push_back(OpenLine(path));
    expected.insert(expected.end(), perDocument.begin(), perDocument.end());
  }
  expected.push_back("Application.Quit#1105 call(&0, &missing, &missing)");
  expected.push_back("quit requested");
  expected.push_back("exit");
  EXPECT_TRUE(standin::WaitUntilGone(kWordStandInExe, 15000));
  EXPECT_THAT(Log(), ElementsAreArray(expected));
}

TEST_F(ExtractStatisticsTest, OneRowEndsWithTheBarAtOneOfOne) {
  AddDocument("only.docx", "pages=3\nwords=30\n");
  Click();
  EXPECT_EQ(window_->Progress().Maximum(), 1);
  EXPECT_EQ(window_->Progress().Position(), 1);
  EXPECT_THAT(Cells(1), ElementsAre("3"));
}

TEST_F(ExtractStatisticsTest, AnswersOfEveryTypeBecomeCellText) {
  struct Case {
    const char* fixture;
    const char* pages;
    const char* words;
  } cases[] = {
      {"pages=12\nwords=345\n", "12", "345"},                               // VT_I4
      {"pages=7\npagetype=I2\nwords=8\nwordtype=I2\n", "7", "8"},           // VT_I2
      {"pages= 7 页\npagetype=BSTR\nwords=42\nwordtype=BSTR\n", " 7 页", "42"},  // VT_BSTR
      {"pages=2.5\npagetype=R8\nwords=1234.9\nwordtype=R8\n", "2.5", "1234"},   // VT_R8
      {"pages=1\nwords=-0.5\nwordtype=R8\n", "1", "0"},
      {"pagetype=EMPTY\nwords=5\n", "", "5"},
      {"pages=4\nwordtype=EMPTY\n", "4", ""},
      {"pages=4\nwords=0\n", "4", "0"},
      {"pages=6\nwords=60\nopen=slow:300\n", "6", "60"},  // the run waits for a slow open
  };
  std::vector<std::string> pages, words;
  int i = 0;
  for (const Case& c : cases) {
    AddDocument("t" + std::to_string(i++) + ".docx", c.fixture);
    pages.push_back(c.pages);
    words.push_back(c.words);
  }
  Click();
  EXPECT_THAT(Cells(1), ElementsAreArray(pages));
  EXPECT_THAT(Cells(2), ElementsAreArray(words));
}

// A message box with no owner on this thread, closed as soon as it shows up.
struct BoxSeen {
  bool found = false;
  std::wstring caption;
  std::vector<std::wstring> texts;
  int buttons = 0;
  int icons = 0;
  HWND owner = nullptr;
};
BoxSeen seenBox;

BOOL CALLBACK ReadBoxChild(HWND child, LPARAM) {
  wchar_t cls[64] = {}, text[512] = {};
  GetClassNameW(child, cls, 64);
  GetWindowTextW(child, text, 512);
  if (lstrcmpiW(cls, L"Button") == 0) ++seenBox.buttons;
  if (lstrcmpiW(cls, L"Static") == 0) {
    if ((GetWindowLongPtrW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
      if (IsWindowVisible(child) && SendMessageW(child, STM_GETICON, 0, 0)) ++seenBox.icons;
    }
    else if (text[0]) seenBox.texts.push_back(text);
  }
  return TRUE;
}

BOOL CALLBACK FindBox(HWND hwnd, LPARAM) {
  wchar_t cls[64] = {};
  GetClassNameW(hwnd, cls, 64);
  if (lstrcmpW(cls, L"#32770") != 0 || !IsWindowVisible(hwnd)) return TRUE;
  seenBox.found = true;
  wchar_t caption[256] = {};
  GetWindowTextW(hwnd, caption, 256);
  seenBox.caption = caption;
  seenBox.owner = GetWindow(hwnd, GW_OWNER);
  EnumChildWindows(hwnd, ReadBoxChild, 0);
  PostMessageW(hwnd, WM_COMMAND, IDOK, 0);
  return FALSE;
}

void CALLBACK LookForBox(HWND, UINT, UINT_PTR timer, DWORD) {
  if (seenBox.found) return;
  EnumThreadWindows(GetCurrentThreadId(), FindBox, 0);
  if (seenBox.found) KillTimer(nullptr, timer);
}

TEST_F(ExtractStatisticsTest, EmptyListShowsOnlyTheMessageBox) {
  window_->Progress().SetMaximum(9);
  window_->Progress().SetPosition(4);
  const std::string statusBefore = window_->Status();
  seenBox = BoxSeen{};
  UINT_PTR timer = SetTimer(nullptr, 0, 50, LookForBox);
  Click();
  KillTimer(nullptr, timer);

  ASSERT_TRUE(seenBox.found);
  EXPECT_EQ(seenBox.caption, L"信息：");
  EXPECT_THAT(seenBox.texts,
              ElementsAre(std::wstring(L"您没有要提取的文件！请先将要提取的word文档拖动到本窗口！")));
  EXPECT_EQ(seenBox.buttons, 1);
  EXPECT_EQ(seenBox.icons, 0);
  EXPECT_EQ(seenBox.owner, nullptr);
  EXPECT_EQ(window_->Status(), statusBefore);
  EXPECT_EQ(window_->Progress().Maximum(), 9);
  EXPECT_EQ(window_->Progress().Position(), 4);
  EXPECT_FALSE(standin::FileExists(log_)) << "Word was started";
}

// 1. A document's macros never run: macros are force-disabled before the first open.
TEST_F(ExtractStatisticsTest, AutoMacrosDoNotRun) {
  std::wstring trace = folder_ + L"macro-trace.txt";
  AddDocument("m.docm", "pages=2\nwords=20\nmacro=" + Narrow(trace) + "\n");
  Click();
  EXPECT_FALSE(standin::FileExists(trace));
  EXPECT_EQ(LogCount("macro ran"), 0);
  EXPECT_THAT(Cells(2), ElementsAre("20"));
  int security = LogIndex("Application.AutomationSecurity#421 put(3)");
  ASSERT_GE(security, 0);
  EXPECT_LT(security, LogIndex("Documents.Open"));
}

// 2. No hidden prompt hangs a run: read-only opens, no alerts, nothing saved.
TEST_F(ExtractStatisticsTest, DocumentThatWouldPromptIsOpenedReadOnly) {
  AddDocument("p1.doc", "pages=5\nwords=50\nopen=prompt\n");
  AddDocument("p2.doc", "pages=6\nwords=60\n");
  Click();
  EXPECT_EQ(LogCount("prompt shown"), 0);
  EXPECT_THAT(Cells(1), ElementsAre("5", "6"));
  EXPECT_EQ(window_->Status(), kDone);
  EXPECT_GE(LogIndex("Application.DisplayAlerts#94 put(0)"), 0);
  EXPECT_EQ(LogCount("Document.Close#1105 call(&0, &missing, &missing)"), 2);
  EXPECT_EQ(LogCount("Application.Quit#1105 call(&0, &missing, &missing)"), 1);
}

// 3 and 4. A row that cannot be read shows nothing it did not read, the rows after it
// are read, and the final status counts it.
TEST_F(ExtractStatisticsTest, UnreadableDocumentsLeaveEmptyCellsAndAreCounted) {
  AddDocument("a.docx", "pages=1\nwords=10\n");
  AddDocument("b-damaged.docx", "pages=9\nwords=99\nopen=fail\n");
  window_->List().AddRow(Narrow(folder_ + L"c-missing.docx"));
  AddDocument("d-nowords.docx", "pages=4\nwords=40\nwordtype=ERROR\n");
  AddDocument("e.docx", "pages=5\nwords=0\n");
  Click();
  EXPECT_THAT(Cells(1), ElementsAre("1", "", "", "4", "5"));
  EXPECT_THAT(Cells(2), ElementsAre("10", "", "", "", "0"));
  EXPECT_EQ(window_->Status(), "页数及字数提取统计完毕！（3个文件未能读取）");
  wintest::SaveScreenshotIfAsked("run-with-unreadable-documents");
  // Three documents were open long enough to be asked: a failed open asks nothing.
  EXPECT_EQ(LogCount("Selection.Information#401 read(4)"), 3);
}

// 4. Word that cannot be started changes no row and says so.
TEST_F(ExtractStatisticsTest, WordThatCannotStartIsReported) {
  ASSERT_TRUE(standin::RegisterServer(kWordStandInClsid, kWordProgId,
                                      folder_ + L"no-such-word.exe"));
  AddDocument("a.docx", "pages=1\nwords=10\n");
  window_->List().SetCellText(0, 1, "old");
  Click();
  EXPECT_EQ(window_->Status(), "无法启动Word，未能提取页数和字数！");
  EXPECT_THAT(Cells(1), ElementsAre("old"));
  EXPECT_THAT(Cells(2), ElementsAre(""));
}

// 5. A busy Word is waited for.
TEST_F(ExtractStatisticsTest, BusyWordIsWaitedFor) {
  AddDocument("a.docx", "pages=3\nwords=33\nbusy=3\n");
  AddDocument("b.docx", "pages=4\nwords=44\n");
  Click();
  EXPECT_EQ(LogCount("busy"), 3);
  EXPECT_THAT(Cells(1), ElementsAre("3", "4"));
  EXPECT_THAT(Cells(2), ElementsAre("33", "44"));
  EXPECT_EQ(window_->Status(), kDone);
}

// 6. A crashed Word is replaced and the row retried once; the batch goes on.
TEST_F(ExtractStatisticsTest, CrashedWordIsReplacedAndTheBatchGoesOn) {
  struct Case {
    const char* crash;
    const char* pages;
    const char* words;
    const char* status;
  } cases[] = {
      {"crashonce=pages", "2", "20", kDone},
      {"crashonce=open", "2", "20", kDone},
      {"crash=words", "", "", "页数及字数提取统计完毕！（1个文件未能读取）"},
  };
  int index = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.crash);
    window_->List().RemoveAllRows();
    DeleteFileW(log_.c_str());
    std::string tag = "case" + std::to_string(index++);
    AddDocument(tag + "-1.docx", "pages=1\nwords=10\n");
    AddDocument(tag + "-2.docx", std::string("pages=2\nwords=20\n") + c.crash + "\n");
    AddDocument(tag + "-3.docx", "pages=3\nwords=30\n");
    Click();
    EXPECT_THAT(Cells(1), ElementsAre("1", c.pages, "3"));
    EXPECT_THAT(Cells(2), ElementsAre("10", c.words, "30"));
    EXPECT_EQ(window_->Status(), c.status);
    EXPECT_GE(LogCount("start"), 2);
    EXPECT_TRUE(standin::WaitUntilGone(kWordStandInExe, 15000));
  }
}

// 7. One run at a time: a click during a run is ignored.
TEST_F(ExtractStatisticsTest, ClickDuringARunIsIgnored) {
  AddDocument("a.docx", "pages=1\nwords=10\n");
  AddDocument("b.docx", "pages=2\nwords=20\n");
  PostedAction secondClick([this] { Click(); });
  Click();
  EXPECT_EQ(secondClick.runs(), 1);
  EXPECT_EQ(LogCount("created"), 1);
  std::vector<std::string> lines = Log();
  EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                          [](const std::string& l) { return l.rfind("Documents.Open", 0) == 0; }),
            2);
  EXPECT_THAT(Cells(1), ElementsAre("1", "2"));
  EXPECT_EQ(window_->Status(), kDone);
}

// 8. Closing the window ends the run after the current document; Word is told to quit
// and the message loop gets its WM_QUIT with code 0.
TEST_F(ExtractStatisticsTest, ClosingTheWindowEndsTheRunAndQuitsWord) {
  std::string a = AddDocument("a.docx", "pages=1\nwords=10\n");
  std::string b = AddDocument("b.docx", "pages=2\nwords=20\n");
  PostMessageW(window_->hwnd(), WM_CLOSE, 0, 0);
  Click();
  EXPECT_EQ(window_->hwnd(), nullptr);
  MSG quit;
  ASSERT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
  EXPECT_EQ(quit.wParam, 0u);
  EXPECT_THAT(Log(), Contains(OpenLine(a)));
  EXPECT_THAT(Log(), Not(Contains(OpenLine(b))));
  EXPECT_EQ(LogCount("Application.Quit#1105 call(&0, &missing, &missing)"), 1);
}

// Rows deleted while the run pumps messages read as empty; no other document is read
// in their place.
TEST_F(ExtractStatisticsTest, RowsDeletedDuringTheRunReadAsEmpty) {
  AddDocument("a.docx", "pages=1\nwords=10\n");
  std::string b = AddDocument("b.docx", "pages=2\nwords=20\n");
  std::string c = AddDocument("c.docx", "pages=3\nwords=30\n");
  PostedAction deleteRows([this] {
    window_->List().RemoveRow(2);
    window_->List().RemoveRow(1);
  });
  Click();
  EXPECT_EQ(deleteRows.runs(), 1);
  EXPECT_THAT(Cells(1), ElementsAre("1"));
  EXPECT_THAT(Log(), Not(Contains(OpenLine(b))));
  EXPECT_THAT(Log(), Not(Contains(OpenLine(c))));
  EXPECT_EQ(LogCount("Selection.Information#401 read(4)"), 1);
  EXPECT_EQ(window_->Progress().Position(), 3);
  EXPECT_EQ(window_->Status(), "页数及字数提取统计完毕！（2个文件未能读取）");
}

// A Word whose collection knows Open only by name is still used.
TEST_F(ExtractStatisticsTest, OpenIsBoundByNameWhenNumber15IsUnknown) {
  SetOptions(L"no-open-15");
  AddDocument("a.docx", "pages=8\nwords=80\n");
  Click();
  EXPECT_THAT(Cells(1), ElementsAre("8"));
  EXPECT_GE(LogIndex("Documents names Open"), 0);
  EXPECT_GE(LogIndex("Documents.Open#19 call(&\""), 0);
}

}  // namespace
}  // namespace brivanta
