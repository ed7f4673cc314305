#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "base/FontKind.h"

namespace velmok::session {

using base::FontKind;
using base::FontKindCount;

enum class BeepKind {
    Default,      // the general system sound
    Warning,      // the exclamation sound
    Information,  // the asterisk sound
};

// Actions of the main window whose enabled state the engine decides.
enum class Action {
    FileConnect,
    FileDisConnect,
    CommandAway,
    ShowEventLog,
    // Nick-list menu entries that need a connection.
    NickWhois,
    NickPriv,
    NickMode,
    NickKick,
    NickCtcp,
};

// Server tab images of the main image list.
enum class TabImage { None = -1, NewText = 0, Connected = 1, Disconnected = 2, DoubleByte = 8 };

// Everything needed to show the input box for one use. The engine fills it for
// the uses it starts itself (reply 475, a received INVITE); the main window's
// actions fill it the same way.
struct InputBoxRequest {
    std::string Caption;
    int Kind = 0;
    int Slot = 0;
    int EmptyMessage = -1;
    bool CallerOwned = false;
    std::string AuxText;
    bool Modal = true;
    int Height = 81;     // client height; 132 with two rows
    int ButtonTop = -1;  // -1 keeps the design position
    std::string Label1;  // Shift-JIS
    std::string Label2;
    bool ComboVisible = false;
    std::vector<std::string> ComboItems;  // Shift-JIS
    bool Edit1Visible = true;
    std::string Edit1Text;  // Shift-JIS
    bool Edit1Enabled = true;
    bool Edit1ImeOff = false;
    bool Label2Visible = false;
    bool Edit2Visible = false;
};

// What the engine asks of the window system, in four small groups. Each lists
// effects, not widgets. All text is Shift-JIS unless said otherwise.

// The lines shown and the tabs of the conversations they go to.
class LinesAndTabs {
public:
    // window: 0..99 a channel or private window of the slot, -1 the server window.
    virtual void RenderLine(int slot, int window, FontKind font, const std::string& text,
                            bool markKeywords) = 0;
    virtual void MarkTab(int slot, int window) = 0;
    // A conversation record has been claimed; build its tab, view and nick
    // list. activate: the user's own action opened it, so it becomes the slot's
    // active tab; otherwise it is built in the background with its tab marked.
    // Neither takes the keyboard from the input line. name is as received
    // (wire form).
    virtual void BuildWindow(int slot, int window, const std::string& name, bool activate) = 0;
    virtual void RemoveWindow(int slot, int window) = 0;
    // The caption of a private window's tab changes with a NICK (wire form).
    virtual void RenameWindow(int slot, int window, const std::string& name) = 0;
    // The user asked for this window (a typed /query of an open one): its
    // tab becomes the slot's active tab and the slot's server tab is shown.
    virtual void ActivateWindow(int slot, int window) = 0;
    // Empties the view of a window (a typed /clear).
    virtual void ClearWindow(int slot, int window) = 0;
    // A window kept through a dropped connection: its tab shows whether the
    // connection it belongs to is up.
    virtual void SetWindowConnected(int slot, int window, bool connected) = 0;
    // The next line rendered into the window is someone's private message to
    // the user: it asks for attention as a keyword does.
    virtual void AddressedToMe(int slot, int window) = 0;
    // The member list of a channel window changed; the view re-reads it.
    virtual void MembersChanged(int slot, int window) = 0;
    virtual void UpdateTitle(int slot) = 0;
    // The window of the slot's active tab: 0..99, or -1 for its "Server" tab
    // (also when the slot has no tabs).
    virtual int ActiveWindow(int slot) = 0;
    virtual void WriteEventLog(const std::string& text) = 0;
    // false: WriteEventLog would keep nothing, so the lines need not be made.
    virtual bool EventLogWanted() const { return true; }

protected:
    ~LinesAndTabs() = default;
};

// The server tabs, the state of each connection and what follows from it:
// enabled actions, the input line, the timers that drive the engine.
class ConnectionState {
public:
    // The TCP connection of a slot is up: create the server tab if needed,
    // clear the server view (kept when clearView is false: an automatic
    // reconnection keeps what led to it), captions, connected image, title.
    virtual void ServerConnected(int slot, const std::string& serverName, bool clearView) = 0;
    // Registration: the server tab's caption becomes the server's own name.
    virtual void ServerRenamed(int slot, const std::string& serverName) = 0;
    // The slot was reset: disconnected image, application title, input line
    // cleared and disabled, "Server" sub-tab image cleared.
    virtual void ServerDisconnected(int slot) = 0;
    virtual void EnableAction(Action action, bool enabled) = 0;
    virtual void EnableInput(bool enabled) = 0;
    virtual void SetAwayState(bool away) = 0;            // AWAY menu check and tool button
    virtual void SetProtectionButton(bool pressed) = 0;  // defence tool button
    virtual void SetSendTimer(bool enabled) = 0;
    // A timer of about one second that calls Engine::CheckReconnects.
    virtual void SetReconnectTimer(bool enabled) = 0;
    // A disconnect arrived while closing: ask the main window to close again.
    virtual void RequestClose() = 0;

protected:
    ~ConnectionState() = default;
};

// Sounds, error messages, questions and input boxes.
class UserInteraction {
public:
    virtual void Beep(BeepKind kind) = 0;
    virtual void ShowError(int number) = 0;
    // Modal yes/no question with the question icon; true for Yes. May run a
    // nested event loop.
    virtual bool AskYesNo(const std::string& text) = 0;
    // False when a modeless box was not shown (too many are open); the
    // caller then shows the prompt as a line.
    virtual bool OpenInputBox(const InputBoxRequest& request) = 0;

protected:
    ~UserInteraction() = default;
};

// The WHOIS and channel list windows and the DCC windows.
class AuxiliaryWindows {
public:
    // WHOIS window for a row of the WHOIS table (caption: nick + " " + IRCOp).
    virtual void OpenWhoisWindow(int slot, const std::string& nick, const std::string& caption) = 0;
    // Mark an open WHOIS window for refresh from its row.
    virtual void RefreshWhoisWindow(int slot, const std::string& nick) = 0;
    virtual void OpenChannelList(int slot) = 0;
    // A further complete list waits for the slot's open channel list window.
    virtual void RefreshChannelList(int slot) = 0;
    // Accepted DCC offers (sender and name as received, dotted address).
    virtual void ReceiveFile(int slot, const std::string& sender, const std::string& fileName,
                             const std::string& address, int port, std::uint32_t size) = 0;
    virtual void AcceptChat(int slot, const std::string& sender, const std::string& address, int port) = 0;

protected:
    ~AuxiliaryWindows() = default;
};

// The one interface through which the engine asks the window system for
// anything: the main window implements it, the tests record it.
class Frontend : public LinesAndTabs,
                 public ConnectionState,
                 public UserInteraction,
                 public AuxiliaryWindows {
public:
    virtual ~Frontend() = default;
};

}  // namespace velmok::session
