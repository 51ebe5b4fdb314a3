#pragma once
// The main window "Brivanta V1.0": the document list, the buttons that act on it, the
// instruction line, the progress bar and the status line.
#include <windows.h>

#include <string>

#include "app/progress_bar.h"
#include "common/scoped_win.h"
#include "doclist/document_list.h"

namespace brivanta {

class DropTargetRegistry;

enum ControlId : int {
  kIdLabel = 100,       // 标签1
  kIdList,              // 超级列表框1
  kIdMoveUp,            // 按钮_上移
  kIdMoveDown,          // 按钮_下移
  kIdDelete,            // 按钮_删除
  kIdClear,             // 按钮_清空列表
  kIdProgress,          // 进度条1
  kIdExtract,           // 按钮1
  kIdExport,            // 按钮2
  kIdStatus,            // 标签_状态
};

class MainWindow {
 public:
  static constexpr int kWidth = 682;
  static constexpr int kHeight = 373;
  static constexpr COLORREF kLabelColor = RGB(192, 96, 0);

  explicit MainWindow(DropTargetRegistry* registry);
  ~MainWindow();
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Creates the window centred on the primary screen, shows it and registers it for
  // file drops. False when the window cannot be created.
  bool Create(HINSTANCE instance, int show = SW_SHOWNORMAL);

  static bool IsMainWindow(HWND hwnd);

  HWND hwnd() const { return hwnd_; }
  HWND Control(ControlId id) const { return GetDlgItem(hwnd_, id); }
  DocumentList& List() { return list_; }
  ProgressBar& Progress() { return progress_; }
  void SetStatus(const std::string& text);
  std::string Status() const;

 private:
  static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);

  bool OnCreate();
  void OnMainWindowCreated();
  void OnMainWindowDestroying();
  void OnCommand(int id, int code);
  LRESULT OnNotify(const NMHDR& hdr);
  LRESULT OnCtlColorStatic(HDC dc, HWND control);

  HWND CreateChild(const wchar_t* cls, const wchar_t* text, DWORD style, DWORD exStyle, int x,
                   int y, int w, int h, ControlId id, HFONT font);

  DropTargetRegistry* registry_;
  HWND hwnd_ = nullptr;
  DocumentList list_;
  ProgressBar progress_;
  HFONT font_ = nullptr;
  ScopedFont labelFont_;
};

}  // namespace brivanta
