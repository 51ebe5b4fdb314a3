// Benchmark of the export: 1,000 and 10,000 rows through the real main window and the
// real ExcelSession into the stand-in Excel (tests/export/excel_standin), the Save
// dialog stood in for. Against, in the same run:
//   - the floor: as many bare cross-process IDispatch calls (a property get of
//     Application.DisplayAlerts) as the export made;
//   - a replay: the export's cell calls (Range, NumberFormatLocal, Value) made directly,
//     without the window, the message pump and the run's bookkeeping.
// The calls are counted from the stand-in's log (an export with its log, as the tests
// have it); the times are taken with its logging off (an empty "Log" setting) and, for
// comparison, with it on.
#include <windows.h>
#include <ole2.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "office_bench.h"
#include "common/com.h"
#include "common/text.h"
#include "excel_standin.h"
#include "export/excel_session.h"
#include "export/export_command.h"
#include "export/export_run.h"
#include "export/save_dialog.h"
#include "standin_client.h"

using namespace brivanta;
using namespace brivanta::testing;
using namespace brivanta::bench;

namespace {


void WaitForNoExcel() {
  if (!standin::WaitUntilGone(kExcelStandInExe, 15000)) {
    std::printf("(a stand-in Excel was left running; ended)\n");
    standin::EndProcesses(kExcelStandInExe);
  }
}

void FillList(MainWindow& window, int n) {
  DocumentList& list = window.List();
  list.RemoveAllRows();
  SendMessageW(list.hwnd(), WM_SETREDRAW, FALSE, 0);
  for (int i = 0; i < n; ++i) {
    int row = list.AddRow("C:\\Users\\译者\\文档\\项目" + std::to_string(i % 100) + "\\报告_" +
                          std::to_string(i) + ".docx");
    list.SetCellText(row, 1, std::to_string(i % 97 + 1));
    list.SetCellText(row, 2, std::to_string(i * 37 + 5));
  }
  SendMessageW(list.hwnd(), WM_SETREDRAW, TRUE, 0);
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
}

struct RunResult {
  double seconds = 0;
  bool saved = false;
};

// The whole export, as a click on "导出提取结果到Excel" starts it; the Save dialog
// answers with `out`.
RunResult RunThroughTheWindow(MainWindow& window, const std::wstring& out, size_t cells) {
  DeleteFileW(out.c_str());
  RunResult r;
  const auto start = Clock::now();
  SendMessageW(window.hwnd(), WM_COMMAND, MAKEWPARAM(kIdExport, BN_CLICKED),
               reinterpret_cast<LPARAM>(window.Control(kIdExport)));
  r.seconds = Seconds(start);
  WaitForNoExcel();
  // The saved workbook has one line per written cell, plus its file format.
  size_t lines = standin::ReadLog(out).size();
  r.saved = window.Status() == kExportedText && lines == cells + 1;
  DeleteFileW(out.c_str());
  return r;
}

// `count` bare property gets of Application.DisplayAlerts on a stand-in of its own.
FloorResult Floor(long count) {
  FloorResult r = BareGets(L"Excel.Application", excel_dispid::kDisplayAlerts, count,
                           [](IDispatch* app) {
                             Invoke(app, excel_dispid::kQuit, InvokeKind::kMethod);
                           });
  WaitForNoExcel();
  return r;
}

// The export's calls made directly through ExcelSession, cell by cell in the same
// order as the export, with no window in between; saved to `out`.
double Replay(int n, const std::wstring& out) {
  ScopedMessageFilter filter;
  const auto start = Clock::now();
  {
    ExcelSession excel;
    if (!excel.StartExcel()) return 0;
    excel.SuppressAlerts();
    excel.CreateWorkbook();
    excel.SelectSheet(1);
    const char* titles[] = {"文件列表", "页数", "总字数"};
    const char* letters[] = {"a", "b", "c"};
    for (int i = 1; i <= n; ++i) {
      const std::string texts[] = {"C:\\Users\\译者\\文档\\项目" + std::to_string((i - 1) % 100) +
                                       "\\报告_" + std::to_string(i - 1) + ".docx",
                                   std::to_string((i - 1) % 97 + 1),
                                   std::to_string((i - 1) * 37 + 5)};
      for (int j = 0; j < 3; ++j) {
        const std::string title = std::string(letters[j]) + "1";
        const std::string cell = letters[j] + std::to_string(i + 1);
        excel.SelectRange(title, title);
        excel.SetNumberFormat("@");
        excel.SetValue(titles[j]);
        excel.SelectRange(cell, cell);
        excel.SetNumberFormat("@");
        excel.SetValue(texts[j]);
      }
    }
    excel.Version();
    excel.SaveWorksheetAs(Narrow(out), 56);
    excel.ReleaseWorkbook();
    excel.QuitExcel();
  }
  const double seconds = Seconds(start);
  WaitForNoExcel();
  DeleteFileW(out.c_str());
  return seconds;
}

}  // namespace

