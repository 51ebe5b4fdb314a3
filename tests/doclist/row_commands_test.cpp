#include "doclist/row_commands.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/text.h"
#include "doclist/document_list.h"
#include "win_test_support.h"

namespace brivanta {
namespace {

using wintest::MainWindowFixture;
using wintest::WindowText;

using Row = std::vector<std::string>;

std::vector<Row> Rows(DocumentList& list) {
  std::vector<Row> rows;
  for (int i = 0; i < list.RowCount(); ++i)
    rows.push_back({list.CellText(i, 0), list.CellText(i, 1), list.CellText(i, 2)});
  return rows;
}

void Fill(DocumentList& list, const std::vector<Row>& rows) {
  for (const Row& r : rows) {
    int i = list.AddRow(r[0]);
    list.SetCellText(i, 1, r[1]);
    list.SetCellText(i, 2, r[2]);
  }
}

const std::vector<Row> kFour = {{"C:\\a.doc", "1", "10"},
                                {"C:\\b.doc", "2", "20"},
                                {"C:\\c.doc", "3", "30"},
                                {"C:\\d.doc", "4", "40"}};

// Message boxes shown on this thread while a command runs: caught by a CBT hook,
// read, and closed.
struct SeenBox {
  std::wstring text, caption;
  bool hasIcon = false;
  bool ownerless = false;
  bool mainWindowDisabled = false;
};
std::vector<SeenBox> g_boxes;
HWND g_mainWindow = nullptr;
HHOOK g_hook = nullptr;

BOOL CALLBACK FindIconAndText(HWND child, LPARAM lp) {
  auto* box = reinterpret_cast<SeenBox*>(lp);
  wchar_t cls[32] = {};
  GetClassNameW(child, cls, 32);
  if (_wcsicmp(cls, L"Static") == 0) {
    LONG_PTR style = GetWindowLongPtrW(child, GWL_STYLE);
    if ((style & SS_TYPEMASK) == SS_ICON) box->hasIcon = true;
    else if (!WindowText(child).empty()) box->text = WindowText(child);
  }
  return TRUE;
}

// The box is read once its own message loop runs, when its texts are in place.
HWND g_box = nullptr;
void CALLBACK ReadAndCloseBox(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  SeenBox box;
  box.caption = WindowText(g_box);
  box.ownerless = GetWindow(g_box, GW_OWNER) == nullptr;
  box.mainWindowDisabled = !IsWindowEnabled(g_mainWindow);
  EnumChildWindows(g_box, FindIconAndText, reinterpret_cast<LPARAM>(&box));
  g_boxes.push_back(box);
  if (g_boxes.size() == 1 && box.text == L"到顶啦！") wintest::SaveScreenshotIfAsked("edge-message");
  PostMessageW(g_box, WM_COMMAND, IDOK, 0);
}

LRESULT CALLBACK CatchBox(int code, WPARAM wp, LPARAM lp) {
  if (code == HCBT_ACTIVATE) {
    HWND hwnd = reinterpret_cast<HWND>(wp);
    wchar_t cls[32] = {};
    GetClassNameW(hwnd, cls, 32);
    if (std::wstring(cls) == L"#32770") {
      g_box = hwnd;
      SetTimer(nullptr, 0, 20, ReadAndCloseBox);
    }
  }
  return CallNextHookEx(g_hook, code, wp, lp);
}

std::vector<std::wstring> g_opened;
HINSTANCE WINAPI RecordOpen(HWND owner, LPCWSTR verb, LPCWSTR file, LPCWSTR params, LPCWSTR dir, INT show) {
  EXPECT_EQ(owner, nullptr);
  EXPECT_EQ(verb, nullptr);
  EXPECT_EQ(params, nullptr);
  EXPECT_STREQ(dir, L"");
  EXPECT_EQ(show, SW_SHOWNORMAL);
  g_opened.push_back(file);
  return reinterpret_cast<HINSTANCE>(2);  // "file not found": must be ignored
}

class RowCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    g_boxes.clear();
    g_opened.clear();
    g_mainWindow = f_.window().hwnd();
    g_hook = SetWindowsHookExW(WH_CBT, CatchBox, nullptr, GetCurrentThreadId());
    SetShellOpenForTesting(RecordOpen);
    Fill(list(), kFour);
  }
  void TearDown() override {
    UnhookWindowsHookEx(g_hook);
    SetShellOpenForTesting(nullptr);
  }
  DocumentList& list() { return f_.list(); }
  void Click(ControlId id) {
    SendMessageW(f_.window().hwnd(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(f_.window().Control(id)));
  }
  int FocusedRow() {
    return static_cast<int>(SendMessageW(list().hwnd(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
  }

  MainWindowFixture f_;
};

TEST_F(RowCommands, MovesCarryAllCellsAndTheSelection) {
  struct Case {
    ControlId button;
    int selected;
    std::vector<int> expectedOrder;  // former row indexes
    int selectedAfter;
  };
  const Case cases[] = {
      {kIdMoveUp, 2, {0, 2, 1, 3}, 1},
      {kIdMoveDown, 0, {1, 0, 2, 3}, 1},
      {kIdMoveDown, 2, {0, 1, 3, 2}, 3},
      {kIdMoveUp, 3, {0, 1, 3, 2}, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.selected);
    list().RemoveAllRows();
    Fill(list(), kFour);
    list().SelectRow(c.selected);
    SetFocus(f_.window().Control(kIdExtract));
    Click(c.button);
    std::vector<Row> expected;
    for (int i : c.expectedOrder) expected.push_back(kFour[i]);
    EXPECT_EQ(Rows(list()), expected);
    EXPECT_EQ(list().SelectedRows(), std::vector<int>{c.selectedAfter});
    EXPECT_EQ(FocusedRow(), c.selectedAfter);
    EXPECT_EQ(GetFocus(), list().hwnd());
  }
  EXPECT_TRUE(g_boxes.empty());
}

TEST_F(RowCommands, AtTheEdgeAMessageSaysSoAndNothingMoves) {
  struct Case {
    ControlId button;
    int rows;
    int selected;
    const wchar_t* text;
  };
  const Case cases[] = {
      {kIdMoveUp, 4, 0, L"到顶啦！"},
      {kIdMoveDown, 4, 3, L"到底啦！"},
      {kIdMoveUp, 1, 0, L"到顶啦！"},
      {kIdMoveDown, 1, 0, L"到底啦！"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    g_boxes.clear();
    list().RemoveAllRows();
    Fill(list(), std::vector<Row>(kFour.begin(), kFour.begin() + c.rows));
    auto before = Rows(list());
    list().SelectRow(c.selected);
    SetFocus(f_.window().Control(kIdExtract));
    Click(c.button);
    ASSERT_EQ(g_boxes.size(), 1u);
    EXPECT_EQ(g_boxes[0].text, c.text);
    EXPECT_EQ(g_boxes[0].caption, L"提示");
    EXPECT_TRUE(g_boxes[0].hasIcon);
    EXPECT_TRUE(g_boxes[0].ownerless);
    EXPECT_TRUE(g_boxes[0].mainWindowDisabled) << "the box is modal for the whole task";
    EXPECT_EQ(Rows(list()), before);
    EXPECT_EQ(list().SelectedRows(), std::vector<int>{c.selected});
    EXPECT_EQ(GetFocus(), list().hwnd());
  }
}

TEST_F(RowCommands, WithoutASelectionNothingHappens) {
  HWND button = f_.window().Control(kIdExtract);
  SetFocus(button);
  for (ControlId id : {kIdMoveUp, kIdMoveDown, kIdDelete}) Click(id);
  EXPECT_EQ(Rows(list()), kFour);
  EXPECT_TRUE(g_boxes.empty());
  EXPECT_EQ(GetFocus(), button);
}

TEST_F(RowCommands, DeleteAndClearWithoutAsking) {
  list().SelectRow(1);
  Click(kIdDelete);
  EXPECT_EQ(Rows(list()), (std::vector<Row>{kFour[0], kFour[2], kFour[3]}));
  Click(kIdClear);
  EXPECT_EQ(list().RowCount(), 0);
  Click(kIdClear);
  EXPECT_EQ(list().RowCount(), 0);
  EXPECT_TRUE(g_boxes.empty());
}

TEST_F(RowCommands, DoubleClickOpensTheCurrentRowsDocument) {
  NMITEMACTIVATE dbl{};
  dbl.hdr.hwndFrom = list().hwnd();
  dbl.hdr.idFrom = kIdList;
  dbl.hdr.code = NM_DBLCLK;
  dbl.iItem = -1;
  auto doubleClick = [&] {
    SendMessageW(f_.window().hwnd(), WM_NOTIFY, kIdList, reinterpret_cast<LPARAM>(&dbl));
  };
  list().SelectRow(2);
  doubleClick();
  list().DeselectRow(2);
  doubleClick();
  EXPECT_EQ(g_opened, (std::vector<std::wstring>{L"C:\\c.doc", L""}));
  EXPECT_EQ(Rows(list()), kFour);
}

}  // namespace
}  // namespace brivanta

namespace brivanta {
namespace {

TEST_F(RowCommands, ColumnClickSortsNumericallyAndKeepsTheSelectionIndex) {
  list().RemoveAllRows();
  Fill(list(), {{"C:\\a.doc", "", "500"}, {"C:\\b.doc", "3", "20"}, {"C:\\c.doc", "", "500"},
                {"C:\\d.doc", "1", "7"}});
  auto before = Rows(list());
  list().SelectRow(1);
  NMLISTVIEW click{};
  click.hdr.hwndFrom = list().hwnd();
  click.hdr.idFrom = kIdList;
  click.hdr.code = LVN_COLUMNCLICK;
  click.iItem = -1;
  auto clickTitle = [&](int column) {
    click.iSubItem = column;
    SendMessageW(f_.window().hwnd(), WM_NOTIFY, kIdList, reinterpret_cast<LPARAM>(&click));
  };

  clickTitle(1);
  std::vector<Row> byPages = {before[2], before[0], before[3], before[1]};
  EXPECT_EQ(Rows(list()), byPages);
  EXPECT_EQ(list().SelectedRows(), std::vector<int>{1});
  clickTitle(1);
  EXPECT_EQ(Rows(list()), byPages) << "a second click sorts the same way";

  clickTitle(2);  // words 500, 500, 7, 20 in the current order
  EXPECT_EQ(Rows(list()), (std::vector<Row>{before[3], before[1], byPages[0], byPages[1]}));
  clickTitle(0);  // every path counts 0: the order stays
  EXPECT_EQ(Rows(list()), (std::vector<Row>{before[3], before[1], byPages[0], byPages[1]}));
  EXPECT_EQ(list().SelectedRows(), std::vector<int>{1});
}

}  // namespace
}  // namespace brivanta
