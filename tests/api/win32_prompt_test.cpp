// The keyboard-entropy dialog (resource 101 of Tessalib.dll) driven for real:
// a second thread finds it, checks its controls, types keys, moves and
// clicks the mouse by posting messages, reads the progress bar up to the
// target and presses OK. Windows only. The test run says whether a display
// is there: TESSALIB_TEST_DIALOG=display (the dialog must appear) or none
// (it cannot be created, and the call returns without a prompt); unset, the
// cases are skipped.
#include <gtest/gtest.h>

#if defined(_WIN32)
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "tessalib.h"

namespace {

std::string dialog_expectation() {
    const char* v = std::getenv("TESSALIB_TEST_DIALOG");
    return v != nullptr ? v : "";
}

// What the driving thread saw.
struct Seen {
    bool found = false;
    std::string caption, text;
    bool ok_enabled_before = true, ok_enabled_after = false, click_me_hidden = false;
    int progress_max = -1, progress_final = -1;
};

HWND find_dialog(const char* caption, int ms) {
    for (int waited = 0; waited < ms; waited += 50) {
        HWND h = FindWindowA(nullptr, caption);
        if (h != nullptr) return h;
        Sleep(50);
    }
    return nullptr;
}

void post_key(HWND target, UINT msg, UINT scan) {
    PostMessageA(target, msg, 0x41, static_cast<LPARAM>((scan & 0xFF) << 16 | 1));
}

void drive(Seen* seen, const char* caption, const char* prompt) {
    HWND dlg = find_dialog(caption, 15000);
    if (dlg == nullptr) return;
    seen->found = true;
    char buf[512];
    GetWindowTextA(dlg, buf, sizeof buf);
    seen->caption = buf;
    GetDlgItemTextA(dlg, 1001, buf, sizeof buf);
    seen->text = buf;
    seen->ok_enabled_before = IsWindowEnabled(GetDlgItem(dlg, 1)) != 0;
    HWND progress = GetDlgItem(dlg, 1000);
    seen->progress_max = static_cast<int>(SendMessageA(progress, PBM_GETRANGE, FALSE, 0));
    (void)prompt;
    // Key-downs with new scan codes 110 ms apart, mouse moves to new points
    // and clicks, then key-ups (0.75 bits each) until the target.
    HWND target = GetDlgItem(dlg, 2);
    for (UINT i = 0; i < 6; ++i) {
        post_key(target, WM_KEYDOWN, 0x10 + i);
        PostMessageA(dlg, WM_MOUSEMOVE, 0, MAKELPARAM(10 + 7 * i, 20 + 3 * i));
        PostMessageA(dlg, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10 + 7 * i, 20 + 3 * i));
        PostMessageA(dlg, WM_LBUTTONUP, 0, MAKELPARAM(10 + 7 * i, 20 + 3 * i));
        Sleep(110);
    }
    for (int i = 0; i < 200; ++i) {
        post_key(target, WM_KEYUP, 0x20 + (i % 40));
        if (i % 20 == 19) Sleep(20);
        if (SendMessageA(progress, PBM_GETPOS, 0, 0) >= 128) break;
    }
    for (int waited = 0; waited < 5000 && SendMessageA(progress, PBM_GETPOS, 0, 0) < 128; waited += 50) Sleep(50);
    seen->progress_final = static_cast<int>(SendMessageA(progress, PBM_GETPOS, 0, 0));
    for (int waited = 0; waited < 2000 && !IsWindowEnabled(GetDlgItem(dlg, 1)); waited += 50) Sleep(50);
    seen->ok_enabled_after = IsWindowEnabled(GetDlgItem(dlg, 1)) != 0;
    seen->click_me_hidden = IsWindowVisible(GetDlgItem(dlg, 2)) == 0;
    PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(1, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dlg, 1)));
}

}  // namespace

TEST(WindowsPrompt, TheDialogIsDrivenToItsTargetAndClosedWithOk) {
    const std::string expect = dialog_expectation();
    if (expect.empty()) GTEST_SKIP() << "TESSALIB_TEST_DIALOG not set";
    Seen seen;
    std::thread driver(drive, &seen, "128 bits", "Type and move the mouse");
    unsigned char out[32];
    std::memset(out, 0, sizeof out);
    const int32_t rc = RNG_BytesWithPrompt(out, sizeof out, "Type and move the mouse", RNG_STRENGTH_128);
    driver.join();
    EXPECT_EQ(rc, 0);
    if (expect == "none") {
        EXPECT_FALSE(seen.found) << "a dialog appeared without a display";
        return;
    }
    ASSERT_TRUE(seen.found) << "the dialog did not appear";
    EXPECT_EQ(seen.caption, "128 bits");
    EXPECT_EQ(seen.text, "Type and move the mouse");
    EXPECT_FALSE(seen.ok_enabled_before);
    EXPECT_EQ(seen.progress_max, 128);
    EXPECT_EQ(seen.progress_final, 128);
    EXPECT_TRUE(seen.ok_enabled_after);
    EXPECT_TRUE(seen.click_me_hidden);
}

TEST(WindowsPrompt, AQuitMessageTakenByTheDialogIsPostedAgain) {
    if (dialog_expectation() != "display") GTEST_SKIP() << "needs a display";
    const DWORD me = GetCurrentThreadId();
    std::thread quitter([me] {
        if (find_dialog("112 bits", 15000) != nullptr) PostThreadMessageA(me, WM_QUIT, 7, 0);
    });
    char hex[17];
    EXPECT_EQ(RNG_HexWithPrompt(hex, 16, 8, nullptr, 0), 0);
    quitter.join();
    EXPECT_EQ(std::strlen(hex), 16u);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 7u);
}

#endif
