#include "standin_server.h"

#include <ole2.h>

#include <cstdio>
#include <sstream>

#include "common/com.h"
#include "common/text.h"

namespace brivanta::standin {
namespace {

std::wstring logPath;
std::wstring options;
LONG liveObjects = 0;
bool quitRequested = false;
DWORD mainThread = 0;

void EndIfDone() {
  if (quitRequested && liveObjects == 0) PostThreadMessageW(mainThread, WM_QUIT, 0, 0);
}

std::wstring ReadSetting(HKEY key, const wchar_t* name) {
  wchar_t buffer[2048];
  DWORD size = sizeof buffer;
  DWORD type = 0;
  if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) !=
          ERROR_SUCCESS ||
      type != REG_SZ) {
    return {};
  }
  return std::wstring(buffer, size / sizeof(wchar_t)).c_str();
}

void LoadSettings(const CLSID& clsid) {
  wchar_t guid[64];
  StringFromGUID2(clsid, guid, 64);
  std::wstring path = std::wstring(L"Software\\Classes\\CLSID\\") + guid + L"\\StandIn";
  HKEY key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
  logPath = ReadSetting(key, L"Log");
  options = ReadSetting(key, L"Options");
  RegCloseKey(key);
}

class ClassFactory final : public IClassFactory {
 public:
  explicit ClassFactory(std::function<DispatchObject*()> create) : create_(std::move(create)) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IClassFactory) {
      *out = static_cast<IClassFactory*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  // Lives on the server's stack for the whole run.
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    ComPtr<DispatchObject> app = ComPtr<DispatchObject>::Adopt(create_());
    Log(L"created");
    return app->QueryInterface(iid, out);
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    if (lock) {
      InterlockedIncrement(&liveObjects);
    } else if (InterlockedDecrement(&liveObjects) == 0) {
      EndIfDone();
    }
    return S_OK;
  }

 private:
  std::function<DispatchObject*()> create_;
};

int rejectLeft = 0;
bool pendingReject = false;  // the filter rejected a call that the runtime let through

class BusyFilter final : public IMessageFilter {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IMessageFilter) {
      *out = static_cast<IMessageFilter*>(this);
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  // Lives on the server's stack for the whole run.
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  DWORD STDMETHODCALLTYPE HandleInComingCall(DWORD, HTASK, DWORD, LPINTERFACEINFO) override {
    pendingReject = rejectLeft > 0;
    if (!pendingReject) return SERVERCALL_ISHANDLED;
    --rejectLeft;
    Log(L"busy");
    return SERVERCALL_RETRYLATER;
  }
  DWORD STDMETHODCALLTYPE RetryRejectedCall(HTASK, DWORD, DWORD) override {
    return static_cast<DWORD>(-1);
  }
  DWORD STDMETHODCALLTYPE MessagePending(HTASK, DWORD, DWORD) override {
    return PENDINGMSG_WAITDEFPROCESS;
  }
};

// A rejection that the filter made, or one still due, fails the call.
bool RejectedAsBusy() {
  if (pendingReject) {
    pendingReject = false;
    return true;
  }
  if (rejectLeft <= 0) return false;
  --rejectLeft;
  Log(L"busy");
  return true;
}

std::wstring FlagsText(WORD flags) {
  if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) return L"put";
  if ((flags & DISPATCH_METHOD) && (flags & DISPATCH_PROPERTYGET)) return L"read";
  if (flags & DISPATCH_PROPERTYGET) return L"get";
  return L"call";
}

}  // namespace

