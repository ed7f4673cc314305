// Reading and writing the settings: "velmok.ini" (scalars, fonts, window state),
// "Keywords", "Connections" (the profile text) and "Events" (event triggers),
// all kept in the settings folder. Text in every file is Shift-JIS with CR LF
// line ends.
#pragma once

#include <string>
#include <vector>

#include "config/Iniaccess.h"
#include "config/Settings.h"

namespace velmok::config {

inline constexpr const char* IniFileName = "velmok.ini";
inline constexpr const char* KeywordsFileName = "Keywords";
inline constexpr const char* ConnectionsFileName = "Connections";
inline constexpr const char* EventsFileName = "Events";

// Fills the settings and the keyword list (from "Keywords" in settingsFolder;
// a missing file leaves the list empty). Missing keys take their defaults;
// Interval outside 0..1000 becomes 500, MaxReply outside 1..20 becomes 10 and
// MaxLines outside its range the default.
// The log folder defaults to settingsFolder without a trailing separator; the
// file keeps it in Shift-JIS, settings.LogPath holds the file system's name.
void LoadSettings(const IniFile& ini, Settings& settings, const std::string& settingsFolder);

// Writes every key of LoadSettings in the same order and flushes the INI file;
// "Keywords" is replaced only when the list holds at least one keyword. A failed
// write of one file does not keep the other from being written. False when a
// write failed; failedPath (when given) then names the first file that failed.
bool SaveSettings(IniFile& ini, const Settings& settings, const std::string& settingsFolder,
                  std::string* failedPath = nullptr);

// [Connection] and [Certificates], which files of older versions lack: written
// after [Window], so the sections those versions wrote keep their places, and
// only once they hold something other than the defaults (reconnection off, an
// accepted certificate) or are in the file already. Flushes the INI file;
// false when the write failed.
bool SaveConnectionSettings(IniFile& ini, const Settings& settings);

// Whether the log folder (the file system's name, UTF-8) can be kept in
// velmok.ini, which holds it in Shift-JIS: every character must come back as
// itself. The settings folder always can (the empty value stands for it), as
// can the empty folder. A folder that cannot is refused when it is chosen.
bool LogFolderStorable(const std::string& folder, const std::string& settingsFolder);

// The eight keys of a font section. Styles read as true are added to the font's
// styles; none is ever removed.
void ReadFont(const IniFile& ini, const std::string& section, FontSetting& font, Colour defaultColour,
              bool defaultBold, bool defaultUnderline);
void WriteFont(IniFile& ini, const std::string& section, const FontSetting& font);

// What the program writes when it closes, in this order: the settings (INI and
// "Keywords"), the window state, the event triggers. Every file is attempted;
// the result names each file that could not be written, once, in order. An
// INI file that could not be read is such a file: it is left as it is.
std::vector<std::string> SaveAtExit(IniFile& ini, const Settings& settings, const WindowState& window,
                                    const std::string& settingsFolder);

// [Window]: Top, Left, Height and Width default to the values already in state.
void LoadWindowState(const IniFile& ini, WindowState& state);
// Writes [Window] and flushes the INI file; false when the write failed.
bool SaveWindowState(IniFile& ini, const WindowState& state);

// Replaces the profile text with the valid profiles of "Connections" (eight lines
// each). An incomplete last profile and profiles failing ProfileCheck or
// AutoJoinCheck are dropped. A missing file gives no profiles.
void LoadProfiles(const std::string& folder, Settings& settings);
// Writes the profile text to "Connections"; false when it could not be written
// (the old file is then kept).
bool SaveProfiles(const std::string& folder, const Settings& settings);

// Appends the triggers of "Events" (nine lines each) to the trigger list. A record
// cut short by the end of the file is kept with the fields read so far.
void LoadEvents(const std::string& folder, Settings& settings);
bool SaveEvents(const std::string& folder, const Settings& settings);

// One line of a list file as it is read: its text, however long (older
// versions cut lines into pieces of 253 bytes, which lost the fields after a
// long auto-join line), and whether a line end (CR LF or LF) followed it.
struct ListLine {
    std::string Text;
    bool Ended = false;
};
std::vector<ListLine> SplitListLines(const std::string& bytes);

}  // namespace velmok::config
