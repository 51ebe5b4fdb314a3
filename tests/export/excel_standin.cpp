// The stand-in Excel: see excel_standin.h for what it records and what it can be told.
#include "excel_standin.h"

#include <cwctype>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "common/com.h"
#include "common/text.h"
#include "standin_server.h"

namespace brivanta::testing {
namespace {

using standin::DispatchObject;
using standin::Log;

namespace id {
constexpr DISPID kWorkbooks = 0x23C;
constexpr DISPID kAdd = 0xB5;
constexpr DISPID kApplication = 0x94;
constexpr DISPID kSheets = 0x1E5;
constexpr DISPID kItem = 0xAA;
constexpr DISPID kCount = 0x76;
constexpr DISPID kRange = 0xC5;
constexpr DISPID kNumberFormatLocal = 0x449;
constexpr DISPID kValue = 6;
constexpr DISPID kSaveAs = 0x11C;
constexpr DISPID kQuit = 0x12E;
constexpr DISPID kDisplayAlerts = 0x157;
constexpr DISPID kVersion = 0x188;
}  // namespace id

constexpr HRESULT kExcelError = static_cast<HRESULT>(0x800A03EC);

// The value of an "Options" word `key=value`; empty when absent.
std::wstring OptionValue(const std::wstring& key) {
  std::wistringstream in(standin::Options());
  std::wstring token;
  while (in >> token) {
    if (token.rfind(key + L"=", 0) == 0) return token.substr(key.size() + 1);
  }
  return {};
}

struct Cell {
  std::wstring format = L"General";
  std::wstring type = L"empty";
  std::wstring text;
};

// Row, then column, both from 1.
using Address = std::pair<int, int>;

bool ParseAddress(const std::wstring& name, Address& out) {
  size_t i = 0;
  int column = 0;
  while (i < name.size() && std::iswalpha(name[i]) && i < 3) {
    column = column * 26 + (std::towupper(name[i]) - L'A' + 1);
    ++i;
  }
  if (column == 0 || i == name.size()) return false;
  int row = 0;
  for (; i < name.size(); ++i) {
    if (!std::iswdigit(name[i]) || row > 1048576) return false;
    row = row * 10 + (name[i] - L'0');
  }
  if (row < 1) return false;
  out = {row, column};
  return true;
}

std::wstring AddressText(const Address& a) {
  std::wstring letters;
  for (int c = a.second; c > 0; c = (c - 1) / 26) {
    letters.insert(letters.begin(), static_cast<wchar_t>(L'A' + (c - 1) % 26));
  }
  return letters + std::to_wstring(a.first);
}

bool ReadsAsNumber(const std::wstring& text) {
  if (text.empty()) return false;
  wchar_t* end = nullptr;
  std::wcstod(text.c_str(), &end);
  return end && *end == L'\0';
}

struct ExcelState {
  bool alerts = true;
  bool unsaved = false;  // a workbook was added and never saved
} excel;

class Worksheet final : public DispatchObject {
 public:
  Worksheet() : DispatchObject(L"Worksheet", {{L"Range", id::kRange}, {L"SaveAs", id::kSaveAs}}) {}

  Cell& At(const Address& a) { return cells_[a]; }

 protected:
  HRESULT Call(DISPID member, WORD, const std::vector<VARIANT*>& args, VARIANT* result) override;

 private:
  HRESULT SaveAs(const std::vector<VARIANT*>& args) {
    std::wstring path;
    if (!standin::ArgumentString(args, 0, path) || path.empty()) {
      return RaiseError(kExcelError, L"no file name");
    }
    if (OptionValue(L"saveas") == L"fail") return RaiseError(kExcelError, L"cannot save " + path);
    if (excel.alerts && GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
      Log(L"prompt shown");
      return RaiseError(kExcelError, L"replace not confirmed");
    }
    std::wstring format = L"missing";
    LONG value = 0;
    if (args.size() > 1 && standin::ArgumentLong(args, 1, value)) format = std::to_wstring(value);

    std::wstring content = L"fileformat=" + format + L"\n";
    for (const auto& [address, cell] : cells_) {
      content += AddressText(address) + L"\t" + cell.format + L"\t" + cell.type + L"\t" +
                 cell.text + L"\n";
    }
    std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
    out << Narrow(content);
    if (!out) return RaiseError(kExcelError, L"cannot write " + path);
    excel.unsaved = false;
    return S_OK;
  }

