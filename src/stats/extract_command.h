#pragma once
// The click handler of "立即提取页数和字数" (`按钮1`).
namespace brivanta {

class MainWindow;
class WordAutomation;

// Runs the statistics over the main window's list with a new invisible Word. A click
// while a run is under way is ignored.
void ExtractStatistics(MainWindow& window);

// The same run with another Word (tests).
void ExtractStatistics(MainWindow& window, WordAutomation& word);

}  // namespace brivanta
