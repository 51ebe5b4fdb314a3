#include "export/excel_session.h"

#include <cwchar>
#include <vector>

#include "common/text.h"

namespace brivanta {
namespace {

constexpr wchar_t kExcelProgId[] = L"Excel.Application";

std::vector<Variant> One(Variant value) {
  std::vector<Variant> args;
  args.push_back(std::move(value));
  return args;
}

}  // namespace

ExcelSession::~ExcelSession() { QuitExcel(); }

bool ExcelSession::Succeeded(const InvokeResult& result, const wchar_t* what) {
  if (result.ok()) return true;
  if (IsServerGone(result.hr) || IsServerGone(result.error())) gone_ = true;
  wchar_t code[16];
  std::swprintf(code, 16, L"0x%08lX", static_cast<unsigned long>(result.error()));
  lastError_ = std::wstring(what) + L": " + code;
  if (!result.exceptionDescription.empty()) lastError_ += L" " + result.exceptionDescription;
  OutputDebugStringW((L"Brivanta export: " + lastError_ + L"\n").c_str());
  return false;
}

ComPtr<IDispatch> ExcelSession::Fetch(IDispatch* from, DISPID id, std::vector<Variant>& args,
                                          const wchar_t* what) {
  InvokeResult result = Invoke(from, id, InvokeKind::kRead, args);
  if (!Succeeded(result, what)) return nullptr;
  ComPtr<IDispatch> object = result.value.ToDispatch();
  if (!object) lastError_ = std::wstring(what) + L": no object";
  return object;
}

bool ExcelSession::StartExcel() {
  ReleaseWorkbook();
  excelProgram_.reset();  // a previous application is let go of
  gone_ = false;
  lastError_.clear();
  HRESULT hr = CreateInstance(kExcelProgId, excelProgram_);
  if (FAILED(hr)) {
    InvokeResult failed;
    failed.hr = hr;
    Succeeded(failed, L"StartExcel");
    excelProgram_.reset();
    return false;
  }
  return true;
}

bool ExcelSession::SuppressAlerts() {
  if (!Usable(excelProgram_)) return false;
  std::vector<Variant> args = One(Variant::Bool(false));
  return Succeeded(
      Invoke(excelProgram_.get(), excel_dispid::kDisplayAlerts, InvokeKind::kPut, args),
      L"DisplayAlerts");
}

bool ExcelSession::CreateWorkbook() {
  ReleaseWorkbook();
  if (!Usable(excelProgram_)) return false;
  std::vector<Variant> none;
  workbooks_ = Fetch(excelProgram_.get(), excel_dispid::kWorkbooks, none, L"Workbooks");
  if (!workbooks_) return false;
  // The new workbook becomes the active one; the object Add returns is not kept.
  std::vector<Variant> add = One(Variant::Missing());
  if (!Succeeded(Invoke(workbooks_.get(), excel_dispid::kAdd, InvokeKind::kMethod, add),
                 L"Workbooks.Add")) {
    return false;
  }
  application_ =
      Fetch(excelProgram_.get(), excel_dispid::kApplication, none, L"Application");
  if (!application_) return false;
  sheets_ = Fetch(application_.get(), excel_dispid::kSheets, none, L"Sheets");
  if (!sheets_) return false;
  std::vector<Variant> first = One(Variant::Long(1));
  sheet_ = Fetch(sheets_.get(), excel_dispid::kItem, first, L"Sheets.Item");
  return static_cast<bool>(sheet_);
}

bool ExcelSession::SelectSheet(int index) {
  if (!Usable(sheets_)) return false;
  std::vector<Variant> args = One(Variant::Long(index));
  sheet_ = Fetch(sheets_.get(), excel_dispid::kItem, args, L"Sheets.Item");
  return static_cast<bool>(sheet_);
}

bool ExcelSession::SelectRange(const std::string& first, const std::string& last) {
  range_.reset();
  if (!Usable(sheet_)) return false;
  std::vector<Variant> args;
  args.push_back(Variant::String(Widen(first)));
  args.push_back(Variant::String(Widen(last)));
  range_ = Fetch(sheet_.get(), excel_dispid::kRange, args, L"Range");
  return static_cast<bool>(range_);
}

bool ExcelSession::PutString(DISPID id, const std::string& text, const wchar_t* what) {
  if (!Usable(range_)) return false;
  std::vector<Variant> args = One(Variant::String(Widen(text)));
  return Succeeded(Invoke(range_.get(), id, InvokeKind::kPut, args), what);
}

bool ExcelSession::SetNumberFormat(const std::string& format) {
  return PutString(excel_dispid::kNumberFormatLocal, format, L"NumberFormatLocal");
}

bool ExcelSession::SetValue(const std::string& text) {
  return PutString(excel_dispid::kValue, text, L"Value");
}

std::optional<std::string> ExcelSession::Version() {
  if (!Usable(excelProgram_)) return std::nullopt;
  InvokeResult result = InvokeByName(excelProgram_.get(), L"Version", InvokeKind::kGet);
  if (!Succeeded(result, L"Version")) return std::nullopt;
  std::wstring text;
  if (!result.value.ToString(text)) return std::nullopt;
  return Narrow(text);
}

bool ExcelSession::SaveWorksheetAs(const std::string& path, std::optional<int> fileFormat) {
  if (!Usable(sheet_) || !application_) return false;
  std::vector<Variant> args;
  args.push_back(Variant::String(Widen(path)));
  args.push_back(fileFormat ? Variant::Long(*fileFormat) : Variant::Missing());
  while (args.size() < kSaveAsArgumentCount) args.push_back(Variant::Missing());
  return Succeeded(Invoke(sheet_.get(), excel_dispid::kSaveAs, InvokeKind::kMethod, args),
                   L"SaveAs");
}

void ExcelSession::ReleaseWorkbook() {
  range_.reset();
  sheet_.reset();
  sheets_.reset();
  application_.reset();
  workbooks_.reset();
}

void ExcelSession::QuitExcel() {
  ReleaseWorkbook();
  ComPtr<IDispatch> program = std::move(excelProgram_);
  if (!Usable(program)) return;
  Succeeded(Invoke(program.get(), excel_dispid::kQuit, InvokeKind::kMethod), L"Quit");
}

}  // namespace brivanta
