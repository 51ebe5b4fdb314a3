// The stand-in Word: see word_standin.h for what its fixture documents can ask for.
#include "word_standin.h"

#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "common/com.h"
#include "common/text.h"
#include "standin_server.h"

namespace brivanta::testing {
namespace {

using standin::DispatchObject;
using standin::Log;

namespace id {
constexpr DISPID kVisible = 0x17;
constexpr DISPID kDocuments = 6;
constexpr DISPID kDisplayAlerts = 0x5E;
constexpr DISPID kCloseOrQuit = 0x451;
constexpr DISPID kAutomationSecurity = 0x1A5;
constexpr DISPID kSelection = 5;
constexpr DISPID kActiveDocument = 3;
constexpr DISPID kOpen2000 = 15;
constexpr DISPID kOpen = 19;
constexpr DISPID kCount = 2;
constexpr DISPID kComputeStatistics = 0x12F;
constexpr DISPID kInformation = 0x191;
}  // namespace id

constexpr HRESULT kWordError = MAKE_HRESULT(1, FACILITY_CONTROL, 5174);  // file not found

using Fixture = std::map<std::string, std::string>;

bool ReadFixture(const std::wstring& path, Fixture& fixture) {
  if (path.empty()) return false;
  std::ifstream in(path.c_str(), std::ios::binary);
  if (!in) return false;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    size_t eq = line.find('=');
    if (eq != std::string::npos) fixture[line.substr(0, eq)] = line.substr(eq + 1);
  }
  return true;
}

std::string Get(const Fixture& f, const std::string& key) {
  auto it = f.find(key);
  return it == f.end() ? std::string() : it->second;
}

class Document;

// The state of the one Word application this process serves.
struct WordState {
  bool visible = true;
  LONG alerts = -1;
  LONG automationSecurity = 1;
  std::vector<ComPtr<Document>> open;  // the active document is the last one
} word;

// Ends the process in `call` if the fixture asks for it.
void MaybeCrash(const Fixture& f, const std::wstring& path, const std::string& call) {
  if (Get(f, "crash") == call) {
    Log(L"crash in " + Widen(call));
    ExitProcess(3);
  }
  if (Get(f, "crashonce") == call) {
    std::wstring marker = path + L".crashed";
    if (GetFileAttributesW(marker.c_str()) != INVALID_FILE_ATTRIBUTES) return;
    std::ofstream(marker.c_str()) << "crashed";
    Log(L"crash in " + Widen(call));
    ExitProcess(3);
  }
}

class Document final : public DispatchObject {
 public:
  Document(std::wstring path, Fixture fixture)
      : DispatchObject(L"Document",
                       {{L"Close", id::kCloseOrQuit}, {L"ComputeStatistics", id::kComputeStatistics}}),
        path_(std::move(path)),
        fixture_(std::move(fixture)) {}

  const Fixture& fixture() const { return fixture_; }
  const std::wstring& path() const { return path_; }

  HRESULT Typed(const std::string& valueKey, const std::string& typeKey, VARIANT* result) {
    std::string type = Get(fixture_, typeKey);
    std::string raw = Get(fixture_, valueKey);
    if (type == "ERROR") return RaiseError(kWordError, L"no answer");
    if (!result) return S_OK;
    if (type == "EMPTY") return S_OK;
    if (type == "BSTR") {
      V_VT(result) = VT_BSTR;
      V_BSTR(result) = SysAllocString(Widen(raw).c_str());
    } else if (type == "R8") {
      V_VT(result) = VT_R8;
      V_R8(result) = std::strtod(raw.c_str(), nullptr);
    } else if (type == "I2") {
      V_VT(result) = VT_I2;
      V_I2(result) = static_cast<SHORT>(std::strtol(raw.c_str(), nullptr, 10));
    } else {
      V_VT(result) = VT_I4;
      V_I4(result) = static_cast<LONG>(std::strtol(raw.c_str(), nullptr, 10));
    }
    return S_OK;
  }

 protected:
  HRESULT Call(DISPID member, WORD, const std::vector<VARIANT*>& args, VARIANT* result) override {
    switch (member) {
      case id::kComputeStatistics: {
        LONG statistic = -1;
        if (!standin::ArgumentLong(args, 0, statistic) || statistic != 0) {
          return RaiseError(E_INVALIDARG, L"unknown statistic");
        }
        MaybeCrash(fixture_, path_, "words");
        return Typed("words", "wordtype", result);
      }
      case id::kCloseOrQuit: {
        MaybeCrash(fixture_, path_, "close");
        for (auto it = word.open.begin(); it != word.open.end(); ++it) {
          if (it->get() == this) {
            word.open.erase(it);  // may release this object: return at once
            return S_OK;
          }
        }
        return RaiseError(kWordError, L"document already closed");
      }
    }
    return DISP_E_MEMBERNOTFOUND;
  }

 private:
  std::wstring path_;
  Fixture fixture_;
};

Document* ActiveDocument() { return word.open.empty() ? nullptr : word.open.back().get(); }

class Selection final : public DispatchObject {
 public:
  Selection() : DispatchObject(L"Selection", {{L"Information", id::kInformation}}) {}

