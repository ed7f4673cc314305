#include "config/SettingsStore.h"

#include <algorithm>

#include "base/Cp932.h"
#include "config/FileIo.h"

namespace velmok::config {

using base::FontKind;

namespace {

std::string WithoutTrailingSeparator(std::string folder) {
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder;
}

// "Keywords": one keyword per line, empty lines included; CR LF, LF or CR ends a
// line and a last line without a line end counts too.
std::vector<std::string> SplitKeywords(const std::string& bytes) {
    std::vector<std::string> lines;
    std::size_t i = 0;
    while (i < bytes.size()) {
        std::size_t end = bytes.find_first_of("\r\n", i);
        if (end == std::string::npos) {
            lines.push_back(bytes.substr(i));
            break;
        }
        lines.push_back(bytes.substr(i, end - i));
        i = end + ((bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n') ? 2 : 1);
    }
    return lines;
}

bool SaveKeywords(const std::string& path, const std::vector<std::string>& keywords) {
    std::string bytes;
    for (const std::string& k : keywords) bytes += k + "\r\n";
    return WriteFileAtomically(path, bytes);
}

}  // namespace

bool LogFolderStorable(const std::string& folder, const std::string& settingsFolder) {
    std::string sjis;
    return folder.empty() || WithoutTrailingSeparator(folder) == WithoutTrailingSeparator(settingsFolder) ||
           base::Utf8ToSjisExactly(folder, sjis);
}

void ReadFont(const IniFile& ini, const std::string& section, FontSetting& font, Colour defaultColour,
              bool defaultBold, bool defaultUnderline) {
    const FontSetting plain;
    font.Name = ini.ReadString(section, "Name", plain.Name);
    font.Size = ini.ReadInteger(section, "Size", plain.Size);
    font.Color = ini.ReadInteger(section, "Color", defaultColour);
    font.Charset = ini.ReadInteger(section, "Charset", plain.Charset);
    if (ini.ReadBool(section, "fsBold", defaultBold)) font.Bold = true;
    if (ini.ReadBool(section, "fsItalic", false)) font.Italic = true;
    if (ini.ReadBool(section, "fsUnderline", defaultUnderline)) font.Underline = true;
    if (ini.ReadBool(section, "fsStrikeOut", false)) font.StrikeOut = true;
}

void WriteFont(IniFile& ini, const std::string& section, const FontSetting& font) {
    ini.WriteString(section, "Name", font.Name);
    ini.WriteInteger(section, "Size", font.Size);
    ini.WriteInteger(section, "Color", font.Color);
    ini.WriteInteger(section, "Charset", font.Charset);
    ini.WriteBool(section, "fsBold", font.Bold);
    ini.WriteBool(section, "fsItalic", font.Italic);
    ini.WriteBool(section, "fsUnderline", font.Underline);
    ini.WriteBool(section, "fsStrikeOut", font.StrikeOut);
}

void LoadSettings(const IniFile& ini, Settings& s, const std::string& settingsFolder) {
    s.Bgcolor = ini.ReadInteger("Bgcolor", "Bgcolor", 0);
    for (int i = 0; i < base::FontKindCount; ++i) {
        const FontSetting defaults = DefaultFont(static_cast<FontKind>(i));
        // Styles are only ever added while reading, so start from a font without any.
        FontSetting& font = s.Fonts[i];
        font = FontSetting{};
        ReadFont(ini, FontSectionNames[i], font, defaults.Color, defaults.Bold, defaults.Underline);
    }

    s.Server_Position = ini.ReadInteger("Tab", "Server_Position", 0);
    s.Server_MultiLine = ini.ReadBool("Tab", "Server_MultiLine", true);
    s.Channel_Position = ini.ReadInteger("Tab", "Channel_Position", 0);
    s.Channel_MultiLine = ini.ReadBool("Tab", "Channel_MultiLine", true);
    s.Private_Check = ini.ReadBool("Tab", "Private_Check", true);
    s.Notice_Check = ini.ReadBool("Tab", "Notice_Check", true);
    s.CTCP_Check = ini.ReadBool("Tab", "CTCP_Check", true);
    s.Command_Check = ini.ReadBool("Tab", "Command_Check", true);
    s.Server_Check = ini.ReadBool("Tab", "Server_Check", true);
    s.Error_Check = ini.ReadBool("Tab", "Error_Check", true);

    s.AwayMessage = ini.ReadString("Message", "AWAY", "");
    s.KickMessage = ini.ReadString("Message", "KICK", "");
    s.PartMessage = ini.ReadString("Message", "PART", "");
    s.QuitMessage = ini.ReadString("Message", "QUIT", "");

    s.ReplyClientInfo = ini.ReadBool("CTCP_Reply", "CLIENTINFO", true);
    s.ReplyFinger = ini.ReadBool("CTCP_Reply", "FINGER", false);
    s.ReplyPing = ini.ReadBool("CTCP_Reply", "PING", true);
    s.ReplyTime = ini.ReadBool("CTCP_Reply", "TIME", true);
    s.ReplyUserInfo = ini.ReadBool("CTCP_Reply", "USERINFO", false);
    s.ReplyVersion = ini.ReadBool("CTCP_Reply", "VERSION", true);
    s.UserInfoMessage = ini.ReadString("CTCP_Reply", "USERINFO_Message", "");

    s.DccChat = ini.ReadBool("DCC_Reply", "CHAT", true);
    s.DccSend = ini.ReadBool("DCC_Reply", "SEND", true);

    s.Interval = ini.ReadInteger("Defence", "Interval", 500);
    if (s.Interval < 0 || s.Interval > 1000) s.Interval = 500;
    s.MaxReply = ini.ReadInteger("Defence", "MaxReply", 10);
    if (s.MaxReply < 1 || s.MaxReply > 20) s.MaxReply = 10;
    s.DefencePriv = ini.ReadBool("Defence", "Priv", true);
    s.DefenceInvite = ini.ReadBool("Defence", "Invite", true);
    s.DefenceWhois = ini.ReadBool("Defence", "Whois", false);

    s.Keywords.clear();
    std::string keywordBytes;
    if (ReadFile(JoinPath(settingsFolder, KeywordsFileName), keywordBytes)) {
        s.Keywords = SplitKeywords(keywordBytes);
    }

    s.KeywordPrivate = ini.ReadBool("Keyword", "Private", true);
    s.KeywordNotice = ini.ReadBool("Keyword", "Notice", false);
    s.KeywordDCC = ini.ReadBool("Keyword", "DCC", true);
    s.Beep = ini.ReadInteger("Keyword", "Beep", 0);
    s.KeywordOwnNick = ini.ReadBool("Keyword", "OwnNick", true);

    s.EventLog = ini.ReadBool("Event", "Log", false);

    s.LogOutput = ini.ReadBool("Log", "Output", false);
    // The folder is kept in Shift-JIS in the file; inside, it is the file
    // system's name of the folder, as every path is.
    const std::string missing = "\n";
    const std::string storedPath = ini.ReadString("Log", "Path", missing);
    s.LogPath =
        storedPath == missing ? WithoutTrailingSeparator(settingsFolder) : base::SjisToUtf8(storedPath);

    s.MaxLines = ini.ReadInteger("Window", "MaxLines", Settings::kMaxLinesDefault);
    if (s.MaxLines < Settings::kMaxLinesLeast || s.MaxLines > Settings::kMaxLinesMost)
        s.MaxLines = Settings::kMaxLinesDefault;
    s.AutoReconnect = ini.ReadBool("Connection", "AutoReconnect", true);
    s.Capabilities = ini.ReadBool("Connection", "Capabilities", true);
    s.NotifyDesktop = ini.ReadBool("Notify", "Desktop", true);
    s.NotifyTray = ini.ReadBool("Notify", "Tray", true);
    s.Certificates.Load(ini);
    s.Sasl.Load(ini);
    s.Encodings.Load(ini);
}

bool SaveSettings(IniFile& ini, const Settings& s, const std::string& settingsFolder,
                  std::string* failedPath) {
    ini.WriteInteger("Bgcolor", "Bgcolor", s.Bgcolor);
    for (int i = 0; i < base::FontKindCount; ++i) WriteFont(ini, FontSectionNames[i], s.Fonts[i]);

    ini.WriteInteger("Tab", "Server_Position", s.Server_Position);
    ini.WriteBool("Tab", "Server_MultiLine", s.Server_MultiLine);
    ini.WriteInteger("Tab", "Channel_Position", s.Channel_Position);
    ini.WriteBool("Tab", "Channel_MultiLine", s.Channel_MultiLine);
    ini.WriteBool("Tab", "Private_Check", s.Private_Check);
    ini.WriteBool("Tab", "Notice_Check", s.Notice_Check);
    ini.WriteBool("Tab", "CTCP_Check", s.CTCP_Check);
    ini.WriteBool("Tab", "Command_Check", s.Command_Check);
    ini.WriteBool("Tab", "Server_Check", s.Server_Check);
    ini.WriteBool("Tab", "Error_Check", s.Error_Check);

    ini.WriteString("Message", "AWAY", s.AwayMessage);
    ini.WriteString("Message", "KICK", s.KickMessage);
    ini.WriteString("Message", "PART", s.PartMessage);
    ini.WriteString("Message", "QUIT", s.QuitMessage);

    ini.WriteBool("CTCP_Reply", "CLIENTINFO", s.ReplyClientInfo);
    ini.WriteBool("CTCP_Reply", "FINGER", s.ReplyFinger);
    ini.WriteBool("CTCP_Reply", "PING", s.ReplyPing);
    ini.WriteBool("CTCP_Reply", "TIME", s.ReplyTime);
    ini.WriteBool("CTCP_Reply", "USERINFO", s.ReplyUserInfo);
    ini.WriteBool("CTCP_Reply", "VERSION", s.ReplyVersion);
    ini.WriteString("CTCP_Reply", "USERINFO_Message", s.UserInfoMessage);

    ini.WriteBool("DCC_Reply", "CHAT", s.DccChat);
    ini.WriteBool("DCC_Reply", "SEND", s.DccSend);

    ini.WriteInteger("Defence", "Interval", s.Interval);
    ini.WriteInteger("Defence", "MaxReply", s.MaxReply);
    ini.WriteBool("Defence", "Priv", s.DefencePriv);
    ini.WriteBool("Defence", "Invite", s.DefenceInvite);
    ini.WriteBool("Defence", "Whois", s.DefenceWhois);

    bool ok = true;
    // An empty list leaves the file alone, so keywords deleted by mistake come
    // back at the next start.
    if (!s.Keywords.empty()) {
        const std::string path = JoinPath(settingsFolder, KeywordsFileName);
        if (!SaveKeywords(path, s.Keywords)) {
            ok = false;
            if (failedPath != nullptr) *failedPath = path;
        }
    }

    ini.WriteBool("Keyword", "Private", s.KeywordPrivate);
    ini.WriteBool("Keyword", "Notice", s.KeywordNotice);
    ini.WriteBool("Keyword", "DCC", s.KeywordDCC);
    ini.WriteInteger("Keyword", "Beep", s.Beep);
    // Written once it differs from the default, so older files keep their layout.
    if (!s.KeywordOwnNick || !ini.ReadString("Keyword", "OwnNick", "").empty())
        ini.WriteBool("Keyword", "OwnNick", s.KeywordOwnNick);

    ini.WriteBool("Event", "Log", s.EventLog);

    ini.WriteBool("Log", "Output", s.LogOutput);
    std::string storedPath;
    if (base::Utf8ToSjisExactly(s.LogPath, storedPath)) {
        ini.WriteString("Log", "Path", storedPath);
    } else if (s.LogPath == WithoutTrailingSeparator(settingsFolder)) {
        // The settings folder, when Shift-JIS cannot spell it: an empty value
        // stands for that folder.
        ini.WriteString("Log", "Path", "");
    }
    // Anything else Shift-JIS cannot spell came from the file itself (bytes
    // that name no character), and the file keeps what it holds.

    // Beside the window geometry, so a new file keeps its sections in the
    // order they have always had.
    ini.WriteInteger("Window", "MaxLines", s.MaxLines);

    if (!ini.Flush()) {
        if (ok && failedPath != nullptr) *failedPath = ini.Path();
        ok = false;
    }
    return ok;
}

bool SaveConnectionSettings(IniFile& ini, const Settings& s) {
    // Until the user changes it, a file keeps the layout older versions wrote.
    const bool sectionThere = !ini.Keys("Connection").empty();
    if (!s.AutoReconnect || sectionThere) ini.WriteBool("Connection", "AutoReconnect", s.AutoReconnect);
    if (!s.Capabilities || sectionThere) ini.WriteBool("Connection", "Capabilities", s.Capabilities);
    if (!s.NotifyDesktop || !s.NotifyTray || !ini.Keys("Notify").empty()) {
        ini.WriteBool("Notify", "Desktop", s.NotifyDesktop);
        ini.WriteBool("Notify", "Tray", s.NotifyTray);
    }
    s.Certificates.Save(ini);
    s.Sasl.Save(ini);
    s.Encodings.Save(ini);
    return ini.Flush();
}

void LoadWindowState(const IniFile& ini, WindowState& w) {
    w.Top = ini.ReadInteger("Window", "Top", w.Top);
    w.Left = ini.ReadInteger("Window", "Left", w.Left);
    w.Height = ini.ReadInteger("Window", "Height", w.Height);
    w.Width = ini.ReadInteger("Window", "Width", w.Width);
    w.NickListWidth = ini.ReadInteger("Window", "NickListWidth", 165);
    w.Defence = ini.ReadBool("Window", "Defence", false);
    w.AllWindow = ini.ReadBool("Window", "AllWindow", true);
    w.AllWindowHeight = ini.ReadInteger("Window", "AllWindowHeight", 56);
}

bool SaveWindowState(IniFile& ini, const WindowState& w) {
    ini.WriteInteger("Window", "Top", w.Top);
    ini.WriteInteger("Window", "Left", w.Left);
    ini.WriteInteger("Window", "Height", w.Height);
    ini.WriteInteger("Window", "Width", w.Width);
    ini.WriteInteger("Window", "NickListWidth", w.NickListWidth);
    ini.WriteBool("Window", "Defence", w.Defence);
    ini.WriteBool("Window", "AllWindow", w.AllWindow);
    ini.WriteInteger("Window", "AllWindowHeight", w.AllWindowHeight);
    return ini.Flush();
}

std::vector<std::string> SaveAtExit(IniFile& ini, const Settings& settings, const WindowState& window,
                                    const std::string& settingsFolder) {
    std::vector<std::string> failed;
    auto note = [&](const std::string& path) {
        if (std::find(failed.begin(), failed.end(), path) == failed.end()) failed.push_back(path);
    };
    std::string path;
    if (!SaveSettings(ini, settings, settingsFolder, &path)) note(path);
    // After a failed keyword file the INI may still have failed too; the
    // window state's flush tells.
    if (!SaveWindowState(ini, window)) note(ini.Path());
    if (!SaveConnectionSettings(ini, settings)) note(ini.Path());
    if (!SaveEvents(settingsFolder, settings)) note(JoinPath(settingsFolder, EventsFileName));
    return failed;
}

}  // namespace velmok::config
