#pragma once
// What the statistics run needs from Word, and from the window it runs in.
// Portable: no windows.h, so that the run can be tested with fakes.
#include <optional>
#include <string>

#include "doclist/report_list.h"

namespace brivanta {

// How a call into Word went.
enum class WordCall {
  kOk,
  kFailed,      // Word answered with an error, or there was nothing to ask
  kServerGone,  // Word's process died or went away during the call
};

// One Word application and the documents it has open (the components `Word程序` and
// `Word文档集`). Every operation swallows errors: it reports them, never throws.
class WordAutomation {
 public:
  virtual ~WordAutomation() = default;

  // `StartWord`: lets go of any application still held (without quitting it) and
  // starts a new one. False when Word cannot be started.
  virtual bool StartWord() = 0;
  // `HideWord`: keeps Word's window invisible.
  virtual WordCall HideWord() = 0;
  // Force-disables macros in every document opened from now on.
  virtual WordCall DisableMacros() = 0;
  // Tells Word to show no alert that would wait for an answer.
  virtual WordCall SuppressAlerts() = 0;
  // `BindDocuments`: takes Word's documents collection; creates no document.
  virtual WordCall BindDocuments() = 0;
  // `OpenWordDocument`: opens `path` (UTF-8) read-only, without conversion prompts
  // and without adding it to the recent files.
  virtual WordCall OpenWordDocument(const std::string& path) = 0;
  // The page count of the active document as text; no value when Word gave none.
  virtual WordCall ReadPageText(std::optional<std::string>& text) = 0;
  // The word count of the active document; no value when Word gave none.
  virtual WordCall ReadWordCount(std::optional<double>& count) = 0;
  // `CloseWordDocument`: closes the document opened last, without saving.
  virtual WordCall CloseWordDocument() = 0;
  // `QuitWord`: tells Word to quit without saving and lets go of it.
  virtual void QuitWord() = 0;
};

// The window a run reports to.
class StatisticsUi {
 public:
  virtual ~StatisticsUi() = default;

  virtual ReportList& List() = 0;
  virtual void SetProgressMaximum(int value) = 0;
  virtual void SetProgressPosition(int value) = 0;
  virtual int ProgressPosition() const = 0;
  virtual void SetStatus(const std::string& text) = 0;
  // A modal box with an OK button only, no icon, no owner.
  virtual void ShowMessage(const std::string& text, const std::string& caption) = 0;
  // Lets pending window messages through (which may change the rows, close the
  // window or click a button).
  virtual void Pump() = 0;
  // True once the window has been closed.
  virtual bool Closing() = 0;
};

}  // namespace brivanta
