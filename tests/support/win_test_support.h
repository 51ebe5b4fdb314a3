#pragma once
// Helpers for tests that drive real windows under Wine.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <memory>
#include <string>
#include <vector>

#include "app/main_window.h"

namespace brivanta::wintest {

// A drop handle built the way the shell builds it for WM_DROPFILES (wide paths).
HDROP MakeDrop(const std::vector<std::wstring>& paths);

// Sends WM_DROPFILES with a shell-built drop of `paths` to `window`; returns its result.
LRESULT DropFiles(HWND window, const std::vector<std::wstring>& paths);

// Lets pending messages through, and drops a WM_QUIT left by a destroyed main window.
void DrainMessages();

// A shown main window for a test; destroyed (and its WM_QUIT drained) at the end.
class MainWindowFixture {
 public:
  explicit MainWindowFixture(DropTargetRegistry* registry = nullptr);
  ~MainWindowFixture();
  MainWindow& window() { return *window_; }
  DocumentList& list() { return window_->List(); }

 private:
  std::unique_ptr<MainWindow> window_;
};

// Rectangle of a child control in its parent's client coordinates.
RECT ChildRect(HWND child);

std::wstring WindowText(HWND hwnd);

// When the environment names a folder in BRIVANTA_SCREENSHOTS, saves the whole screen
// there as <name>.bmp (for looking at what a test shows); otherwise does nothing.
void SaveScreenshotIfAsked(const char* name);

}  // namespace brivanta::wintest
