#include "app/progress_bar.h"

#include <commctrl.h>

#include <algorithm>

namespace brivanta {
namespace {
int Limit(int v) { return std::clamp(v, 0, ProgressBar::kLimit); }
}  // namespace

void ProgressBar::Attach(HWND bar) {
  bar_ = bar;
  Apply();
}

void ProgressBar::SetMinimum(int value) {
  min_ = Limit(value);
  Apply();
}

void ProgressBar::SetMaximum(int value) {
  max_ = Limit(value);
  Apply();
}

void ProgressBar::SetPosition(int value) {
  pos_ = Limit(value);
  Apply();
}

void ProgressBar::Apply() {
  if (!bar_) return;
  int lo = std::min(min_, max_), hi = std::max(min_, max_);
  SendMessageW(bar_, PBM_SETRANGE32, lo, hi);
  SendMessageW(bar_, PBM_SETPOS, std::clamp(pos_, lo, hi), 0);
}

}  // namespace brivanta
