// One move-only owner for the system handles of the platform layer (files, sockets, listeners). The handle is
// kept as an integer so that portable headers need no system header; `Traits` says which value is no handle
// and how one is closed (defined in the platform's own file):
//   struct Traits { using Value = std::intptr_t; static constexpr Value kInvalid = -1;
//                   static void close(Value) noexcept; };
#pragma once

#include <utility>

namespace kv {

template <class Traits>
class UniqueHandle {
public:
    using Value = typename Traits::Value;
    static constexpr Value kInvalid = Traits::kInvalid;

    UniqueHandle() = default;
    explicit UniqueHandle(Value value) : value_(value) {}
    ~UniqueHandle() { reset(); }
    UniqueHandle(UniqueHandle&& other) noexcept : value_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    Value get() const { return value_; }
    bool valid() const { return value_ != kInvalid; }
    explicit operator bool() const { return valid(); }

    // Gives the handle up without closing it.
    Value release() { return std::exchange(value_, kInvalid); }
    // Closes the handle held (if any) and takes `value`.
    void reset(Value value = kInvalid) {
        const Value old = std::exchange(value_, value);
        if (old != kInvalid) Traits::close(old);
    }

private:
    Value value_ = kInvalid;
};

}  // namespace kv
