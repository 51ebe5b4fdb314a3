#include "export_test_support.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <sstream>

#include "common/text.h"
#include "excel_standin.h"
#include "export/export_command.h"
#include "export/save_dialog.h"
#include "standin_client.h"

namespace brivanta::testing {

void PrintTo(const SavedCell& c, std::ostream* os) {
  *os << c.address << "|" << c.format << "|" << c.type << "|" << c.text;
}

const SavedCell* SavedWorkbook::Find(const std::string& address) const {
  for (const SavedCell& c : cells) {
    if (c.address == address) return &c;
  }
  return nullptr;
}

SavedWorkbook ReadWorkbook(const std::wstring& path) {
  SavedWorkbook book;
  std::ifstream in(path.c_str(), std::ios::binary);
  if (!in) return book;
  book.exists = true;
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("fileformat=", 0) == 0) {
      book.fileFormat = line.substr(11);
      continue;
    }
    SavedCell cell;
    std::istringstream fields(line);
    std::getline(fields, cell.address, '\t');
    std::getline(fields, cell.format, '\t');
    std::getline(fields, cell.type, '\t');
    std::getline(fields, cell.text);
    book.cells.push_back(cell);
  }
  return book;
}

PostedAction::PostedAction(std::function<void()> action) : action_(std::move(action)) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = Proc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"BrivantaExportTestAction";
  RegisterClassW(&wc);
  hwnd_ = CreateWindowW(wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance,
                        nullptr);
  SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  PostMessageW(hwnd_, WM_APP, 0, 0);
}

PostedAction::~PostedAction() { DestroyWindow(hwnd_); }

LRESULT CALLBACK PostedAction::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = reinterpret_cast<PostedAction*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (msg == WM_APP && self) {
    ++self->runs_;
    self->action_();
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

void ExportFixture::SetUp() {
  ASSERT_TRUE(standin::RegisterServer(kExcelStandInClsid, kExcelProgId,
                                      standin::ExeFolder() + kExcelStandInExe));
  folder_ = standin::MakeTempFolder(L"brivanta-export-");
  log_ = folder_ + L"excel.log";
  out_ = folder_ + L"out.xls";
  answer_ = out_;
  SetOptions(L"");
  FileDialog::SetShowFunction([this](OPENFILENAMEW& ofn) {
    DialogShowing s;
    s.owner = ofn.hwndOwner;
    s.flags = ofn.Flags;
    for (const wchar_t* p = ofn.lpstrFilter; p && *p; p += wcslen(p) + 1) s.filter.push_back(p);
    s.filterIndex = ofn.nFilterIndex;
    s.defaultExtension = ofn.lpstrDefExt ? ofn.lpstrDefExt : L"";
    s.hasTitle = ofn.lpstrTitle != nullptr;
    s.hasInitialFolder = ofn.lpstrInitialDir != nullptr;
    s.initialName = ofn.lpstrFile;
    s.capacity = ofn.nMaxFile;
    s.statusWhileShown = window_->Status();
    showings_.push_back(s);
    if (!answer_ || answer_->size() + 1 > ofn.nMaxFile) return false;
    std::copy(answer_->begin(), answer_->end(), ofn.lpstrFile);
    ofn.lpstrFile[answer_->size()] = L'\0';
    return true;
  });
  window_ = std::make_unique<MainWindow>(nullptr);
  ASSERT_TRUE(window_->Create(GetModuleHandleW(nullptr), SW_SHOWNOACTIVATE));
}

void ExportFixture::TearDown() {
  FileDialog::SetShowFunction({});
  window_.reset();
  MSG m;
  while (PeekMessageW(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
  // No Excel may outlive an export, whatever happened in it.
  EXPECT_TRUE(standin::WaitUntilGone(kExcelStandInExe, 15000)) << "a stand-in Excel is left";
  standin::EndProcesses(kExcelStandInExe);
  EXPECT_EQ(LogCount("prompt shown"), 0) << "Excel waited on a prompt nobody sees";
  // The Save dialog may have made the folder the current one.
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  SetCurrentDirectoryW(temp);
  std::error_code ignored;
  std::filesystem::remove_all(std::filesystem::path(folder_), ignored);
}

void ExportFixture::SetOptions(const std::wstring& options) {
  ASSERT_TRUE(standin::WriteSettings(kExcelStandInClsid, log_, options));
}

void ExportFixture::UseSystemDialog() { FileDialog::SetShowFunction({}); }

int ExportFixture::AddRow(const std::string& path, const std::string& pages,
                          const std::string& words) {
  int row = window_->List().AddRow(path);
  window_->List().SetCellText(row, 1, pages);
  window_->List().SetCellText(row, 2, words);
  return row;
}

// Through the button, as a user exports.
void ExportFixture::Export() {
  SendMessageW(window_->hwnd(), WM_COMMAND, MAKEWPARAM(kIdExport, BN_CLICKED),
               reinterpret_cast<LPARAM>(window_->Control(kIdExport)));
}

std::vector<std::string> ExportFixture::Log() const {
  std::vector<std::string> lines = standin::ReadLog(log_);
  for (auto& line : lines) {
    if (line.rfind("start pid=", 0) == 0) line = "start";
  }
  return lines;
}

int ExportFixture::LogCount(const std::string& line) const {
  auto lines = Log();
  return static_cast<int>(std::count(lines.begin(), lines.end(), line));
}

int ExportFixture::LogCountPrefix(const std::string& prefix) const {
  auto lines = Log();
  return static_cast<int>(std::count_if(lines.begin(), lines.end(), [&](const std::string& l) {
    return l.rfind(prefix, 0) == 0;
  }));
}

int ExportFixture::LogIndex(const std::string& prefix) const {
  auto lines = Log();
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].rfind(prefix, 0) == 0) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace brivanta::testing
