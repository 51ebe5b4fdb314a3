#pragma once
// What the Office benchmarks share: timing, the stand-ins' paths, and counting the
// calls that a stand-in's log records.
#include <chrono>
#include <string>
#include <vector>

#include "common/text.h"

namespace brivanta::bench {

using Clock = std::chrono::steady_clock;

inline double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

// The build tree's path of a stand-in exe (a Unix path) as Wine sees it.
inline std::wstring WindowsPath(const char* unixPath) {
  std::wstring path = Widen(unixPath);
  for (wchar_t& c : path) {
    if (c == L'/') c = L'\\';
  }
  return path.rfind(L"\\", 0) == 0 ? L"Z:" + path : path;
}

// The calls a stand-in's log records: IDispatch::Invoke ("Object.Member#id kind(...)")
// and IDispatch::GetIDsOfNames ("Object names Member"); `objectPrefix` counts the
// Invokes whose log line starts with it (those that hand out an object to let go of).
struct Calls {
  long invokes = 0;
  long names = 0;
  long objects = 0;
  long total() const { return invokes + names; }
};

inline Calls CountCalls(const std::vector<std::string>& log, const std::string& objectPrefix = {}) {
  Calls calls;
  for (const std::string& line : log) {
    const size_t space = line.find(' ');
    if (space == std::string::npos) continue;
    const std::string head = line.substr(0, space);
    if (line.compare(space, 7, " names ") == 0) {
      ++calls.names;
    } else if (head.find('.') != std::string::npos && head.find('#') != std::string::npos) {
      ++calls.invokes;
      if (!objectPrefix.empty() && head.rfind(objectPrefix, 0) == 0) ++calls.objects;
    }
  }
  return calls;
}

}  // namespace brivanta::bench
