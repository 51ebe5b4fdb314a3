#include "common/com.h"

#include <ole2.h>

#include <algorithm>

#include "common/com_retry.h"

namespace brivanta {

// ---- Variant ----------------------------------------------------------------------

Variant Variant::Long(LONG value) {
  Variant v;
  V_VT(&v.v_) = VT_I4;
  V_I4(&v.v_) = value;
  return v;
}

Variant Variant::Short(SHORT value) {
  Variant v;
  V_VT(&v.v_) = VT_I2;
  V_I2(&v.v_) = value;
  return v;
}

Variant Variant::Double(double value) {
  Variant v;
  V_VT(&v.v_) = VT_R8;
  V_R8(&v.v_) = value;
  return v;
}

Variant Variant::Bool(bool value) {
  Variant v;
  V_VT(&v.v_) = VT_BOOL;
  V_BOOL(&v.v_) = value ? VARIANT_TRUE : VARIANT_FALSE;
  return v;
}

Variant Variant::String(const std::wstring& text) { return String(Bstr(text)); }

Variant Variant::String(Bstr text) {
  Variant v;
  V_VT(&v.v_) = VT_BSTR;
  V_BSTR(&v.v_) = text.detach();
  return v;
}

Variant Variant::Dispatch(IDispatch* object) {
  Variant v;
  V_VT(&v.v_) = VT_DISPATCH;
  V_DISPATCH(&v.v_) = ComPtr<IDispatch>::Share(object).detach();
  return v;
}

Variant Variant::Missing() {
  Variant v;
  V_VT(&v.v_) = VT_ERROR;
  V_ERROR(&v.v_) = DISP_E_PARAMNOTFOUND;
  return v;
}

Variant Variant::RefTo(Variant& target) {
  Variant v;
  V_VT(&v.v_) = VT_VARIANT | VT_BYREF;
  V_VARIANTREF(&v.v_) = &target.v_;
  return v;
}

Variant Variant::Copy(const VARIANT& source) {
  Variant v;
  VariantCopy(&v.v_, const_cast<VARIANT*>(&source));
  return v;
}

ComPtr<IDispatch> Variant::ToDispatch() const {
  const VARIANT* v = &v_;
  if (V_VT(v) == (VT_VARIANT | VT_BYREF) && V_VARIANTREF(v)) v = V_VARIANTREF(v);
  if (V_VT(v) == VT_DISPATCH) return ComPtr<IDispatch>::Share(V_DISPATCH(v));
  if (V_VT(v) == (VT_DISPATCH | VT_BYREF) && V_DISPATCHREF(v))
    return ComPtr<IDispatch>::Share(*V_DISPATCHREF(v));
  return {};
}

bool Variant::ToString(std::wstring& out) const {
  if (V_VT(&v_) == VT_BSTR) {
    out.assign(V_BSTR(&v_) ? V_BSTR(&v_) : L"", V_BSTR(&v_) ? SysStringLen(V_BSTR(&v_)) : 0);
    return true;
  }
  Variant copy;
  if (FAILED(VariantCopyInd(copy.ptr(), const_cast<VARIANT*>(&v_)))) return false;
  if (FAILED(VariantChangeType(copy.ptr(), copy.ptr(), 0, VT_BSTR))) return false;
  BSTR b = V_BSTR(copy.ptr());
  out.assign(b ? b : L"", b ? SysStringLen(b) : 0);
  return true;
}

bool Variant::ToDouble(double& out) const {
  Variant copy;
  if (FAILED(VariantCopyInd(copy.ptr(), const_cast<VARIANT*>(&v_)))) return false;
  if (copy.type() == VT_EMPTY || copy.type() == VT_NULL) return false;
  if (FAILED(VariantChangeType(copy.ptr(), copy.ptr(), 0, VT_R8))) return false;
  out = V_R8(copy.ptr());
  return true;
}

// ---- Invoke -----------------------------------------------------------------------

HRESULT GetDispId(IDispatch* object, const wchar_t* name, DISPID* id) {
  *id = DISPID_UNKNOWN;
  if (!object) return E_POINTER;
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  return object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, id);
}

namespace {

InvokeResult InvokeOnce(IDispatch* object, DISPID id, InvokeKind kind,
                        std::vector<Variant>& args) {
  InvokeResult result;
  // DISPPARAMS lists the arguments last to first; the VARIANTs stay owned by `args`.
  std::vector<VARIANTARG> reversed;
  reversed.reserve(args.size());
  for (auto it = args.rbegin(); it != args.rend(); ++it) reversed.push_back(*it->ptr());
  DISPID putId = DISPID_PROPERTYPUT;
  DISPPARAMS params{};
  params.cArgs = static_cast<UINT>(reversed.size());
  params.rgvarg = reversed.empty() ? nullptr : reversed.data();
  if (kind == InvokeKind::kPut || kind == InvokeKind::kPutRef) {
    params.cNamedArgs = 1;
    params.rgdispidNamedArgs = &putId;
  }
  EXCEPINFO excep{};
  UINT argErr = static_cast<UINT>(-1);
  result.hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, static_cast<WORD>(kind), &params,
                             result.value.put(), &excep, &argErr);
  // Whatever the server put into EXCEPINFO is ours to free.
  if (excep.pfnDeferredFillIn) excep.pfnDeferredFillIn(&excep);
  Bstr source = Bstr::Adopt(excep.bstrSource);
  Bstr description = Bstr::Adopt(excep.bstrDescription);
  Bstr help = Bstr::Adopt(excep.bstrHelpFile);
  if (result.hr == DISP_E_EXCEPTION) {
    result.exceptionCode = excep.scode ? excep.scode
                                       : (excep.wCode ? MAKE_HRESULT(1, FACILITY_ITF, excep.wCode)
                                                      : E_FAIL);
    result.exceptionSource = source.str();
    result.exceptionDescription = description.str();
  }
  if ((result.hr == DISP_E_TYPEMISMATCH || result.hr == DISP_E_PARAMNOTFOUND) &&
      argErr < args.size()) {
    result.badArgument = static_cast<int>(args.size() - 1 - argErr);
  }
  return result;
}

}  // namespace

