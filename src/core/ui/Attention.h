#pragma once
// Lines that ask for the user while the main window is in the background: a
// keyword, the own nick named, a private message. They raise a desktop
// notification and mark the tray icon; what says so is decided here.
#include <optional>
#include <string>
#include <string_view>

namespace velmok::ui {

struct AttentionLine {
    bool windowActive = false;    // the main window is the active one and not minimised
    int keywordHits = 0;          // keywords and the own nick marked in the line
    bool toMe = false;            // someone's private message to the user
    std::string_view serverName;  // caption of the slot's server tab
    std::string_view windowName;  // Shift-JIS; empty for the server window
    std::string_view text;        // Shift-JIS as rendered, control codes and all
};

// What a desktop notification says (Shift-JIS): where, and the line.
struct Notification {
    std::string title;
    std::string body;
};

// The notification a rendered line raises, or nothing when it does not ask
// for the user or the user is looking at the window anyway.
std::optional<Notification> NotificationFor(const AttentionLine& line);

// Notifications show at most this many bytes of the line.
constexpr std::size_t kNotificationBodyLimit = 300;

}  // namespace velmok::ui
