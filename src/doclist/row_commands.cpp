#include "doclist/row_commands.h"

#include <shellapi.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "common/text.h"
#include "doclist/column_sort.h"
#include "doclist/document_list.h"

namespace brivanta {
namespace {

ShellOpenFn g_shellOpen = ShellExecuteW;

void ShowEdgeMessage(const wchar_t* text) {
  MessageBoxW(nullptr, text, L"提示", MB_OK | MB_ICONINFORMATION | MB_TASKMODAL);
}

void ExchangeRows(DocumentList& list, int a, int b) {
  for (int c = 0, m = list.ColumnCount(); c < m; ++c) {
    std::string first = list.CellText(a, c);
    std::string second = list.CellText(b, c);
    list.SetCellText(b, c, first);
    list.SetCellText(a, c, second);
  }
}

// Moves every selected row one place by `step` (-1 up, +1 down). A block moves without
// its rows being exchanged with each other because the rows nearest the edge go first.
void MoveSelectedRows(DocumentList& list, int step) {
  if (list.SelectedCount() == 0) return;
  std::vector<int> rows = list.SelectedRows();
  if (step > 0) std::sort(rows.rbegin(), rows.rend());
  else std::sort(rows.begin(), rows.end());

  for (int p : rows) {
    bool atEdge = step < 0 ? p == 0 : p == list.RowCount() - 1;
    if (atEdge) {
      ShowEdgeMessage(step < 0 ? L"到顶啦！" : L"到底啦！");
      list.TakeFocus();
      return;
    }
    ExchangeRows(list, p, p + step);
  }
  for (int p : rows) {
    list.DeselectRow(p);
    list.SelectRow(p + step);
  }
  list.TakeFocus();
}

}  // namespace

void SetShellOpenForTesting(ShellOpenFn fn) { g_shellOpen = fn ? fn : ShellExecuteW; }

void MoveRowsUp(DocumentList& list) { MoveSelectedRows(list, -1); }
void MoveRowsDown(DocumentList& list) { MoveSelectedRows(list, +1); }

void DeleteCurrentRow(DocumentList& list) { list.RemoveRow(list.CurrentRow()); }

void ClearList(DocumentList& list) { list.RemoveAllRows(); }

void OpenRowDocument(DocumentList& list) {
  std::wstring path = Widen(list.CellText(list.CurrentRow(), 0));
  g_shellOpen(nullptr, nullptr, path.c_str(), nullptr, L"", SW_SHOWNORMAL);
}

void SortListByColumn(DocumentList& list, int column) {
  list.SuspendRedrawUntilIdle();
  SortByColumn(list, column);
}

}  // namespace brivanta
