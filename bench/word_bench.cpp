// Benchmark of the statistics run: 1,000 rows through the real main window and the real
// WordSession against the stand-in Word (tests/stats/word_standin), whose fixture
// documents are answered at once. Against, in the same run:
//   - the floor: as many bare cross-process IDispatch calls (a property get of
//     Application.Visible) as the run made;
//   - a replay: the same Word calls per document made directly, without the window,
//     the message pump and the run's bookkeeping.
// The stand-in logs every call to a file when a log is set; the run is measured both
// with its log (as the tests have it, which is also how the calls are counted) and
// without (an empty "Log" setting switches its logging off).
#include <windows.h>
#include <ole2.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "office_bench.h"
#include "common/com.h"
#include "common/text.h"
#include "standin_client.h"
#include "stats/extract_command.h"
#include "stats/word_session.h"
#include "word_standin.h"

using namespace brivanta;
using namespace brivanta::testing;
using namespace brivanta::bench;

namespace {

constexpr int kRows = 1000;


struct Fixtures {
  std::wstring folder;
  std::vector<std::string> paths;
  std::vector<std::string> pages, words;
};

Fixtures MakeFixtures(int n) {
  Fixtures f;
  f.folder = standin::MakeTempFolder(L"brivanta-word-bench-");
  for (int i = 0; i < n; ++i) {
    const std::wstring path = f.folder + L"报告_" + std::to_wstring(i) + L".docx";
    f.pages.push_back(std::to_string(i % 97 + 1));
    f.words.push_back(std::to_string(i * 37 + 5));
    standin::WriteTextFile(path, "pages=" + f.pages.back() + "\nwords=" + f.words.back() + "\n");
    f.paths.push_back(Narrow(path));
  }
  return f;
}

void WaitForNoWord() {
  if (!standin::WaitUntilGone(kWordStandInExe, 15000)) {
    std::printf("(a stand-in Word was left running; ended)\n");
    standin::EndProcesses(kWordStandInExe);
  }
}

struct RunResult {
  double seconds = 0;
  bool cellsRight = false;
};

// The whole run, as a click on "立即提取页数和字数" starts it.
RunResult RunThroughTheWindow(MainWindow& window, const Fixtures& f) {
  DocumentList& list = window.List();
  list.RemoveAllRows();
  for (const std::string& path : f.paths) list.AddRow(path);
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);

  RunResult r;
  const auto start = Clock::now();
  SendMessageW(window.hwnd(), WM_COMMAND, MAKEWPARAM(kIdExtract, BN_CLICKED),
               reinterpret_cast<LPARAM>(window.Control(kIdExtract)));
  r.seconds = Seconds(start);
  WaitForNoWord();
  // The list keeps its rows in path order: each row is looked up by its path.
  std::map<std::string, size_t> index;
  for (size_t i = 0; i < f.paths.size(); ++i) index[f.paths[i]] = i;
  r.cellsRight = list.RowCount() == static_cast<int>(f.paths.size());
  for (int row = 0; r.cellsRight && row < list.RowCount(); ++row) {
    auto it = index.find(list.CellText(row, 0));
    r.cellsRight = it != index.end() && list.CellText(row, 1) == f.pages[it->second] &&
                   list.CellText(row, 2) == f.words[it->second];
  }
  return r;
}

// `count` bare property gets of Application.Visible on a stand-in of its own.
FloorResult Floor(long count) {
  FloorResult r = BareGets(kWordProgId, word_dispid::kVisible, count, [](IDispatch* app) {
    std::vector<Variant> quit;
    quit.push_back(Variant::Long(kWdDoNotSaveChanges));
    Invoke(app, word_dispid::kCloseOrQuit, InvokeKind::kMethod, quit);
  });
  WaitForNoWord();
  return r;
}

