#pragma once
// What the Office benchmarks share: timing, the stand-ins' paths, and counting the
// calls that a stand-in's log records.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "common/com.h"
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

struct FloorResult {
  double start = 0;  // CreateInstance: the stand-in's process started and reached
  double calls = 0;
};

// The floor of a run: `count` bare property gets of `property` on a new instance of
// `progId`, under the same message filter as the runs; `quit` then ends the instance.
template <typename Quit>
FloorResult BareGets(const wchar_t* progId, DISPID property, long count, Quit quit) {
  FloorResult r;
  ScopedMessageFilter filter;
  auto start = Clock::now();
  ComPtr<IDispatch> app;
  if (FAILED(CreateInstance(progId, app))) {
    std::printf("(the stand-in could not be started for the floor)\n");
    return r;
  }
  r.start = Seconds(start);
  start = Clock::now();
  for (long i = 0; i < count; ++i) {
    DISPPARAMS none{};
    VARIANT result;
    VariantInit(&result);
    app->Invoke(property, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &result,
                nullptr, nullptr);
    VariantClear(&result);
  }
  r.calls = Seconds(start);
  quit(app.get());
  return r;
}

}  // namespace brivanta::bench