InvokeResult Invoke(IDispatch* object, DISPID id, InvokeKind kind, std::vector<Variant>& args) {
  if (!object) {
    InvokeResult result;
    result.hr = E_POINTER;
    return result;
  }
  const DWORD start = GetTickCount();
  for (;;) {
    InvokeResult result = InvokeOnce(object, id, kind, args);
    if (!IsServerBusy(result.hr) || !ScopedMessageFilter::Active()) return result;
    long delay = BusyRetryDelay(GetTickCount() - start, result.hr == RPC_E_SERVERCALL_RETRYLATER);
    if (delay < 0) return result;
    Sleep(static_cast<DWORD>(delay));
  }
}

InvokeResult Invoke(IDispatch* object, DISPID id, InvokeKind kind) {
  std::vector<Variant> none;
  return Invoke(object, id, kind, none);
}

InvokeResult InvokeByName(IDispatch* object, const wchar_t* name, InvokeKind kind,
                          std::vector<Variant>& args) {
  DISPID id;
  HRESULT hr = GetDispId(object, name, &id);
  if (FAILED(hr)) {
    InvokeResult result;
    result.hr = hr;
    return result;
  }
  return Invoke(object, id, kind, args);
}

InvokeResult InvokeByName(IDispatch* object, const wchar_t* name, InvokeKind kind) {
  std::vector<Variant> none;
  return InvokeByName(object, name, kind, none);
}

HRESULT CreateInstance(const wchar_t* progId, ComPtr<IDispatch>& out) {
  out.reset();
  CLSID clsid;
  HRESULT hr = CLSIDFromProgID(progId, &clsid);
  if (FAILED(hr)) return hr;
  ComPtr<IUnknown> unknown;
  hr = CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER | CLSCTX_INPROC_SERVER, IID_IUnknown,
                        unknown.put_void());
  if (FAILED(hr)) return hr;
  OleRun(unknown.get());
  out = unknown.As<IDispatch>(IID_IDispatch);
  return out ? S_OK : E_NOINTERFACE;
}

bool IsServerGone(HRESULT hr) {
  return hr == RPC_E_DISCONNECTED || hr == RPC_E_SERVER_DIED || hr == RPC_E_SERVER_DIED_DNE ||
         hr == HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE) ||
         hr == HRESULT_FROM_WIN32(RPC_S_CALL_FAILED) ||
         hr == HRESULT_FROM_WIN32(RPC_S_CALL_FAILED_DNE);
}

bool IsServerBusy(HRESULT hr) {
  return hr == RPC_E_SERVERCALL_RETRYLATER || hr == RPC_E_CALL_REJECTED;
}

// ---- Message filter ---------------------------------------------------------------

namespace {

thread_local int activeFilters = 0;

class MessageFilter final : public IMessageFilter {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IMessageFilter) {
      *out = static_cast<IMessageFilter*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&refs_); }
  ULONG STDMETHODCALLTYPE Release() override {
    LONG n = InterlockedDecrement(&refs_);
    if (n == 0) delete this;
    return static_cast<ULONG>(n);
  }

  DWORD STDMETHODCALLTYPE HandleInComingCall(DWORD, HTASK, DWORD, LPINTERFACEINFO) override {
    return SERVERCALL_ISHANDLED;
  }
  DWORD STDMETHODCALLTYPE RetryRejectedCall(HTASK, DWORD elapsed, DWORD rejectType) override {
    long delay = BusyRetryDelay(elapsed, rejectType == SERVERCALL_RETRYLATER);
    return delay < 0 ? static_cast<DWORD>(-1) : static_cast<DWORD>(delay);
  }
  DWORD STDMETHODCALLTYPE MessagePending(HTASK, DWORD, DWORD) override {
    return PENDINGMSG_WAITDEFPROCESS;
  }

 private:
  ~MessageFilter() = default;
  LONG refs_ = 1;
};

}  // namespace

ScopedMessageFilter::ScopedMessageFilter() {
  ComPtr<IMessageFilter> filter = ComPtr<IMessageFilter>::Adopt(new MessageFilter());
  registered_ = SUCCEEDED(CoRegisterMessageFilter(filter.get(), previous_.put()));
  if (registered_) ++activeFilters;
}

ScopedMessageFilter::~ScopedMessageFilter() {
  if (!registered_) return;
  --activeFilters;
  ComPtr<IMessageFilter> ours;
  CoRegisterMessageFilter(previous_.get(), ours.put());
}

bool ScopedMessageFilter::Active() { return activeFilters > 0; }

}  // namespace brivanta
