// How the launcher ends. Whatever ends it (the main window's close box, its close button, the end of the
// Windows session), the same order holds:
//
//   1. the tray icon goes;
//   2. the windows go: the update window, then the main window and with it its browser;
//   3. the update road closes (later news of a download is dropped), then the program objects are released in
//      their fixed order, which stops a running download task and joins its thread;
//   4. the internet handle of the small fetches is closed;
//   5. COM is uninitialised for the user-interface thread.
//
// Step 3 may wait for the task thread because that thread never waits for the user-interface thread: the
// download's notifications only post messages (update/update_road_win.h). A task stopped in step 3 swaps
// nothing; the engine removes its unfinished file and BF2.exe is left as it was.
//
// The close box: WM_CLOSE removes the tray icon and destroys the main window (its destroyed step stores the
// switches); when the last window has gone the message loop ends and finish_program() does the rest. The
// close button: end_program() does it all at once, without the main window's close and destroyed steps. The
// end of the session: the main window is asked to close as by the close box, then the rest follows at once,
// before the system ends the process.
#pragma once

namespace kv {

namespace ui {
class MainWindow;
}

// Platform set-up of the user-interface thread: COM (OLE). Its end is step 5.
void start_com();

// The main window object, owned here so that every way of ending can take it down in its place.
ui::MainWindow& make_main_window();

// Starts listening for the end of the Windows session.
void watch_session_end();

// Steps 2 to 5 after the message loop has ended. Runs once.
void finish_program();

}  // namespace kv
