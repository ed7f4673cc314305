#include "ui/Tabs.h"

#include "base/Texts.h"
#include "session/ChannelNames.h"
#include "session/Codec.h"

namespace velmok::ui {

std::string TitleText(const session::ChannelRecord& record) {
    std::string title = session::WireToSjis(record.Name);
    std::string letters;
    std::string parameters;
    for (std::size_t i = 0; i < record.ModeFlags.size(); ++i)
        if (record.ModeFlags[i]) letters += session::ModeLetters[i];
    if (!record.Limit.empty()) {
        letters += 'l';
        parameters += " " + record.Limit;
    }
    if (!record.Key.empty()) {
        letters += 'k';
        parameters += " " + record.Key;
    }
    if (!letters.empty()) title += " +" + letters + parameters;
    if (!record.Topic.empty()) title += " " + session::WireToSjis(record.Topic);
    return title;
}

std::string ServerTitleText(const std::string& serverName, const std::string& applicationTitle) {
    return serverName.empty() ? applicationTitle : serverName;
}

std::string CaptionText(const std::string& sjisName) {
    std::string caption;
    caption.reserve(sjisName.size() + 2);
    for (char c : sjisName) {
        if (c == '&') caption += '&';
        caption += c;
    }
    return caption;
}

std::string TabCaption(const std::string& wireName) { return CaptionText(session::WireToSjis(wireName)); }

int TabMap::Append(int window) {
    windows_.push_back(window);
    return static_cast<int>(windows_.size()) - 1;
}

void TabMap::RemoveAt(int position) {
    if (position <= 0 || position >= Count()) return;
    windows_.erase(windows_.begin() + position);
}

int TabMap::PositionOf(int window) const {
    for (int p = 1; p < Count(); ++p)
        if (windows_[p] == window) return p;
    return window == -1 ? 0 : -1;
}

int TabMap::WindowAt(int position) const {
    if (position < 0 || position >= Count()) return -1;
    return windows_[position];
}

int ActiveTabAfterRemove(int activePosition, int removedPosition, int tabCountBefore) {
    if (activePosition != removedPosition)
        return activePosition > removedPosition ? activePosition - 1 : activePosition;
    if (activePosition < tabCountBefore - 1) return activePosition;
    return -1;
}

int MarkTabPosition(const TabMap& map, int activePosition, int window,
                    const std::array<session::ChannelRecord, session::WindowCount>& records) {
    if (window == -1) return activePosition == 0 ? -1 : 0;
    if (window < 0 || window >= session::WindowCount) return -1;
    const std::string& name = records[window].Name;
    for (int p = 1; p < map.Count(); ++p) {
        const int w = map.WindowAt(p);
        if (w < 0 || w >= session::WindowCount) continue;
        if (session::channels::SameName(records[w].Name, name)) return p == activePosition ? -1 : p;
    }
    return -1;
}

int NeighbourTab(int current, int count, int step) {
    const int next = current + step;
    if (current < 0 || next < 0 || next >= count) return -1;
    return next;
}

int AddServerTab(ServerTabMap& map, int slot) {
    for (int p = 0; p < session::SlotCount; ++p) {
        if (map[p] == slot) return p;
        if (map[p] == -1) {
            map[p] = slot;
            return p;
        }
    }
    return -1;
}

void RemoveServerTab(ServerTabMap& map, int position) {
    if (position < 0 || position >= session::SlotCount) return;
    for (int p = position; p + 1 < session::SlotCount; ++p) map[p] = map[p + 1];
    map[session::SlotCount - 1] = -1;
}

CloseItemState CloseItemFor(MenuOrigin origin, bool slotConnected, const std::string& channelName) {
    switch (origin) {
        case MenuOrigin::AllWindow:
            return {texts::HintHideAllWindow, true};
        case MenuOrigin::EventLog:
            return {texts::HintCloseEventLog, std::nullopt};
        case MenuOrigin::ServerTab:
            return {texts::HintCloseServerTab, !slotConnected};
        case MenuOrigin::ChannelTab:
            return {texts::HintLeaveChannel + session::WireToSjis(channelName) + texts::HintLeaveChannelEnd,
                    true};
        case MenuOrigin::PrivateTab:
            return {texts::HintClosePrivateTab, true};
    }
    return {};
}

}  // namespace velmok::ui