// The run's Word calls made directly: the same members, arguments and name lookups per
// document, and the same object references let go of.
double Replay(const Fixtures& f) {
  ScopedMessageFilter filter;
  const auto start = Clock::now();
  ComPtr<IDispatch> app;
  if (FAILED(CreateInstance(kWordProgId, app))) return 0;
  {
    std::vector<Variant> a;
    a.push_back(Variant::Bool(false));
    Invoke(app.get(), word_dispid::kVisible, InvokeKind::kPut, a);
    std::vector<Variant> b;
    b.push_back(Variant::Long(kMsoAutomationSecurityForceDisable));
    InvokeByName(app.get(), L"AutomationSecurity", InvokeKind::kPut, b);
    std::vector<Variant> c;
    c.push_back(Variant::Long(kWdAlertsNone));
    Invoke(app.get(), word_dispid::kDisplayAlerts, InvokeKind::kPut, c);
  }
  ComPtr<IDispatch> documents =
      Invoke(app.get(), word_dispid::kDocuments, InvokeKind::kGet).value.ToDispatch();
  for (const std::string& path : f.paths) {
    std::vector<Variant> values;
    values.push_back(Variant::String(Widen(path)));
    values.push_back(Variant::Bool(false));
    values.push_back(Variant::Bool(true));
    values.push_back(Variant::Bool(false));
    while (values.size() < 12) values.push_back(Variant::Missing());
    std::vector<Variant> refs;
    for (Variant& v : values) refs.push_back(Variant::RefTo(v));
    ComPtr<IDispatch> doc =
        Invoke(documents.get(), word_dispid::kOpen, InvokeKind::kMethod, refs).value.ToDispatch();
    {
      ComPtr<IDispatch> selection =
          InvokeByName(app.get(), L"Selection", InvokeKind::kRead).value.ToDispatch();
      std::vector<Variant> info;
      info.push_back(Variant::Long(kWdNumberOfPagesInDocument));
      InvokeByName(selection.get(), L"Information", InvokeKind::kRead, info);
    }
    {
      ComPtr<IDispatch> active =
          InvokeByName(app.get(), L"ActiveDocument", InvokeKind::kRead).value.ToDispatch();
      std::vector<Variant> stat;
      stat.push_back(Variant::Long(kWdStatisticWords));
      InvokeByName(active.get(), L"ComputeStatistics", InvokeKind::kRead, stat);
    }
    std::vector<Variant> closeValues;
    closeValues.push_back(Variant::Long(kWdDoNotSaveChanges));
    closeValues.push_back(Variant::Missing());
    closeValues.push_back(Variant::Missing());
    std::vector<Variant> closeRefs;
    for (Variant& v : closeValues) closeRefs.push_back(Variant::RefTo(v));
    Invoke(doc.get(), word_dispid::kCloseOrQuit, InvokeKind::kMethod, closeRefs);
  }
  documents.reset();
  std::vector<Variant> quit;
  quit.push_back(Variant::Long(kWdDoNotSaveChanges));
  quit.push_back(Variant::Missing());
  quit.push_back(Variant::Missing());
  std::vector<Variant> quitRefs;
  for (Variant& v : quit) quitRefs.push_back(Variant::RefTo(v));
  Invoke(app.get(), word_dispid::kCloseOrQuit, InvokeKind::kMethod, quitRefs);
  app.reset();
  const double seconds = Seconds(start);
  WaitForNoWord();
  return seconds;
}

void Measure(MainWindow& window, const Fixtures& f, long calls, const char* label) {
  const int n = static_cast<int>(f.paths.size());
  RunResult run = RunThroughTheWindow(window, f);
  double replay = Replay(f);
  FloorResult floor = Floor(calls);
  std::printf("%-12s %9.3f %9.0f %9.3f %9.0f %9.3f %9.0f %8.1f %7.2f %7.2f %7.2f%s\n", label,
              run.seconds, run.seconds / n * 1e6, replay, replay / n * 1e6, floor.calls,
              floor.calls / n * 1e6, floor.start * 1e3, run.seconds / floor.calls,
              (run.seconds - floor.start) / floor.calls, replay / floor.calls,
              run.cellsRight ? "" : "  (CELLS WRONG)");
}

}  // namespace