  std::map<Address, Cell> cells_;
};

class Range final : public DispatchObject {
 public:
  Range(ComPtr<Worksheet> sheet, Address address)
      : DispatchObject(L"Range", {{L"NumberFormatLocal", id::kNumberFormatLocal},
                                  {L"Value", id::kValue}}),
        sheet_(std::move(sheet)),
        address_(address) {}

 protected:
  HRESULT Call(DISPID member, WORD flags, const std::vector<VARIANT*>& args,
               VARIANT* result) override {
    Cell& cell = sheet_->At(address_);
    const bool put = (flags & DISPATCH_PROPERTYPUT) != 0;
    std::wstring text;
    switch (member) {
      case id::kNumberFormatLocal:
        if (!put) return String(result, cell.format);
        if (!standin::ArgumentString(args, 0, text)) return DISP_E_TYPEMISMATCH;
        cell.format = text;
        return S_OK;
      case id::kValue:
        if (!put) return String(result, cell.text);
        if (args.empty()) return DISP_E_BADPARAMCOUNT;
        if (V_VT(args.back()) == VT_BSTR) {
          cell.text = V_BSTR(args.back()) ? V_BSTR(args.back()) : L"";
          cell.type = cell.format != L"@" && ReadsAsNumber(cell.text) ? L"number" : L"string";
        } else if (standin::ArgumentString(args, args.size() - 1, text)) {
          cell.text = text;
          cell.type = L"number";
        } else {
          return DISP_E_TYPEMISMATCH;
        }
        return S_OK;
    }
    return DISP_E_MEMBERNOTFOUND;
  }

 private:
  static HRESULT String(VARIANT* result, const std::wstring& text) {
    if (result) {
      V_VT(result) = VT_BSTR;
      V_BSTR(result) = SysAllocString(text.c_str());
    }
    return S_OK;
  }

  ComPtr<Worksheet> sheet_;
  Address address_;
};

HRESULT Worksheet::Call(DISPID member, WORD, const std::vector<VARIANT*>& args, VARIANT* result) {
  switch (member) {
    case id::kRange: {
      std::wstring first, last;
      Address a, b;
      if (!standin::ArgumentString(args, 0, first) || !ParseAddress(first, a)) {
        return RaiseError(kExcelError, L"bad range " + first);
      }
      if (standin::ArgumentString(args, 1, last) && (!ParseAddress(last, b) || a != b)) {
        return RaiseError(kExcelError, L"only single cells: " + first + L":" + last);
      }
      AddRef();
      standin::ReturnObject(result, new Range(ComPtr<Worksheet>::Adopt(this), a));
      return S_OK;
    }
    case id::kSaveAs:
      return SaveAs(args);
  }
  return DISP_E_MEMBERNOTFOUND;
}

class Workbook final : public DispatchObject {
 public:
  Workbook() : DispatchObject(L"Workbook", {}) {
    sheet_ = ComPtr<Worksheet>::Adopt(new Worksheet());
  }
  Worksheet* sheet() const { return sheet_.get(); }

 protected:
  HRESULT Call(DISPID, WORD, const std::vector<VARIANT*>&, VARIANT*) override {
    return DISP_E_MEMBERNOTFOUND;
  }

 private:
  ComPtr<Worksheet> sheet_;
};

std::vector<ComPtr<Workbook>> workbooks;  // the active one is the last

class Sheets final : public DispatchObject {
 public:
  explicit Sheets(ComPtr<Workbook> book)
      : DispatchObject(L"Sheets", {{L"Item", id::kItem}, {L"Count", id::kCount}}),
        book_(std::move(book)) {}

