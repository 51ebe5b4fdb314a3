#include "win_test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
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

namespace {
void DrainPaintOnly() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE)) DispatchMessageW(&msg);
}
}  // namespace

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

void SaveScreenshotIfAsked(const char* name) {
  const char* dir = std::getenv("BRIVANTA_SCREENSHOTS");
  if (!dir || !*dir) return;
  // Let every window finish painting first.
  for (int i = 0; i < 5; ++i) {
    RedrawWindow(nullptr, nullptr, nullptr, RDW_ALLCHILDREN | RDW_UPDATENOW);
    DrainPaintOnly();
    Sleep(60);
  }
  int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(mem, bmp);
  BitBlt(mem, 0, 0, w, h, screen, 0, 0, SRCCOPY);
  SelectObject(mem, old);
  DWORD stride = (static_cast<DWORD>(w) * 3 + 3) & ~3u;
  DWORD size = stride * static_cast<DWORD>(h);
  BITMAPFILEHEADER fh{};
  fh.bfType = 0x4D42;
  fh.bfOffBits = sizeof(fh) + sizeof(bi.bmiHeader);
  fh.bfSize = fh.bfOffBits + size;
  std::string path = std::string(dir) + "\\" + name + ".bmp";
  if (FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(&fh, sizeof(fh), 1, f);
    std::fwrite(&bi.bmiHeader, sizeof(bi.bmiHeader), 1, f);
    std::fwrite(bits, 1, size, f);
    std::fclose(f);
  }
  DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
}

}  // namespace brivanta::wintest