int wmain() {
  std::setvbuf(stdout, nullptr, _IONBF, 0);  // figures show as they come
  OleInitialize(nullptr);
  const std::wstring exe = WindowsPath(BRIVANTA_WORD_STANDIN_PATH);
  if (!standin::FileExists(exe) || !standin::RegisterServer(kWordStandInClsid, kWordProgId, exe)) {
    std::printf("stand-in Word not found or not registered: %s\n", Narrow(exe).c_str());
    return 1;
  }
  standin::EndProcesses(kWordStandInExe);
  Fixtures f = MakeFixtures(kRows);
  const std::wstring log = f.folder + L"word.log";
  {
    MainWindow window(nullptr);
    if (!window.Create(GetModuleHandleW(nullptr), SW_SHOWNOACTIVATE)) return 1;

    // Counting: one run with the stand-in's log, read back.
    standin::WriteSettings(kWordStandInClsid, log, L"");
    DeleteFileW(log.c_str());
    RunResult counted = RunThroughTheWindow(window, f);
    const std::vector<std::string> lines = standin::ReadLog(log);
    const Calls calls = CountCalls(lines);
    long opens = 0;
    for (const std::string& line : lines) opens += line.rfind("Documents.Open", 0) == 0 ? 1 : 0;
    const Calls perDocumentInLoop = [&] {
      // The calls from the first Open to the last document's Close, per document.
      size_t first = lines.size(), last = 0;
      for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].rfind("Documents.Open", 0) == 0 && first == lines.size()) first = i;
        if (lines[i].rfind("Document.Close", 0) == 0) last = i;
      }
      return first < lines.size() ? CountCalls({lines.begin() + first, lines.begin() + last + 1})
                                  : Calls{};
    }();

    std::printf("== Statistics run: %d documents, stand-in Word answering at once\n", kRows);
    std::printf("A call is one IDispatch::Invoke or IDispatch::GetIDsOfNames that reached the\n"
                "stand-in (its log); the releases of the objects it hands out (Selection,\n"
                "Document) are further round trips that its log does not see.\n");
    std::printf("calls in the whole run: %ld (%ld Invoke + %ld GetIDsOfNames), %ld opens%s\n",
                calls.total(), calls.invokes, calls.names, opens,
                counted.cellsRight ? "" : "  (CELLS WRONG)");
    std::printf("Word calls per document: %.2f over the whole run (start-up and quit included);"
                " %.2f per document between the first Open and the last Close "
                "(%.2f Invoke + %.2f GetIDsOfNames)\n",
                double(calls.total()) / kRows, double(perDocumentInLoop.total()) / kRows,
                double(perDocumentInLoop.invokes) / kRows, double(perDocumentInLoop.names) / kRows);
    std::printf("the described run per document: 10 = 6 Invoke (Documents.Open, Selection,\n"
                "Selection.Information(4), ActiveDocument, ComputeStatistics(0), Close) + 4\n"
                "GetIDsOfNames (Selection, Information, ActiveDocument, ComputeStatistics);\n"
                "once per run: Visible, AutomationSecurity (+ its name), DisplayAlerts,\n"
                "Documents, Quit = 6\n\n");

    std::printf("run: the click, from start to return (the stand-in's start included)\n"
                "replay: the same Word calls made directly, same start-up and quit\n"
                "floor: %ld bare Application.Visible gets, the stand-in already running\n",
                calls.total());
    std::printf("%-12s %9s %9s %9s %9s %9s %9s %8s %7s %7s %7s\n", "stand-in log", "run s",
                "run us/d", "replay s", "rep us/d", "floor s", "flr us/d", "start ms",
                "run/flr", "-start", "rep/flr");
    Measure(window, f, calls.total(), "on (tests)");
    standin::WriteSettings(kWordStandInClsid, L"", L"");
    Measure(window, f, calls.total(), "off");
    Measure(window, f, calls.total(), "off, again");
  }
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
  }
  WaitForNoWord();
  std::printf("stand-in Word processes left: %d\n", standin::CountProcesses(kWordStandInExe));
  std::error_code ignored;
  std::filesystem::remove_all(std::filesystem::path(f.folder), ignored);
  OleUninitialize();
  return 0;
}
