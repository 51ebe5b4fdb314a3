#pragma once
// The stand-in Word (word_standin.exe): an out-of-process COM server registered as
// "Word.Application" in the test prefix. It opens fixture documents: small text files
// of `key=value` lines that say how to answer:
//
//   pages=12            the answer to Selection.Information(4)
//   pagetype=I4         how to answer it: I4, I2, R8, BSTR (the text as given),
//                       EMPTY, or ERROR (raise an error)
//   words=1234.9        the answer to ComputeStatistics(0)
//   wordtype=R8         as pagetype
//   open=fail           Open raises an error (as for a damaged file)
//   open=slow:300       Open takes that many milliseconds
//   open=prompt         Open waits for an answer to a dialog (10 s, then fails) unless
//                       the document is opened read-only
//   macro=C:\x\trace    an auto-macro that writes that file, unless AutomationSecurity
//                       was set to 3 before the open
//   crash=pages         the process ends at once (ExitProcess) in that call:
//                       open, pages, words or close
//   crashonce=pages     as crash, but only the first time (a marker file next to
//                       the fixture remembers it)
//   busy=3              the next three calls after the open are rejected as busy
//
// A path that does not exist fails to open. The "Options" setting may hold
// "no-open-15": the collection then knows its Open member only by name.
// Every call is logged (standin_server.h).
#include <windows.h>

namespace brivanta::testing {

// {5C7E1C2A-3B8D-4E55-9A41-0F6B2D7C9E13}
constexpr CLSID kWordStandInClsid = {
    0x5c7e1c2a, 0x3b8d, 0x4e55, {0x9a, 0x41, 0x0f, 0x6b, 0x2d, 0x7c, 0x9e, 0x13}};
constexpr wchar_t kWordStandInExe[] = L"word_standin.exe";
constexpr wchar_t kWordProgId[] = L"Word.Application";

}  // namespace brivanta::testing
