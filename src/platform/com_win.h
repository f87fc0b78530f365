// Owners for the COM value types passed to automation objects and browser events: a BSTR and a VARIANT that
// free themselves.
#pragma once

#include <oleauto.h>

#include <string_view>

namespace kv {

class Bstr {
public:
    explicit Bstr(std::wstring_view text) : s_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
    // A null text makes a null BSTR, which COM reads as empty.
    explicit Bstr(const wchar_t* text) : s_(text ? SysAllocString(text) : nullptr) {}
    ~Bstr() { SysFreeString(s_); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    // Null when the allocation failed.
    BSTR get() const { return s_; }

private:
    BSTR s_;
};

struct Variant {
    VARIANT v;
    Variant() { VariantInit(&v); }
    ~Variant() { VariantClear(&v); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
};

}  // namespace kv
