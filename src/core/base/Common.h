// Checks and small conversions of text that every part of the program uses.
#pragma once
#include <cstdint>
#include <string>

namespace velmok::base {

// Shift-JIS (code page 932) lead byte.
inline bool IsSjisLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
// Shift-JIS trail byte.
inline bool IsSjisTrail(unsigned char c) { return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC); }

// 0 when nick may be used, else the number of the error text to show.
int NickCheck(const std::string& nick);

// 0 when name may be used as a channel name, else the number of the error text.
int ChannelCheck(const std::string& name);

// Platform family as the operating system reports it.
enum class PlatformFamily { Windows9x, WindowsNT, Other };

// The operating system's name for the CTCP VERSION reply; empty when unknown.
std::string WindowsVersionName();
std::string WindowsVersionName(PlatformFamily family, unsigned major, unsigned minor);

// Decimal digits of n without leading zeros; 0 gives the empty text.
std::string UnsignedToDecimal(std::uint32_t n);

// The value of a hexadecimal digit in either case; -1 for any other character.
int HexDigitValue(char c);

// The same text with the ASCII letters folded and nothing else: channel and
// nick names, the keys and values of velmok.ini.
bool SameAscii(const std::string& a, const std::string& b);

// True when the Shift-JIS text holds any double-byte character.
bool HasDoubleByte(const std::string& text);

}  // namespace velmok::base
