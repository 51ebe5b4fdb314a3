#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <tuple>

#include "app/main_window.h"
#include "app/message_pump.h"
#include "win_test_support.h"

namespace brivanta {
namespace {

using wintest::ChildRect;
using wintest::MainWindowFixture;
using wintest::WindowText;

HFONT GuiFont() { return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)); }
HFONT FontOf(HWND hwnd) { return reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0)); }

TEST(MainWindow, FixedSizeCentredOnThePrimaryScreen) {
  MainWindowFixture f;
  HWND hwnd = f.window().hwnd();
  RECT r{};
  GetWindowRect(hwnd, &r);
  EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - 682) / 2);
  EXPECT_EQ(r.top, (GetSystemMetrics(SM_CYSCREEN) - 373) / 2);
  EXPECT_EQ(r.right - r.left, 682);
  EXPECT_EQ(r.bottom - r.top, 373);
  EXPECT_EQ(WindowText(hwnd), L"Brivanta V1.0");

  LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE);
  EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN), WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN);
  EXPECT_EQ(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0);
  EXPECT_EQ(GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
  EXPECT_EQ(FontOf(hwnd), GuiFont());
}

struct ControlCase {
  ControlId id;
  const wchar_t* cls;
  const wchar_t* text;
  RECT rect;  // left, top, right, bottom in the client area
};

TEST(MainWindow, ControlsWithTheirTextsPlacesAndFonts) {
  const ControlCase cases[] = {
      {kIdLabel, L"Static", L"请将要提取页数的word文档拖动到本窗口内（支持批量拖入，请勿拖入非word文档）", {5, 6, 472, 22}},
      {kIdList, L"SysListView32", L"", {3, 28, 595, 264}},
      {kIdMoveUp, L"Button", L"上移一行", {600, 39, 670, 69}},
      {kIdMoveDown, L"Button", L"下移一行", {600, 87, 670, 117}},
      {kIdDelete, L"Button", L"删除选项", {600, 135, 670, 165}},
      {kIdClear, L"Button", L"清空列表", {600, 183, 670, 213}},
      {kIdProgress, L"msctls_progress32", L"", {3, 264, 595, 280}},
      {kIdExtract, L"Button", L"立即提取页数和字数", {185, 290, 325, 320}},
      {kIdExport, L"Button", L"导出提取结果到Excel", {348, 290, 488, 320}},
      {kIdStatus, L"Static", L"欢迎使用本程序!", {3, 320, 328, 343}},
  };
  MainWindowFixture f;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.id);
    HWND ctl = f.window().Control(c.id);
    ASSERT_NE(ctl, nullptr);
    wchar_t cls[64] = {};
    GetClassNameW(ctl, cls, 64);
    EXPECT_EQ(_wcsicmp(cls, c.cls), 0) << cls;
    EXPECT_EQ(WindowText(ctl), c.text);
    RECT r = ChildRect(ctl);
    EXPECT_EQ(r.left, c.rect.left);
    EXPECT_EQ(r.top, c.rect.top);
    EXPECT_EQ(r.right, c.rect.right);
    EXPECT_EQ(r.bottom, c.rect.bottom);
    EXPECT_TRUE(IsWindowVisible(ctl));
    if (c.id != kIdLabel) {
      EXPECT_EQ(FontOf(ctl), GuiFont());
    }
  }
}