 protected:
  HRESULT Call(DISPID member, WORD, const std::vector<VARIANT*>& args, VARIANT* result) override {
    if (member == id::kCount) {
      if (result) {
        V_VT(result) = VT_I4;
        V_I4(result) = 1;
      }
      return S_OK;
    }
    if (member != id::kItem) return DISP_E_MEMBERNOTFOUND;
    LONG index = 0;
    if (!standin::ArgumentLong(args, 0, index) || index != 1) {
      return RaiseError(static_cast<HRESULT>(0x8002000B), L"no such sheet");
    }
    book_->sheet()->AddRef();
    standin::ReturnObject(result, book_->sheet());
    return S_OK;
  }

 private:
  ComPtr<Workbook> book_;
};

class Workbooks final : public DispatchObject {
 public:
  Workbooks() : DispatchObject(L"Workbooks", {{L"Add", id::kAdd}, {L"Count", id::kCount}}) {}

 protected:
  HRESULT Call(DISPID member, WORD, const std::vector<VARIANT*>&, VARIANT* result) override {
    if (member == id::kCount) {
      if (result) {
        V_VT(result) = VT_I4;
        V_I4(result) = static_cast<LONG>(workbooks.size());
      }
      return S_OK;
    }
    if (member != id::kAdd) return DISP_E_MEMBERNOTFOUND;
    ComPtr<Workbook> book = ComPtr<Workbook>::Adopt(new Workbook());
    workbooks.push_back(book.copy());
    excel.unsaved = true;
    std::wstring busy = OptionValue(L"busy");
    if (!busy.empty()) standin::RejectNextCalls(std::stoi(busy));
    standin::ReturnObject(result, book.detach());
    return S_OK;
  }
};

class Application final : public DispatchObject {
 public:
  Application()
      : DispatchObject(L"Application", {{L"Workbooks", id::kWorkbooks},
                                        {L"Application", id::kApplication},
                                        {L"Sheets", id::kSheets},
                                        {L"Quit", id::kQuit},
                                        {L"DisplayAlerts", id::kDisplayAlerts},
                                        {L"Version", id::kVersion}}) {}

 protected:
  HRESULT Call(DISPID member, WORD flags, const std::vector<VARIANT*>& args,
               VARIANT* result) override {
    const bool put = (flags & DISPATCH_PROPERTYPUT) != 0;
    switch (member) {
      case id::kWorkbooks:
        standin::ReturnObject(result, new Workbooks());
        return S_OK;
      case id::kApplication:
        AddRef();
        standin::ReturnObject(result, this);
        return S_OK;
      case id::kSheets:
        if (workbooks.empty()) return RaiseError(kExcelError, L"no active workbook");
        standin::ReturnObject(result, new Sheets(workbooks.back().copy()));
        return S_OK;
      case id::kDisplayAlerts: {
        if (!put) {
          if (result) {
            V_VT(result) = VT_BOOL;
            V_BOOL(result) = excel.alerts ? VARIANT_TRUE : VARIANT_FALSE;
          }
          return S_OK;
        }
        bool alerts = true;
        if (!standin::ArgumentBool(args, 0, alerts)) return DISP_E_TYPEMISMATCH;
        excel.alerts = alerts;
        return S_OK;
      }
      case id::kVersion: {
        std::wstring version = OptionValue(L"version");
        if (result) {
          V_VT(result) = VT_BSTR;
          V_BSTR(result) = SysAllocString(version.empty() ? L"16.0" : version.c_str());
        }
        return S_OK;
      }
      case id::kQuit:
        if (excel.alerts && excel.unsaved) Log(L"prompt shown");
        workbooks.clear();
        standin::RequestQuit();
        return S_OK;
    }
    return DISP_E_MEMBERNOTFOUND;
  }
};

}  // namespace
}  // namespace brivanta::testing

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  using namespace brivanta::testing;
  return brivanta::standin::RunLocalServer(kExcelStandInClsid, [] { return new Application(); });
}
