#pragma once
#include <windows.h>

namespace brivanta {

// Esc pressed in the main window or any of its controls asks the main window to close.
// Returns true when the message was used that way.
bool HandleEscape(const MSG& msg);

// True when `window` is gone or the program is ending (a WM_QUIT waits in the queue):
// a long run that pumps messages stops then.
bool WindowIsClosing(HWND window);

// Runs the message loop until WM_QUIT; returns its exit code.
int RunMessageLoop();

// Lets every waiting window message through; a waiting WM_QUIT stays in the queue and
// ends the pumping.
void PumpPendingMessages();

}  // namespace brivanta
