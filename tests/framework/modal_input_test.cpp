#include "support/modal_input.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include "support/test_window.h"

TEST(ModalInput, PostedInputDrivesAPopupMenuLoop) {
  TTestWindow owner;
  HMENU menu = CreatePopupMenu();
  AppendMenuW(menu, MF_STRING, 101, L"First");
  AppendMenuW(menu, MF_STRING, 102, L"Second");
  SetForegroundWindow(owner.Handle());
  UINT chosen = 0;
  bool ended = RunModalWithInput(
      [&] {
        PostInputFromLoop(
            [&] {
              PostKeyPress(owner.Handle(), VK_DOWN);
              PostKeyPress(owner.Handle(), VK_DOWN);
              PostKeyPress(owner.Handle(), VK_RETURN);
            },
            50);
      },
      [&] { chosen = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY, 120, 120, 0, owner.Handle(), nullptr); });
  DestroyMenu(menu);
  EXPECT_TRUE(ended);
  EXPECT_EQ(102u, chosen);
}

TEST(ModalInput, ALoopThatNeverEndsIsCancelledAndFailsTheTest) {
  bool ended = true;
  bool sawQuit = false;
  EXPECT_NONFATAL_FAILURE(ended = RunModalWithInput(
                              nullptr,
                              [&] {
                                MSG message;
                                while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
                                sawQuit = true;
                              },
                              300),
                          "did not end within 300 ms");
  EXPECT_FALSE(ended);
  EXPECT_TRUE(sawQuit);
  MSG stray;
  EXPECT_FALSE(PeekMessageW(&stray, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
}
