// Channel modes, and the queued commands the member list sends for its selection,
// including the ban by host that first asks the server for the host with WHO.
#include <algorithm>
#include <string>

#include "session/ChannelNames.h"
#include "session/Codec.h"
#include "session/Engine.h"

namespace velmok::session {

namespace {

// Parameters past the last field read as empty, like missing ones.
const std::string& FieldAt(const IrcMessage& message, int index) {
    static const std::string empty;
    return index >= 0 && index < static_cast<int>(message.Field.size()) ? message.Field[index] : empty;
}

int ModeFlagIndex(char letter, bool withQ) {
    for (int i = 0; i < 8; ++i)
        if (ModeLetters[i] == letter) return (letter == 'q' && !withQ) ? -1 : i;
    return -1;
}

}  // namespace

void Engine::ApplyChannelModes(int slot, const IrcMessage& message) {
    const int index = FindChannel(slot, message[3]);
    if (index < 0) return;
    ChannelRecord& record = slots_[slot].Channels[index];
    record.ModeFlags.fill(false);
    record.Limit.clear();
    record.Key.clear();
    int arg = 5;
    for (char letter : message[4]) {
        const int flag = ModeFlagIndex(letter, true);
        if (flag >= 0)
            record.ModeFlags[flag] = true;
        else if (letter == 'k')
            record.Key = FieldAt(message, arg++);
        else if (letter == 'l')
            record.Limit = FieldAt(message, arg++);
    }
    if (frontend_.ActiveWindow(slot) == index) frontend_.UpdateTitle(slot);
}

std::string Engine::ApplyModeChange(int slot, const IrcMessage& message) {
    const std::string& channel = message[2];
    const int index = FindChannel(slot, channel);
    if (index < 0) return {};  // user modes are not shown

    std::string text = message[0] + " MODE " + message[3];
    for (int i = 4; i < static_cast<int>(message.Field.size()) && !message[i].empty(); ++i)
        text += " " + message[i];

    const ServerSupport& support = slots_[slot].Support;
    const auto has = [](const std::string& kinds, char letter) {
        return kinds.find(letter) != std::string::npos;
    };
    // Modes with a parameter that change no state here: bans (and, until
    // PREFIX is announced, voices) always; with CHANMODES, what it says.
    const auto takesParameter = [&](char letter, bool plus) {
        if (!support.ChanModesAnnounced) return letter == 'b' || (letter == 'v' && !support.PrefixAnnounced);
        return has(support.ListModes, letter) || has(support.ParamModes, letter) ||
               (plus && has(support.SetParamModes, letter));
    };
    bool plus = true;
    int arg = 4;
    for (char letter : message[3]) {
        ChannelRecord& record = slots_[slot].Channels[index];
        const int flag = ModeFlagIndex(letter, false);
        const char mark = letter == '+' || letter == '-' ? '\0' : support.MarkOf(letter);
        if (letter == '+') {
            plus = true;
        } else if (letter == '-') {
            plus = false;
        } else if (mark != '\0') {
            SetMemberMark(slot, channel, FieldAt(message, arg++), mark, plus);
        } else if (flag >= 0) {
            record.ModeFlags[flag] = plus;
        } else if (letter == 'k') {
            if (plus)
                record.Key = FieldAt(message, arg++);
            else
                record.Key.clear();
            // Servers that announce "k" as always taking one send it with -k too.
            if (!plus && support.ChanModesAnnounced && has(support.ParamModes, 'k')) ++arg;
        } else if (letter == 'l') {
            if (plus)
                record.Limit = FieldAt(message, arg++);
            else
                record.Limit.clear();
        } else if (takesParameter(letter, plus)) {
            ++arg;
        }
        if (frontend_.ActiveWindow(slot) == index) frontend_.UpdateTitle(slot);
    }
    return text;
}

void Engine::QueueMemberCommand(int slot, const std::vector<std::string>& selected,
                                const std::string& command, const std::string& parameter, int delay) {
    for (const std::string& caption : selected) {
        // Status marks ("+", "%", several with multi-prefix) are not part of the nick.
        const std::string name = channels::CaptionNick(caption);
        if (name.empty()) continue;
        std::string line = command + " " + name;
        if (command == "WHOIS") line += " " + name;  // ask the member's own server
        if (!parameter.empty()) line += " " + ToWire(slot, parameter);
        EnqueueLine(Queue::B, slot, line, delay);
    }
}

void Engine::QueueModeBatch(int slot, const std::string& channel, const std::vector<std::string>& selected,
                            const std::string& mode) {
    if (mode.size() != 2 || (mode[0] != '+' && mode[0] != '-') || !IsChannel(slot, channel)) return;

    const char sign = mode[0];
    const char letter = mode[1];
    const std::string start = "MODE " + channel + " " + sign;
    std::string head = start;
    std::string args;
    int delay = 1;
    int count = 0;
    for (const std::string& caption : selected) {
        const std::string name = channels::CaptionNick(caption);
        if (name.empty()) continue;
        const bool wasOp = channels::CaptionPrefix(caption).find('@') != std::string::npos;
        if (letter == 'b') {
            const char action = sign == '-' ? '-' : (wasOp ? 'o' : '+');
            PendingBans += "<" + name + ">" + channel + ":" + action;
            EnqueueLine(Queue::C, slot, "WHO " + name, 2);
            continue;
        }
        head += letter;
        args += " " + name;
        delay += 3;
        // Servers take three member modes per line.
        if (++count == 3) {
            EnqueueLine(Queue::C, slot, head + args, delay);
            head = start;
            args.clear();
            delay = 1;
            count = 0;
        }
    }
    if (!args.empty()) EnqueueLine(Queue::C, slot, head + args, delay);
}

bool Engine::HandleWhoReply(int slot, const IrcMessage& message) {
    const std::string& host = message[5];
    const std::string& nick = message[7];
    if (nick.empty()) return false;
    const std::size_t at = PendingBans.find("<" + nick + ">");
    if (at == std::string::npos) return false;
    const std::size_t channelStart = at + nick.size() + 2;
    const std::size_t colon = PendingBans.find(':', channelStart);
    if (colon == std::string::npos || colon + 1 >= PendingBans.size()) return true;
    const std::string channel = PendingBans.substr(channelStart, colon - channelStart);
    const std::string mask = "*!*@" + host;
    switch (PendingBans[colon + 1]) {
        case '+':
            EnqueueLine(Queue::B, slot, "MODE " + channel + " +b " + mask, 4);
            break;
        case '-':
            EnqueueLine(Queue::B, slot, "MODE " + channel + " -b " + mask, 4);
            break;
        case 'o':
            EnqueueLine(Queue::B, slot, "MODE " + channel + " -o+b " + nick + " " + mask, 7);
            break;
        default:
            break;
    }
    return true;
}

bool Engine::HandleEndOfWho(int, const IrcMessage& message) {
    const std::string& nick = message[3];
    if (nick.empty()) return false;
    const std::size_t at = PendingBans.find("<" + nick + ">");
    if (at == std::string::npos) return false;
    const std::size_t colon = PendingBans.find(':', at + nick.size() + 2);
    const std::size_t end =
        colon == std::string::npos ? PendingBans.size() : std::min(colon + 2, PendingBans.size());
    PendingBans.erase(at, end - at);
    return true;
}

}  // namespace velmok::session
