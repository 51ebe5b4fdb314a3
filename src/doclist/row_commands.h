#pragma once
// The commands that arrange the document list by hand.
#include <windows.h>

#include <string>

namespace brivanta {

class DocumentList;

// Move the selected row one place up / down with all its cells, keep it selected and
// focused, and give the list the keyboard focus. At the edge a message says so and
// nothing moves; with nothing selected nothing happens.
void MoveRowsUp(DocumentList& list);
void MoveRowsDown(DocumentList& list);
// Delete the selected row / every row, without asking.
void DeleteCurrentRow(DocumentList& list);
void ClearList(DocumentList& list);
// Ask the shell to open the selected row's document (an empty path when nothing is
// selected); the outcome is ignored.
void OpenRowDocument(DocumentList& list);
// Sort every row by `column`, numerically and ascending, while the list does not repaint.
void SortListByColumn(DocumentList& list, int column);

// Tests watch the shell request through this.
using ShellOpenFn = HINSTANCE(WINAPI*)(HWND, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, INT);
void SetShellOpenForTesting(ShellOpenFn fn);

}  // namespace brivanta
