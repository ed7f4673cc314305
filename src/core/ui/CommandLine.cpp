#include "ui/CommandLine.h"

#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace velmok::ui {

namespace {

constexpr std::size_t kMaxConnects = 3;

bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
    }
    return true;
}

// Options that Qt reads itself; each takes a value except -reverse.
bool IsToolkitOption(const std::string& arg, bool& takesValue) {
    static const char* const kWithValue[] = {"-platform",        "-style",         "-display",
                                             "-qwindowgeometry", "-platformtheme", "-stylesheet"};
    takesValue = true;
    for (const char* option : kWithValue) {
        if (arg == option) return true;
    }
    takesValue = false;
    return arg == "-reverse";
}

// A profile number: decimal digits only, 1 to 999.
bool ParseProfileNumber(const std::string& text, int& number) {
    if (text.empty() || text.size() > 3) return false;
    number = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        number = number * 10 + (c - '0');
    }
    return number >= 1;
}

CommandLine Fail(CommandLine line, std::string error) {
    line.What = CommandLine::Action::Error;
    line.Error = std::move(error);
    return line;
}

}  // namespace

bool LooksLikeIrcLink(const std::string& text) {
    return StartsWithNoCase(text, "irc://") || StartsWithNoCase(text, "ircs://");
}

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
    CommandLine line;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.empty() || arg[0] != '-') {
            if (!LooksLikeIrcLink(arg)) return Fail(line, "unexpected argument '" + arg + "'");
            line.Links.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "-h" || arg == "--help") {
            line.What = CommandLine::Action::Help;
            return line;
        }
        if (arg == "--version") {
            line.What = CommandLine::Action::Version;
            return line;
        }
        bool takesValue = false;
        if (IsToolkitOption(arg, takesValue)) {
            line.ToolkitArgs.push_back(arg);
            if (takesValue) {
                if (i + 1 >= args.size()) return Fail(line, "option '" + arg + "' needs a value");
                line.ToolkitArgs.push_back(args[++i]);
            }
            continue;
        }
        // --name VALUE and --name=VALUE.
        const std::size_t equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        if (name != "--config-dir" && name != "--connect") return Fail(line, "unknown option '" + arg + "'");
        std::string value;
        if (equals != std::string::npos) {
            value = arg.substr(equals + 1);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            return Fail(line, "option '" + name + "' needs a value");
        }
        if (name == "--config-dir") {
            if (value.empty()) return Fail(line, "option '--config-dir' needs a folder");
            line.ConfigDir = value;
            continue;
        }
        int number = 0;
        if (!ParseProfileNumber(value, number))
            return Fail(line, "--connect takes a profile number from 1, not '" + value + "'");
        if (line.Connects.size() == kMaxConnects)
            return Fail(line, "--connect may be given at most three times");
        line.Connects.push_back(number);
    }
    return line;
}

std::string ChooseSettingsFolder(const SettingsFolderFacts& facts) {
    if (facts.ExecutableFolderWritable && !facts.InstalledCopy) return facts.ExecutableFolder;
    // A relative XDG_CONFIG_HOME is not to be used: fall back to ~/.config.
    if (!facts.XdgConfigHome.empty() && facts.XdgConfigHome[0] == '/') return facts.XdgConfigHome + "/velmok";
    if (!facts.Home.empty()) return facts.Home + "/.config/velmok";
    return facts.ExecutableFolder;
}

SettingsFolderFacts GatherSettingsFolderFacts(const std::string& exeFolder) {
    namespace fs = std::filesystem;
    SettingsFolderFacts facts;
    facts.ExecutableFolder = exeFolder;
    facts.ExecutableFolderWritable = ::access(exeFolder.c_str(), W_OK) == 0;
    const fs::path folder(exeFolder);
    std::error_code ec;
    facts.InstalledCopy =
        folder.filename() == "bin" && fs::is_directory(folder.parent_path() / "share" / "velmok", ec);
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME")) facts.XdgConfigHome = xdg;
    if (const char* home = std::getenv("HOME")) facts.Home = home;
    return facts;
}

bool EnsureFolder(const std::string& folder, std::string& error) {
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) {
        error = ec.message();
        return false;
    }
    if (!std::filesystem::is_directory(folder, ec)) {
        error = "not a folder";
        return false;
    }
    return true;
}

std::string HelpText(const std::string& settingsFolder) {
    return "Usage: velmok [OPTION]... [LINK]...\n"
           "Velmok 2.2, an IRC client for Japanese users.\n"
           "\n"
           "Options:\n"
           "  --config-dir DIR  the settings folder (velmok.ini, Connections, Events,\n"
           "                    Keywords); created when missing\n"
           "  --connect N       connect profile N at start (1 = the first profile in\n"
           "                    Connections); may be given up to three times\n"
           "  -h, --help        show this help and exit\n"
           "  --version         print the version and exit\n"
           "\n"
           "Links:\n"
           "  irc://HOST[:PORT][/CHANNEL[,KEY]] connects a free server slot with the\n"
           "  nick, away nick, user and real name of the first profile and joins\n"
           "  CHANNEL (\"#\" is added when it has no channel prefix). The port defaults\n"
           "  to 6667. Percent-escapes are decoded; Japanese channel names are read as\n"
           "  UTF-8. ircs:// links connect with TLS (port 6697 unless given).\n"
           "  With no profile yet, the connection editor opens with the host and port\n"
           "  filled in.\n"
           "\n"
           "When Velmok already runs with the same settings folder, the links and\n"
           "--connect requests are handed to it instead of opening a second window.\n"
           "\n"
           "Settings folder without --config-dir: the executable's folder when it is\n"
           "writable and not an installed copy, otherwise $XDG_CONFIG_HOME/velmok\n"
           "(~/.config/velmok when XDG_CONFIG_HOME is unset).\n"
           "This run uses: " +
           settingsFolder + "\n";
}

}  // namespace velmok::ui
