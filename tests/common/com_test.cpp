// The COM helpers against an in-process IDispatch that records what it receives.
#include "common/com.h"

#include <ole2.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace brivanta {
namespace {

// Records the DISPPARAMS of each call; member 7 raises an exception, member 8 answers
// busy `busyTimes` times, every other member answers 99.
class Recorder final : public IDispatch {
 public:
  struct Seen {
    DISPID id;
    WORD flags;
    std::vector<std::wstring> args;  // as DISPPARAMS holds them: last argument first
    std::vector<DISPID> named;
  };
  std::vector<Seen> seen;
  int busyTimes = 0;
  LONG refs = 1;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IDispatch) {
      *out = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++refs); }
  ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--refs); }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
    *n = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID lcid,
                                          DISPID* ids) override {
    lastLcid = lcid;
    if (std::wstring(names[0]) == L"Known") {
      *ids = 42;
      return S_OK;
    }
    *ids = DISPID_UNKNOWN;
    return DISP_E_UNKNOWNNAME;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* p,
                                   VARIANT* result, EXCEPINFO* excep, UINT*) override {
    Seen s{id, flags, {}, {}};
    for (UINT i = 0; i < p->cArgs; ++i) {
      VARIANT* v = &p->rgvarg[i];
      std::wstring prefix;
      if (V_VT(v) == (VT_VARIANT | VT_BYREF)) {
        prefix = L"&";
        v = V_VARIANTREF(v);
      }
      VARIANT text;
      VariantInit(&text);
      if (V_VT(v) == VT_ERROR) {
        s.args.push_back(prefix + L"missing");
      } else if (SUCCEEDED(VariantChangeType(&text, v, 0, VT_BSTR))) {
        s.args.push_back(prefix + V_BSTR(&text));
      }
      VariantClear(&text);
    }
    for (UINT i = 0; i < p->cNamedArgs; ++i) s.named.push_back(p->rgdispidNamedArgs[i]);
    seen.push_back(s);
    if (id == 7) {
      excep->scode = E_ACCESSDENIED;
      excep->bstrSource = SysAllocString(L"Recorder");
      excep->bstrDescription = SysAllocString(L"refused");
      return DISP_E_EXCEPTION;
    }
    if (id == 8 && busyTimes > 0) {
      --busyTimes;
      return RPC_E_SERVERCALL_RETRYLATER;
    }
    if (result) {
      V_VT(result) = VT_I4;
      V_I4(result) = 99;
    }
    return S_OK;
  }
  LCID lastLcid = 0;
};

TEST(InvokeTest, ArgumentsAreReversedAndReferencesPassed) {
  Recorder r;
  Variant target = Variant::Long(5);
  std::vector<Variant> args;
  args.push_back(Variant::String(L"first"));
  args.push_back(Variant::Short(2));
  args.push_back(Variant::RefTo(target));
  args.push_back(Variant::Missing());
  InvokeResult result = Invoke(&r, 3, InvokeKind::kMethod, args);
  ASSERT_TRUE(result.ok());
  EXPECT_EQ(V_I4(&result.value.get()), 99);
  ASSERT_EQ(r.seen.size(), 1u);
  EXPECT_EQ(r.seen[0].flags, DISPATCH_METHOD);
  EXPECT_EQ(r.seen[0].args, (std::vector<std::wstring>{L"missing", L"&5", L"2", L"first"}));
  EXPECT_TRUE(r.seen[0].named.empty());
}

TEST(InvokeTest, PutPassesThePropertyPutNamedArgument) {
  Recorder r;
  std::vector<Variant> args;
  args.push_back(Variant::Long(0));
  EXPECT_TRUE(Invoke(&r, 0x5E, InvokeKind::kPut, args).ok());
  ASSERT_EQ(r.seen.size(), 1u);
  EXPECT_EQ(r.seen[0].flags, DISPATCH_PROPERTYPUT);
  EXPECT_EQ(r.seen[0].named, std::vector<DISPID>{DISPID_PROPERTYPUT});
}

TEST(InvokeTest, ExceptionIsCaptured) {
  Recorder r;
  InvokeResult result = Invoke(&r, 7, InvokeKind::kRead);
  EXPECT_EQ(result.hr, DISP_E_EXCEPTION);
  EXPECT_EQ(result.error(), E_ACCESSDENIED);
  EXPECT_EQ(result.exceptionSource, L"Recorder");
  EXPECT_EQ(result.exceptionDescription, L"refused");
}

TEST(InvokeTest, NamesResolveWithTheUserLocale) {
  Recorder r;
  EXPECT_TRUE(InvokeByName(&r, L"Known", InvokeKind::kRead).ok());
  EXPECT_EQ(r.lastLcid, static_cast<LCID>(LOCALE_USER_DEFAULT));
  EXPECT_EQ(r.seen.at(0).id, 42);
  EXPECT_EQ(InvokeByName(&r, L"Unknown", InvokeKind::kRead).hr, DISP_E_UNKNOWNNAME);
  EXPECT_EQ(Invoke(nullptr, 1, InvokeKind::kRead).hr, E_POINTER);
}

TEST(InvokeTest, BusyServerIsRetriedOnlyWhileAFilterIsRegistered) {
  Recorder r;
  r.busyTimes = 2;
  EXPECT_EQ(Invoke(&r, 8, InvokeKind::kRead).hr, RPC_E_SERVERCALL_RETRYLATER);
  {
    ScopedMessageFilter filter;
    ASSERT_TRUE(filter.registered());
    EXPECT_TRUE(ScopedMessageFilter::Active());
    EXPECT_TRUE(Invoke(&r, 8, InvokeKind::kRead).ok());
  }
  EXPECT_FALSE(ScopedMessageFilter::Active());
  EXPECT_EQ(r.seen.size(), 3u);
  EXPECT_EQ(r.busyTimes, 0);
}

TEST(ComPtrTest, OwnsExactlyOneReference) {
  Recorder r;
  {
    ComPtr<IDispatch> a = ComPtr<IDispatch>::Share(&r);
    EXPECT_EQ(r.refs, 2);
    ComPtr<IDispatch> b = std::move(a);
    EXPECT_FALSE(a);
    EXPECT_EQ(r.refs, 2);
    Variant v = Variant::Dispatch(b.get());
    EXPECT_EQ(r.refs, 3);
    EXPECT_EQ(v.ToDispatch().get(), &r);
  }
  EXPECT_EQ(r.refs, 1);
}

TEST(ServerGoneTest, RecognisesADeadServer) {
  for (HRESULT hr : {RPC_E_DISCONNECTED, HRESULT(0x800706BA), HRESULT(0x800706BE)}) {
    EXPECT_TRUE(IsServerGone(hr)) << std::hex << hr;
  }
  for (HRESULT hr : {S_OK, E_FAIL, DISP_E_EXCEPTION, RPC_E_SERVERCALL_RETRYLATER}) {
    EXPECT_FALSE(IsServerGone(hr)) << std::hex << hr;
  }
}

}  // namespace
}  // namespace brivanta
