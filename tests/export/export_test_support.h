#pragma once
// What the end-to-end export tests share: the stand-in Excel registered in the test
// prefix, a real main window, a stand-in for the Save dialog, the stand-in's log and
// the workbook files it writes.
#include <windows.h>
#include <commdlg.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/main_window.h"

namespace brivanta::testing {

// One cell line of a workbook file written by the stand-in Excel.
struct SavedCell {
  std::string address, format, type, text;
  bool operator==(const SavedCell& o) const {
    return address == o.address && format == o.format && type == o.type && text == o.text;
  }
};
void PrintTo(const SavedCell& c, std::ostream* os);

struct SavedWorkbook {
  bool exists = false;
  std::string fileFormat;  // "56", "-4143" or "missing"
  std::vector<SavedCell> cells;
  const SavedCell* Find(const std::string& address) const;
};
SavedWorkbook ReadWorkbook(const std::wstring& path);

// How one showing of the Save dialog was asked for.
struct DialogShowing {
  HWND owner = nullptr;
  DWORD flags = 0;
  std::vector<std::wstring> filter;  // description, pattern, ...
  DWORD filterIndex = 0;
  std::wstring defaultExtension;
  bool hasTitle = false;
  bool hasInitialFolder = false;
  std::wstring initialName;
  DWORD capacity = 0;
  std::string statusWhileShown;
};

// Runs an action from the thread's message queue: posted before an export, it runs
// in the export's first pump.
class PostedAction {
 public:
  explicit PostedAction(std::function<void()> action);
  ~PostedAction();
  int runs() const { return runs_; }

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  std::function<void()> action_;
  HWND hwnd_ = nullptr;
  int runs_ = 0;
};

class ExportFixture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  void SetOptions(const std::wstring& options);
  // Answers every Save dialog with `path` (no value: cancel) and records it.
  void AnswerDialogWith(std::optional<std::wstring> path) { answer_ = std::move(path); }
  // Lets the system's own Save dialog show.
  void UseSystemDialog();

  // Adds a row with `path` in its first cell; returns its index.
  int AddRow(const std::string& path, const std::string& pages = "",
             const std::string& words = "");
  void Export();

  // The stand-in's log without the process ids of its "start" lines.
  std::vector<std::string> Log() const;
  int LogCount(const std::string& line) const;
  int LogCountPrefix(const std::string& prefix) const;
  int LogIndex(const std::string& prefix) const;

  std::wstring folder_;
  std::wstring log_;
  std::wstring out_;  // the name the dialog stand-in answers with by default
  std::unique_ptr<MainWindow> window_;
  std::optional<std::wstring> answer_;
  std::vector<DialogShowing> showings_;
};

}  // namespace brivanta::testing
