#include "app/program_end_win.h"

#include <ole2.h>
#include <windows.h>

#include <cstdlib>
#include <memory>

#include "app/launcher_state_win.h"
#include "platform/http_fetch.h"
#include "ui/main_window_win.h"
#include "update/update_road_win.h"

namespace kv {
namespace {

bool com_started = false;  // user-interface thread only, as everything here

std::unique_ptr<ui::MainWindow>& main_window() {
    static std::unique_ptr<ui::MainWindow> w;
    return w;
}

// Step 2. The main window object goes without its close and destroyed steps: where those belong, they have
// run.
void end_windows() {
    close_update_windows();
    main_window().reset();
}

void end_sequence() {
    static bool done = false;
    if (done) return;
    done = true;
    end_windows();
    close_update_road();
    release_program_objects();
    close_http_session();
    if (com_started) OleUninitialize();
    com_started = false;
}

// A hidden top-level window: only those hear the end of the session.
class SessionWatch : public ui::Window {
  public:
    bool create() {
        register_class(L"KvSessionWatch", nullptr);
        return Window::create(0, L"KvSessionWatch", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr) != nullptr;
    }

  protected:
    LRESULT handle(UINT msg, WPARAM wp, LPARAM lp) override {
        if (msg == WM_QUERYENDSESSION) return TRUE;
        if (msg == WM_ENDSESSION && wp) {
            // The process may be ended as soon as this returns: everything happens now.
            if (auto& w = main_window(); w && w->hwnd()) SendMessageW(w->hwnd(), WM_CLOSE, 0, 0);
            end_sequence();
            std::exit(0);
        }
        return default_handle(msg, wp, lp);
    }
};

}  // namespace

void start_com() {
    com_started = SUCCEEDED(OleInitialize(nullptr));
}

ui::MainWindow& make_main_window() {
    main_window() = std::make_unique<ui::MainWindow>();
    return *main_window();
}

void watch_session_end() {
    static SessionWatch watch;
    if (!watch.hwnd()) watch.create();
}

void finish_program() {
    end_sequence();
}

void end_program(int code) {
    // The caller has removed the tray icon (step 1).
    if (auto& w = main_window()) w->tray().remove();
    end_sequence();
    std::exit(code);
}

}  // namespace kv
