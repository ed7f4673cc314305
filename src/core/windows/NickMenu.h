#pragma once
// The member list's context menu: which entries it offers for the selection,
// and the queued lines each entry sends.
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "session/Frontend.h"

namespace velmok::session {
class Engine;
}

namespace velmok::windows {

// Entries of Popup_NickWindow; the component of each is "Popup_NickWindow_" +
// its name in NickMenuItems.
enum class NickEntry {
    whois,
    priv,
    mode,
    mode_Add_o,
    mode_Remove_o,
    mode_Add_b,
    mode_Remove_b,
    mode_Add_v,
    mode_Remove_v,
    mode_p,
    mode_s,
    mode_m,
    mode_t,
    mode_i,
    mode_n,
    mode_l,
    mode_k,
    invite,
    kick,
    CTCP,
    CTCP_CLIENTINFO,
    CTCP_FINGER,
    CTCP_PING,
    CTCP_TIME,
    CTCP_USERINFO,
    CTCP_VERSION,
    DCC,
    DCC_CHAT,
    DCC_SEND,
};
constexpr int NickEntryCount = static_cast<int>(NickEntry::DCC_SEND) + 1;

// The menu's structure, in the order shown.
struct NickMenuItem {
    NickEntry entry;
    const char* name;     // after "Popup_NickWindow_"
    const char* caption;  // design caption; channel modes are re-captioned on opening
    int parent;           // index of the sub-menu's owner in NickMenuItems, -1 at the top
    bool separatorAfter;
};
extern const std::array<NickMenuItem, NickEntryCount> NickMenuItems;

struct NickEntryState {
    bool enabled = true;
    bool visible = true;
    std::string caption;
};
using NickMenuState = std::array<NickEntryState, NickEntryCount>;

// Where the menu was opened and what was selected there.
struct NickMenuContext {
    int slot = -1;
    int window = -1;
    // Captions of the selected entries, in list order ("@" and "+" marks kept).
    std::vector<std::string> selected;
};

class NickMenu {
public:
    explicit NickMenu(session::Engine& engine) : engine_(engine) {}

    // Asks the input box for one use; true on OK with the first field in text
    // (Shift-JIS). The window layer runs the dialog.
    std::function<bool(const session::InputBoxRequest& request, std::string& text)> AskInput;
    // DCC offers to the one selected nick, on the slot of the menu.
    std::function<void(int slot, const std::string& nick)> OfferChat;
    std::function<void(int slot, const std::string& nick)> OfferFile;
    // The same with the file already chosen (path in the file system's encoding).
    std::function<void(int slot, const std::string& nick, const std::string& path)> OfferDroppedFile;

    // Popup_NickWindowPopup: enables, shows and captions every entry from the
    // selection, our operator status and the channel's modes. The context is
    // kept for the entry chosen next.
    const NickMenuState& Popup(const NickMenuContext& context);
    const NickMenuState& State() const { return state_; }

    // The entry's Click handler, on the context of the last Popup.
    void Click(NickEntry entry);

    // Files dragged from the desktop over the member with this caption in
    // the member list of a channel window: whether they may be dropped there,
    // and dropped, each offered to the member as "DCC" -> "SEND" does.
    bool AcceptsDrop(int slot, int window, const std::string& caption) const;
    void DropFiles(int slot, int window, const std::string& caption, const std::vector<std::string>& paths);

private:
    void ChannelModeClick(NickEntry entry);
    void PrivClick();
    void InviteClick();
    void KickClick();
    std::string ChannelName() const;
    std::string ChannelKey() const;
    bool Ask(const session::InputBoxRequest& request, std::string& text) const;

    session::Engine& engine_;
    NickMenuContext context_;
    // The channel the menu was opened for, and its key then.
    std::string channel_;
    std::string key_;
    NickMenuState state_{};
};

}  // namespace velmok::windows