 protected:
  HRESULT Call(DISPID member, WORD, const std::vector<VARIANT*>& args, VARIANT* result) override {
    if (member != id::kInformation) return DISP_E_MEMBERNOTFOUND;
    LONG type = -1;
    if (!standin::ArgumentLong(args, 0, type) || type != 4) {
      return RaiseError(E_INVALIDARG, L"unknown information");
    }
    Document* doc = ActiveDocument();
    if (!doc) return RaiseError(kWordError, L"no document is open");
    MaybeCrash(doc->fixture(), doc->path(), "pages");
    return doc->Typed("pages", "pagetype", result);
  }
};

class Documents final : public DispatchObject {
 public:
  Documents()
      : DispatchObject(L"Documents",
                       {{L"Open2000", id::kOpen2000}, {L"Open", id::kOpen}, {L"Count", id::kCount}}) {}

 protected:
  HRESULT Call(DISPID member, WORD, const std::vector<VARIANT*>& args, VARIANT* result) override {
    if (member == id::kOpen2000 && standin::HasOption(L"no-open-15")) return DISP_E_MEMBERNOTFOUND;
    if (member == id::kCount) {
      if (result) {
        V_VT(result) = VT_I4;
        V_I4(result) = static_cast<LONG>(word.open.size());
      }
      return S_OK;
    }
    if (member != id::kOpen2000 && member != id::kOpen) return DISP_E_MEMBERNOTFOUND;
    return Open(args, result);
  }

 private:
  HRESULT Open(const std::vector<VARIANT*>& args, VARIANT* result) {
    std::wstring path;
    Fixture fixture;
    if (!standin::ArgumentString(args, 0, path) || !ReadFixture(path, fixture)) {
      return RaiseError(kWordError, L"cannot open " + path);
    }
    bool readOnly = false;
    standin::ArgumentBool(args, 2, readOnly);
    std::string open = Get(fixture, "open");
    MaybeCrash(fixture, path, "open");
    if (open == "fail") return RaiseError(kWordError, L"damaged document");
    if (open.rfind("slow:", 0) == 0) Sleep(static_cast<DWORD>(std::stoul(open.substr(5))));
    if (open == "prompt" && !readOnly) {
      Log(L"prompt shown");
      Sleep(10000);
      return RaiseError(kWordError, L"prompt not answered");
    }
    std::string macro = Get(fixture, "macro");
    if (!macro.empty() && word.automationSecurity != 3) {
      Log(L"macro ran");
      std::ofstream(Widen(macro).c_str()) << "macro ran";
    }
    ComPtr<Document> doc = ComPtr<Document>::Adopt(new Document(path, fixture));
    word.open.push_back(doc.copy());
    std::string busy = Get(fixture, "busy");
    if (!busy.empty()) standin::RejectNextCalls(std::stoi(busy));
    standin::ReturnObject(result, doc.detach());
    return S_OK;
  }
};

class Application final : public DispatchObject {
 public:
  Application()
      : DispatchObject(L"Application", {{L"Visible", id::kVisible},
                                        {L"Documents", id::kDocuments},
                                        {L"DisplayAlerts", id::kDisplayAlerts},
                                        {L"Quit", id::kCloseOrQuit},
                                        {L"AutomationSecurity", id::kAutomationSecurity},
                                        {L"Selection", id::kSelection},
                                        {L"ActiveDocument", id::kActiveDocument}}) {}

 protected:
  HRESULT Call(DISPID member, WORD flags, const std::vector<VARIANT*>& args,
               VARIANT* result) override {
    const bool put = (flags & DISPATCH_PROPERTYPUT) != 0;
    switch (member) {
      case id::kVisible: {
        if (!put) return Long(result, word.visible ? -1 : 0);
        bool visible = true;
        if (!standin::ArgumentBool(args, 0, visible)) return DISP_E_TYPEMISMATCH;
        word.visible = visible;
        return S_OK;
      }
      case id::kDisplayAlerts:
        if (!put) return Long(result, word.alerts);
        return standin::ArgumentLong(args, 0, word.alerts) ? S_OK : DISP_E_TYPEMISMATCH;
      case id::kAutomationSecurity:
        if (!put) return Long(result, word.automationSecurity);
        return standin::ArgumentLong(args, 0, word.automationSecurity) ? S_OK
                                                                       : DISP_E_TYPEMISMATCH;
      case id::kDocuments:
        standin::ReturnObject(result, new Documents());
        return S_OK;
      case id::kSelection:
        standin::ReturnObject(result, new Selection());
        return S_OK;
      case id::kActiveDocument: {
        Document* doc = ActiveDocument();
        if (!doc) return RaiseError(kWordError, L"no document is open");
        doc->AddRef();
        standin::ReturnObject(result, doc);
        return S_OK;
      }
      case id::kCloseOrQuit:
        word.open.clear();
        standin::RequestQuit();
        return S_OK;
    }
    return DISP_E_MEMBERNOTFOUND;
  }

 private:
  static HRESULT Long(VARIANT* result, LONG value) {
    if (result) {
      V_VT(result) = VT_I4;
      V_I4(result) = value;
    }
    return S_OK;
  }
};

}  // namespace
}  // namespace brivanta::testing

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  using namespace brivanta::testing;
  return brivanta::standin::RunLocalServer(kWordStandInClsid,
                                           [] { return new Application(); });
}
