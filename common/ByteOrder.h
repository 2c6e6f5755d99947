// Little- and big-endian integer loads and stores for byte layouts.
//
// The pointer forms expect the caller to have checked the bounds; the span
// forms check them and report a short buffer as false.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace common {

inline std::uint16_t LoadLE16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t LoadLE32(const std::uint8_t* p) {
  return std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) |
         (std::uint32_t{p[3]} << 24);
}
inline std::uint64_t LoadLE64(const std::uint8_t* p) {
  return std::uint64_t{LoadLE32(p)} | (std::uint64_t{LoadLE32(p + 4)} << 32);
}
inline std::uint16_t LoadBE16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>((p[0] << 8) | p[1]);
}
inline std::uint32_t LoadBE32(const std::uint8_t* p) {
  return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
         std::uint32_t{p[3]};
}

inline void StoreLE16(std::uint8_t* p, std::uint16_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}
inline void StoreLE32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
inline void StoreLE64(std::uint8_t* p, std::uint64_t v) {
  for (int i = 0; i < 8; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
inline void StoreBE16(std::uint8_t* p, std::uint16_t v) {
  p[0] = static_cast<std::uint8_t>(v >> 8);
  p[1] = static_cast<std::uint8_t>(v);
}
inline void StoreBE32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
}

// True when `size` bytes from `offset` lie inside a buffer of `length` bytes,
// without overflowing.
constexpr bool Fits(std::size_t length, std::size_t offset, std::size_t size) {
  return offset <= length && size <= length - offset;
}

// Checked loads: false (and `out` untouched) when the field would run past the end.
inline bool ReadLE16(std::span<const std::uint8_t> b, std::size_t at, std::uint16_t& out) {
  if (!Fits(b.size(), at, 2)) return false;
  out = LoadLE16(b.data() + at);
  return true;
}
inline bool ReadLE32(std::span<const std::uint8_t> b, std::size_t at, std::uint32_t& out) {
  if (!Fits(b.size(), at, 4)) return false;
  out = LoadLE32(b.data() + at);
  return true;
}
inline bool ReadBE16(std::span<const std::uint8_t> b, std::size_t at, std::uint16_t& out) {
  if (!Fits(b.size(), at, 2)) return false;
  out = LoadBE16(b.data() + at);
  return true;
}
inline bool ReadBE32(std::span<const std::uint8_t> b, std::size_t at, std::uint32_t& out) {
  if (!Fits(b.size(), at, 4)) return false;
  out = LoadBE32(b.data() + at);
  return true;
}

}  // namespace common
