// Starts the real program as its own process and ends it the ways a user does.
#include <gtest/gtest.h>

#include <string>

#include "app/main_window.h"
#include "common/scoped_win.h"

namespace brivanta {
namespace {

std::wstring ProgramPath() {
  std::wstring path = L"Z:";
  for (char c : std::string(BRIVANTA_EXE)) path += c == '/' ? L'\\' : static_cast<wchar_t>(c);
  return path;
}

struct FindState {
  DWORD pid;
  HWND found;
};

BOOL CALLBACK MatchMainWindow(HWND hwnd, LPARAM lp) {
  auto* s = reinterpret_cast<FindState*>(lp);
  DWORD owner = 0;
  GetWindowThreadProcessId(hwnd, &owner);
  if (owner == s->pid && IsWindowVisible(hwnd)) {
    wchar_t title[64] = {};
    GetWindowTextW(hwnd, title, 64);
    if (std::wstring(title) == L"Brivanta V1.0") {
      s->found = hwnd;
      return FALSE;
    }
  }
  return TRUE;
}

HWND WaitForMainWindow(DWORD pid) {
  for (int i = 0; i < 300; ++i) {
    FindState state{pid, nullptr};
    EnumWindows(MatchMainWindow, reinterpret_cast<LPARAM>(&state));
    if (state.found) return state.found;
    Sleep(100);
  }
  return nullptr;
}

enum class Ending { kEscapeInAButton, kEscapeInTheList, kAltF4, kCloseBox };

class ProgramProcess : public ::testing::TestWithParam<Ending> {};

TEST_P(ProgramProcess, EndsWithExitCodeZero) {
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  std::wstring cmd = L"\"" + ProgramPath() + L"\"";
  ASSERT_TRUE(CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
      << GetLastError();
  ScopedKernelHandle process(pi.hProcess), thread(pi.hThread);

  HWND main = WaitForMainWindow(pi.dwProcessId);
  ASSERT_NE(main, nullptr);
  switch (GetParam()) {
    case Ending::kEscapeInAButton:
      PostMessageW(GetDlgItem(main, kIdExtract), WM_KEYDOWN, VK_ESCAPE, 0);
      break;
    case Ending::kEscapeInTheList:
      PostMessageW(GetDlgItem(main, kIdList), WM_KEYDOWN, VK_ESCAPE, 0);
      break;
    case Ending::kAltF4:
      PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
      break;
    case Ending::kCloseBox:
      PostMessageW(main, WM_CLOSE, 0, 0);
      break;
  }
  ASSERT_EQ(WaitForSingleObject(process.get(), 20000), WAIT_OBJECT_0);
  DWORD code = 1234;
  GetExitCodeProcess(process.get(), &code);
  EXPECT_EQ(code, 0u);
}

INSTANTIATE_TEST_SUITE_P(Endings, ProgramProcess,
                         ::testing::Values(Ending::kEscapeInAButton, Ending::kEscapeInTheList,
                                           Ending::kAltF4, Ending::kCloseBox));

}  // namespace
}  // namespace brivanta
