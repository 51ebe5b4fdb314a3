#pragma once
// Lets windows receive files dropped from the shell: RegisterWindow subclasses a window
// so that each dropped file reaches the window's DropCallback.
#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>

namespace brivanta {

// Called once per dropped file: number of files in the drop, 1-based index of this
// file, its full path and the text after the path's last ".". Texts are UTF-8 and
// valid during the call only. The result is ignored.
using DropCallback = intptr_t (*)(int count, int index, const std::string& path,
                                  const std::string& extension);

// What RegisterWindow replaced, so that UnregisterWindow can put it back.
struct SavedWindowState {
  LONG_PTR exStyle = 0;
  LONG_PTR windowProc = 0;
};

class DropTargetRegistry {
 public:
  // Null when the registry's map cannot be made.
  static std::unique_ptr<DropTargetRegistry> Create();

  DropTargetRegistry();
  DropTargetRegistry(const DropTargetRegistry&) = default;  // shares the same map
  DropTargetRegistry& operator=(const DropTargetRegistry&) = delete;
  virtual ~DropTargetRegistry();

  // 1 when the window is now registered; 0 when it was registered already.
  virtual int RegisterWindow(HWND window, DropCallback callback);
  // 1 when the window is now unregistered; 0 when it was not registered.
  virtual int UnregisterWindow(HWND window);

  static LRESULT CALLBACK DropWindowProc(HWND window, UINT msg, WPARAM wp, LPARAM lp);

  // Tests watch the release of a drop through this.
  using DragFinishFn = void(WINAPI*)(HDROP);
  static void SetDragFinishForTesting(DragFinishFn fn);

 private:
  std::shared_ptr<std::unordered_map<HWND, SavedWindowState>> map_;
};

// Opens the message filter for the messages that carry a drop, so that drops still
// arrive when the program runs with higher rights than the shell.
void AllowDropMessages();

}  // namespace brivanta
