#pragma once
// The channel properties dialog's logic: what it shows of a channel, the ban
// list it asks for and receives, and the TOPIC and MODE lines its OK sends.
#include <array>
#include <string>
#include <vector>

namespace velmok::session {
class Engine;
}

namespace velmok::windows {

// What the dialog copied from the channel record when it was shown (wire form).
struct ChannelInfoState {
    std::string ChannelName;
    std::string OldTopic;
    std::array<bool, 6> OldModes{};  // p, s, m, t, i, n
    std::string OldLimit;
    std::string OldKey;
    bool HadLimit = false;
    bool HadKey = false;
    bool IsOperator = false;
    bool CloseAllowed = true;
};

// The dialog's controls as FormShow sets them (Shift-JIS texts).
struct ChannelInfoView {
    std::string caption;
    std::string topic;
    bool topicEnabled = true;
    std::array<bool, 6> modes{};
    bool modesEnabled = true;  // the eight mode check boxes
    bool limitChecked = false;
    std::string limit;
    bool limitEnabled = false;
    bool keyChecked = false;
    std::string key;
    bool keyEnabled = false;
    bool banChecks = true;  // the ban list has check boxes
};

// The user's edits when OK is pressed (Shift-JIS texts as typed).
struct ChannelInfoEdits {
    std::string topic;
    std::array<bool, 6> modes{};
    bool limitChecked = false;
    std::string limit;
    bool keyChecked = false;
    std::string key;
    std::vector<std::string> unban;  // masks as received of the ticked bans, in list order
};

// The opener, when the member list is double-clicked with nothing selected:
// empties the collected ban list, counts one more request and asks the
// server for the channel's bans.
void RequestBanList(session::Engine& engine, int slot, int window);

// FormShow: copies the record of the window and decides the controls.
ChannelInfoState ChannelInfoFromRecord(const session::Engine& engine, int slot, int window);
ChannelInfoView ChannelInfoShown(const ChannelInfoState& state);

// Timer's tick: the ban list that arrived for the dialog's channel, taken out
// of BanListReply (which is emptied whenever it holds anything).
struct BanListUpdate {
    bool arrived = false;  // the list was replaced (possibly by an empty one)
    std::vector<std::string> masks;
};
BanListUpdate TakeBanList(session::Engine& engine, const std::string& channelName);

// Btn_OKClick: 0 when the lines are queued on SendQueueA and the dialog may
// close; otherwise the error number to show (11 limit, 12 key), nothing is
// sent and CloseAllowed is cleared.
int ChannelInfoOk(session::Engine& engine, int slot, ChannelInfoState& state, const ChannelInfoEdits& edits);

// A close request: refused once after a failed check, which sets the flag again.
bool ChannelInfoMayClose(ChannelInfoState& state);

}  // namespace velmok::windows
