#pragma once
#include <cstddef>
#include <cstdint>

namespace velmok::session {

// Every double-byte character of code page 932 as (Unicode << 16 | Shift-JIS
// code), sorted by Unicode; made by tools/gen-cp932-table.
extern const std::uint32_t kCp932DoubleByte[];
extern const std::size_t kCp932DoubleByteCount;

}  // namespace velmok::session
