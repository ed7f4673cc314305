#pragma once
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "session/Engine.h"

namespace velmok::ui {

// Caption of the main window for a channel or private tab: the name in
// Shift-JIS, " +" with the set mode letters (p s m t i n a q, then l and k)
// and their parameters, then a blank and the topic when there is one.
std::string TitleText(const session::ChannelRecord& record);
// Caption for a slot's "Server" tab: the server name, or the application title.
std::string ServerTitleText(const std::string& serverName, const std::string& applicationTitle);

// A Shift-JIS name as a tab caption: every "&" doubled, because a tab would
// take a single one as its mnemonic marker and hide it. ("&" is never the
// second byte of a double-byte character.)
std::string CaptionText(const std::string& sjisName);
// Tab caption of a window name as received: WireToSjis, then CaptionText.
std::string TabCaption(const std::string& wireName);

// The window shown at each tab position of one slot's tab set; position 0 is
// the "Server" tab (-1).
class TabMap {
public:
    TabMap() : windows_{-1} {}

    // A new tab at the end showing window; returns its position.
    int Append(int window);
    // Takes the tab at position out; later tabs move one place forward.
    // Position 0 (the "Server" tab) and positions out of range are ignored.
    void RemoveAt(int position);
    // Position of window's tab, or -1.
    int PositionOf(int window) const;
    // Window at position: 0..99, -1 for the "Server" tab or out of range.
    int WindowAt(int position) const;
    int Count() const { return static_cast<int>(windows_.size()); }
    // Back to the "Server" tab alone (the slot's windows were all removed).
    void Reset() { windows_.assign(1, -1); }

private:
    std::vector<int> windows_;
};

// The tab to make active after the tab at removedPosition was taken out of a
// set of tabCountBefore tabs whose active tab was at activePosition; -1 leaves
// the choice to the tab set (the active last tab was closed). Closing a tab in
// the background keeps the tab being looked at active.
int ActiveTabAfterRemove(int activePosition, int removedPosition, int tabCountBefore);

// The tab position MarkTab sets the new-text image on, or -1 for none.
// Channel windows are found by name ignoring ASCII case, from position 1.
int MarkTabPosition(const TabMap& map, int activePosition, int window,
                    const std::array<session::ChannelRecord, session::WindowCount>& records);

// The neighbouring tab for Ctrl/Shift+Left (step -1) and Right (step +1);
// -1 at either end: switching does not wrap around.
int NeighbourTab(int current, int count, int step);

// Server-tab map of the main window: the slot shown at each position.
using ServerTabMap = std::array<int, session::SlotCount>;
// Enters slot at the first free position; returns the position or -1.
int AddServerTab(ServerTabMap& map, int slot);
// Removes the position; later entries move forward, the last becomes -1.
void RemoveServerTab(ServerTabMap& map, int position);

// Where the message-window context menu was opened.
enum class MenuOrigin { AllWindow, EventLog, ServerTab, ChannelTab, PrivateTab };

struct CloseItemState {
    std::string hint;             // Shift-JIS status-bar hint
    std::optional<bool> enabled;  // nothing: leave the item as it is
};

// The close item's hint and state; channelName as received (wire form).
CloseItemState CloseItemFor(MenuOrigin origin, bool slotConnected, const std::string& channelName);

}  // namespace velmok::ui
