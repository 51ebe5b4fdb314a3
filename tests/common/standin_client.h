#pragma once
// The test side of the Office stand-ins (see standin_server.h): registering a stand-in
// exe under a ProgID in the test's Wine prefix, its settings, its log, and the
// processes it leaves.
#include <windows.h>

#include <string>
#include <vector>

namespace brivanta::standin {

// The folder of the running test exe, with a trailing backslash.
std::wstring ExeFolder();

// Registers `exePath` as the LocalServer32 of `clsid` and `progId` as its ProgID, in
// HKLM\Software\Classes (COM activation under Wine finds no per-user ProgIDs).
bool RegisterServer(const CLSID& clsid, const std::wstring& progId, const std::wstring& exePath);

// Writes the stand-in's "Log" and "Options" settings, read by each server process
// as it starts.
bool WriteSettings(const CLSID& clsid, const std::wstring& logPath, const std::wstring& options);

// The log's lines (UTF-8, as written); none when there is no log.
std::vector<std::string> ReadLog(const std::wstring& logPath);

// Number of running processes whose exe file name is `exeName` (case-insensitive).
int CountProcesses(const std::wstring& exeName);

// Waits, polling, until no process named `exeName` runs, or `limitMs` have passed.
// True when none runs.
bool WaitUntilGone(const std::wstring& exeName, DWORD limitMs);

// Ends every process named `exeName` (cleanup after a failed test).
void EndProcesses(const std::wstring& exeName);

// A new empty folder under the temporary folder, with a trailing backslash.
std::wstring MakeTempFolder(const std::wstring& prefix);

// Writes `content` (UTF-8) into `path`, replacing it.
bool WriteTextFile(const std::wstring& path, const std::string& content);

bool FileExists(const std::wstring& path);

}  // namespace brivanta::standin
