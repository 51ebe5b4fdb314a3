#include "drop/drop_registry.h"

#include <shlobj.h>

#include <new>
#include <vector>

#include "common/scoped_win.h"
#include "common/text.h"
#include "drop/path_extension.h"

namespace brivanta {
namespace {

constexpr wchar_t kSavedProcProp[] = L"NewWindowsProc";
constexpr wchar_t kCallbackProp[] = L"Subaddress";

DropTargetRegistry::DragFinishFn g_dragFinish = DragFinish;

// The two values that the window properties hold, also kept in-process: properties
// live in the window server, and reading them for every message that a registered
// window receives would cost two round trips each.
struct Subclassing {
  WNDPROC saved;
  DropCallback callback;
};
std::unordered_map<HWND, Subclassing>& SubclassedWindows() {
  static std::unordered_map<HWND, Subclassing> windows;
  return windows;
}

// The drop's file names, in the order the drop lists them. The drop data is read in
// one pass: DragQueryFile walks the list from its start for every file it is asked
// for, which makes a drop of n files cost n^2.
std::vector<std::wstring> DroppedPaths(HDROP drop) {
  std::vector<std::wstring> paths;
  const auto* files = static_cast<const DROPFILES*>(GlobalLock(drop));
  if (files) {
    const char* data = reinterpret_cast<const char*>(files) + files->pFiles;
    const SIZE_T size = GlobalSize(drop);
    const char* end = reinterpret_cast<const char*>(files) + size;
    if (files->pFiles >= sizeof(DROPFILES) && files->pFiles < size) {
      if (files->fWide) {
        for (auto* p = reinterpret_cast<const wchar_t*>(data);
             reinterpret_cast<const char*>(p + 1) <= end && *p;) {
          size_t n = 0;
          while (reinterpret_cast<const char*>(p + n + 1) <= end && p[n]) ++n;
          paths.emplace_back(p, n);
          p += n + 1;
        }
      } else {
        for (const char* p = data; p < end && *p;) {
          size_t n = 0;
          while (p + n < end && p[n]) ++n;
          int w = MultiByteToWideChar(CP_ACP, 0, p, static_cast<int>(n), nullptr, 0);
          std::wstring path(static_cast<size_t>(w), L'\0');
          MultiByteToWideChar(CP_ACP, 0, p, static_cast<int>(n), path.data(), w);
          paths.push_back(std::move(path));
          p += n + 1;
        }
      }
    }
    GlobalUnlock(drop);
    return paths;
  }
  // Not a memory handle we can read: ask the shell file by file, length first, so
  // that no path is cut whatever its length.
  UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    UINT len = DragQueryFileW(drop, i, nullptr, 0);
    std::wstring path(len + 1, L'\0');
    path.resize(len ? DragQueryFileW(drop, i, path.data(), len + 1) : 0);
    paths.push_back(std::move(path));
  }
  return paths;
}

void HandleDrop(HDROP drop, DropCallback callback) {
  std::vector<std::wstring> paths = DroppedPaths(drop);
  const int count = static_cast<int>(paths.size());
  for (int i = 0; i < count; ++i) {
    if (paths[i].empty()) continue;  // a name that cannot be read is skipped
    std::string path = Narrow(paths[i]);
    if (callback) callback(count, i + 1, path, PathExtension(path));
  }
  g_dragFinish(drop);
}

}  // namespace

std::unique_ptr<DropTargetRegistry> DropTargetRegistry::Create() {
  return std::unique_ptr<DropTargetRegistry>(new (std::nothrow) DropTargetRegistry());
}

DropTargetRegistry::DropTargetRegistry()
    : map_(std::make_shared<std::unordered_map<HWND, SavedWindowState>>()) {}

DropTargetRegistry::~DropTargetRegistry() = default;

void DropTargetRegistry::SetDragFinishForTesting(DragFinishFn fn) { g_dragFinish = fn ? fn : DragFinish; }

int DropTargetRegistry::RegisterWindow(HWND window, DropCallback callback) {
  if (map_->count(window)) return 0;
  SavedWindowState saved;
  LONG_PTR style = GetWindowLongPtrW(window, GWL_EXSTYLE);
  saved.exStyle = SetWindowLongPtrW(window, GWL_EXSTYLE, style | WS_EX_ACCEPTFILES);
  saved.windowProc =
      SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&DropWindowProc));
  SetPropW(window, kSavedProcProp, reinterpret_cast<HANDLE>(saved.windowProc));
  SetPropW(window, kCallbackProp, reinterpret_cast<HANDLE>(callback));
  SubclassedWindows()[window] = {reinterpret_cast<WNDPROC>(saved.windowProc), callback};
  map_->emplace(window, saved);
  return 1;
}

int DropTargetRegistry::UnregisterWindow(HWND window) {
  auto it = map_->find(window);
  if (it == map_->end()) return 0;
  SavedWindowState saved = it->second;
  SetWindowLongPtrW(window, GWL_EXSTYLE, saved.exStyle);
  SetWindowLongPtrW(window, GWLP_WNDPROC, saved.windowProc);
  map_->erase(it);
  SubclassedWindows().erase(window);
  RemovePropW(window, kSavedProcProp);
  RemovePropW(window, kCallbackProp);
  return 1;
}

LRESULT CALLBACK DropTargetRegistry::DropWindowProc(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
  WNDPROC saved;
  DropCallback callback;
  auto known = SubclassedWindows().find(window);
  if (known != SubclassedWindows().end()) {
    saved = known->second.saved;
    callback = known->second.callback;
  } else {
    saved = reinterpret_cast<WNDPROC>(GetPropW(window, kSavedProcProp));
    callback = reinterpret_cast<DropCallback>(GetPropW(window, kCallbackProp));
  }
  if (msg == WM_DROPFILES) {
    HandleDrop(reinterpret_cast<HDROP>(wp), callback);
    return 1;
  }
  if (!saved) return DefWindowProcW(window, msg, wp, lp);
  return CallWindowProcW(saved, window, msg, wp, lp);
}

void AllowDropMessages() {
  // Only a 32-bit program on 64-bit Windows finds user32 in SysWOW64; a 64-bit build
  // takes its own from System32.
#ifdef _WIN64
  const wchar_t* relative = L"System32\\user32.dll";
#else
  const wchar_t* relative = L"SysWOW64\\user32.dll";
#endif
  wchar_t dir[MAX_PATH] = {};
  UINT n = GetWindowsDirectoryW(dir, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return;
  std::wstring path(dir, n);
  if (path.back() != L'\\') path += L'\\';
  path += relative;
  ScopedModule user32(LoadLibraryW(path.c_str()));
  if (!user32) return;
  using ChangeFilterFn = BOOL(WINAPI*)(UINT, DWORD);
  auto change = reinterpret_cast<ChangeFilterFn>(
      reinterpret_cast<void*>(GetProcAddress(user32.get(), "ChangeWindowMessageFilter")));
  if (!change) return;
  constexpr DWORD kMsgFltAdd = 1;
  change(WM_DROPFILES, kMsgFltAdd);
  change(WM_COPYDATA, kMsgFltAdd);
  change(0x0049 /* WM_COPYGLOBALDATA */, kMsgFltAdd);
}

}  // namespace brivanta
