// The statistics run's sequencing against a scripted Word and an in-memory window.
#include "stats/statistics_run.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <limits>
#include <map>
#include <string>
#include <vector>

namespace brivanta {
namespace {

using ::testing::ElementsAre;

// How the scripted Word treats one document (by path).
struct Doc {
  WordCall open = WordCall::kOk;
  std::optional<std::string> pages;
  std::optional<double> words;
  WordCall pagesCall = WordCall::kOk;
  WordCall wordsCall = WordCall::kOk;
  int dieOnOpenTimes = 0;  // the first N opens of this document lose the server
};

class ScriptedWord : public WordAutomation {
 public:
  std::map<std::string, Doc> docs;
  std::vector<std::string> calls;
  bool canStart = true;
  WordCall bind = WordCall::kOk;
  int starts = 0;
  int quits = 0;
  std::function<void()> onOpen;

  bool StartWord() override {
    calls.push_back("StartWord");
    if (!canStart) return false;
    ++starts;
    alive_ = true;
    return true;
  }
  WordCall HideWord() override { return Log("HideWord"); }
  WordCall DisableMacros() override { return Log("DisableMacros"); }
  WordCall SuppressAlerts() override { return Log("SuppressAlerts"); }
  WordCall BindDocuments() override {
    Log("BindDocuments");
    return alive_ ? bind : WordCall::kServerGone;
  }
  WordCall OpenWordDocument(const std::string& path) override {
    calls.push_back("Open " + path);
    if (onOpen) onOpen();
    if (!alive_) return WordCall::kServerGone;
    auto it = docs.find(path);
    if (it == docs.end()) return WordCall::kFailed;
    Doc& d = it->second;
    if (d.dieOnOpenTimes > 0) {
      --d.dieOnOpenTimes;
      alive_ = false;
      return WordCall::kServerGone;
    }
    if (d.open != WordCall::kOk) return d.open;
    current_ = &d;
    return WordCall::kOk;
  }
  WordCall ReadPageText(std::optional<std::string>& text) override {
    calls.push_back("Pages");
    text = current_ ? current_->pages : std::nullopt;
    return current_ ? current_->pagesCall : WordCall::kFailed;
  }
  WordCall ReadWordCount(std::optional<double>& count) override {
    calls.push_back("Words");
    count = current_ ? current_->words : std::nullopt;
    return current_ ? current_->wordsCall : WordCall::kFailed;
  }
  WordCall CloseWordDocument() override {
    current_ = nullptr;
    return Log("Close");
  }
  void QuitWord() override {
    calls.push_back("QuitWord");
    ++quits;
  }

 private:
  WordCall Log(const char* name) {
    calls.push_back(name);
    return alive_ ? WordCall::kOk : WordCall::kServerGone;
  }
  bool alive_ = false;
  Doc* current_ = nullptr;
};

class MemoryList : public ReportList {
 public:
  std::vector<std::vector<std::string>> rows;
  int RowCount() const override { return static_cast<int>(rows.size()); }
  int ColumnCount() const override { return 3; }
  std::string CellText(int row, int column) const override {
    if (row < 0 || row >= RowCount() || column < 0 || column > 2) return {};
    return rows[static_cast<size_t>(row)][static_cast<size_t>(column)];
  }
  void SetCellText(int row, int column, const std::string& text) override {
    if (row < 0 || row >= RowCount() || column < 0 || column > 2) return;
    rows[static_cast<size_t>(row)][static_cast<size_t>(column)] = text;
  }
};

// Keeps the progress values the way the window's bar does: each limited to 0 ... 32767.
class MemoryUi : public StatisticsUi {
 public:
  MemoryList list;
  int maximum = 100;
  int position = 0;
  int positionWrites = 0;
  std::vector<std::string> statuses;
  std::vector<std::pair<std::string, std::string>> messages;
  int pumps = 0;
  bool closed = false;
  std::function<void()> onPump;