void Log(const std::wstring& line) {
  if (logPath.empty()) return;
  HANDLE file = CreateFileW(logPath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  std::string text = Narrow(line) + "\n";
  DWORD written = 0;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
}

const std::wstring& Options() { return options; }

bool HasOption(const std::wstring& word) {
  std::wistringstream in(options);
  std::wstring token;
  while (in >> token) {
    if (token == word) return true;
  }
  return false;
}

std::wstring DescribeArgument(const VARIANT& arg) {
  const VARIANT* v = &arg;
  std::wstring prefix;
  if (V_VT(v) == (VT_VARIANT | VT_BYREF)) {
    prefix = L"&";
    v = V_VARIANTREF(v);
  }
  wchar_t buffer[64];
  switch (V_VT(v)) {
    case VT_EMPTY:
      return prefix + L"empty";
    case VT_BOOL:
      return prefix + (V_BOOL(v) ? L"true" : L"false");
    case VT_I2:
      std::swprintf(buffer, 64, L"%d", V_I2(v));
      return prefix + buffer;
    case VT_I4:
      std::swprintf(buffer, 64, L"%ld", static_cast<long>(V_I4(v)));
      return prefix + buffer;
    case VT_R8:
      std::swprintf(buffer, 64, L"%g", V_R8(v));
      return prefix + buffer;
    case VT_BSTR:
      return prefix + L"\"" + (V_BSTR(v) ? V_BSTR(v) : L"") + L"\"";
    case VT_DISPATCH:
      return prefix + L"dispatch";
    case VT_ERROR:
      if (V_ERROR(v) == DISP_E_PARAMNOTFOUND) return prefix + L"missing";
      break;
    default:
      break;
  }
  std::swprintf(buffer, 64, L"vt=%u", static_cast<unsigned>(V_VT(v)));
  return prefix + buffer;
}

// ---- DispatchObject -----------------------------------------------------------------

DispatchObject::DispatchObject(std::wstring logName, std::vector<Member> members)
    : logName_(std::move(logName)), members_(std::move(members)) {
  InterlockedIncrement(&liveObjects);
}

DispatchObject::~DispatchObject() {
  if (InterlockedDecrement(&liveObjects) == 0) EndIfDone();
}

HRESULT DispatchObject::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_IDispatch) {
    *out = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

ULONG DispatchObject::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }

ULONG DispatchObject::Release() {
  LONG n = InterlockedDecrement(&refs_);
  if (n == 0) delete this;
  return static_cast<ULONG>(n);
}

HRESULT DispatchObject::GetTypeInfoCount(UINT* count) {
  *count = 0;
  return S_OK;
}

HRESULT DispatchObject::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  *info = nullptr;
  return DISP_E_BADINDEX;
}

HRESULT DispatchObject::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  HRESULT hr = S_OK;
  for (UINT i = 0; i < count; ++i) {
    ids[i] = DISPID_UNKNOWN;
    if (i > 0) {
      hr = DISP_E_UNKNOWNNAME;  // named arguments: none are known
      continue;
    }
    for (const Member& m : members_) {
      if (_wcsicmp(m.name, names[i]) == 0) ids[i] = m.id;
    }
    if (ids[i] == DISPID_UNKNOWN) hr = DISP_E_UNKNOWNNAME;
  }
  Log(logName_ + L" names " + names[0] + (hr == S_OK ? L"" : L" unknown"));
  return hr;
}

std::wstring DispatchObject::MemberName(DISPID id) const {
  std::wstring name;
  for (const Member& m : members_) {
    if (m.id == id) name = m.name;  // the last entry for an id names it
  }
  return name + L"#" + std::to_wstring(id);
}

HRESULT DispatchObject::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                               VARIANT* result, EXCEPINFO* excep, UINT* argErr) {
  if (argErr) *argErr = 0;
  if (RejectedAsBusy()) return RPC_E_SERVERCALL_RETRYLATER;
  std::vector<VARIANT*> args;
  std::wstring text = logName_ + L"." + MemberName(id) + L" " + FlagsText(flags) + L"(";
  const UINT n = params ? params->cArgs : 0;
  for (UINT i = 0; i < n; ++i) {
    VARIANT* arg = &params->rgvarg[n - 1 - i];
    text += (i ? L", " : L"") + DescribeArgument(*arg);
    if (V_VT(arg) == (VT_VARIANT | VT_BYREF)) arg = V_VARIANTREF(arg);
    args.push_back(arg);
  }
  Log(text + L")");
  if (result) VariantInit(result);
  excep_ = excep;
  HRESULT hr = Call(id, flags, args, result);
  excep_ = nullptr;
  return hr;
}

