#include "doclist/document_list.h"

#include <commctrl.h>

#include <algorithm>

#include "common/text.h"

namespace brivanta {
namespace {

struct ColumnSpec {
  const wchar_t* title;
  int width;
};
constexpr ColumnSpec kColumns[] = {{L"文件列表", 480}, {L"页数", 50}, {L"总字数", 60}};

// Reads a cell into `buf` (grown as needed, never cut) and returns its length.
size_t ReadCell(HWND list, int row, int column, std::wstring& buf) {
  if (buf.size() < 512) buf.resize(512);
  for (;;) {
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = buf.data();
    item.cchTextMax = static_cast<int>(buf.size());
    auto n = static_cast<size_t>(SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item)));
    if (n + 1 < buf.size()) return n;
    buf.resize(buf.size() * 2);
  }
}

}  // namespace

HWND DocumentList::CreateControl(HWND parent, int id, int x, int y, int width, int height, HFONT font) {
  HWND list = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                              WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL, x, y,
                              width, height, parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                              reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE)),
                              nullptr);
  if (!list) return nullptr;
  SendMessageW(list, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  DWORD ex = LVS_EX_FLATSB | LVS_EX_INFOTIP | LVS_EX_SUBITEMIMAGES;
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, ex, ex);
  SendMessageW(list, LVM_SETTEXTCOLOR, 0, RGB(0, 0, 0));
  SendMessageW(list, LVM_SETTEXTBKCOLOR, 0, RGB(255, 255, 255));
  SendMessageW(list, LVM_SETBKCOLOR, 0, RGB(255, 255, 255));
  int index = 0;
  for (const ColumnSpec& c : kColumns) {
    LVCOLUMNW col{};
    col.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    col.fmt = LVCFMT_LEFT;
    col.cx = c.width;
    col.pszText = const_cast<wchar_t*>(c.title);
    col.iSubItem = index;
    SendMessageW(list, LVM_INSERTCOLUMNW, index, reinterpret_cast<LPARAM>(&col));
    ++index;
  }
  return list;
}

int DocumentList::RowCount() const {
  return static_cast<int>(SendMessageW(list_, LVM_GETITEMCOUNT, 0, 0));
}

int DocumentList::ColumnCount() const {
  // The columns are made with the list and never change: asked once.
  if (columns_ < 0) {
    HWND header = reinterpret_cast<HWND>(SendMessageW(list_, LVM_GETHEADER, 0, 0));
    columns_ = header ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
  }
  return columns_;
}

bool DocumentList::IsCell(int row, int column) const {
  return row >= 0 && column >= 0 && row < RowCount() && column < ColumnCount();
}

std::string DocumentList::CellText(int row, int column) const {
  if (!IsCell(row, column)) return {};
  thread_local std::wstring buf;  // reused: cells are read many at a time (sorts, runs)
  size_t n = ReadCell(list_, row, column, buf);
  return Narrow(std::wstring_view(buf.data(), n));
}

