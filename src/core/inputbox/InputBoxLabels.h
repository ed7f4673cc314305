#pragma once
// Field labels of the input box, in Shift-JIS, for every caller that sets it up.

namespace velmok::inputbox {

inline constexpr char kChannelLabel[] = "Channel\x81\x46";  // "Channel："
inline constexpr char kKeyLabel[] = "Key\x81\x46";          // "Key："
inline constexpr char kNickLabel[] = "Nick\x81\x46";        // "Nick："
inline constexpr char kMessageLabel[] = "Message\x81\x46";  // "Message："
inline constexpr char kLimitLabel[] = "Limit\x81\x46";      // "Limit："

}  // namespace velmok::inputbox
