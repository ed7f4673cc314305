#pragma once
// The channel list window's logic: taking a complete LIST answer out of the
// slot's collected text, joining a listed channel, and closing.
#include <string>
#include <vector>

namespace velmok::session {
class Engine;
}

namespace velmok::windows {

// One channel of a LIST answer as the window shows it (Shift-JIS).
struct ChannelListRow {
    std::string caption;  // the name, with a mark when it arrived in Shift-JIS
    std::string users;
    std::string topic;
};

// What the window holds: the rows shown and, row for row, the names as
// received (the hidden List_List), which JOIN sends back unchanged.
struct ChannelListData {
    std::vector<ChannelListRow> rows;
    std::vector<std::string> names;
};

// "Channel list - " + the slot's server name.
std::string ChannelListCaption(const session::Engine& engine, int slot);

// Timer1's tick: when a complete list waits for the slot (ListState 1), moves
// all of it from ListText into data in one pass, replacing what data held,
// and marks it shown (ListState 2). False, with data untouched, otherwise.
bool TakeChannelList(session::Engine& engine, int slot, ChannelListData& data);

// Rows of collected list text: name, users and topic, each ended by CR LF.
// A last entry cut short keeps what arrived of it.
void ParseChannelList(const std::string& text, ChannelListData& data);

// Liv_ListDblClick on a row whose name as received is name: JOIN it, unless a
// window of the slot already has exactly that name. True when queued.
bool JoinListedChannel(session::Engine& engine, int slot, const std::string& name);

// FormClose: the slot has no list window any more; whatever it collected,
// including the rest of an answer still arriving, is dropped.
void ChannelListClosed(session::Engine& engine, int slot);

}  // namespace velmok::windows
