#include "drop/drop_registry.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/text.h"
#include "drop/add_dropped_file.h"
#include "win_test_support.h"

namespace brivanta {
namespace {

using wintest::DropFiles;

struct Call {
  int count, index;
  std::string path, extension;
  bool operator==(const Call& o) const {
    return count == o.count && index == o.index && path == o.path && extension == o.extension;
  }
};
std::vector<Call> g_first, g_second;
intptr_t RecordFirst(int count, int index, const std::string& path, const std::string& ext) {
  g_first.push_back({count, index, path, ext});
  return 77;
}
intptr_t RecordSecond(int count, int index, const std::string& path, const std::string& ext) {
  g_second.push_back({count, index, path, ext});
  return 0;
}

int g_finished = 0;
void WINAPI CountingDragFinish(HDROP drop) {
  ++g_finished;
  DragFinish(drop);
}

// A plain window whose own procedure logs what it receives.
struct Received {
  UINT msg;
  WPARAM wp;
  LPARAM lp;
};
std::vector<Received> g_received;
LRESULT CALLBACK LoggingProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg >= WM_USER || msg == WM_DROPFILES) {
    g_received.push_back({msg, wp, lp});
    return 0x1234;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

class DropRegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSW wc{};
    wc.lpfnWndProc = LoggingProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"DropRegistryTestWindow";
    RegisterClassW(&wc);
    window_ = CreateWindowExW(0, wc.lpszClassName, L"", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                              nullptr, wc.hInstance, nullptr);
    ASSERT_NE(window_, nullptr);
    g_first.clear();
    g_second.clear();
    g_received.clear();
    g_finished = 0;
    DropTargetRegistry::SetDragFinishForTesting(CountingDragFinish);
  }
  void TearDown() override {
    DropTargetRegistry::SetDragFinishForTesting(nullptr);
    registry_.UnregisterWindow(window_);
    DestroyWindow(window_);
  }

  DropTargetRegistry registry_;
  HWND window_ = nullptr;
};

TEST_F(DropRegistryTest, EachDroppedFileReachesTheCallbackInDropOrder) {
  ASSERT_EQ(registry_.RegisterWindow(window_, RecordFirst), 1);
  LRESULT result = DropFiles(window_, {L"C:\\a\\one.doc", L"C:\\a\\two.docx", L"C:\\a\\three.txt"});
  EXPECT_EQ(result, 1);
  std::vector<Call> expected = {{3, 1, "C:\\a\\one.doc", "doc"},
                                {3, 2, "C:\\a\\two.docx", "docx"},
                                {3, 3, "C:\\a\\three.txt", "txt"}};
  EXPECT_EQ(g_first, expected);
  EXPECT_EQ(g_finished, 1);
  EXPECT_TRUE(g_received.empty()) << "the window's own procedure must not see WM_DROPFILES";
}

TEST_F(DropRegistryTest, ExtensionsAsTheyCome) {
  registry_.RegisterWindow(window_, RecordFirst);
  DropFiles(window_, {L"C:\\a.old\\report", L"C:\\a\\report.", L"C:\\a\\archive.tar.gz"});
  ASSERT_EQ(g_first.size(), 3u);
  EXPECT_EQ(g_first[0].extension, "old\\report");
  EXPECT_EQ(g_first[1].extension, "");
  EXPECT_EQ(g_first[2].extension, "gz");
}

TEST_F(DropRegistryTest, LongPathsAndNamesOutsideCodePage936ArriveWhole) {
  std::wstring longPath = L"C:\\" + std::wstring(300, L'd') + L"\\文档.docx";
  std::wstring korean = L"C:\\보고서\\한국어 문서.docx";
  std::wstring emoji = L"C:\\notes\\\U0001F600 smile.doc";
  registry_.RegisterWindow(window_, RecordFirst);
  DropFiles(window_, {longPath, korean, emoji});
  ASSERT_EQ(g_first.size(), 3u);
  EXPECT_EQ(g_first[0].path, Narrow(longPath));
  EXPECT_EQ(g_first[1].path, Narrow(korean));
  EXPECT_EQ(g_first[2].path, Narrow(emoji));
  EXPECT_EQ(g_first[1].extension, "docx");
}

TEST_F(DropRegistryTest, AnsiDropsArriveInTheSystemCodePage) {
  // "C:\\报告.doc" in code page 936, then a plain ASCII path.
  const char names[] = "C:\\\xB1\xA8\xB8\xE6.doc\0C:\\a.txt\0";
  HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + sizeof(names) + 1);
  auto* files = static_cast<DROPFILES*>(GlobalLock(mem));
  files->pFiles = sizeof(DROPFILES);
  memcpy(files + 1, names, sizeof(names));
  GlobalUnlock(mem);
  registry_.RegisterWindow(window_, RecordFirst);
  EXPECT_EQ(SendMessageW(window_, WM_DROPFILES, reinterpret_cast<WPARAM>(mem), 0), 1);
  std::vector<Call> expected = {{2, 1, "C:\\报告.doc", "doc"}, {2, 2, "C:\\a.txt", "txt"}};
  if (GetACP() == 936) EXPECT_EQ(g_first, expected);
  EXPECT_EQ(g_first.size(), 2u);
  EXPECT_EQ(g_finished, 1);
}

