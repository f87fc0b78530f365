// A move-only owner of a kernel handle (file, mutex, process). Both "no handle" values of the API, null and
// INVALID_HANDLE_VALUE, mean empty.
#pragma once

#include <windows.h>

#include <utility>

namespace kv {

class OwnedHandle {
  public:
    OwnedHandle() = default;
    explicit OwnedHandle(HANDLE h) : h_(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
    OwnedHandle(OwnedHandle&& o) noexcept : h_(std::exchange(o.h_, nullptr)) {}
    OwnedHandle& operator=(OwnedHandle&& o) noexcept {
        if (this != &o) reset(std::exchange(o.h_, nullptr));
        return *this;
    }
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;
    ~OwnedHandle() { reset(); }

    void reset(HANDLE h = nullptr) {
        if (h_) CloseHandle(h_);
        h_ = h == INVALID_HANDLE_VALUE ? nullptr : h;
    }
    HANDLE get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }

  private:
    HANDLE h_ = nullptr;
};

}  // namespace kv
