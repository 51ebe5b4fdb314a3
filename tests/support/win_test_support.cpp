#include "win_test_support.h"

#include <gtest/gtest.h>

#include <cstring>

namespace brivanta::wintest {

HDROP MakeDrop(const std::vector<std::wstring>& paths) {
  size_t chars = 1;
  for (const auto& p : paths) chars += p.size() + 1;
  HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + chars * sizeof(wchar_t));
  auto* files = static_cast<DROPFILES*>(GlobalLock(mem));
  files->pFiles = sizeof(DROPFILES);
  files->pt = {10, 10};
  files->fWide = TRUE;
  auto* out = reinterpret_cast<wchar_t*>(files + 1);
  for (const auto& p : paths) {
    std::memcpy(out, p.c_str(), (p.size() + 1) * sizeof(wchar_t));
    out += p.size() + 1;
  }
  GlobalUnlock(mem);
  return static_cast<HDROP>(mem);
}

LRESULT DropFiles(HWND window, const std::vector<std::wstring>& paths) {
  return SendMessageW(window, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(paths)), 0);
}

void DrainMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

MainWindowFixture::MainWindowFixture(DropTargetRegistry* registry)
    : window_(std::make_unique<MainWindow>(registry)) {
  bool created = window_->Create(GetModuleHandleW(nullptr), SW_SHOWNOACTIVATE);
  EXPECT_TRUE(created);
  DrainMessages();
}

MainWindowFixture::~MainWindowFixture() {
  window_.reset();
  DrainMessages();
}

RECT ChildRect(HWND child) {
  RECT r{};
  GetWindowRect(child, &r);
  MapWindowPoints(HWND_DESKTOP, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

std::wstring WindowText(HWND hwnd) {
  int n = GetWindowTextLengthW(hwnd);
  std::wstring text(static_cast<size_t>(n) + 1, L'\0');
  n = GetWindowTextW(hwnd, text.data(), n + 1);
  text.resize(static_cast<size_t>(n));
  return text;
}

}  // namespace brivanta::wintest
