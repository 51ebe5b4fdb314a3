#include "standin_client.h"

#include <tlhelp32.h>

#include <fstream>
#include <sstream>

#include "common/scoped_win.h"

namespace brivanta::standin {
namespace {

std::wstring GuidText(const CLSID& clsid) {
  wchar_t guid[64];
  StringFromGUID2(clsid, guid, 64);
  return guid;
}

bool SetString(const std::wstring& keyPath, const wchar_t* name, const std::wstring& value) {
  HKEY key;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                      &key, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  LSTATUS s = RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                             static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
  return s == ERROR_SUCCESS;
}

template <typename Visit>
void ForEachProcess(const std::wstring& exeName, Visit visit) {
  ScopedKernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (snapshot.get() == INVALID_HANDLE_VALUE) {
    snapshot.release();
    return;
  }
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot.get(), &entry); more;
       more = Process32NextW(snapshot.get(), &entry)) {
    if (_wcsicmp(entry.szExeFile, exeName.c_str()) == 0) visit(entry.th32ProcessID);
  }
}

}  // namespace

std::wstring ExeFolder() {
  wchar_t path[MAX_PATH * 4];
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH * 4);
  std::wstring folder(path, n);
  return folder.substr(0, folder.find_last_of(L"\\/") + 1);
}

bool RegisterServer(const CLSID& clsid, const std::wstring& progId, const std::wstring& exePath) {
  const std::wstring classes = L"Software\\Classes\\";
  const std::wstring guid = GuidText(clsid);
  return SetString(classes + progId, nullptr, progId) &&
         SetString(classes + progId + L"\\CLSID", nullptr, guid) &&
         SetString(classes + L"CLSID\\" + guid, nullptr, progId) &&
         SetString(classes + L"CLSID\\" + guid + L"\\ProgID", nullptr, progId) &&
         SetString(classes + L"CLSID\\" + guid + L"\\LocalServer32", nullptr,
                   L"\"" + exePath + L"\"");
}

bool WriteSettings(const CLSID& clsid, const std::wstring& logPath, const std::wstring& options) {
  const std::wstring key = L"Software\\Classes\\CLSID\\" + GuidText(clsid) + L"\\StandIn";
  return SetString(key, L"Log", logPath) && SetString(key, L"Options", options);
}

std::vector<std::string> ReadLog(const std::wstring& logPath) {
  std::vector<std::string> lines;
  std::ifstream in(logPath.c_str(), std::ios::binary);
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

int CountProcesses(const std::wstring& exeName) {
  int count = 0;
  ForEachProcess(exeName, [&](DWORD) { ++count; });
  return count;
}

bool WaitUntilGone(const std::wstring& exeName, DWORD limitMs) {
  const DWORD start = GetTickCount();
  while (CountProcesses(exeName) > 0) {
    if (GetTickCount() - start >= limitMs) return false;
    Sleep(50);
  }
  return true;
}

void EndProcesses(const std::wstring& exeName) {
  ForEachProcess(exeName, [](DWORD pid) {
    ScopedKernelHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid));
    if (!process) return;
    TerminateProcess(process.get(), 1);
    WaitForSingleObject(process.get(), 5000);
  });
}

std::wstring MakeTempFolder(const std::wstring& prefix) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  for (unsigned i = 0;; ++i) {
    std::wstring folder = std::wstring(temp) + prefix + std::to_wstring(GetCurrentProcessId()) +
                          L"-" + std::to_wstring(GetTickCount()) + L"-" + std::to_wstring(i);
    if (CreateDirectoryW(folder.c_str(), nullptr)) return folder + L"\\";
  }
}

bool WriteTextFile(const std::wstring& path, const std::string& content) {
  std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
  out << content;
  return static_cast<bool>(out);
}

bool FileExists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace brivanta::standin
