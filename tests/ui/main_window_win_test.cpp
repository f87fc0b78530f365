// The main window made in this process (with the launcher's resources linked in): the echo line, the pointers
// over its controls, the class's own resources, and the resolution shown on a first start.
#include <windows.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include <memory>

#include "platform/paths.h"
#include "support/lib/temp_dir.h"
#include "ui/main_window_win.h"

namespace kv::ui {
namespace {

class MainWindowInProcess : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
        set_launcher_dir(dir_.path());
    }
    void TearDown() override {
        window_.reset();
        // The last launcher window going posts WM_QUIT; it must not end a later test's loop.
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
        set_launcher_dir({});
        OleUninitialize();
    }

    MainWindow& open() {
        window_ = std::make_unique<MainWindow>();
        EXPECT_TRUE(window_->create());
        return *window_;
    }

    // The pointer a control puts up when the system asks it, as it does when the pointer moves over it.
    static HCURSOR pointer_over(HWND control) {
        SetCursor(nullptr);
        SendMessageW(control, WM_SETCURSOR, reinterpret_cast<WPARAM>(control),
                     MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        return GetCursor();
    }

    static HCURSOR class_cursor(HWND window) {
        return reinterpret_cast<HCURSOR>(GetClassLongPtrW(window, GCLP_HCURSOR));
    }

    test::TempDir dir_;
    std::unique_ptr<MainWindow> window_;
};

TEST_F(MainWindowInProcess, EchoLineIsReadOnlyEnabledAndTakesNoFocus) {
    MainWindow& w = open();
    HWND echo = w.control(kEchoEdit);
    ASSERT_NE(echo, nullptr);
    // A disabled edit box draws grey whatever colour it is given; a read-only one draws white on blue.
    EXPECT_TRUE(IsWindowEnabled(echo));
    const LONG_PTR style = GetWindowLongPtrW(echo, GWL_STYLE);
    EXPECT_TRUE(style & ES_READONLY);
    EXPECT_FALSE(style & WS_TABSTOP);

    w.show_centred();
    SetFocus(w.control(kWidthEdit));
    SendMessageW(echo, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    SendMessageW(echo, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    EXPECT_EQ(GetFocus(), w.control(kWidthEdit)) << "a click on the echo line took the focus";

    // Its colours reach the system when it asks, as for a read-only box.
    HDC dc = GetDC(echo);
    SendMessageW(w.hwnd(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(echo));
    EXPECT_EQ(GetTextColor(dc), RGB(255, 255, 255));
    EXPECT_EQ(GetBkColor(dc), RGB(28, 70, 227));
    ReleaseDC(echo, dc);
}

TEST_F(MainWindowInProcess, PointersAreSetPerControlAndTheWindowsOwnArrowShowsOverLabels) {
    MainWindow& w = open();
    const HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
    const HCURSOR hand = LoadCursorW(nullptr, IDC_HAND);
    const HCURSOR own = class_cursor(w.hwnd());
    ASSERT_NE(own, nullptr);
    ASSERT_NE(own, arrow) << "the launcher's own arrow is not in the class";

    for (int box : {kWindowedCheck, kIntroCheck}) {
        EXPECT_EQ(pointer_over(w.control(box)), hand) << box;
        // The hand belongs to these boxes, not to their class: every other button keeps the arrow.
        EXPECT_EQ(class_cursor(w.control(box)), arrow) << box;
    }
    HWND other =
        CreateWindowExW(0, L"BUTTON", L"x", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(class_cursor(other), arrow) << "the hand leaked to the button class";
    DestroyWindow(other);

    for (int id : {kStartButton, kHomeButton, kHideButton, kVersionLabel})
        EXPECT_EQ(pointer_over(w.control(id)), hand) << id;
    for (int id : {kTitleStrip, kTitleText, kTipLabel, kResolutionCaption, kSiteTitle, kHostLabel, kEchoEdit,
                   kClockEdit})
        EXPECT_EQ(pointer_over(w.control(id)), own) << id;
    EXPECT_EQ(pointer_over(w.hwnd()), own);
    // The resolution boxes take typing and keep their text pointer.
    EXPECT_NE(pointer_over(w.control(kWidthEdit)), own);
}

TEST_F(MainWindowInProcess, TheClassPointerOutlivesTheFirstWindow) {
    open();
    window_.reset();
    MainWindow& second = open();
    const HCURSOR own = class_cursor(second.hwnd());
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(own, &info)) << "the class points at a destroyed cursor";
    if (info.hbmMask) DeleteObject(info.hbmMask);
    if (info.hbmColor) DeleteObject(info.hbmColor);
}

TEST_F(MainWindowInProcess, FirstStartShowsTheDisplayModeInPixels) {
    MainWindow& w = open();
    DEVMODEW mode{};
    mode.dmSize = sizeof mode;
    ASSERT_TRUE(EnumDisplaySettingsW(nullptr, ENUM_CURRENT_SETTINGS, &mode));
    EXPECT_EQ(w.text(kWidthEdit), std::to_wstring(mode.dmPelsWidth));
    EXPECT_EQ(w.text(kHeightEdit), std::to_wstring(mode.dmPelsHeight));
}

}  // namespace
}  // namespace kv::ui
