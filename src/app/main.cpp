// Brivanta: reads the page and word counts of many Word documents in one batch.
#include <windows.h>
#include <ole2.h>

#include <functional>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/message_pump.h"
#include "drop/drop_registry.h"

namespace {

// Routines that run once at program exit, in the order they were registered.
class ExitHooks {
 public:
  void Add(std::function<void()> hook) { hooks_.push_back(std::move(hook)); }
  void Run() {
    for (auto& hook : hooks_) hook();
    hooks_.clear();
  }

 private:
  std::vector<std::function<void()>> hooks_;
};

void SetCurrentDirectoryToProgramFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return;
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);
  }
  size_t slash = path.find_last_of(L"\\/");
  if (slash == std::wstring::npos) return;
  path.resize(slash + 1);
  SetCurrentDirectoryW(path.c_str());
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  OleInitialize(nullptr);
  SetCurrentDirectoryToProgramFolder();

  auto registry = brivanta::DropTargetRegistry::Create();
  if (!registry) {
    OleUninitialize();
    return 0;
  }
  ExitHooks exitHooks;
  exitHooks.Add([&registry] { registry.reset(); });

  {
    brivanta::MainWindow window(registry.get());
    if (window.Create(instance, show)) brivanta::RunMessageLoop();
  }

  exitHooks.Run();
  OleUninitialize();
  return 0;
}
