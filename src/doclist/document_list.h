#pragma once
// The document list: the report list view that holds one row per dropped document
// (path, pages, words). Texts are UTF-8.
#include <windows.h>

#include <string>
#include <vector>

#include "doclist/report_list.h"

namespace brivanta {

class DocumentList : public ReportList {
 public:
  enum Column { kPathColumn = 0, kPagesColumn = 1, kWordsColumn = 2 };

  // Creates the list view with its columns and settings as a child of `parent`.
  static HWND CreateControl(HWND parent, int id, int x, int y, int width, int height, HFONT font);

  explicit DocumentList(HWND list = nullptr) : list_(list) {}
  void Attach(HWND list) { list_ = list; }
  HWND hwnd() const { return list_; }

  // Adds a row with `path` in its first cell at its place in ascending path order;
  // returns its index, or -1 when no row could be added. While rows are being added
  // the list does not repaint: it asks its parent, with kResumeRedrawMessage posted,
  // to call ResumeRedraw once the current message has been handled.
  int AddRow(const std::string& path);
  static const UINT kResumeRedrawMessage;

  // Many rows at once (a drop): QueueRow keeps the paths, FlushQueuedRows puts them
  // all at their places, as AddRow would one by one but without searching the whole
  // list for each. The queue is also flushed by AddRow and ResumeRedraw. Returns the
  // index of the row that the last queued path became, or -1.
  void QueueRow(const std::string& path);
  int FlushQueuedRows();

  // Stops the list repainting until the current message has been handled.
  void SuspendRedrawUntilIdle();
  void ResumeRedraw();
  bool RedrawSuspended() const { return redrawSuspended_; }

  int RowCount() const override;
  int ColumnCount() const override;
  std::string CellText(int row, int column) const override;
  void SetCellText(int row, int column, const std::string& text) override;
  std::string ColumnTitle(int column) const;

  int SelectedCount() const;
  std::vector<int> SelectedRows() const;
  void SelectRow(int row);
  void DeselectRow(int row);
  int CurrentRow() const;

  void RemoveRow(int row);
  void RemoveAllRows();
  void TakeFocus();

 private:
  bool IsCell(int row, int column) const;
  // The place for `path` among the rows from `from` on: after every row whose path
  // is not greater.
  int SortedPosition(const std::wstring& path, int from) const;
  int InsertRow(int index, std::wstring& path);

  HWND list_;
  bool redrawSuspended_ = false;
  mutable int columns_ = -1;
  std::vector<std::wstring> queued_;
};

}  // namespace brivanta
