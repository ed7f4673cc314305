#include "windows/ChannelInfo.h"

#include "session/Codec.h"
#include "session/Engine.h"
#include "windows/ReplyText.h"

namespace velmok::windows {

using session::Queue;

namespace {

constexpr char kModeLetters[6] = {'p', 's', 'm', 't', 'i', 'n'};
constexpr int kTopicFlag = 3;

// The limit is the first word of the field; blanks in front of it are not
// a limit of nothing.
std::string FirstWord(const std::string& text) {
    const std::size_t start = text.find_first_not_of(' ');
    if (start == std::string::npos) return {};
    const std::size_t blank = text.find(' ', start);
    return text.substr(start, blank == std::string::npos ? std::string::npos : blank - start);
}

bool Holds(const std::vector<std::string>& changes, std::size_t from, std::size_t to, const char* change) {
    for (std::size_t i = from; i < to; ++i)
        if (changes[i] == change) return true;
    return false;
}

}  // namespace

void RequestBanList(session::Engine& engine, int slot, int window) {
    engine.BanListReply.clear();
    ++engine.BanListRequests;
    engine.EnqueueLine(Queue::C, slot, "MODE " + engine.Channel(slot, window).Name + " +b", 4);
}

ChannelInfoState ChannelInfoFromRecord(const session::Engine& engine, int slot, int window) {
    const session::ChannelRecord& record = engine.Slot(slot).Channels[window];
    ChannelInfoState s;
    s.ChannelName = record.Name;
    s.OldTopic = record.Topic;
    for (int i = 0; i < 6; ++i) s.OldModes[i] = record.ModeFlags[i];
    s.OldLimit = record.Limit;
    s.OldKey = record.Key;
    s.HadLimit = !record.Limit.empty();
    s.HadKey = !record.Key.empty();
    s.IsOperator = record.OwnOp;
    return s;
}

ChannelInfoView ChannelInfoShown(const ChannelInfoState& state) {
    ChannelInfoView v;
    v.caption = session::WireToSjis(state.ChannelName);
    v.topic = session::WireToSjis(state.OldTopic);
    v.modes = state.OldModes;
    v.limitChecked = v.limitEnabled = state.HadLimit;
    v.limit = state.OldLimit;
    v.keyChecked = v.keyEnabled = state.HadKey;
    v.key = session::WireToSjis(state.OldKey);
    if (!state.IsOperator) {
        v.caption += " (Not Channel Operator)";
        v.topicEnabled = !state.OldModes[kTopicFlag];
        v.modesEnabled = false;
        v.limitEnabled = false;
        v.keyEnabled = false;
        v.banChecks = false;
    }
    return v;
}

BanListUpdate TakeBanList(session::Engine& engine, const std::string& channelName) {
    BanListUpdate update;
    std::string& reply = engine.BanListReply;
    std::size_t pos = 0;
    while (pos < reply.size()) {
        const std::string channel = NextLine(reply, pos);
        std::string mask = NextLine(reply, pos);
        if (channel != channelName) continue;
        update.arrived = true;
        if (!mask.empty()) update.masks.push_back(std::move(mask));
    }
    reply.clear();
    return update;
}

int ChannelInfoOk(session::Engine& engine, int slot, ChannelInfoState& state, const ChannelInfoEdits& edits) {
    std::string limit = FirstWord(edits.limit);
    // Texts are compared as shown: a topic or key the server holds in another
    // spelling of the same characters is not a change.
    const bool keyEdited = edits.key != session::WireToSjis(state.OldKey);
    std::string key = keyEdited ? engine.ToWire(slot, edits.key) : state.OldKey;
    if (edits.limitChecked && limit.empty()) {
        state.CloseAllowed = false;
        return 11;
    }
    if (edits.keyChecked && edits.key.empty()) {
        state.CloseAllowed = false;
        return 12;
    }

    const std::string& name = state.ChannelName;
    if (edits.topic != session::WireToSjis(state.OldTopic))
        engine.EnqueueLine(Queue::A, slot, "TOPIC " + name + " :" + engine.ToWire(slot, edits.topic), 2);

    std::vector<std::string> changes;
    for (int i = 0; i < 6; ++i)
        if (edits.modes[i] != state.OldModes[i])
            changes.push_back(std::string(edits.modes[i] ? "+" : "-") + kModeLetters[i]);
    if (edits.limitChecked == state.HadLimit) {
        if (edits.limitChecked && limit != state.OldLimit)
            changes.push_back("+l");
        else
            limit.clear();
    } else if (edits.limitChecked) {
        changes.push_back("+l");
    } else {
        changes.push_back("-l");
        limit.clear();
    }
    if (edits.keyChecked == state.HadKey) {
        if (edits.keyChecked && keyEdited)
            changes.push_back("+k");
        else
            key.clear();
    } else {
        changes.push_back(edits.keyChecked ? "+k" : "-k");
        // Servers want the key to take it off; an emptied field still
        // means the key the channel has.
        if (!edits.keyChecked && key.empty()) key = state.OldKey;
    }

    for (std::size_t from = 0; from < changes.size(); from += 3) {
        const std::size_t to = std::min(from + 3, changes.size());
        std::string line = "MODE " + name + " ";
        for (std::size_t i = from; i < to; ++i) line += changes[i];
        if (!limit.empty() && Holds(changes, from, to, "+l")) line += " " + limit;
        if (!key.empty() && (Holds(changes, from, to, "+k") || Holds(changes, from, to, "-k")))
            line += " :" + key;
        const int count = static_cast<int>(to - from);
        engine.EnqueueLine(Queue::A, slot, line, count == 3 ? 10 : 1 + 3 * count);
    }
    for (const std::string& mask : edits.unban)
        engine.EnqueueLine(Queue::A, slot, "MODE " + name + " -b " + mask, 4);
    return 0;
}

bool ChannelInfoMayClose(ChannelInfoState& state) {
    if (state.CloseAllowed) return true;
    state.CloseAllowed = true;
    return false;
}

}  // namespace velmok::windows