int wmain() {
  std::setvbuf(stdout, nullptr, _IONBF, 0);  // figures show as they come
  OleInitialize(nullptr);
  const std::wstring exe = WindowsPath(BRIVANTA_EXCEL_STANDIN_PATH);
  if (!standin::FileExists(exe) ||
      !standin::RegisterServer(kExcelStandInClsid, kExcelProgId, exe)) {
    std::printf("stand-in Excel not found or not registered: %s\n", Narrow(exe).c_str());
    return 1;
  }
  standin::EndProcesses(kExcelStandInExe);
  const std::wstring folder = standin::MakeTempFolder(L"brivanta-excel-bench-");
  const std::wstring log = folder + L"excel.log";
  const std::wstring out = folder + L"结果.xls";
  FileDialog::SetShowFunction([&](OPENFILENAMEW& ofn) {
    if (out.size() + 1 > ofn.nMaxFile) return false;
    std::copy(out.begin(), out.end(), ofn.lpstrFile);
    ofn.lpstrFile[out.size()] = L'\0';
    return true;
  });
  {
    MainWindow window(nullptr);
    if (!window.Create(GetModuleHandleW(nullptr), SW_SHOWNOACTIVATE)) return 1;
    std::printf("== Export to the stand-in Excel (Save dialog stood in for)\n");
    std::printf("A call is one IDispatch::Invoke or IDispatch::GetIDsOfNames that reached the\n"
                "stand-in (its log); letting go of each Range object it hands out is one more\n"
                "round trip that its log does not see.\n");
    std::printf("run: the click, from start to return (the stand-in's start included)\n"
                "replay: the same cell calls through ExcelSession directly, same start-up\n"
                "floor: as many bare Application.DisplayAlerts gets as the run's calls, the\n"
                "stand-in already running\n\n");
    for (int n : {1000, 10000}) {
      FillList(window, n);
      const size_t cells = static_cast<size_t>(n) * 3 + (n > 0 ? 3 : 0);

      // Counting: an export with the stand-in's log, read back. Also timed.
      DeleteFileW(log.c_str());
      standin::WriteSettings(kExcelStandInClsid, log, L"");
      RunResult logged = RunThroughTheWindow(window, out, cells);
      const Calls calls = CountCalls(standin::ReadLog(log), "Worksheet.Range#");
      const FloorResult loggedFloor = Floor(calls.total());
      DeleteFileW(log.c_str());

      std::printf("-- %d rows: %ld calls (%ld Invoke + %ld GetIDsOfNames), %.2f per row; "
                  "%ld Range objects (%.2f per row)%s\n",
                  n, calls.total(), calls.invokes, calls.names, double(calls.total()) / n,
                  calls.objects, double(calls.objects) / n, logged.saved ? "" : "  (WORKBOOK WRONG)");
      std::printf("%-12s %9s %9s %9s %9s %9s %9s %8s %7s %7s %7s\n", "stand-in log", "run s",
                  "run us/r", "replay s", "rep us/r", "floor s", "flr us/r", "start ms",
                  "run/flr", "-start", "rep/flr");
      std::printf("%-12s %9.3f %9.1f %9s %9s %9.3f %9.1f %8.1f %7.2f %7.2f %7s\n", "on (tests)",
                  logged.seconds, logged.seconds / n * 1e6, "-", "-", loggedFloor.calls,
                  loggedFloor.calls / n * 1e6, loggedFloor.start * 1e3,
                  logged.seconds / loggedFloor.calls,
                  (logged.seconds - loggedFloor.start) / loggedFloor.calls, "-");
      std::printf("per call: run %.1f us, floor %.1f us\n", logged.seconds / calls.total() * 1e6,
                  loggedFloor.calls / calls.total() * 1e6);
      if (n > 1000) {
        // Each pass over 10,000 rows takes minutes: the log-off passes are left to the
        // 1,000-row list, where the log's share shows.
        std::printf("\n");
        continue;
      }
      standin::WriteSettings(kExcelStandInClsid, L"", L"");
      RunResult run = RunThroughTheWindow(window, out, cells);
      const double replay = Replay(n, out);
      const FloorResult floor = Floor(calls.total());
      std::printf("%-12s %9.3f %9.1f %9.3f %9.1f %9.3f %9.1f %8.1f %7.2f %7.2f %7.2f%s\n", "off",
                  run.seconds, run.seconds / n * 1e6, replay, replay / n * 1e6, floor.calls,
                  floor.calls / n * 1e6, floor.start * 1e3, run.seconds / floor.calls,
                  (run.seconds - floor.start) / floor.calls, replay / floor.calls,
                  run.saved ? "" : "  (WORKBOOK WRONG)");
      std::printf("per call: run %.1f us, floor %.1f us (logging off)\n\n",
                  run.seconds / calls.total() * 1e6, floor.calls / calls.total() * 1e6);
    }
  }
  FileDialog::SetShowFunction({});
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
  }
  WaitForNoExcel();
  std::printf("stand-in Excel processes left: %d\n", standin::CountProcesses(kExcelStandInExe));
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  SetCurrentDirectoryW(temp);
  std::error_code ignored;
  std::filesystem::remove_all(std::filesystem::path(folder), ignored);
  OleUninitialize();
  return 0;
}