TEST_F(DropRegistryTest, RegisteringTwiceKeepsTheFirstCallback) {
  EXPECT_EQ(registry_.RegisterWindow(window_, RecordFirst), 1);
  EXPECT_EQ(registry_.RegisterWindow(window_, RecordSecond), 0);
  DropFiles(window_, {L"C:\\x.doc"});
  EXPECT_EQ(g_first.size(), 1u);
  EXPECT_TRUE(g_second.empty());

  // A copy of the registry sees the same entries.
  DropTargetRegistry copy(registry_);
  EXPECT_EQ(copy.RegisterWindow(window_, RecordSecond), 0);
}

TEST_F(DropRegistryTest, UnregisterRestoresStyleProcedureAndProperties) {
  LONG_PTR styleBefore = GetWindowLongPtrW(window_, GWL_EXSTYLE);
  LONG_PTR procBefore = GetWindowLongPtrW(window_, GWLP_WNDPROC);
  EXPECT_EQ(registry_.UnregisterWindow(window_), 0) << "never registered";

  ASSERT_EQ(registry_.RegisterWindow(window_, RecordFirst), 1);
  EXPECT_TRUE(GetWindowLongPtrW(window_, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
  EXPECT_EQ(GetWindowLongPtrW(window_, GWLP_WNDPROC),
            reinterpret_cast<LONG_PTR>(&DropTargetRegistry::DropWindowProc));
  EXPECT_EQ(reinterpret_cast<LONG_PTR>(GetPropW(window_, L"NewWindowsProc")), procBefore);
  EXPECT_EQ(reinterpret_cast<DropCallback>(GetPropW(window_, L"Subaddress")), &RecordFirst);

  EXPECT_EQ(registry_.UnregisterWindow(window_), 1);
  EXPECT_EQ(GetWindowLongPtrW(window_, GWL_EXSTYLE), styleBefore);
  EXPECT_EQ(GetWindowLongPtrW(window_, GWLP_WNDPROC), procBefore);
  EXPECT_EQ(GetPropW(window_, L"NewWindowsProc"), nullptr);
  EXPECT_EQ(GetPropW(window_, L"Subaddress"), nullptr);
  EXPECT_EQ(registry_.UnregisterWindow(window_), 0);

  // Drops go back to the window's own procedure, and registering again works.
  DropFiles(window_, {L"C:\\x.doc"});
  EXPECT_TRUE(g_first.empty());
  ASSERT_EQ(g_received.size(), 1u);
  EXPECT_EQ(registry_.RegisterWindow(window_, RecordSecond), 1);
  DropFiles(window_, {L"C:\\y.doc"});
  ASSERT_EQ(g_second.size(), 1u);
  EXPECT_EQ(g_second[0].path, "C:\\y.doc");
}

TEST_F(DropRegistryTest, OtherMessagesPassThroughUnchanged) {
  registry_.RegisterWindow(window_, RecordFirst);
  LRESULT r = SendMessageW(window_, WM_USER + 5, 0xABCD, 0x1357);
  EXPECT_EQ(r, 0x1234);
  ASSERT_EQ(g_received.size(), 1u);
  EXPECT_EQ(g_received[0].msg, static_cast<UINT>(WM_USER + 5));
  EXPECT_EQ(g_received[0].wp, 0xABCDu);
  EXPECT_EQ(g_received[0].lp, 0x1357);
  EXPECT_TRUE(g_first.empty());
}

TEST(MainWindowDrops, DroppedFilesBecomeRowsInAscendingPathOrder) {
  DropTargetRegistry registry;
  wintest::MainWindowFixture f(&registry);
  HWND hwnd = f.window().hwnd();
  EXPECT_TRUE(GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);

  EXPECT_EQ(DropFiles(hwnd, {L"D:\\docs\\b.doc", L"C:\\z.doc", L"d:\\docs\\A.doc"}), 1);
  EXPECT_EQ(DropFiles(hwnd, {L"C:\\报告\\一.docx", L"C:\\m.doc"}), 1);
  wintest::DrainMessages();
  const char* expected[] = {"C:\\m.doc", "C:\\z.doc", "C:\\报告\\一.docx", "d:\\docs\\A.doc", "D:\\docs\\b.doc"};
  ASSERT_EQ(f.list().RowCount(), 5);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(f.list().CellText(i, 0), expected[i]) << i;
    EXPECT_EQ(f.list().CellText(i, 1), "");
    EXPECT_EQ(f.list().CellText(i, 2), "");
  }
  // Redrawing was suspended for the drop only.
  EXPECT_TRUE(IsWindowVisible(f.window().Control(kIdList)));
  EXPECT_FALSE(f.list().RedrawSuspended());
}

TEST(MainWindowDrops, ClosingTheWindowUnregistersIt) {
  DropTargetRegistry registry;
  HWND hwnd;
  {
    wintest::MainWindowFixture f(&registry);
    hwnd = f.window().hwnd();
    // Registered by the window itself: a second registration is refused.
    EXPECT_EQ(registry.RegisterWindow(hwnd, RecordFirst), 0);
  }
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_EQ(registry.UnregisterWindow(hwnd), 0) << "the entry went with the window";
}

}  // namespace
}  // namespace brivanta
