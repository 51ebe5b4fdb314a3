// Benchmarks of the document list: adding dropped files and sorting by a column,
// each against a floor measured in the same run.
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "common/text.h"
#include "doclist/document_list.h"
#include "doclist/row_commands.h"
#include "drop/drop_registry.h"
#include "win_test_support.h"

using namespace brivanta;
using Clock = std::chrono::steady_clock;

namespace {

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

std::vector<std::wstring> RandomPaths(int n, std::mt19937& rng) {
  std::vector<std::wstring> paths;
  std::uniform_int_distribution<int> folder(0, 99), name(0, 99999999);
  for (int i = 0; i < n; ++i) {
    paths.push_back(L"C:\\Users\\译者\\文档\\项目" + std::to_wstring(folder(rng)) + L"\\报告_" +
                    std::to_wstring(name(rng)) + L"_" + std::to_wstring(i) + L".docx");
  }
  return paths;
}

// A list view of the same look that rows are appended to with redrawing suspended.
double AppendFloor(HWND parent, const std::vector<std::wstring>& paths) {
  HWND list = DocumentList::CreateControl(parent, 999, 3, 28, 592, 236,
                                          static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
  auto start = Clock::now();
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  for (size_t i = 0; i < paths.size(); ++i) {
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(i);
    item.pszText = const_cast<wchar_t*>(paths[i].c_str());
    SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
  }
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  double t = Seconds(start);
  DestroyWindow(list);
  return t;
}

double DropThroughTheWindow(MainWindow& window, const std::vector<std::wstring>& paths) {
  window.List().RemoveAllRows();
  wintest::DrainMessages();
  auto start = Clock::now();
  wintest::DropFiles(window.hwnd(), paths);
  wintest::DrainMessages();  // the list repaints once the drop is in
  RedrawWindow(window.List().hwnd(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  return Seconds(start);
}

void BenchDrops(MainWindow& window) {
  std::printf("== Adding dropped files (one drop of N files in random order)\n");
  std::printf("%8s %12s %12s %12s %8s\n", "N", "drop s", "rows/s", "floor s", "ratio");
  std::mt19937 rng(42);
  double first = 0, firstN = 0;
  for (int n : {1000, 10000, 30000}) {
    auto paths = RandomPaths(n, rng);
    double floor = AppendFloor(window.hwnd(), paths);
    double drop = DropThroughTheWindow(window, paths);
    bool sorted = true;
    for (int i = 1; i < n && sorted; i += std::max(1, n / 500))
      sorted = CompareStringOrdinal(Widen(window.List().CellText(i - 1, 0)).c_str(), -1,
                                    Widen(window.List().CellText(i, 0)).c_str(), -1, TRUE) != CSTR_GREATER_THAN;
    std::printf("%8d %12.3f %12.0f %12.3f %8.2f%s\n", n, drop, n / drop, floor, drop / floor,
                sorted && window.List().RowCount() == n ? "" : "  (ROWS WRONG)");
    if (n == 1000) first = drop, firstN = n;
    if (n == 30000) {
      double nlogn = (n * std::log2(n)) / (firstN * std::log2(firstN));
      std::printf("growth 1,000 -> 30,000: time x%.1f (n log n would be x%.1f, n^2 x%.0f)\n", drop / first,
                  nlogn, (double(n) * n) / (firstN * firstN));
      PROCESS_MEMORY_COUNTERS pmc{};
      pmc.cb = sizeof(pmc);
      GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof(pmc));
      std::printf("peak memory after the 30,000-row drop: working set %.1f MiB, private %.1f MiB\n",
                  pmc.PeakWorkingSetSize / 1048576.0, pmc.PeakPagefileUsage / 1048576.0);
    }
  }
}

void BenchSort(MainWindow& window) {
  std::printf("\n== Column click: sort by pages (random page counts)\n");
  std::printf("%8s %12s %14s %14s %10s %10s\n", "N", "click s", "stable_sort s", "rewrite s", "click/rw",
              "click/mem");
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> pages(0, 999);
  DocumentList& list = window.List();
  for (int n : {1000, 10000, 30000}) {
    auto paths = RandomPaths(n, rng);
    list.RemoveAllRows();
    wintest::DropFiles(window.hwnd(), paths);
    wintest::DrainMessages();
    std::vector<std::string> keys;
    SendMessageW(list.hwnd(), WM_SETREDRAW, FALSE, 0);
    for (int i = 0; i < n; ++i) {
      keys.push_back(std::to_string(pages(rng)));
      list.SetCellText(i, 1, keys.back());
    }
    SendMessageW(list.hwnd(), WM_SETREDRAW, TRUE, 0);
    wintest::DrainMessages();

    // Floor 1: the same keys sorted in memory.
    auto start = Clock::now();
    std::vector<std::pair<double, int>> mem;
    for (int i = 0; i < n; ++i) mem.push_back({std::atof(keys[i].c_str()), i});
    std::stable_sort(mem.begin(), mem.end(), [](auto& a, auto& b) { return a.first < b.first; });
    double inMemory = Seconds(start);

    // Floor 2: every cell rewritten once with redrawing suspended.
    std::vector<std::string> cells;
    for (int i = 0; i < n; ++i)
      for (int c = 0; c < 3; ++c) cells.push_back(list.CellText(i, c));
    start = Clock::now();
    SendMessageW(list.hwnd(), WM_SETREDRAW, FALSE, 0);
    for (int i = 0; i < n; ++i)
      for (int c = 0; c < 3; ++c) list.SetCellText(i, c, cells[i * 3 + c]);
    SendMessageW(list.hwnd(), WM_SETREDRAW, TRUE, 0);
    RedrawWindow(list.hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    double rewrite = Seconds(start);

    // The click itself.
    NMLISTVIEW click{};
    click.hdr.hwndFrom = list.hwnd();
    click.hdr.idFrom = kIdList;
    click.hdr.code = LVN_COLUMNCLICK;
    click.iItem = -1;
    click.iSubItem = 1;
    start = Clock::now();
    SendMessageW(window.hwnd(), WM_NOTIFY, kIdList, reinterpret_cast<LPARAM>(&click));
    wintest::DrainMessages();  // the list repaints once the click has been handled
    RedrawWindow(list.hwnd(), nullptr, nullptr, RDW_UPDATENOW);
    double clickTime = Seconds(start);
    bool ok = true;
    for (int i = 1; i < n && ok; ++i) ok = std::atoi(list.CellText(i - 1, 1).c_str()) <= std::atoi(list.CellText(i, 1).c_str());
    std::printf("%8d %12.3f %14.4f %14.3f %10.2f %10.0f%s\n", n, clickTime, inMemory, rewrite,
                clickTime / rewrite, clickTime / inMemory, ok ? "" : "  (NOT SORTED)");
  }
}

}  // namespace

int wmain() {
  OleInitialize(nullptr);
  DropTargetRegistry registry;
  {
    MainWindow window(&registry);
    if (!window.Create(GetModuleHandleW(nullptr), SW_SHOWNOACTIVATE)) return 1;
    BenchDrops(window);
    BenchSort(window);
  }
  wintest::DrainMessages();
  OleUninitialize();
  return 0;
}