void DocumentList::SetCellText(int row, int column, const std::string& text) {
  if (!IsCell(row, column)) return;
  std::wstring wide = Widen(text);
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = wide.data();
  SendMessageW(list_, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
}

std::string DocumentList::ColumnTitle(int column) const {
  if (column < 0 || column >= ColumnCount()) return {};
  wchar_t buf[1024] = {};
  LVCOLUMNW col{};
  col.mask = LVCF_TEXT;
  col.pszText = buf;
  col.cchTextMax = 1024;
  if (!SendMessageW(list_, LVM_GETCOLUMNW, column, reinterpret_cast<LPARAM>(&col))) return {};
  return Narrow(buf);
}

// Rows go in ascending order of their paths, compared whole and without regard to
// letter case (as the file system compares names); a path equal to present ones goes
// after them, so equal paths keep the order in which they came.
int DocumentList::SortedPosition(const std::wstring& path, int from) const {
  int lo = from, hi = RowCount();
  std::wstring buf;
  while (lo < hi) {
    int mid = lo + (hi - lo) / 2;
    size_t n = ReadCell(list_, mid, kPathColumn, buf);
    int r = CompareStringOrdinal(path.c_str(), static_cast<int>(path.size()), buf.data(),
                                 static_cast<int>(n), TRUE);
    if (r == CSTR_LESS_THAN) {
      hi = mid;
    } else {
      lo = mid + 1;
    }
  }
  return lo;
}

const UINT DocumentList::kResumeRedrawMessage = RegisterWindowMessageW(L"Brivanta.DocumentList.ResumeRedraw");

void DocumentList::SuspendRedrawUntilIdle() {
  if (redrawSuspended_) return;
  redrawSuspended_ = true;
  SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
  PostMessageW(GetParent(list_), kResumeRedrawMessage, 0, 0);
}

void DocumentList::ResumeRedraw() {
  FlushQueuedRows();
  if (!redrawSuspended_) return;
  redrawSuspended_ = false;
  SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
  RedrawWindow(list_, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
}

int DocumentList::InsertRow(int index, std::wstring& path) {
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.iItem = index;
  item.pszText = path.data();
  return static_cast<int>(SendMessageW(list_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

int DocumentList::AddRow(const std::string& path) {
  FlushQueuedRows();
  std::wstring wide = Widen(path);
  SuspendRedrawUntilIdle();
  return InsertRow(SortedPosition(wide, 0), wide);
}

void DocumentList::QueueRow(const std::string& path) {
  SuspendRedrawUntilIdle();
  queued_.push_back(Widen(path));
}

int DocumentList::FlushQueuedRows() {
  if (queued_.empty()) return -1;
  std::vector<std::wstring> paths = std::move(queued_);
  queued_.clear();
  // In ascending order each path's place lies at or after the place of the one before,
  // so the search narrows as the rows go in; into an empty list they are appended.
  std::vector<size_t> order(paths.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&paths](size_t a, size_t b) {
    return CompareStringOrdinal(paths[a].c_str(), static_cast<int>(paths[a].size()), paths[b].c_str(),
                                static_cast<int>(paths[b].size()), TRUE) == CSTR_LESS_THAN;
  });
  int from = 0, lastQueued = -1;
  for (size_t i : order) {
    int index = InsertRow(SortedPosition(paths[i], from), paths[i]);
    if (index < 0) continue;
    from = index + 1;
    if (i + 1 == paths.size()) lastQueued = index;
  }
  return lastQueued;
}

int DocumentList::SelectedCount() const {
  return static_cast<int>(SendMessageW(list_, LVM_GETSELECTEDCOUNT, 0, 0));
}

std::vector<int> DocumentList::SelectedRows() const {
  std::vector<int> rows;
  int i = -1;
  while ((i = static_cast<int>(SendMessageW(list_, LVM_GETNEXTITEM, i, LVNI_SELECTED))) >= 0) {
    rows.push_back(i);
  }
  return rows;
}

void DocumentList::SelectRow(int row) {
  if (row < 0 || row >= RowCount()) return;
  LVITEMW item{};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  item.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(list_, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}

void DocumentList::DeselectRow(int row) {
  if (row < 0 || row >= RowCount()) return;
  LVITEMW item{};
  item.stateMask = LVIS_SELECTED;
  item.state = 0;
  SendMessageW(list_, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}

int DocumentList::CurrentRow() const {
  return static_cast<int>(SendMessageW(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void DocumentList::RemoveRow(int row) {
  if (row < 0 || row >= RowCount()) return;
  SendMessageW(list_, LVM_DELETEITEM, row, 0);
}

void DocumentList::RemoveAllRows() { SendMessageW(list_, LVM_DELETEALLITEMS, 0, 0); }

void DocumentList::TakeFocus() { SetFocus(list_); }

}  // namespace brivanta
