#include "stats/extract_command.h"

#include <windows.h>

#include "app/main_window.h"
#include "app/message_pump.h"
#include "common/com.h"
#include "common/text.h"
#include "stats/statistics_run.h"
#include "stats/word_session.h"

namespace brivanta {
namespace {

class WindowUi : public StatisticsUi {
 public:
  explicit WindowUi(MainWindow& window) : window_(window), hwnd_(window.hwnd()) {}

  ReportList& List() override { return window_.List(); }
  void SetProgressMaximum(int value) override { window_.Progress().SetMaximum(value); }
  void SetProgressPosition(int value) override { window_.Progress().SetPosition(value); }
  int ProgressPosition() const override { return window_.Progress().Position(); }
  void SetStatus(const std::string& text) override { window_.SetStatus(text); }
  void ShowMessage(const std::string& text, const std::string& caption) override {
    MessageBoxW(nullptr, Widen(text).c_str(), Widen(caption).c_str(), MB_OK | MB_TASKMODAL);
  }
  void Pump() override { PumpPendingMessages(); }
  bool Closing() override { return WindowIsClosing(hwnd_); }

 private:
  MainWindow& window_;
  HWND hwnd_;
};

}  // namespace

void ExtractStatistics(MainWindow& window, WordAutomation& word) {
  if (StatisticsRunning()) return;
  WindowUi ui(window);
  ScopedMessageFilter filter;  // a busy Word is waited for, for the whole run
  RunStatistics(word, ui);
}

void ExtractStatistics(MainWindow& window) {
  if (StatisticsRunning()) return;
  WordSession word;
  ExtractStatistics(window, word);
}

}  // namespace brivanta
