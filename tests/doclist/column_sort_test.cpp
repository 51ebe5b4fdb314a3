#include "doclist/column_sort.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cstdint>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

namespace brivanta {
namespace {

using Row = std::array<std::string, 3>;

// A three-column report list in memory that counts its cell reads and writes.
class FakeReportList : public ReportList {
 public:
  explicit FakeReportList(std::vector<Row> rows) : rows_(std::move(rows)) {}

  int RowCount() const override { return static_cast<int>(rows_.size()); }
  int ColumnCount() const override { return 3; }
  std::string CellText(int row, int column) const override {
    ++reads_;
    return IsCell(row, column) ? rows_[row][column] : std::string();
  }
  void SetCellText(int row, int column, const std::string& text) override {
    ++writes_;
    if (IsCell(row, column)) rows_[row][column] = text;
  }

  const std::vector<Row>& rows() const { return rows_; }
  int reads() const { return reads_; }
  int writes() const { return writes_; }

 private:
  bool IsCell(int row, int column) const {
    return row >= 0 && row < RowCount() && column >= 0 && column < ColumnCount();
  }

  std::vector<Row> rows_;
  mutable int reads_ = 0;
  int writes_ = 0;
};

// Rows whose cells in `column` are `keys` and whose other cells name their row and
// column ("r2c0"), so that every cell shows where it came from. A column outside
// 0 to 2 gives rows of such names only, one per key.
std::vector<Row> RowsWithKeys(const std::vector<std::string>& keys, int column) {
  std::vector<Row> rows(keys.size());
  for (size_t i = 0; i < keys.size(); ++i) {
    for (int c = 0; c < 3; ++c) {
      rows[i][c] = c == column ? keys[i] : "r" + std::to_string(i) + "c" + std::to_string(c);
    }
  }
  return rows;
}

struct SortCase {
  const char* name;
  std::vector<std::string> keys;  // cells of the sort column, rows 0, 1, ...
  int column;
  int kind;
  bool caseSensitive;
  bool ascending;
  std::vector<int> formerRows;  // formerRows[k]: the row whose cells end up in row k
};

const SortCase kSortCases[] = {
    {"EmptyPagesCountZero", {"", "3", "", "1"}, 1, kSortNumeric, true, true, {2, 0, 3, 1}},
    {"EmptyPagesDescending", {"", "3", "", "1"}, 1, kSortNumeric, true, false, {1, 3, 0, 2}},
    {"EqualToLastGoesAfterIt", {"500", "20", "500"}, 2, kSortNumeric, true, true, {1, 0, 2}},
    {"EqualToFirstBelowLastGoesBefore", {"5", "1", "1"}, 2, kSortNumeric, true, true, {2, 1, 0}},
    {"EqualMetInMiddleGoesAfterIt", {"1", "3", "5", "3"}, 1, kSortNumeric, true, true,
     {0, 1, 3, 2}},
    {"PathsKeepTheirOrder", {"D:\\b.doc", "C:\\a.doc", "E:\\c.doc"}, 0, kSortNumeric, true, true,
     {0, 1, 2}},
    {"FullWidthDigitsAreNumbers", {"１２", "－３．５", "１Ｅ２", "7"}, 1, kSortNumeric, true, true,
     {1, 3, 0, 2}},
    {"LogicalFalseLast", {"真", "假", "真", "假"}, 1, kSortLogical, true, true, {2, 0, 1, 3}},
    {"LogicalDescending", {"真", "假", "真", "假"}, 1, kSortLogical, true, false, {3, 1, 0, 2}},
    {"TextCapitalBeforeSmall", {"apple", "Banana"}, 0, kSortText, true, true, {1, 0}},
    {"TextIgnoringCase", {"Banana", "apple"}, 0, kSortText, false, true, {1, 0}},
    {"TextByCodePoint", {"中", "b", "A"}, 0, kSortText, true, true, {2, 1, 0}},
    {"KindSevenIsText", {"apple", "Banana"}, 0, 7, true, true, {1, 0}},
    {"KindMinusOneIsText", {"apple", "Banana"}, 0, -1, true, true, {1, 0}},
    {"KindMinusOneIgnoringCase", {"Banana", "apple"}, 0, -1, false, true, {1, 0}},
    {"DateTimes", {"2026/12/11", "2026-01-05 08:00", "garbage", "2025年12月31日"}, 2,
     kSortDateTime, true, true, {2, 3, 1, 0}},
    {"ColumnPastTheLast", {"3", "2", "1"}, 3, kSortNumeric, true, true, {0, 1, 2}},
    {"ColumnMinusOne", {"3", "2", "1"}, -1, kSortNumeric, true, true, {0, 1, 2}},
};

void PrintTo(const SortCase& c, std::ostream* os) { *os << c.name; }

class SortByColumnTest : public testing::TestWithParam<SortCase> {};

TEST_P(SortByColumnTest, MovesWholeRowsIntoOrder) {
  const SortCase& c = GetParam();
  const std::vector<Row> before = RowsWithKeys(c.keys, c.column);
  FakeReportList list(before);

  SortByColumn(list, c.column, c.kind, c.caseSensitive, c.ascending);

  std::vector<Row> expected;
  for (int former : c.formerRows) expected.push_back(before[former]);
  EXPECT_EQ(list.rows(), expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, SortByColumnTest, testing::ValuesIn(kSortCases),
                         [](const testing::TestParamInfo<SortCase>& info) {
                           return std::string(info.param.name);
                         });

TEST(SortByColumn, LeftOutArgumentsSortNumericallyAscending) {
  const std::vector<Row> rows = RowsWithKeys({"10", "9", "", "9.5"}, 1);
  FakeReportList byDefault(rows);
  FakeReportList explicitly(rows);

  SortByColumn(byDefault, 1);
  SortByColumn(explicitly, 1, kSortNumeric, true, true);

  EXPECT_NE(byDefault.rows(), rows);
  EXPECT_EQ(byDefault.rows(), explicitly.rows());
}

// Once sorted ascending, every key is not less than the one before it, so a second
// sort appends each key after the last and leaves the rows as they are.
TEST(SortByColumn, SortingTwiceMatchesSortingOnce) {
  for (const SortCase& c : kSortCases) {
    if (!c.ascending || c.kind == kSortLogical) continue;
    SCOPED_TRACE(c.name);
    FakeReportList list(RowsWithKeys(c.keys, c.column));
    SortByColumn(list, c.column, c.kind, c.caseSensitive);
    const std::vector<Row> once = list.rows();

    SortByColumn(list, c.column, c.kind, c.caseSensitive);

    EXPECT_EQ(list.rows(), once);
  }
}

TEST(SortByColumn, ReadsEachKeyAndEveryCellThenWritesEveryCell) {
  const struct {
    int rows;
    int column;
  } cases[] = {{0, 1}, {1, 0}, {4, 2}, {5, 3}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.rows << " rows, column " << c.column);
    FakeReportList list(RowsWithKeys(std::vector<std::string>(c.rows, "1"), c.column));
    const int cells = c.rows * list.ColumnCount();

    SortByColumn(list, c.column);

    EXPECT_EQ(list.reads(), c.rows + cells);
    EXPECT_EQ(list.writes(), cells);
  }
}

TEST(SortByColumn, ReturnsTheTicksBetweenStartAndEnd) {
  std::vector<std::int64_t> readings = {1000, 1042};
  size_t taken = 0;
  FakeReportList list(RowsWithKeys({"2", "1"}, 1));

  const int elapsed = SortByColumn(list, 1, kSortNumeric, true, true,
                                   [&] { return readings.at(taken++); });

  EXPECT_EQ(taken, readings.size());
  EXPECT_EQ(elapsed, readings[1] - readings[0]);
}

TEST(SortNumber, ReadsTheLeadingDecimalNumber) {
  const double infinity = std::numeric_limits<double>::infinity();
  const struct {
    const char* text;
    double value;
  } cases[] = {
      {"", 0},
      {"abc", 0},
      {"C:\\docs\\a.doc", 0},
      {"3", 3},
      {"  42 pages", 42},
      {"\t-3.5", -3.5},
      {"+2", 2},
      {".5", 0.5},
      {"5.", 5},
      {"1e2", 100},
      {"2.5E-1", 0.25},
      {"1e", 1},
      {"1e+x", 1},
      {"-", 0},
      {".", 0},
      {"- 1", 0},
      {"0x10", 0},
      {"inf", 0},
      {"nan", 0},
      {"1,000", 1},
      {"1e999", infinity},
      {"-1e999", -infinity},
      {"1e-999", 0},
      {"１２", 12},
      {"－３．５", -3.5},
      {"１Ｅ２", 100},
      {"＋．５", 0.5},
      {"\u3000１２", 12},
      {"５００字", 500},
      {"１２\u30003", 12},
      {"＄5", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_DOUBLE_EQ(SortNumber(c.text), c.value);
  }
}

TEST(SortDateTime, CountsDaysSinceTheEndOf1899) {
  const double day = 46367;  // 2026-12-11, the same serial number as Excel's
  const struct {
    const char* text;
    double value;
  } cases[] = {
      {"1899-12-30", 0},
      {"1899-12-29", -1},
      {"1900-01-01", 2},
      {"0100-01-01", -657434},
      {"2024-02-29", 45351},
      {"2026-12-11", day},
      {"2026/12/11", day},
      {"2026年12月11日", day},
      {"2026-1-5", 46027},
      {"2026-12-11 14:30", day + 14.5 / 24},
      {"2026/12/11 14:30:59", day + (14 * 3600 + 30 * 60 + 59) / 86400.0},
      {"2026年12月11日 8:05", day + (8 * 60 + 5) / 1440.0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_DOUBLE_EQ(SortDateTime(c.text), c.value);
  }
}

TEST(SortDateTime, TextsThatAreNoDateTimeCountAsTheYear100) {
  const char* const texts[] = {
      "",
      "garbage",
      "2026-13-01",
      "2026-00-10",
      "2026-02-29",
      "2026-04-31",
      "0099-12-31",
      "26-12-11",
      "2026-12/11",
      "2026年12月11",
      "2026-12-11 ",
      "2026-12-11x",
      "2026-12-11 24:00",
      "2026-12-11 14:60",
      "2026-12-11 14:30:60",
      "2026-12-11 14:3",
      "2026-12-11 14:30:",
      " 2026-12-11",
  };
  for (const char* text : texts) {
    SCOPED_TRACE(text);
    EXPECT_EQ(SortDateTime(text), -657434);
  }
}

TEST(CompareSortTexts, OrdersByCodePoint) {
  const struct {
    const char* a;
    const char* b;
    bool caseSensitive;
    int sign;
  } cases[] = {
      {"", "", true, 0},
      {"abc", "abc", true, 0},
      {"a", "b", true, -1},
      {"ab", "abc", true, -1},
      {"", "a", false, -1},
      {"Banana", "apple", true, -1},
      {"Banana", "apple", false, 1},
      {"ABC", "abc", true, -1},
      {"ABC", "abc", false, 0},
      {"aBc", "AbC", false, 0},
      {"z", "é", true, -1},
      {"中", "文", true, -1},
      {"文", "中文", true, 1},
      {"10", "9", true, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.a << " / " << c.b << " / " << c.caseSensitive);
    const int result = CompareSortTexts(c.a, c.b, c.caseSensitive);
    EXPECT_EQ((result > 0) - (result < 0), c.sign);
  }
}

TEST(InsertionPosition, FindsTheOneBasedPlace) {
  const std::vector<std::string> odd = {"1", "3", "5"};
  const struct {
    std::vector<std::string> keys;
    const char* key;
    int kind;
    bool caseSensitive;
    int place;
  } cases[] = {
      {{}, "5", kSortNumeric, true, 1},
      {odd, "9", kSortNumeric, true, 4},
      {odd, "5", kSortNumeric, true, 4},
      {odd, "0", kSortNumeric, true, 1},
      {odd, "1", kSortNumeric, true, 1},
      {odd, "2", kSortNumeric, true, 2},
      {odd, "3", kSortNumeric, true, 3},
      {odd, "4", kSortNumeric, true, 3},
      {{"1", "2", "3", "4", "5"}, "2", kSortNumeric, true, 3},
      {{"1", "2", "2", "2", "5"}, "2", kSortNumeric, true, 4},
      {{"1", "2"}, "1.99999995", kSortNumeric, true, 3},
      {{"1", "2"}, "1.00000005", kSortNumeric, true, 1},
      {{"1", "2", "3", "4", "5"}, "1.99999995", kSortNumeric, true, 3},
      {{"a", "c"}, "B", kSortText, true, 1},
      {{"a", "c"}, "B", kSortText, false, 2},
      {{"a", "c"}, "b", 9, true, 2},
      {{"2026-01-01", "2026-12-31"}, "2026/06/15", kSortDateTime, true, 2},
      {{"2026-01-01", "2026-12-31"}, "someday", kSortDateTime, true, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.key << " kind " << c.kind);
    EXPECT_EQ(InsertionPosition(c.keys, c.key, c.kind, c.caseSensitive), c.place);
  }
}

}  // namespace
}  // namespace brivanta
