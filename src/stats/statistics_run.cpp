#include "stats/statistics_run.h"

#include <cstdint>
#include <cstdio>

#include "common/scoped_flag.h"

namespace brivanta {
namespace {

bool running = false;


// Starts an invisible Word that runs no macros and shows no alerts, with its
// documents collection bound. False when there is no usable Word; whatever was
// started is then told to quit.
bool StartSession(WordAutomation& word) {
  if (!word.StartWord()) return false;
  bool ok = word.HideWord() != WordCall::kServerGone;
  // Macros are disabled before the first document is opened.
  ok = ok && word.DisableMacros() != WordCall::kServerGone;
  ok = ok && word.SuppressAlerts() != WordCall::kServerGone;
  ok = ok && word.BindDocuments() == WordCall::kOk;
  if (!ok) word.QuitWord();
  return ok;
}

struct RowResult {
  bool serverGone = false;
  bool opened = false;
  std::optional<std::string> pages;
  std::optional<double> words;
};

RowResult ReadRow(WordAutomation& word, const std::string& path) {
  RowResult row;
  WordCall open = word.OpenWordDocument(path);
  if (open != WordCall::kOk) {
    row.serverGone = open == WordCall::kServerGone;
    return row;  // no queries: they would go to whatever document Word has active
  }
  row.opened = true;
  if (word.ReadPageText(row.pages) == WordCall::kServerGone ||
      word.ReadWordCount(row.words) == WordCall::kServerGone) {
    row.serverGone = true;
    return row;
  }
  // A Word that dies while closing has still answered; the next open notices.
  word.CloseWordDocument();
  return row;
}

}  // namespace

std::string FinishedText(int unread) {
  std::string text = kExtractedText;
  if (unread > 0) text += "（" + std::to_string(unread) + "个文件未能读取）";
  return text;
}

std::string FormatWordCount(double count) {
  // 2^63: the first value that no int64 holds. Out of range and NaN behave like the
  // processor's integer indefinite (0x8000000000000000), whose low 32 bits are 0.
  constexpr double kTwo63 = 9223372036854775808.0;
  int64_t whole = INT64_MIN;
  if (count >= -kTwo63 && count < kTwo63) whole = static_cast<int64_t>(count);
  int32_t low = static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(whole)));
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%d", static_cast<int>(low));
  return buffer;
}

bool StatisticsRunning() { return running; }

bool RunStatistics(WordAutomation& word, StatisticsUi& ui) {
  if (running) return false;
  ScopedFlag flag(running);

  ReportList& list = ui.List();
  const int n = list.RowCount();
  if (n <= 0) {
    ui.ShowMessage(kNoFilesText, kNoFilesCaption);
    return true;
  }
  ui.SetProgressPosition(0);
  ui.SetProgressMaximum(n);

  if (!StartSession(word)) {
    ui.SetStatus(kNoWordText);
    return true;
  }
  ui.SetStatus(kExtractingText);

  int unread = 0;
  bool closing = false;
  for (int r = 0; r < n && !closing; ++r) {
    const std::string path = list.CellText(r, 0);
    RowResult row = ReadRow(word, path);
    if (row.serverGone) {
      // Word died under this row: a new Word gets one more try at it.
      row = StartSession(word) ? ReadRow(word, path) : RowResult{};
    }
    const bool read = row.opened && !row.serverGone;
    list.SetCellText(r, 1, read && row.pages ? *row.pages : std::string());
    list.SetCellText(r, 2, read && row.words ? FormatWordCount(*row.words) : std::string());
    if (!read || !row.pages || !row.words) ++unread;

    ui.SetProgressPosition(ui.ProgressPosition() + 1);
    ui.Pump();
    closing = ui.Closing();
  }

  word.QuitWord();
  if (!closing) ui.SetStatus(FinishedText(unread));
  return true;
}

}  // namespace brivanta
