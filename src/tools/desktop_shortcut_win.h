// The desktop shortcut to the launcher, made through the shell link component of the `ShortcutShell` object.
#pragma once

#include <string>

#include "platform/shell_win.h"

namespace kv::tools {

// Makes the shortcut file `shortcut` to `target`. An existing file there is removed first. Stops when the
// shell object was not created, when "CreateShortcut" yields no object or when "TargetPath" cannot be set;
// the other properties are written whatever becomes of each. True when "Save" succeeded and the file is
// there.
bool create_desktop_shortcut(const ShellHolder& shell, const std::wstring& shortcut,
                             const std::wstring& target);

// The main window's `H2`: the shortcut "Korvalen.lnk" on the user's desktop to the running executable, then a
// message that tells whether it is there.
void make_desktop_shortcut();

}  // namespace kv::tools
