#pragma once
#include <string>

namespace velmok::dcc {

// Proposed when nothing usable is left of an offered name.
inline constexpr const char* NeutralSaveName = "dcc_received_file";

// The name the save dialog proposes for a file a peer offers (Shift-JIS, as
// converted from the offer). Only the last part after any "/" or "\" is kept
// (a "\" that is the second byte of a double-byte character is part of the
// name), control bytes are dropped, runs of dots become one dot and leading
// dots go, so the name can neither climb out of the chosen folder nor hide.
// Cut to a length every file system takes; empty results become
// NeutralSaveName.
std::string SafeSaveName(const std::string& sjisName);

}  // namespace velmok::dcc
