#pragma once
// Scaffolding for stand-ins of Office applications: small out-of-process COM servers
// (their own exe, registered as LocalServer32) that answer IDispatch calls from a
// name table and log every call, so that tests can drive the program's automation
// code without the real application.
//
// A stand-in's main() calls RunLocalServer with its CLSID and a function that makes
// its application object. Its objects derive from DispatchObject and implement Call.
// The server ends once the application was told to quit (RequestQuit) and the
// client has released every object, as Office applications do.
//
// Settings come from the registry, under the class's key
// HKLM\Software\Classes\CLSID\{clsid}\StandIn, which the tests write (see
// standin_client.h): "Log" (the log file's path) and "Options" (free text).
#include <windows.h>
#include <oaidl.h>
#include <objidl.h>

#include <functional>
#include <string>
#include <vector>

namespace brivanta::standin {

// ---- Log ----------------------------------------------------------------------------

// Appends one line (UTF-8) to the log file; each line is written through at once, so
// that what a crashing server logged before it died is kept.
void Log(const std::wstring& line);

// "true", "false", 12, 1.5, "text" (quoted), missing, empty, dispatch, vt=N;
// a by-reference argument gets a leading "&".
std::wstring DescribeArgument(const VARIANT& arg);

// The "Options" text of the server's settings.
const std::wstring& Options();
bool HasOption(const std::wstring& word);

// ---- Objects ------------------------------------------------------------------------

// An IDispatch answered from a table of member names. Every live object keeps the
// server running.
class DispatchObject : public IDispatch {
 public:
  struct Member {
    const wchar_t* name;
    DISPID id;
  };

  // `logName` prefixes the log lines of this object's calls.
  DispatchObject(std::wstring logName, std::vector<Member> members);
  DispatchObject(const DispatchObject&) = delete;
  DispatchObject& operator=(const DispatchObject&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                          DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* excep, UINT* argErr) override;

 protected:
  virtual ~DispatchObject();

  // One call. `args` are in natural order with references resolved (a put's value
  // is the last). `result` may be null. Return DISP_E_EXCEPTION after RaiseError.
  virtual HRESULT Call(DISPID id, WORD flags, const std::vector<VARIANT*>& args,
                       VARIANT* result) = 0;
  // Fills the EXCEPINFO of the call under way; returns DISP_E_EXCEPTION.
  HRESULT RaiseError(HRESULT code, const std::wstring& description);
  const std::wstring& logName() const { return logName_; }

 private:
  std::wstring MemberName(DISPID id) const;

  LONG refs_ = 1;
  std::wstring logName_;
  std::vector<Member> members_;
  EXCEPINFO* excep_ = nullptr;
};

// Puts `object` into `result` as VT_DISPATCH (the result takes over the reference).
void ReturnObject(VARIANT* result, DispatchObject* object);

// Typed readers for arguments: false when absent or not convertible.
bool ArgumentBool(const std::vector<VARIANT*>& args, size_t index, bool& value);
bool ArgumentLong(const std::vector<VARIANT*>& args, size_t index, LONG& value);
bool ArgumentString(const std::vector<VARIANT*>& args, size_t index, std::wstring& value);

// ---- Server -------------------------------------------------------------------------

// The next `count` incoming calls are rejected as from a busy server: the server's
// message filter answers SERVERCALL_RETRYLATER, and where the COM runtime does not act
// on that answer (Wine), the call itself fails with RPC_E_SERVERCALL_RETRYLATER. Each
// rejection is logged as "busy".
void RejectNextCalls(int count);

// The application has been told to quit: the server ends once no object is alive.
void RequestQuit();

// Registers the class object for `clsid` (one client per process, like Office) and the
// server's message filter, runs the server's message loop until it ends, and returns
// the process's exit code.
int RunLocalServer(const CLSID& clsid, std::function<DispatchObject*()> createApplication);

}  // namespace brivanta::standin
