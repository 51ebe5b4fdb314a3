// The export through the system's own Save dialog (Wine's): the test finds the dialog
// from a thread timer while it is modal, types a name into it and presses Save, as a
// user would.
#include "export/export_command.h"

#include <windows.h>
#include <ole2.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/text.h"
#include "export/export_run.h"
#include "export_test_support.h"
#include "standin_client.h"

namespace brivanta::testing {
namespace {

std::wstring ClassName(HWND hwnd) {
  wchar_t name[64] = {};
  GetClassNameW(hwnd, name, 64);
  return name;
}

std::wstring Text(HWND hwnd) {
  int n = GetWindowTextLengthW(hwnd);
  std::wstring text(static_cast<size_t>(n) + 1, L'\0');
  n = GetWindowTextW(hwnd, text.data(), n + 1);
  text.resize(static_cast<size_t>(n));
  return text;
}

// Plays the user at the dialogs of this thread.
struct User {
  std::wstring typeName;       // what to type into the file name box
  MainWindow* window = nullptr;
  // What was seen.
  int saveDialogs = 0;
  int overwritePrompts = 0;
  std::wstring initialName;    // the file name box's text as the dialog opened
  std::string statusWhileShown;
  std::wstring filterShown;    // the file type box's selected entry
  HWND handled = nullptr;
  int ticks = 0;
};
User* user = nullptr;

BOOL CALLBACK KeepVisibleDialog(HWND hwnd, LPARAM out) {
  if (IsWindowVisible(hwnd) && ClassName(hwnd) == L"#32770") {
    *reinterpret_cast<HWND*>(out) = hwnd;
    return FALSE;
  }
  return TRUE;
}

HWND FindVisibleDialog() {
  HWND found = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), KeepVisibleDialog, reinterpret_cast<LPARAM>(&found));
  return found;
}

// The dialog's file name box: the edit of the file name combo box (cmb13), or the
// plain edit (edt1) of dialogs that have no combo.
HWND FileNameEdit(HWND dialog) {
  HWND combo = GetDlgItem(dialog, 0x47C);
  if (combo) {
    HWND edit = FindWindowExW(combo, nullptr, L"Edit", nullptr);
    return edit ? edit : combo;
  }
  return GetDlgItem(dialog, 0x480);
}

void CALLBACK Drive(HWND, UINT, UINT_PTR, DWORD) {
  if (!user) return;
  HWND dialog = FindVisibleDialog();
  if (!dialog || dialog == user->handled) return;
  if (HWND yes = GetDlgItem(dialog, IDYES)) {  // "already exists; replace it?"
    ++user->overwritePrompts;
    user->handled = dialog;
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED), reinterpret_cast<LPARAM>(yes));
    return;
  }
  HWND edit = FileNameEdit(dialog);
  if (!edit) {
    if (++user->ticks > 200) PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);  // not ours: give up
    return;
  }
  ++user->saveDialogs;
  user->handled = dialog;
  user->initialName = Text(edit);
  user->statusWhileShown = user->window->Status();
  HWND types = GetDlgItem(dialog, 0x470);  // cmb1, the file type box
  if (types) {
    LRESULT i = SendMessageW(types, CB_GETCURSEL, 0, 0);
    LRESULT n = i >= 0 ? SendMessageW(types, CB_GETLBTEXTLEN, i, 0) : -1;
    if (n >= 0) {
      std::wstring text(static_cast<size_t>(n) + 1, L'\0');
      SendMessageW(types, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data()));
      user->filterShown = text.c_str();
    }
  }
  SetWindowTextW(edit, user->typeName.c_str());
  HWND ok = GetDlgItem(dialog, IDOK);
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(ok));
}

class ExportDialogTest : public ExportFixture {
 protected:
  void SetUp() override {
    ExportFixture::SetUp();
    UseSystemDialog();
    user_.window = window_.get();
    user = &user_;
  }
  void TearDown() override {
    user = nullptr;
    ExportFixture::TearDown();
  }
  // One export with the user at the dialog.
  void ExportAsUser(const std::wstring& typed) {
    user_ = User{};
    user_.window = window_.get();
    user_.typeName = typed;
    UINT_PTR timer = SetTimer(nullptr, 0, 50, Drive);
    Export();
    KillTimer(nullptr, timer);
  }
  User user_;
};

TEST_F(ExportDialogTest, TheTypedNameGetsTheDefaultExtensionAndTheNextExportStartsWithIt) {
  AddRow("C:\\d\\a.docx", "3", "300");
  ExportAsUser(folder_ + L"typed");
  EXPECT_EQ(user_.saveDialogs, 1);
  EXPECT_EQ(user_.initialName, L"");
  EXPECT_EQ(user_.statusWhileShown, kExportingText);
  EXPECT_EQ(user_.filterShown, L"EXCEL文件");
  SavedWorkbook book = ReadWorkbook(folder_ + L"typed.xls");
  ASSERT_TRUE(book.exists);
  EXPECT_EQ(book.fileFormat, "56");
  EXPECT_EQ(book.cells.size(), 6u);
  EXPECT_EQ(window_->Status(), kExportedText);

  // The next export opens with the chosen name.
  ASSERT_TRUE(standin::WaitUntilGone(L"excel_standin.exe", 15000));
  ExportAsUser(folder_ + L"second.xls");
  EXPECT_EQ(user_.saveDialogs, 1);
  EXPECT_THAT(Narrow(user_.initialName), ::testing::EndsWith("typed.xls"));
  EXPECT_TRUE(ReadWorkbook(folder_ + L"second.xls").exists);
}

TEST_F(ExportDialogTest, ChoosingAnExistingFileAsksBeforeItIsReplaced) {
  const std::wstring existing = folder_ + L"existing.xls";
  ASSERT_TRUE(standin::WriteTextFile(existing, "old content"));
  AddRow("C:\\d\\a.docx");
  ExportAsUser(existing);
  EXPECT_EQ(user_.saveDialogs, 1);
  EXPECT_EQ(user_.overwritePrompts, 1);
  EXPECT_EQ(ReadWorkbook(existing).cells.size(), 6u);
  EXPECT_EQ(window_->Status(), kExportedText);
}

}  // namespace
}  // namespace brivanta::testing
