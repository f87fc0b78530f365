// Shell services: the Windows Script Host shell object, running programs and opening addresses through it, and
// the user's special folders.
#pragma once

#include <windows.h>
#include <oaidl.h>
#include <wrl/client.h>

#include <string>
#include <string_view>

namespace kv {

using Microsoft::WRL::ComPtr;

// One automation object made at start-up. `Created` tells whether making it succeeded.
class ShellHolder {
public:
    ShellHolder() = default;
    explicit ShellHolder(ComPtr<IDispatch> object) : Created(object != nullptr), object_(std::move(object)) {}

    // From a ProgID such as "WScript.Shell".
    static ShellHolder from_progid(const wchar_t* progid);
    // The class `class_name` of the type library `file`; when the library cannot be loaded or lacks the class,
    // `class_name` is tried as a ProgID.
    static ShellHolder from_type_library(const wchar_t* file, const wchar_t* class_name);

    // Hands out a new reference to the object; returns Created.
    bool get_object(ComPtr<IDispatch>& out) const {
        out = object_;
        return Created;
    }
    void reset() {
        object_.Reset();
        Created = false;
    }

    bool Created = false;

private:
    ComPtr<IDispatch> object_;
};

// Calls a method or sets a property by name; arguments are given in order. False when the call failed.
bool dispatch_call(IDispatch* object, const wchar_t* name, WORD kind, VARIANT* args, unsigned count,
                   VARIANT* result = nullptr);
// The same, with the reason of a failure: the error the method raised, or the failure of the call itself.
HRESULT dispatch_invoke(IDispatch* object, const wchar_t* name, WORD kind, VARIANT* args, unsigned count,
                        VARIANT* result = nullptr);

// Runs `path` with `arguments` through the shell object ("Run", window style 1, no wait). Nothing is run when
// the object was not created (REGDB_E_CLASSNOTREG); otherwise the error "Run" raised, or S_OK once the
// program was started.
HRESULT run_with_shell(const ShellHolder& shell, std::wstring_view path, std::wstring_view arguments);

// Hands `address` to the program registered for its scheme (for web pages the default browser), through a
// fresh shell object and the system's URL handler.
void open_url(std::wstring_view address);

// The folder for a shell special-folder id (0 desktop, 5 documents) with a trailing backslash, or "".
std::wstring special_folder_path(int folder);

}  // namespace kv
