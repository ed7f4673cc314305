#include "ui/SlashCommands.h"

#include <algorithm>
#include <functional>
#include <map>

#include "base/Texts.h"
#include "config/Error.h"
#include "session/ChannelNames.h"
#include "session/Codec.h"
#include "session/Engine.h"
#include "ui/InputLine.h"

namespace velmok::ui {

using session::Engine;
using session::FontKind;
using session::channels::IsChannelName;

namespace {

constexpr int kDelay = 2;
constexpr int kChannelMissing = 10;  // "Channelを指定してください。"
constexpr int kNickMissing = 13;     // "Nickを指定してください。"

std::string Upper(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

// The first word of text, and what follows it after one blank.
std::pair<std::string, std::string> SplitWord(const std::string& text) {
    const std::size_t blank = text.find(' ');
    if (blank == std::string::npos) return {text, std::string()};
    return {text.substr(0, blank), text.substr(blank + 1)};
}

// One command as typed: where it was typed and what came with it.
struct Typed {
    Engine& engine;
    int slot;
    int window;
    const std::string& word;
    const std::string& args;

    session::ChannelRecord* Record() const {
        if (window < 0 || window >= session::WindowCount) return nullptr;
        session::ChannelRecord& record = engine.Channel(slot, window);
        return record.IsFree() ? nullptr : &record;
    }
    void Queue(const std::string& line) const { engine.EnqueueLine(session::Queue::A, slot, line, kDelay); }
    std::string Wire(const std::string& sjis) const { return engine.ToWire(slot, sjis); }
    // A local error about what was typed: a red line in the window typed in,
    // with the warning beep, as the server's own refusals are shown.
    void Refuse(const std::string& text) const {
        engine.Ui().RenderLine(slot, window, FontKind::Error, text, false);
        engine.Ui().Beep(session::BeepKind::Warning);
    }
    void NotEnough() const { Refuse(word + " Not enough parameters"); }
    void Missing(int message) const { Refuse(config::ErrorText(message)); }
    // The channel named first in args, else the channel of this window (wire
    // form); rest is what follows. Empty when there is neither.
    std::string ChannelAndRest(std::string& rest) const {
        auto [first, after] = SplitWord(args);
        if (IsChannelName(first)) {
            rest = after;
            return Wire(first);
        }
        rest = args;
        const session::ChannelRecord* record = Record();
        return record && record->IsChannel ? record->Name : std::string();
    }
};

void Me(const Typed& t) {
    const session::ChannelRecord* record = t.Record();
    if (!record) return t.Refuse(t.word + texts::CommandNotHere);
    if (t.args.empty()) return t.NotEnough();
    SendByMode(t.engine, t.slot, t.window, InputMode::Action, record->Name, t.args);
}

// "/msg" and "/notice": echoed in the conversation's own window when it is
// open, else in the server window with the addressee named.
void Message(const Typed& t, InputMode mode) {
    const auto [nick, text] = SplitWord(t.args);
    if (nick.empty() || text.empty()) return t.NotEnough();
    const std::string target = t.Wire(nick);
    const int window = t.engine.FindChannel(t.slot, target);
    if (window >= 0)
        SendByMode(t.engine, t.slot, window, mode, t.engine.Channel(t.slot, window).Name, text);
    else
        SendByMode(t.engine, t.slot, session::ServerWindow, mode, target, text, Echo::Addressed);
}

void Query(const Typed& t) {
    const auto [nick, text] = SplitWord(t.args);
    if (nick.empty() || IsChannelName(nick)) return t.Missing(kNickMissing);
    const std::string target = t.Wire(nick);
    int window = t.engine.FindChannel(t.slot, target);
    if (window >= 0) {
        t.engine.Ui().ActivateWindow(t.slot, window);
    } else {
        t.engine.UserOpening = true;
        window = t.engine.OpenChannelTab(t.slot, target, true);
        t.engine.UserOpening = false;
        if (window < 0) return;
    }
    if (!text.empty()) SendByMode(t.engine, t.slot, window, InputMode::Private, target, text);
}

void Join(const Typed& t) {
    const auto [channel, key] = SplitWord(t.args);
    if (channel.empty()) return t.Missing(kChannelMissing);
    // "/join velmok" means the channel #velmok, as links and other clients read it.
    const std::string name = IsChannelName(channel) ? channel : "#" + channel;
    t.Queue("JOIN " + t.Wire(name) + (key.empty() ? "" : " " + t.Wire(key)));
}

void Part(const Typed& t) {
    std::string message;
    const std::string channel = t.ChannelAndRest(message);
    if (channel.empty()) return t.Missing(kChannelMissing);
    if (message.empty()) message = t.engine.Config().PartMessage;
    t.Queue("PART " + channel + (message.empty() ? "" : " :" + t.Wire(message)));
}

void Topic(const Typed& t) {
    std::string text;
    const std::string channel = t.ChannelAndRest(text);
    if (channel.empty()) return t.Missing(kChannelMissing);
    if (!text.empty()) return t.Queue("TOPIC " + channel + " :" + t.Wire(text));
    const int window = t.engine.FindChannel(t.slot, channel);
    // A channel without a window of ours: the server says what its topic is.
    if (window < 0) return t.Queue("TOPIC " + channel);
    const std::string& topic = t.engine.Channel(t.slot, window).Topic;
    t.engine.Ui().RenderLine(
        t.slot, window, FontKind::Command,
        topic.empty() ? std::string(texts::CommandNoTopic) : "TOPIC " + session::WireToSjis(topic), false);
}

void Nick(const Typed& t) {
    const std::string nick = SplitWord(t.args).first;
    if (nick.empty()) return t.Missing(kNickMissing);
    t.Queue("NICK " + t.Wire(nick));
}

// The server's 305 and 306 replies take and give back the away nick.
void Away(const Typed& t) {
    std::string message = t.args;
    if (message.empty() && !t.engine.Session(t.slot).Away) message = t.engine.Config().AwayMessage;
    t.Queue(message.empty() ? "AWAY" : "AWAY :" + t.Wire(message));
}

void Quit(const Typed& t) {
    // A reconnection waiting for its turn is what the user ends here.
    if (!t.engine.Slot(t.slot).Registered && t.engine.ReconnectPending(t.slot))
        return t.engine.StopReconnect(t.slot);
    if (t.args.empty()) return t.engine.SendQuit(t.slot);
    t.engine.SendNow(t.slot, "QUIT :" + t.Wire(t.args) + "\r\n");
}

void Whois(const Typed& t) {
    const std::string nick = SplitWord(t.args).first;
    if (nick.empty()) return t.Missing(kNickMissing);
    t.Queue("WHOIS " + t.Wire(nick));
}

void Ctcp(const Typed& t) {
    const auto [nick, request] = SplitWord(t.args);
    if (nick.empty() || request.empty()) return t.NotEnough();
    const auto [what, rest] = SplitWord(request);
    t.engine.QueueCtcpRequest(t.slot, t.Wire(nick), {}, Upper(what) + (rest.empty() ? "" : " " + rest));
}

void Raw(const Typed& t) {
    if (t.args.empty()) return t.NotEnough();
    t.Queue(t.Wire(t.args));
}

void Help(const Typed& t) {
    const std::string help = texts::CommandHelp;
    for (std::size_t from = 0; from <= help.size();) {
        const std::size_t end = std::min(help.find('\n', from), help.size());
        t.engine.Ui().RenderLine(t.slot, t.window, FontKind::Server, help.substr(from, end - from), false);
        from = end + 1;
    }
}

using Handler = std::function<void(const Typed&)>;

const std::map<std::string, Handler>& Commands() {
    static const std::map<std::string, Handler> commands = {
        {"ME", Me},
        {"MSG", [](const Typed& t) { Message(t, InputMode::Private); }},
        {"NOTICE", [](const Typed& t) { Message(t, InputMode::Notice); }},
        {"QUERY", Query},
        {"JOIN", Join},
        {"J", Join},
        {"PART", Part},
        {"TOPIC", Topic},
        {"NICK", Nick},
        {"AWAY", Away},
        {"QUIT", Quit},
        {"WHOIS", Whois},
        {"CTCP", Ctcp},
        {"CLEAR", [](const Typed& t) { t.engine.Ui().ClearWindow(t.slot, t.window); }},
        {"QUOTE", Raw},
        {"RAW", Raw},
        {"HELP", Help},
    };
    return commands;
}

}  // namespace

bool RunClientCommand(Engine& engine, int slot, int window, const std::string& word,
                      const std::string& args) {
    const auto& commands = Commands();
    const auto it = commands.find(Upper(word));
    if (it == commands.end()) return false;
    it->second(Typed{engine, slot, window, word, args});
    return true;
}

}  // namespace velmok::ui