  explicit MemoryUi(std::vector<std::string> paths) {
    for (auto& p : paths) list.rows.push_back({p, "old", "old"});
  }
  ReportList& List() override { return list; }
  void SetProgressMaximum(int value) override { maximum = Clamp(value); }
  void SetProgressPosition(int value) override {
    position = Clamp(value);
    ++positionWrites;
  }
  int ProgressPosition() const override { return position; }
  void SetStatus(const std::string& text) override { statuses.push_back(text); }
  void ShowMessage(const std::string& text, const std::string& caption) override {
    messages.emplace_back(text, caption);
  }
  void Pump() override {
    ++pumps;
    if (onPump) onPump();
  }
  bool Closing() override { return closed; }

  std::vector<std::string> Cells(int column) const {
    std::vector<std::string> out;
    for (auto& r : list.rows) out.push_back(r[static_cast<size_t>(column)]);
    return out;
  }

 private:
  static int Clamp(int v) { return std::min(std::max(v, 0), 32767); }
};

Doc Counted(const char* pages, double words) {
  Doc d;
  d.pages = pages;
  d.words = words;
  return d;
}

TEST(StatisticsRunTest, EmptyListOnlyShowsTheMessage) {
  ScriptedWord word;
  MemoryUi ui({});
  ui.position = 7;
  EXPECT_TRUE(RunStatistics(word, ui));
  EXPECT_THAT(ui.messages, ElementsAre(std::make_pair(
                               std::string("您没有要提取的文件！请先将要提取的word文档拖动到本窗口！"),
                               std::string("信息："))));
  EXPECT_TRUE(word.calls.empty());
  EXPECT_TRUE(ui.statuses.empty());
  EXPECT_EQ(ui.position, 7);
  EXPECT_EQ(ui.maximum, 100);
}

TEST(StatisticsRunTest, CleanRunCallsWordInOrderAndFillsEveryRow) {
  ScriptedWord word;
  word.docs["a"] = Counted("12", 1234.9);
  word.docs["b"] = Counted("1", 0.0);
  MemoryUi ui({"a", "b"});
  RunStatistics(word, ui);
  EXPECT_THAT(word.calls,
              ElementsAre("StartWord", "HideWord", "DisableMacros", "SuppressAlerts",
                          "BindDocuments", "Open a", "Pages", "Words", "Close", "Open b", "Pages",
                          "Words", "Close", "QuitWord"));
  EXPECT_THAT(ui.Cells(1), ElementsAre("12", "1"));
  EXPECT_THAT(ui.Cells(2), ElementsAre("1234", "0"));
  EXPECT_THAT(ui.statuses, ElementsAre("请稍后，正在提取......", "页数及字数提取统计完毕！"));
  EXPECT_EQ(ui.maximum, 2);
  EXPECT_EQ(ui.position, 2);
  EXPECT_EQ(ui.pumps, 2);
}

TEST(StatisticsRunTest, SecondRunOverwritesWithFreshValues) {
  ScriptedWord word;
  word.docs["a"] = Counted("3", 30);
  MemoryUi ui({"a"});
  RunStatistics(word, ui);
  word.docs["a"] = Counted("4", 40);
  RunStatistics(word, ui);
  EXPECT_THAT(ui.Cells(1), ElementsAre("4"));
  EXPECT_THAT(ui.Cells(2), ElementsAre("40"));
  EXPECT_EQ(ui.position, 1);
  EXPECT_EQ(ui.maximum, 1);
  EXPECT_EQ(word.quits, 2);
}

// One row per case: what Word does with the middle document, and what its row and the
// final status show. The rows before and after it are always read.
struct FailureCase {
  const char* name;
  Doc middle;
  const char* pages;
  const char* words;
  const char* status;
};

class RowFailureTest : public ::testing::TestWithParam<FailureCase> {};

TEST_P(RowFailureTest, RowShowsWhatWasReadAndTheRestIsProcessed) {
  const FailureCase& c = GetParam();
  ScriptedWord word;
  word.docs["first"] = Counted("1", 10);
  word.docs["middle"] = c.middle;
  word.docs["last"] = Counted("3", 30);
  MemoryUi ui({"first", "middle", "last"});
  RunStatistics(word, ui);
  EXPECT_THAT(ui.Cells(1), ElementsAre("1", c.pages, "3"));
  EXPECT_THAT(ui.Cells(2), ElementsAre("10", c.words, "30"));
  EXPECT_EQ(ui.statuses.back(), c.status);
  EXPECT_EQ(ui.position, 3);
  EXPECT_EQ(word.calls.back(), "QuitWord");
}

Doc FailedOpen() {
  Doc d = Counted("9", 99);  // counts that a failed open must never show
  d.open = WordCall::kFailed;
  return d;
}
Doc NoWords() {
  Doc d = Counted("2", 0);
  d.words.reset();
  d.wordsCall = WordCall::kFailed;
  return d;
}
Doc NoPages() {
  Doc d = Counted("", 20);
  d.pages.reset();
  d.pagesCall = WordCall::kFailed;
  return d;
}
Doc DiesOnce() {
  Doc d = Counted("2", 20);
  d.dieOnOpenTimes = 1;
  return d;
}
Doc DiesAlways() {
  Doc d = Counted("2", 20);
  d.dieOnOpenTimes = 2;
  return d;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RowFailureTest,
    ::testing::Values(
        FailureCase{"Clean", Counted("2", 20), "2", "20", "页数及字数提取统计完毕！"},
        FailureCase{"ZeroWordsShowZero", Counted("2", 0), "2", "0", "页数及字数提取统计完毕！"},
        FailureCase{"FailedOpenLeavesBothEmpty", FailedOpen(), "", "",
                    "页数及字数提取统计完毕！（1个文件未能读取）"},
        FailureCase{"FailedWordQueryLeavesWordsEmpty", NoWords(), "2", "",
                    "页数及字数提取统计完毕！（1个文件未能读取）"},
        FailureCase{"FailedPageQueryLeavesPagesEmpty", NoPages(), "", "20",
                    "页数及字数提取统计完毕！（1个文件未能读取）"},
        FailureCase{"CrashedWordIsRestartedAndTheRowRetried", DiesOnce(), "2", "20",
                    "页数及字数提取统计完毕！"},
        FailureCase{"RowIsRetriedOnlyOnce", DiesAlways(), "", "",
                    "页数及字数提取统计完毕！（1个文件未能读取）"}),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return info.param.name; });

TEST(StatisticsRunTest, FailedOpenSkipsTheQueries) {
  ScriptedWord word;
  MemoryUi ui({"missing"});
  RunStatistics(word, ui);
  EXPECT_EQ(std::count(word.calls.begin(), word.calls.end(), "Pages"), 0);
  EXPECT_EQ(std::count(word.calls.begin(), word.calls.end(), "Words"), 0);
}

TEST(StatisticsRunTest, CrashStartsOneNewWordWithTheSameSetUp) {
  ScriptedWord word;
  word.docs["a"] = DiesOnce();
  MemoryUi ui({"a"});
  RunStatistics(word, ui);
  EXPECT_EQ(word.starts, 2);
  EXPECT_THAT(word.calls,
              ElementsAre("StartWord", "HideWord", "DisableMacros", "SuppressAlerts",
                          "BindDocuments", "Open a", "StartWord", "HideWord", "DisableMacros",
                          "SuppressAlerts", "BindDocuments", "Open a", "Pages", "Words", "Close",
                          "QuitWord"));
}

TEST(StatisticsRunTest, WordThatCannotStartChangesNoRow) {
  struct Case {
    bool canStart;
    WordCall bind;
  };
  for (Case c : {Case{false, WordCall::kOk}, Case{true, WordCall::kFailed}}) {
    ScriptedWord word;
    word.canStart = c.canStart;
    word.bind = c.bind;
    word.docs["a"] = Counted("1", 1);
    MemoryUi ui({"a"});
    RunStatistics(word, ui);
    EXPECT_THAT(ui.Cells(1), ElementsAre("old"));
    EXPECT_THAT(ui.Cells(2), ElementsAre("old"));
    EXPECT_THAT(ui.statuses, ElementsAre("无法启动Word，未能提取页数和字数！"));
    EXPECT_EQ(std::count(word.calls.begin(), word.calls.end(), "Open a"), 0);
    // Whatever was started is told to quit.
    EXPECT_EQ(word.quits, c.canStart ? 1 : 0);
  }
}

TEST(StatisticsRunTest, MoreRowsThanTheBarHoldsKeepItFullAndAllAreRead) {
  const int n = 40000;
  ScriptedWord word;
  std::vector<std::string> paths;
  for (int i = 0; i < n; ++i) paths.push_back("d" + std::to_string(i));
  word.docs["d39999"] = Counted("5", 5);
  MemoryUi ui(paths);
  RunStatistics(word, ui);
  EXPECT_EQ(ui.maximum, 32767);
  EXPECT_EQ(ui.position, 32767);
  EXPECT_EQ(ui.positionWrites, n + 1);
  EXPECT_EQ(ui.list.CellText(n - 1, 1), "5");
  EXPECT_EQ(std::count_if(word.calls.begin(), word.calls.end(),
                          [](const std::string& c) { return c.rfind("Open ", 0) == 0; }),
            n);
}

TEST(StatisticsRunTest, RowsRemovedDuringTheRunReadAsEmpty) {
  ScriptedWord word;
  word.docs["a"] = Counted("1", 1);
  word.docs["b"] = Counted("2", 2);
  MemoryUi ui({"a", "b", "c"});
  ui.onPump = [&] {
    if (ui.list.rows.size() == 3) ui.list.rows.resize(1);
  };
  RunStatistics(word, ui);
  EXPECT_THAT(word.calls, ::testing::Contains("Open "));
  EXPECT_THAT(word.calls, ::testing::Not(::testing::Contains("Open b")));
  EXPECT_THAT(ui.Cells(1), ElementsAre("1"));
  EXPECT_EQ(ui.position, 3);
  EXPECT_EQ(ui.statuses.back(), "页数及字数提取统计完毕！（2个文件未能读取）");
}

TEST(StatisticsRunTest, ClickDuringARunIsIgnored) {
  ScriptedWord word;
  word.docs["a"] = Counted("1", 1);
  word.docs["b"] = Counted("2", 2);
  MemoryUi ui({"a", "b"});
  std::vector<bool> nested;
  ui.onPump = [&] {
    EXPECT_TRUE(StatisticsRunning());
    nested.push_back(RunStatistics(word, ui));
  };
  EXPECT_TRUE(RunStatistics(word, ui));
  EXPECT_THAT(nested, ElementsAre(false, false));
  EXPECT_EQ(word.starts, 1);
  EXPECT_EQ(word.quits, 1);
  EXPECT_FALSE(StatisticsRunning());
}

TEST(StatisticsRunTest, ClosingTheWindowEndsTheRunAfterTheCurrentRow) {
  ScriptedWord word;
  word.docs["a"] = Counted("1", 1);
  word.docs["b"] = Counted("2", 2);
  MemoryUi ui({"a", "b"});
  ui.onPump = [&] { ui.closed = true; };
  RunStatistics(word, ui);
  EXPECT_THAT(word.calls, ::testing::Not(::testing::Contains("Open b")));
  EXPECT_EQ(word.calls.back(), "QuitWord");
  EXPECT_THAT(ui.Cells(1), ElementsAre("1", "old"));
  EXPECT_THAT(ui.statuses, ElementsAre("请稍后，正在提取......"));
}

TEST(FinishedTextTest, NamesTheUnreadCount) {
  EXPECT_EQ(FinishedText(0), "页数及字数提取统计完毕！");
  EXPECT_EQ(FinishedText(1), "页数及字数提取统计完毕！（1个文件未能读取）");
  EXPECT_EQ(FinishedText(12), "页数及字数提取统计完毕！（12个文件未能读取）");
}

TEST(FormatWordCountTest, TruncatesTowardZeroAndKeepsTheLow32Bits) {
  struct Case {
    double value;
    const char* text;
  } cases[] = {
      {12, "12"},
      {1234.0, "1234"},
      {1234.9, "1234"},
      {0.0, "0"},
      {-0.5, "0"},
      {-7.9, "-7"},
      {2147483647.0, "2147483647"},
      {2147483648.0, "-2147483648"},
      {4294967296.0 + 5.0, "5"},
      {1e30, "0"},
      {std::numeric_limits<double>::quiet_NaN(), "0"},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatWordCount(c.value), c.text) << c.value;
}

}  // namespace
}  // namespace brivanta
