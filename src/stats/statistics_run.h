#pragma once
// The statistics run behind "立即提取页数和字数" (`按钮1`): one invisible Word opens
// every listed document in turn and its page and word counts go into the row.
#include <optional>
#include <string>

#include "stats/word_automation.h"

namespace brivanta {

inline constexpr const char kNoFilesText[] =
    "您没有要提取的文件！请先将要提取的word文档拖动到本窗口！";
inline constexpr const char kNoFilesCaption[] = "信息：";
inline constexpr const char kExtractingText[] = "请稍后，正在提取......";
inline constexpr const char kExtractedText[] = "页数及字数提取统计完毕！";
inline constexpr const char kNoWordText[] = "无法启动Word，未能提取页数和字数！";

// "页数及字数提取统计完毕！", with "（N个文件未能读取）" appended when `unread` > 0.
std::string FinishedText(int unread);

// The word count as the "总字数" cell shows it: truncated toward zero to a 64-bit
// integer (whatever the processor's rounding mode), then the low 32 bits as a signed
// number in decimal. Values that fit no 64-bit integer (and NaN) give "0", as the
// processor's "integer indefinite" does.
std::string FormatWordCount(double count);

// Runs the statistics over every row of ui.List(). Returns false, doing nothing,
// when a run is already under way (a click during a run).
bool RunStatistics(WordAutomation& word, StatisticsUi& ui);

// True while RunStatistics is under way.
bool StatisticsRunning();

}  // namespace brivanta
