#include "doclist/document_list.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include "win_test_support.h"

namespace brivanta {
namespace {

using wintest::MainWindowFixture;

std::vector<std::string> Column(DocumentList& list, int column) {
  std::vector<std::string> out;
  for (int i = 0; i < list.RowCount(); ++i) out.push_back(list.CellText(i, column));
  return out;
}

TEST(DocumentList, RowsGoInAscendingPathOrderWithEmptyCounts) {
  MainWindowFixture f;
  DocumentList& list = f.list();
  EXPECT_EQ(list.AddRow("D:\\x.doc"), 0);
  EXPECT_EQ(list.AddRow("C:\\y.doc"), 0);
  EXPECT_EQ(list.AddRow("C:\\Y.doc"), 1) << "an equal path goes after the ones present";
  EXPECT_EQ(list.AddRow("c:\\a.doc"), 0);
  EXPECT_EQ(Column(list, 0), (std::vector<std::string>{"c:\\a.doc", "C:\\y.doc", "C:\\Y.doc", "D:\\x.doc"}));
  EXPECT_EQ(Column(list, 1), std::vector<std::string>(4, ""));
  EXPECT_EQ(Column(list, 2), std::vector<std::string>(4, ""));
}

TEST(DocumentList, IndexesThatNameNoCellReadEmptyAndChangeNothing) {
  MainWindowFixture f;
  DocumentList& list = f.list();
  list.AddRow("C:\\a.doc");
  list.AddRow("C:\\b.doc");
  list.SetCellText(1, 2, "42");

  const std::pair<int, int> outside[] = {{-1, 0}, {2, 0}, {0, 3}, {0, -1}, {100, 1}};
  for (auto [row, col] : outside) {
    SCOPED_TRACE(::testing::Message() << row << "," << col);
    EXPECT_EQ(list.CellText(row, col), "");
    list.SetCellText(row, col, "x");
  }
  for (int row : {-1, 2, 100}) list.RemoveRow(row);
  EXPECT_EQ(list.RowCount(), 2);
  EXPECT_EQ(Column(list, 0), (std::vector<std::string>{"C:\\a.doc", "C:\\b.doc"}));
  EXPECT_EQ(Column(list, 1), (std::vector<std::string>{"", ""}));
  EXPECT_EQ(Column(list, 2), (std::vector<std::string>{"", "42"}));
  EXPECT_EQ(list.ColumnTitle(3), "");
  EXPECT_EQ(list.ColumnTitle(-1), "");
}

TEST(DocumentList, Selection) {
  MainWindowFixture f;
  DocumentList& list = f.list();
  for (const char* p : {"C:\\a", "C:\\b", "C:\\c"}) list.AddRow(p);
  EXPECT_EQ(list.CurrentRow(), -1);
  EXPECT_EQ(list.SelectedCount(), 0);
  EXPECT_TRUE(list.SelectedRows().empty());

  list.SelectRow(-1);  // must not select every row
  EXPECT_EQ(list.SelectedCount(), 0);
  list.SelectRow(2);
  list.SelectRow(1);  // single selection: the other mark goes
  EXPECT_EQ(list.SelectedRows(), std::vector<int>{1});
  EXPECT_EQ(list.CurrentRow(), 1);
  EXPECT_EQ(SendMessageW(list.hwnd(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED), 1);
  list.DeselectRow(-1);
  EXPECT_EQ(list.CurrentRow(), 1);
  list.DeselectRow(1);
  EXPECT_EQ(list.CurrentRow(), -1);

  list.RemoveRow(0);
  EXPECT_EQ(Column(list, 0), (std::vector<std::string>{"C:\\b", "C:\\c"}));
  list.RemoveAllRows();
  EXPECT_EQ(list.RowCount(), 0);
}

TEST(DocumentList, LongCellsComeBackWhole) {
  MainWindowFixture f;
  DocumentList& list = f.list();
  std::string longPath = "C:\\";
  for (int i = 0; i < 400; ++i) longPath += "文档";  // 2,403 bytes
  list.AddRow(longPath);
  std::string longCell(5000, '7');
  list.SetCellText(0, 2, longCell);
  EXPECT_EQ(list.CellText(0, 0), longPath);
  EXPECT_EQ(list.CellText(0, 2), longCell);
}

TEST(DocumentList, WritingAPathKeepsTheRowInPlace) {
  MainWindowFixture f;
  DocumentList& list = f.list();
  list.AddRow("D:\\b.doc");
  list.AddRow("C:\\a.doc");
  list.SetCellText(0, 0, "Z:\\z.doc");
  EXPECT_EQ(Column(list, 0), (std::vector<std::string>{"Z:\\z.doc", "D:\\b.doc"}));
  // A new row still finds a place consistent with its neighbours.
  EXPECT_EQ(list.AddRow("E:\\e.doc"), 2);
}

}  // namespace
}  // namespace brivanta