HRESULT DispatchObject::RaiseError(HRESULT code, const std::wstring& description) {
  Log(logName_ + L" error " + description);
  if (excep_) {
    *excep_ = EXCEPINFO{};
    excep_->scode = code;
    excep_->bstrSource = SysAllocString(logName_.c_str());
    excep_->bstrDescription = SysAllocString(description.c_str());
  }
  return DISP_E_EXCEPTION;
}

void ReturnObject(VARIANT* result, DispatchObject* object) {
  ComPtr<DispatchObject> owned = ComPtr<DispatchObject>::Adopt(object);
  if (!result) return;
  V_VT(result) = VT_DISPATCH;
  V_DISPATCH(result) = owned.detach();
}

namespace {

bool Converted(const std::vector<VARIANT*>& args, size_t index, VARTYPE type, VARIANT& out) {
  if (index >= args.size()) return false;
  VARIANT* v = args[index];
  if (V_VT(v) == VT_ERROR && V_ERROR(v) == DISP_E_PARAMNOTFOUND) return false;
  VariantInit(&out);
  return SUCCEEDED(VariantChangeType(&out, v, 0, type));
}

}  // namespace

bool ArgumentBool(const std::vector<VARIANT*>& args, size_t index, bool& value) {
  VARIANT out;
  if (!Converted(args, index, VT_BOOL, out)) return false;
  value = V_BOOL(&out) != VARIANT_FALSE;
  return true;
}

bool ArgumentLong(const std::vector<VARIANT*>& args, size_t index, LONG& value) {
  VARIANT out;
  if (!Converted(args, index, VT_I4, out)) return false;
  value = V_I4(&out);
  return true;
}

bool ArgumentString(const std::vector<VARIANT*>& args, size_t index, std::wstring& value) {
  VARIANT out;
  if (!Converted(args, index, VT_BSTR, out)) return false;
  value.assign(V_BSTR(&out) ? V_BSTR(&out) : L"");
  VariantClear(&out);
  return true;
}

// ---- Server -------------------------------------------------------------------------

void RejectNextCalls(int count) {
  rejectLeft = count;
  pendingReject = false;
}

void RequestQuit() {
  quitRequested = true;
  Log(L"quit requested");
}

int RunLocalServer(const CLSID& clsid, std::function<DispatchObject*()> createApplication) {
  mainThread = GetCurrentThreadId();
  LoadSettings(clsid);
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
  Log(L"start pid=" + std::to_wstring(GetCurrentProcessId()));
  BusyFilter filter;
  ComPtr<IMessageFilter> previous;
  CoRegisterMessageFilter(&filter, previous.put());

  ClassFactory factory(std::move(createApplication));
  DWORD cookie = 0;
  HRESULT hr = CoRegisterClassObject(clsid, &factory, CLSCTX_LOCAL_SERVER, REGCLS_SINGLEUSE,
                                     &cookie);
  if (SUCCEEDED(hr)) {
    // A server that no client ever reaches, or that its client abandons, does not stay
    // forever: once a minute without live objects ends it.
    SetTimer(nullptr, 0, 60000, nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
      if (msg.message == WM_TIMER && msg.hwnd == nullptr && liveObjects == 0) {
        Log(L"abandoned");
        break;
      }
      DispatchMessageW(&msg);
    }
    CoRevokeClassObject(cookie);
  }
  {
    ComPtr<IMessageFilter> ours;
    CoRegisterMessageFilter(previous.get(), ours.put());
  }
  Log(L"exit");
  CoUninitialize();
  return 0;
}

}  // namespace brivanta::standin
