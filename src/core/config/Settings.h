#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "base/FontKind.h"
#include "base/Texts.h"
#include "config/Certificates.h"
#include "config/Encoding.h"
#include "config/Sasl.h"

namespace velmok::config {

// Windows colour value 0x00BBGGRR (red in the low byte).
using Colour = std::int32_t;

struct FontSetting {
    std::string Name = texts::DefaultFontName;
    int Size = 11;
    Colour Color = 16777215;
    int Charset = 128;
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
    bool operator==(const FontSetting&) const = default;
};

// Section names of the eleven fonts, indexed by base::FontKind.
inline constexpr std::array<const char*, base::FontKindCount> FontSectionNames = {
    "Font_Nicklist", "Font_Input",  "Font_URL",   "Font_Private", "Font_Notice", "Font_CTCP",
    "Font_Command",  "Font_Server", "Font_Error", "Font_DCC",     "Font_Keyword"};

// A fresh font of the given kind with its per-font defaults.
FontSetting DefaultFont(base::FontKind kind);

struct EventTrigger {
    std::string Name;
    std::string Trigger;
    std::string Prefix;
    std::string Param1, Param2, Param3, Param4;
    bool ExcludeOwn = false;
    std::string Command;
    bool operator==(const EventTrigger&) const = default;
};

// The settings record. Every text is Shift-JIS.
struct Settings {
    Colour Bgcolor = 0;
    std::array<FontSetting, base::FontKindCount> Fonts = MakeDefaultFonts();

    // [Tab]
    int Server_Position = 0;
    bool Server_MultiLine = true;
    int Channel_Position = 0;
    bool Channel_MultiLine = true;
    bool Private_Check = true;
    bool Notice_Check = true;
    bool CTCP_Check = true;
    bool Command_Check = true;
    bool Server_Check = true;
    bool Error_Check = true;

    // [Message]
    std::string AwayMessage;  // AWAY
    std::string KickMessage;  // KICK
    std::string PartMessage;  // PART
    std::string QuitMessage;  // QUIT

    // [CTCP_Reply]
    bool ReplyClientInfo = true;
    bool ReplyFinger = false;
    bool ReplyPing = true;
    bool ReplyTime = true;
    bool ReplyUserInfo = false;
    bool ReplyVersion = true;
    std::string UserInfoMessage;

    // [DCC_Reply]
    bool DccChat = true;
    bool DccSend = true;

    // [Defence]
    int Interval = 500;
    int MaxReply = 10;
    bool DefencePriv = true;
    bool DefenceInvite = true;
    bool DefenceWhois = false;

    // [Keyword]
    bool KeywordPrivate = true;
    bool KeywordNotice = false;
    bool KeywordDCC = true;
    int Beep = 0;
    bool KeywordOwnNick = true;  // OwnNick: the own nick is marked like a keyword

    // [Event]
    bool EventLog = false;

    // [Log]
    bool LogOutput = false;
    std::string LogPath;  // the settings folder unless set

    // [Window] MaxLines: lines each view keeps (the all-window and the event
    // log too); older files lack the key and get the default.
    static constexpr int kMaxLinesDefault = 10000;
    static constexpr int kMaxLinesLeast = 100;
    static constexpr int kMaxLinesMost = 1000000;
    int MaxLines = kMaxLinesDefault;
    // [Connection]
    bool AutoReconnect = true;  // a dropped connection comes back by itself
    bool Capabilities = true;   // ask servers for their IRCv3 capabilities (CAP LS)
    // [SASL]
    SaslStore Sasl;
    // [Encoding]: the servers that read UTF-8 rather than ISO-2022-JP
    EncodingStore Encodings;
    // [Notify]: being named, a keyword or a private message while the window
    // is in the background raises a desktop notification (Desktop) and the
    // tray icon's mark (Tray).
    bool NotifyDesktop = true;
    bool NotifyTray = true;
    // [Certificates]
    CertificateStore Certificates;

    std::vector<std::string> Keywords;
    // Connection profiles: eight CR LF-terminated fields per profile.
    std::string ProfileText;
    std::vector<EventTrigger> Events;

    const FontSetting& Font(base::FontKind kind) const { return Fonts[static_cast<int>(kind)]; }
    FontSetting& Font(base::FontKind kind) { return Fonts[static_cast<int>(kind)]; }

    static std::array<FontSetting, base::FontKindCount> MakeDefaultFonts();
    bool operator==(const Settings&) const = default;
};

// [Window]: applied to the main window directly.
struct WindowState {
    int Top = -1;  // -1: keep the window's current value
    int Left = -1;
    int Height = 371;
    int Width = 460;
    int NickListWidth = 165;
    bool Defence = false;
    bool AllWindow = true;
    int AllWindowHeight = 56;
};

}  // namespace velmok::config
