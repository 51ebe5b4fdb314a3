#pragma once
#include <windows.h>

namespace brivanta {

// The progress bar's minimum, maximum and position: each value written is limited to
// 0 ... 32767 and kept; the bar shows the range from the smaller to the larger of the
// two limits, and the position limited into it. Reading gives back the kept values.
class ProgressBar {
 public:
  static constexpr int kLimit = 32767;

  explicit ProgressBar(HWND bar = nullptr) : bar_(bar) {}
  void Attach(HWND bar);
  HWND hwnd() const { return bar_; }

  void SetMinimum(int value);
  void SetMaximum(int value);
  void SetPosition(int value);
  int Minimum() const { return min_; }
  int Maximum() const { return max_; }
  int Position() const { return pos_; }

 private:
  void Apply();

  HWND bar_;
  int min_ = 0;
  int max_ = 100;
  int pos_ = 0;
};

}  // namespace brivanta
