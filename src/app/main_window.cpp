#include "app/main_window.h"

#include <commctrl.h>

#include "common/text.h"
#include "doclist/row_commands.h"
#include "export/export_command.h"
#include "stats/extract_command.h"
#include "drop/add_dropped_file.h"
#include "drop/drop_registry.h"

namespace brivanta {
namespace {

constexpr wchar_t kClassName[] = L"BrivantaMainWindow";

HFONT GuiFont() { return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)); }

struct ButtonSpec {
  ControlId id;
  const wchar_t* text;
  int x, y, w, h;
};
constexpr ButtonSpec kButtons[] = {
    {kIdMoveUp, L"上移一行", 600, 39, 70, 30},
    {kIdMoveDown, L"下移一行", 600, 87, 70, 30},
    {kIdDelete, L"删除选项", 600, 135, 70, 30},
    {kIdClear, L"清空列表", 600, 183, 70, 30},
    {kIdExtract, L"立即提取页数和字数", 185, 290, 140, 30},
    {kIdExport, L"导出提取结果到Excel", 348, 290, 140, 30},
};

}  // namespace

MainWindow::MainWindow(DropTargetRegistry* registry) : registry_(registry) {}

MainWindow::~MainWindow() {
  if (hwnd_) DestroyWindow(hwnd_);
}

bool MainWindow::IsMainWindow(HWND hwnd) {
  wchar_t name[64] = {};
  return hwnd && GetClassNameW(hwnd, name, 64) && lstrcmpW(name, kClassName) == 0;
}

bool MainWindow::Create(HINSTANCE instance, int show) {
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);

  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = WndProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kClassName;
  RegisterClassExW(&wc);  // fails harmlessly when already registered

  // Centred on the primary screen; the quotients are cut toward zero.
  int x = (GetSystemMetrics(SM_CXSCREEN) - kWidth) / 2;
  int y = (GetSystemMetrics(SM_CYSCREEN) - kHeight) / 2;
  HWND hwnd = CreateWindowExW(WS_EX_APPWINDOW, kClassName, L"Brivanta V1.0",
                              WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN, x, y, kWidth, kHeight,
                              nullptr, nullptr, instance, this);
  if (!hwnd) return false;
  OnMainWindowCreated();
  ShowWindow(hwnd_, show);
  UpdateWindow(hwnd_);
  return true;
}

LRESULT CALLBACK MainWindow::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  MainWindow* self;
  if (msg == WM_NCCREATE) {
    self = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  }
  if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
    return DefWindowProcW(hwnd, msg, wp, lp);
  }
  return self->HandleMessage(msg, wp, lp);
}

LRESULT MainWindow::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == DocumentList::kResumeRedrawMessage) {
    list_.ResumeRedraw();
    return 0;
  }
  switch (msg) {
    case WM_CREATE:
      return OnCreate() ? 0 : -1;
    case WM_COMMAND:
      OnCommand(LOWORD(wp), HIWORD(wp));
      return 0;
    case WM_NOTIFY:
      return OnNotify(*reinterpret_cast<const NMHDR*>(lp));
    case WM_SETFONT:
      font_ = reinterpret_cast<HFONT>(wp);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(font_);
    case WM_CTLCOLORSTATIC:
      return OnCtlColorStatic(reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp));
    case WM_DESTROY:
      OnMainWindowDestroying();
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(hwnd_, msg, wp, lp);
}

HWND MainWindow::CreateChild(const wchar_t* cls, const wchar_t* text, DWORD style, DWORD exStyle,
                             int x, int y, int w, int h, ControlId id, HFONT font) {
  HWND child = CreateWindowExW(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, hwnd_,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(hwnd_, GWLP_HINSTANCE)),
                               nullptr);
  if (child) SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return child;
}

bool MainWindow::OnCreate() {
  SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(GuiFont()), FALSE);

  LOGFONTW lf{};
  lf.lfHeight = -12;
  lf.lfWeight = FW_NORMAL;
  lf.lfCharSet = GB2312_CHARSET;
  labelFont_.reset(CreateFontIndirectW(&lf));

  constexpr DWORD kLabelStyle = SS_LEFT | SS_CENTERIMAGE | SS_NOPREFIX;
  if (!CreateChild(L"STATIC",
                   L"请将要提取页数的word文档拖动到本窗口内（支持批量拖入，请勿拖入非word文档）",
                   kLabelStyle, 0, 5, 6, 467, 16, kIdLabel, labelFont_.get()))
    return false;

  HWND list = DocumentList::CreateControl(hwnd_, kIdList, 3, 28, 592, 236, GuiFont());
  if (!list) return false;
  list_.Attach(list);

  for (const ButtonSpec& b : kButtons) {
    if (!CreateChild(L"BUTTON", b.text, WS_TABSTOP | BS_PUSHBUTTON, 0, b.x, b.y, b.w, b.h, b.id,
                     GuiFont()))
      return false;
  }

  HWND bar = CreateChild(PROGRESS_CLASSW, L"", 0, WS_EX_STATICEDGE, 3, 264, 592, 16, kIdProgress,
                         GuiFont());
  if (!bar) return false;
  progress_.Attach(bar);

  if (!CreateChild(L"STATIC", L"欢迎使用本程序!", kLabelStyle, 0, 3, 320, 325, 23, kIdStatus,
                   GuiFont()))
    return false;
  return true;
}

void MainWindow::OnMainWindowCreated() {
  SetDropDestination(&list_);
  if (registry_) registry_->RegisterWindow(hwnd_, AddDroppedFile);
  AllowDropMessages();
}

void MainWindow::OnMainWindowDestroying() {
  if (registry_) registry_->UnregisterWindow(hwnd_);
  SetDropDestination(nullptr);
}

void MainWindow::SetStatus(const std::string& text) {
  SetWindowTextW(Control(kIdStatus), Widen(text).c_str());
}

std::string MainWindow::Status() const {
  HWND status = GetDlgItem(hwnd_, kIdStatus);
  int n = GetWindowTextLengthW(status);
  std::wstring text(static_cast<size_t>(n) + 1, L'\0');
  n = GetWindowTextW(status, text.data(), n + 1);
  text.resize(static_cast<size_t>(n));
  return Narrow(text);
}

void MainWindow::OnCommand(int id, int code) {
  if (code != BN_CLICKED) return;
  switch (id) {
    case kIdMoveUp:
      MoveRowsUp(list_);
      break;
    case kIdMoveDown:
      MoveRowsDown(list_);
      break;
    case kIdDelete:
      DeleteCurrentRow(list_);
      break;
    case kIdClear:
      ClearList(list_);
      break;
    case kIdExtract:
      ExtractStatistics(*this);
      break;
    case kIdExport:
      ExportResults(*this);
      break;
  }
}

LRESULT MainWindow::OnNotify(const NMHDR& hdr) {
  if (hdr.idFrom != kIdList) return 0;
  switch (hdr.code) {
    case LVN_COLUMNCLICK:
      SortListByColumn(list_, reinterpret_cast<const NMLISTVIEW&>(hdr).iSubItem);
      break;
    case NM_DBLCLK:
      OpenRowDocument(list_);
      break;
  }
  return 0;
}

LRESULT MainWindow::OnCtlColorStatic(HDC dc, HWND control) {
  SetTextColor(dc, control == Control(kIdLabel) ? kLabelColor : RGB(0, 0, 0));
  SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
  return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

}  // namespace brivanta
