#pragma once
// COM automation helpers for driving Office applications through IDispatch.
//
// - ComPtr<T>: owns one reference to an interface; move-only. The only place that
//   calls Release.
// - Bstr: owns a BSTR.  Variant: owns a VARIANT (VariantClear on destruction).
// - GetDispId: resolves a member name with the user's default locale.
// - Invoke / InvokeByName: the one way to call an automation member. Arguments are
//   given in natural (left-to-right) order; they are reversed into DISPPARAMS. A
//   property put passes DISPID_PROPERTYPUT as its named argument. The EXCEPINFO that
//   the server fills is captured into the result and its strings are freed.
// - CreateInstance: CLSIDFromProgID, CoCreateInstance (local server or in-process)
//   and OleRun.
// - ScopedMessageFilter: registers a message filter for the calling (STA) thread for
//   as long as it lives; calls that a busy server rejects are retried for up to 30 s.
//
// Everything here needs COM initialised on the calling thread. Nothing throws.
#include <windows.h>
#include <oaidl.h>
#include <objidl.h>

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace brivanta {

template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(std::nullptr_t) {}
  // Takes over a reference that the caller already owns.
  static ComPtr Adopt(T* p) {
    ComPtr c;
    c.p_ = p;
    return c;
  }
  // Adds a reference of its own to `p`.
  static ComPtr Share(T* p) {
    if (p) p->AddRef();
    return Adopt(p);
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  ComPtr& operator=(ComPtr&& o) noexcept {
    if (this != &o) reset(std::exchange(o.p_, nullptr));
    return *this;
  }
  ~ComPtr() { reset(); }

  // Releases the held reference and stores `p` (whose reference is taken over).
  void reset(T* p = nullptr) {
    T* old = std::exchange(p_, p);
    if (old) old->Release();
  }
  // Releases the held reference and returns the address to receive a new one.
  T** put() {
    reset();
    return &p_;
  }
  void** put_void() { return reinterpret_cast<void**>(put()); }
  T* get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  // Gives up ownership of the reference to the caller.
  T* detach() { return std::exchange(p_, nullptr); }
  ComPtr copy() const { return Share(p_); }

  template <typename U>
  ComPtr<U> As(REFIID iid) const {
    ComPtr<U> out;
    if (p_) p_->QueryInterface(iid, out.put_void());
    return out;
  }

 private:
  T* p_ = nullptr;
};

class Bstr {
 public:
  Bstr() = default;
  explicit Bstr(const std::wstring& text)
      : b_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
  static Bstr Adopt(BSTR b) {
    Bstr s;
    s.b_ = b;
    return s;
  }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  Bstr(Bstr&& o) noexcept : b_(std::exchange(o.b_, nullptr)) {}
  Bstr& operator=(Bstr&& o) noexcept {
    if (this != &o) {
      SysFreeString(b_);
      b_ = std::exchange(o.b_, nullptr);
    }
    return *this;
  }
  ~Bstr() { SysFreeString(b_); }

  BSTR get() const { return b_; }
  BSTR* put() {
    SysFreeString(b_);
    b_ = nullptr;
    return &b_;
  }
  BSTR detach() { return std::exchange(b_, nullptr); }
  std::wstring str() const { return b_ ? std::wstring(b_, SysStringLen(b_)) : std::wstring(); }

 private:
  BSTR b_ = nullptr;
};

class Variant {
 public:
  Variant() { VariantInit(&v_); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  Variant(Variant&& o) noexcept : v_(o.v_) { VariantInit(&o.v_); }
  Variant& operator=(Variant&& o) noexcept {
    if (this != &o) {
      VariantClear(&v_);
      v_ = o.v_;
      VariantInit(&o.v_);
    }
    return *this;
  }
  ~Variant() { VariantClear(&v_); }

  static Variant Long(LONG value);
  static Variant Short(SHORT value);
  static Variant Double(double value);
  static Variant Bool(bool value);
  static Variant String(const std::wstring& text);
  // Takes over the string.
  static Variant String(Bstr text);
  // Adds a reference of its own to `object`.
  static Variant Dispatch(IDispatch* object);
  // An omitted optional argument (VT_ERROR, DISP_E_PARAMNOTFOUND).
  static Variant Missing();
  // A by-reference argument (VT_VARIANT | VT_BYREF) that points at `target`, which
  // must outlive the call. Clearing it does not touch the target.
  static Variant RefTo(Variant& target);
  // A deep copy (VariantCopy).
  static Variant Copy(const VARIANT& source);

  const VARIANT& get() const { return v_; }
  VARIANT* ptr() { return &v_; }
  // Clears the held value and returns the address to receive a new one.
  VARIANT* put() {
    VariantClear(&v_);
    return &v_;
  }
  void Clear() { VariantClear(&v_); }
  VARTYPE type() const { return V_VT(&v_); }
  bool empty() const { return V_VT(&v_) == VT_EMPTY; }
  bool IsMissing() const { return V_VT(&v_) == VT_ERROR && V_ERROR(&v_) == DISP_E_PARAMNOTFOUND; }

  // The held object when the value is VT_DISPATCH (or a reference to one); empty
  // otherwise. Adds a reference of its own.
  ComPtr<IDispatch> ToDispatch() const;
  // VT_BSTR as is; any other value is copied with references resolved and changed
  // to a string with VariantChangeType (no flags). False when that fails.
  bool ToString(std::wstring& out) const;
  // The value changed to a double with VariantChangeType. False when that fails or
  // when the value is empty (VT_EMPTY, VT_NULL).
  bool ToDouble(double& out) const;

 private:
  VARIANT v_;
};

// What a server answered to one Invoke.
struct InvokeResult {
  HRESULT hr = E_FAIL;
  Variant value;
  // From EXCEPINFO when hr is DISP_E_EXCEPTION; empty otherwise.
  SCODE exceptionCode = S_OK;
  std::wstring exceptionSource;
  std::wstring exceptionDescription;
  // From puArgErr for DISP_E_TYPEMISMATCH and DISP_E_PARAMNOTFOUND: the index in
  // natural order of the offending argument.
  int badArgument = -1;

  bool ok() const { return SUCCEEDED(hr); }
  // The error the call ends with: the exception's own code when the server raised
  // one, hr otherwise.
  HRESULT error() const {
    return hr == DISP_E_EXCEPTION && FAILED(exceptionCode) ? exceptionCode : hr;
  }
};

// Invoke flags. Reads bind a property get before a method, calls a method before a
// property get; COM takes both bits together either way.
enum class InvokeKind : WORD {
  kMethod = DISPATCH_METHOD,
  kGet = DISPATCH_PROPERTYGET,
  kRead = DISPATCH_PROPERTYGET | DISPATCH_METHOD,
  kPut = DISPATCH_PROPERTYPUT,
  kPutRef = DISPATCH_PROPERTYPUTREF,
};

// Resolves `name` on `object` through IDispatch::GetIDsOfNames with LOCALE_USER_DEFAULT.
HRESULT GetDispId(IDispatch* object, const wchar_t* name, DISPID* id);

// Calls member `id` of `object`. `args` are in natural order; for a put, the last
// argument is the value put. A null `object` gives E_POINTER. While a
// ScopedMessageFilter is active, a call that the server rejects as busy
// (RPC_E_SERVERCALL_RETRYLATER, RPC_E_CALL_REJECTED) is retried with the filter's delays.
InvokeResult Invoke(IDispatch* object, DISPID id, InvokeKind kind, std::vector<Variant>& args);
InvokeResult Invoke(IDispatch* object, DISPID id, InvokeKind kind);

// GetDispId, then Invoke. A name that the object does not have gives that error.
InvokeResult InvokeByName(IDispatch* object, const wchar_t* name, InvokeKind kind,
                          std::vector<Variant>& args);
InvokeResult InvokeByName(IDispatch* object, const wchar_t* name, InvokeKind kind);

// Creates the automation object registered under `progId` (local server or
// in-process), puts it into the running state with OleRun and returns its IDispatch.
HRESULT CreateInstance(const wchar_t* progId, ComPtr<IDispatch>& out);

// True for the errors a call gives when the server process has died or has gone
// away: RPC_E_DISCONNECTED, RPC_E_SERVER_DIED(_DNE), RPC_S_SERVER_UNAVAILABLE,
// RPC_S_CALL_FAILED.
bool IsServerGone(HRESULT hr);

// True for a call rejected by a busy server (RPC_E_SERVERCALL_RETRYLATER,
// RPC_E_CALL_REJECTED).
bool IsServerBusy(HRESULT hr);

// Registers a message filter on the calling STA thread for its lifetime and puts the
// previous filter back afterwards. The filter handles incoming calls, lets window
// messages that arrive during an outgoing call wait in the queue
// (PENDINGMSG_WAITDEFPROCESS) and retries calls that a busy server answers with
// SERVERCALL_RETRYLATER every 100 ms for up to 30 s in total.
class ScopedMessageFilter {
 public:
  ScopedMessageFilter();
  ~ScopedMessageFilter();
  ScopedMessageFilter(const ScopedMessageFilter&) = delete;
  ScopedMessageFilter& operator=(const ScopedMessageFilter&) = delete;

  bool registered() const { return registered_; }
  // True while some ScopedMessageFilter is registered on this thread.
  static bool Active();

 private:
  ComPtr<IMessageFilter> previous_;
  bool registered_ = false;
};

}  // namespace brivanta
