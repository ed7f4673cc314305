#pragma once

namespace velmok::base {

// Category fonts of the settings, in the order the settings file keeps them.
// The engine names one with every line it shows.
enum class FontKind { Nicklist, Input, URL, Private, Notice, CTCP, Command, Server, Error, DCC, Keyword };
constexpr int FontKindCount = 11;

}  // namespace velmok::base
