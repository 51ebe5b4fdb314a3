// Entry point of the tests that drive COM: OLE is initialised on the test thread,
// as the program does on its user-interface thread.
#include <windows.h>
#include <ole2.h>

#include <gmock/gmock.h>

int main(int argc, char** argv) {
  OleInitialize(nullptr);
  ::testing::InitGoogleMock(&argc, argv);
  int result = RUN_ALL_TESTS();
  OleUninitialize();
  return result;
}