TEST(MainWindow, InstructionLabelHasItsOwnOrangeGb2312Font) {
  MainWindowFixture f;
  HWND label = f.window().Control(kIdLabel);
  LOGFONTW lf{};
  ASSERT_EQ(GetObjectW(FontOf(label), sizeof(lf), &lf), static_cast<int>(sizeof(lf)));
  EXPECT_EQ(lf.lfHeight, -12);
  EXPECT_EQ(lf.lfWeight, 400);
  EXPECT_FALSE(lf.lfItalic);
  EXPECT_FALSE(lf.lfUnderline);
  EXPECT_FALSE(lf.lfStrikeOut);
  EXPECT_EQ(lf.lfCharSet, 134);
  EXPECT_STREQ(lf.lfFaceName, L"");

  // The labels draw left-aligned, one line, vertically centred; the colours come from
  // the window's WM_CTLCOLORSTATIC answer.
  HDC dc = CreateCompatibleDC(nullptr);
  for (auto [id, colour] : {std::pair{kIdLabel, RGB(192, 96, 0)}, std::pair{kIdStatus, RGB(0, 0, 0)}}) {
    HWND ctl = f.window().Control(id);
    EXPECT_EQ(GetWindowLongPtrW(ctl, GWL_STYLE) & (SS_TYPEMASK | SS_CENTERIMAGE), SS_LEFT | SS_CENTERIMAGE);
    EXPECT_EQ(GetWindowLongPtrW(ctl, GWL_EXSTYLE) & (WS_EX_CLIENTEDGE | WS_EX_STATICEDGE), 0);
    SetTextColor(dc, RGB(1, 2, 3));
    SendMessageW(f.window().hwnd(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                 reinterpret_cast<LPARAM>(ctl));
    EXPECT_EQ(GetTextColor(dc), colour);
  }
  DeleteDC(dc);
}

TEST(MainWindow, ListColumnsAndSettings) {
  MainWindowFixture f;
  HWND list = f.window().Control(kIdList);
  LONG_PTR style = GetWindowLongPtrW(list, GWL_STYLE);
  EXPECT_EQ(style & LVS_TYPEMASK, LVS_REPORT);
  EXPECT_TRUE(style & LVS_SINGLESEL);
  EXPECT_FALSE(style & (LVS_SHOWSELALWAYS | LVS_EDITLABELS | LVS_NOCOLUMNHEADER | LVS_NOSORTHEADER));
  EXPECT_TRUE(GetWindowLongPtrW(list, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  DWORD ex = static_cast<DWORD>(SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
  EXPECT_EQ(ex & (LVS_EX_FLATSB | LVS_EX_INFOTIP | LVS_EX_SUBITEMIMAGES),
            static_cast<DWORD>(LVS_EX_FLATSB | LVS_EX_INFOTIP | LVS_EX_SUBITEMIMAGES));
  EXPECT_EQ(ex & (LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_HEADERDRAGDROP | LVS_EX_CHECKBOXES |
                  LVS_EX_TRACKSELECT),
            0u);
  EXPECT_EQ(SendMessageW(list, LVM_GETTEXTCOLOR, 0, 0), RGB(0, 0, 0));
  EXPECT_EQ(SendMessageW(list, LVM_GETTEXTBKCOLOR, 0, 0), RGB(255, 255, 255));
  EXPECT_EQ(SendMessageW(list, LVM_GETBKCOLOR, 0, 0), RGB(255, 255, 255));
  EXPECT_EQ(f.list().RowCount(), 0);

  const std::pair<const char*, int> columns[] = {{"文件列表", 480}, {"页数", 50}, {"总字数", 60}};
  ASSERT_EQ(f.list().ColumnCount(), 3);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(f.list().ColumnTitle(i), columns[i].first);
    EXPECT_EQ(SendMessageW(list, LVM_GETCOLUMNWIDTH, i, 0), columns[i].second);
    LVCOLUMNW col{};
    col.mask = LVCF_FMT;
    SendMessageW(list, LVM_GETCOLUMNW, i, reinterpret_cast<LPARAM>(&col));
    EXPECT_EQ(col.fmt & LVCFMT_JUSTIFYMASK, LVCFMT_LEFT);
  }
}

TEST(MainWindow, ProgressBarStartsEmptyAndLimitsItsValues) {
  MainWindowFixture f;
  HWND bar = f.window().Control(kIdProgress);
  EXPECT_FALSE(GetWindowLongPtrW(bar, GWL_STYLE) & (PBS_SMOOTH | PBS_VERTICAL));
  EXPECT_TRUE(GetWindowLongPtrW(bar, GWL_EXSTYLE) & WS_EX_STATICEDGE);

  ProgressBar& p = f.window().Progress();
  auto shown = [bar] {
    PBRANGE r{};
    SendMessageW(bar, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&r));
    return std::tuple{static_cast<int>(r.iLow), static_cast<int>(r.iHigh),
                      static_cast<int>(SendMessageW(bar, PBM_GETPOS, 0, 0))};
  };
  EXPECT_EQ(shown(), std::tuple(0, 100, 0));
  EXPECT_EQ(std::tuple(p.Minimum(), p.Maximum(), p.Position()), std::tuple(0, 100, 0));

  p.SetMaximum(40000);
  EXPECT_EQ(p.Maximum(), 32767);
  p.SetPosition(-5);
  EXPECT_EQ(p.Position(), 0);
  EXPECT_EQ(shown(), std::tuple(0, 32767, 0));

  // The range runs from the smaller to the larger limit; the stored position is kept
  // even where the bar can only show the end of the range.
  p.SetMinimum(50);
  p.SetMaximum(10);
  p.SetPosition(70);
  EXPECT_EQ(p.Position(), 70);
  EXPECT_EQ(std::tuple(p.Minimum(), p.Maximum()), std::tuple(50, 10));
  EXPECT_EQ(shown(), std::tuple(10, 50, 50));
}

TEST(MainWindow, EscapeFromTheWindowOrAnyControlClosesIt) {
  for (ControlId target : {kIdExtract, kIdList, kIdMoveUp, kIdStatus}) {
    SCOPED_TRACE(target);
    MainWindowFixture f;
    HWND hwnd = f.window().hwnd();
    PostMessageW(f.window().Control(target), WM_KEYDOWN, VK_ESCAPE, 0);
    PumpPendingMessages();
    EXPECT_FALSE(IsWindow(hwnd));
  }
  MainWindowFixture f;
  HWND hwnd = f.window().hwnd();
  PostMessageW(hwnd, WM_KEYDOWN, VK_ESCAPE, 0);
  PumpPendingMessages();
  EXPECT_FALSE(IsWindow(hwnd));
}

TEST(MainWindow, PumpLeavesAWaitingQuitInTheQueue) {
  PostQuitMessage(7);
  PumpPendingMessages();
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 7u);
}

}  // namespace
}  // namespace brivanta
