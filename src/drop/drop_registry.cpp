#include "drop/drop_registry.h"

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

void HandleDrop(HDROP drop, DropCallback callback) {
  UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  std::vector<wchar_t> buf;
  for (UINT i = 0; i < count; ++i) {
    // Ask for the length first, so that no path is cut whatever its length.
    UINT len = DragQueryFileW(drop, i, nullptr, 0);
    if (len == 0) continue;
    buf.assign(len + 1, L'\0');
    UINT got = DragQueryFileW(drop, i, buf.data(), len + 1);
    if (got == 0) continue;
    std::string path = Narrow(std::wstring_view(buf.data(), got));
    if (callback) callback(static_cast<int>(count), static_cast<int>(i + 1), path, PathExtension(path));
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
  RemovePropW(window, kSavedProcProp);
  RemovePropW(window, kCallbackProp);
  return 1;
}

LRESULT CALLBACK DropTargetRegistry::DropWindowProc(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
  auto saved = reinterpret_cast<WNDPROC>(GetPropW(window, kSavedProcProp));
  auto callback = reinterpret_cast<DropCallback>(GetPropW(window, kCallbackProp));
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
