// Just enough P-256 arithmetic to tell whether a public key's point lies on the curve, at compile time as
// well as at run time: numbers modulo the field prime p, with a plain double-and-add multiplication (speed
// does not matter for one check of one key).
#pragma once

#include <array>
#include <cstdint>

namespace kv::p256 {

// 256-bit numbers, least significant 32-bit limb first.
using U256 = std::array<std::uint32_t, 8>;

// From 32 big-endian bytes.
constexpr U256 from_bytes(const std::uint8_t* b) {
    U256 r{};
    for (int i = 0; i < 8; ++i) {
        const std::uint8_t* w = b + 4 * (7 - i);
        r[i] = std::uint32_t{w[0]} << 24 | std::uint32_t{w[1]} << 16 | std::uint32_t{w[2]} << 8 | w[3];
    }
    return r;
}

constexpr bool less(const U256& a, const U256& b) {
    for (int i = 7; i >= 0; --i) {
        if (a[i] != b[i]) return a[i] < b[i];
    }
    return false;
}

// a += b; returns the carry out.
constexpr std::uint32_t add_in(U256& a, const U256& b) {
    std::uint64_t carry = 0;
    for (int i = 0; i < 8; ++i) {
        carry += std::uint64_t{a[i]} + b[i];
        a[i] = static_cast<std::uint32_t>(carry);
        carry >>= 32;
    }
    return static_cast<std::uint32_t>(carry);
}

// a -= b; returns the borrow out.
constexpr std::uint32_t sub_in(U256& a, const U256& b) {
    std::uint64_t borrow = 0;
    for (int i = 0; i < 8; ++i) {
        const std::uint64_t d = std::uint64_t{a[i]} - b[i] - borrow;
        a[i] = static_cast<std::uint32_t>(d);
        borrow = (d >> 32) & 1;
    }
    return static_cast<std::uint32_t>(borrow);
}

// The operations below take numbers already reduced (less than m).
constexpr U256 add_mod(U256 a, const U256& b, const U256& m) {
    // A carry means the true sum passed 2^256 > m; the wrapped subtraction then gives the right result.
    if (add_in(a, b) || !less(a, m)) sub_in(a, m);
    return a;
}

constexpr U256 sub_mod(U256 a, const U256& b, const U256& m) {
    if (sub_in(a, b)) add_in(a, m);
    return a;
}

constexpr U256 mul_mod(const U256& a, const U256& b, const U256& m) {
    U256 r{};
    for (int bit = 255; bit >= 0; --bit) {
        r = add_mod(r, r, m);
        if ((b[bit / 32] >> (bit % 32)) & 1) r = add_mod(r, a, m);
    }
    return r;
}

// The field prime p = 2^256 - 2^224 + 2^192 + 2^96 - 1 and the curve's b (y^2 = x^3 - 3x + b).
inline constexpr U256 kP = {0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0x00000000,
                            0x00000000, 0x00000000, 0x00000001, 0xFFFFFFFF};
inline constexpr U256 kB = {0x27D2604B, 0x3BCE3C3E, 0xCC53B0F6, 0x651D06B0,
                            0x769886BC, 0xB3EBBD55, 0xAA3A93E7, 0x5AC635D8};

// Whether (x, y), given as 32 + 32 big-endian bytes, is a point of the curve.
constexpr bool on_curve(const std::uint8_t* xy) {
    const U256 x = from_bytes(xy);
    const U256 y = from_bytes(xy + 32);
    if (!less(x, kP) || !less(y, kP)) return false;
    const U256 lhs = mul_mod(y, y, kP);
    const U256 x3 = mul_mod(mul_mod(x, x, kP), x, kP);
    const U256 three_x = add_mod(add_mod(x, x, kP), x, kP);
    return lhs == add_mod(sub_mod(x3, three_x, kP), kB, kP);
}

}  // namespace kv::p256
