#pragma once
#include <cstddef>
#include <cstdint>

namespace velmok::base {

// Every double-byte character of code page 932 as (Unicode << 16 | Shift-JIS
// code), sorted by Unicode; made by tools/gen-cp932-table.
extern const std::uint32_t kCp932DoubleByte[];
extern const std::size_t kCp932DoubleByteCount;

// Every double-byte code code page 932 decodes, as (Shift-JIS code << 16 |
// Unicode), sorted by code; made by the same tool.
extern const std::uint32_t kCp932Decode[];
extern const std::size_t kCp932DecodeCount;

}  // namespace velmok::base
