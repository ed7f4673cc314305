// The command line of the program and the choice of the settings folder. Both
// are decided before any window exists, so that --help, --version and a wrong
// option work without a display.
#pragma once

#include <string>
#include <vector>

namespace velmok::ui {

struct CommandLine {
    enum class Action { Run, Help, Version, Error };
    Action What = Action::Run;
    // For Action::Error: what was wrong, one line without the program name.
    std::string Error;
    // --config-dir, empty when not given.
    std::string ConfigDir;
    // --connect numbers (1-based), in the order given; at most three.
    std::vector<int> Connects;
    // irc:// and ircs:// links, as given.
    std::vector<std::string> Links;
    // Options for the toolkit itself (-platform, -style, ...), passed on unchanged.
    std::vector<std::string> ToolkitArgs;
};

// Reads the arguments after the program name.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

// Whether the text is an irc:// or ircs:// link (scheme in any case).
bool LooksLikeIrcLink(const std::string& text);

// What decides where the settings live when --config-dir is not given.
struct SettingsFolderFacts {
    std::string ExecutableFolder;
    bool ExecutableFolderWritable = true;
    // The executable sits in PREFIX/bin beside PREFIX/share/velmok, as an
    // install lays it out.
    bool InstalledCopy = false;
    std::string XdgConfigHome;  // empty when unset
    std::string Home;           // empty when unset
};

// The executable's folder when it is writable and not an installed copy;
// otherwise $XDG_CONFIG_HOME/velmok, or ~/.config/velmok when that variable is
// unset or not an absolute path. Without a home either, the executable's folder.
std::string ChooseSettingsFolder(const SettingsFolderFacts& facts);

// The facts for an executable in exeFolder, from the environment and the disk.
SettingsFolderFacts GatherSettingsFolderFacts(const std::string& exeFolder);

// Creates the folder and its parents when missing; false with a reason otherwise.
bool EnsureFolder(const std::string& folder, std::string& error);

// The --help text; settingsFolder is the folder this run would use.
std::string HelpText(const std::string& settingsFolder);

}  // namespace velmok::ui
