// Whole-file reads and crash-safe whole-file writes for the settings files.
#pragma once

#include <cstddef>
#include <string>

namespace velmok::config {

// Reads the whole file into out. False (out emptied) when the file is missing,
// is not a regular file or cannot be read.
bool ReadFile(const std::string& path, std::string& out);

// Replaces the file with bytes so that a crash or a full disk leaves either the
// old or the new contents, never a mix: the bytes go to a temporary file in the
// same folder, which is synced and renamed over the old one. On failure the old
// file is untouched, no temporary file is left behind and the result is false.
bool WriteFileAtomically(const std::string& path, const std::string& bytes);

// The folder joined with a file name ("/" added when needed).
std::string JoinPath(const std::string& folder, const std::string& name);

// The longest prefix of the Shift-JIS text of at most maxBytes bytes that does not
// end in the middle of a double-byte character.
std::size_t SjisPrefixLength(const std::string& text, std::size_t maxBytes);

}  // namespace velmok::config
