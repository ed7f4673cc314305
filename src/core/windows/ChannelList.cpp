#include "windows/ChannelList.h"

#include "session/Codec.h"
#include "session/Engine.h"
#include "windows/ReplyText.h"

namespace velmok::windows {

std::string ChannelListCaption(const session::Engine& engine, int slot) {
    return "Channel list - " + engine.Slot(slot).Session.ServerName;
}

void ParseChannelList(const std::string& text, ChannelListData& data) {
    data.rows.clear();
    data.names.clear();
    // Names and user counts are short; reserving by a typical entry size
    // spares most reallocations on large networks.
    data.rows.reserve(text.size() / 48);
    data.names.reserve(text.size() / 48);
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::string name = NextLine(text, pos);
        std::string users = NextLine(text, pos);
        std::string topic = NextLine(text, pos);
        ChannelListRow row;
        row.caption = ShownChannelName(name);
        row.users = std::move(users);
        row.topic = session::WireToSjis(topic);
        data.rows.push_back(std::move(row));
        data.names.push_back(std::move(name));
    }
}

bool TakeChannelList(session::Engine& engine, int slot, ChannelListData& data) {
    session::SlotState& s = engine.Slot(slot);
    if (s.ListState != 1) return false;
    ParseChannelList(s.ListText, data);
    s.ListState = 2;
    // Give the memory back too: a large network's list is megabytes.
    std::string().swap(s.ListText);
    return true;
}

bool JoinListedChannel(session::Engine& engine, int slot, const std::string& name) {
    if (name.empty()) return false;
    for (const session::ChannelRecord& record : engine.Slot(slot).Channels)
        if (!record.IsFree() && record.Name == name) return false;
    engine.EnqueueLine(session::Queue::A, slot, "JOIN " + name, 2);
    return true;
}

void ChannelListClosed(session::Engine& engine, int slot) {
    session::SlotState& s = engine.Slot(slot);
    s.ListState = 0;
    std::string().swap(s.ListText);
    // An answer still coming in would otherwise open the window again with
    // only its tail.
    if (s.ListReceiving) s.ListDropped = true;
}

}  // namespace velmok::windows
