#include "inputbox/InputBox.h"

#include "base/Common.h"
#include "session/Codec.h"
#include "session/Engine.h"

namespace velmok::inputbox {

using session::Queue;

namespace {

// Walks an auto-join line of blank-terminated flag, channel and key fields.
template <typename F>
void ForEachAutoJoin(const std::string& autoJoin, F&& f) {
    std::size_t pos = 0;
    auto field = [&](std::string& out) {
        const std::size_t blank = autoJoin.find(' ', pos);
        if (blank == std::string::npos) {
            out = autoJoin.substr(pos);
            pos = autoJoin.size();
            return false;
        }
        out = autoJoin.substr(pos, blank - pos);
        pos = blank + 1;
        return true;
    };
    int index = 0;
    while (pos < autoJoin.size() && autoJoin.find(' ', pos) != std::string::npos) {
        std::string flag, channel, key;
        field(flag);
        field(channel);
        field(key);
        if (!f(index++, channel, key)) return;
    }
}

}  // namespace

bool AutoJoinKeyAt(const std::string& autoJoin, int index, std::string& key) {
    bool found = false;
    ForEachAutoJoin(autoJoin, [&](int i, const std::string&, const std::string& k) {
        if (i != index) return true;
        key = k;
        found = true;
        return false;
    });
    return found;
}

std::vector<std::string> AutoJoinChannels(const std::string& autoJoin) {
    std::vector<std::string> channels;
    ForEachAutoJoin(autoJoin, [&](int, const std::string& channel, const std::string&) {
        channels.push_back(channel);
        return true;
    });
    return channels;
}

int InputBoxOk(session::Engine& engine, InputBoxState& state, const InputBoxFields& fields) {
    const std::string& first = fields.First();
    auto refuse = [&](int number) {
        state.RefuseNextClose = true;
        return number;
    };
    if (first.empty() && state.EmptyMessage != -1) return refuse(state.EmptyMessage);

    const int slot = state.Slot;
    auto wire = [&](const std::string& sjis) { return engine.ToWire(slot, sjis); };
    switch (state.Kind) {
        case 1: {  // join
            if (int r = base::ChannelCheck(first)) return refuse(r);
            // What was typed, or for an invitation the name as received.
            const std::string channel = state.AuxText.empty() ? wire(first) : state.AuxText;
            engine.EnqueueLine(Queue::A, slot, "JOIN " + channel + " " + wire(fields.key), 2);
            break;
        }
        case 2: {  // part
            std::string channel;
            if (fields.comboIndex < 0) {
                channel = wire(first);
            } else {
                // The wire names, one per line, in the order of the entries.
                std::size_t pos = 0;
                for (int i = 0; i < fields.comboIndex && pos != std::string::npos; ++i) {
                    pos = state.AuxText.find("\r\n", pos);
                    if (pos != std::string::npos) pos += 2;
                }
                if (pos != std::string::npos && pos <= state.AuxText.size()) {
                    const std::size_t end = state.AuxText.find("\r\n", pos);
                    channel =
                        state.AuxText.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
                } else {
                    channel = wire(first);
                }
            }
            std::string line = "PART " + channel;
            const std::string& message = engine.Config().PartMessage;
            if (!message.empty()) line += " :" + wire(message);
            engine.EnqueueLine(Queue::A, slot, line, 2);
            break;
        }
        case 3:  // nick
            if (int r = base::NickCheck(first)) return refuse(r);
            engine.EnqueueLine(Queue::A, slot, "NICK " + first, 2);
            break;
        case 4:  // away
            engine.EnqueueLine(Queue::A, slot, "AWAY :" + wire(first), 2);
            break;
        case 5:  // join with key
            engine.EnqueueLine(Queue::A, slot, "JOIN " + state.AuxText + " :" + wire(first), 2);
            break;
        case 7:
            if (int r = base::NickCheck(first)) return refuse(r);
            break;
        case 8:
            if (int r = base::ChannelCheck(first)) return refuse(r);
            break;
        default:  // 0 and 6: the caller acts
            break;
    }
    return 0;
}

bool InputBoxMayClose(InputBoxState& state) {
    if (state.RefuseNextClose) {
        state.RefuseNextClose = false;
        return false;
    }
    return true;
}

}  // namespace velmok::inputbox
