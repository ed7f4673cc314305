#include <array>
#include <charconv>
#include <cstdint>
#include <optional>
#include <string_view>
#include <system_error>

#include "base/Texts.h"
#include "session/Codec.h"
#include "session/DccOffer.h"
#include "session/Engine.h"

namespace velmok::session {

namespace {

constexpr char kCtcpMark = '\x01';
constexpr const char* kVersionText = "velmok 2.2";

struct Segment {
    std::string Text;     // everything between the two 0x01 bytes
    std::string Command;  // before the first blank, as received
    std::string Args;     // after the first blank
};

// The CTCP segments of a message text, in order. Text outside the 0x01 pairs
// is ignored, and so is a last segment that is never closed.
std::vector<Segment> SplitSegments(const std::string& text) {
    std::vector<Segment> out;
    std::size_t pos = 0;
    while (true) {
        const std::size_t open = text.find(kCtcpMark, pos);
        if (open == std::string::npos) break;
        const std::size_t close = text.find(kCtcpMark, open + 1);
        if (close == std::string::npos) break;
        Segment seg;
        seg.Text = text.substr(open + 1, close - open - 1);
        const std::size_t blank = seg.Text.find(' ');
        if (blank == std::string::npos) {
            seg.Command = seg.Text;
        } else {
            seg.Command = seg.Text.substr(0, blank);
            seg.Args = seg.Text.substr(blank + 1);
        }
        out.push_back(std::move(seg));
        pos = close + 1;
    }
    return out;
}

std::string UpperAscii(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

// Peer-supplied text that goes back onto the wire must not carry a line end:
// a bare CR would let the peer smuggle a command of its own into our reply.
bool SafeOnWire(std::string_view s) { return s.find_first_of(std::string_view("\r\n\0", 3)) == s.npos; }

// A signed 32-bit decimal, as the PING payload carries the tick count.
std::optional<std::int32_t> ParseInt32(std::string_view s) {
    std::int32_t value = 0;
    if (s.empty()) return std::nullopt;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
    return value;
}

std::string TwoDigits(int n) {
    std::string s = std::to_string(n);
    return s.size() < 2 ? "0" + s : s;
}

// The 24-character form of the C library's ctime ("Tue May  4 09:05:00 2004"),
// built by hand so the reply never depends on the user's locale.
std::string CtimeText(const std::tm& t) {
    static constexpr std::array<const char*, 7> kDays = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static constexpr std::array<const char*, 12> kMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const int wday = ((t.tm_wday % 7) + 7) % 7;
    const int mon = ((t.tm_mon % 12) + 12) % 12;
    std::string day = std::to_string(t.tm_mday);
    if (day.size() < 2) day = " " + day;
    return std::string(kDays[wday]) + " " + kMonths[mon] + " " + day + " " + TwoDigits(t.tm_hour) + ":" +
           TwoDigits(t.tm_min) + ":" + TwoDigits(t.tm_sec) + " " + std::to_string(t.tm_year + 1900);
}

// Milliseconds as seconds in the shortest decimal form: 250 -> "0.25",
// 1000 -> "1", 1 -> "0.001". Integer arithmetic keeps it exact; for whole
// milliseconds this is what a shortest round-trip float format would print.
std::string SecondsText(std::uint32_t ms) {
    std::string text = std::to_string(ms / 1000);
    std::uint32_t frac = ms % 1000;
    if (frac != 0) {
        std::string digits = std::to_string(frac);
        digits.insert(0, 3 - digits.size(), '0');
        while (digits.back() == '0') digits.pop_back();
        text += "." + digits;
    }
    return text;
}

}  // namespace

void Engine::HandleCtcpQuery(int slot, const IrcMessage& message) {
    // Copies: the DCC question runs a nested event loop, and the message the
    // dispatcher handed in must not be relied on across it.
    const std::string sender = message[0];
    const std::string target = message[2];
    const std::vector<Segment> segments = SplitSegments(message[3]);
    const std::string header = "NOTICE " + sender + " :\x01";
    const bool senderSafe = SafeOnWire(sender);
    const config::Settings& cfg = settings_;
    bool shown = false;

    for (const Segment& seg : segments) {
        const std::string command = UpperAscii(seg.Command);
        std::string trace = "CTCP " + seg.Command + " from " + sender;
        CountEvent(slot, sender);
        const bool mayAnswer = !ProtectionMode;

        // Sends the reply when allowed, else marks the trace.
        auto answer = [&](bool enabled, const std::string& body) {
            if (!enabled || !mayAnswer) {
                trace += "(Ignore)";
            } else if (!senderSafe || !SafeOnWire(body)) {
                trace += "(Parameter Error)";
            } else {
                SendNow(slot, header + body + "\x01\r\n");
            }
        };

        if (command == "PING") {
            answer(cfg.ReplyPing, seg.Text);
        } else if (command == "DCC") {
            const std::size_t blank = seg.Args.find(' ');
            const std::string type = seg.Args.substr(0, blank);
            const std::string rest = blank == std::string::npos ? std::string() : seg.Args.substr(blank + 1);
            const std::string upperType = UpperAscii(type);
            trace = "CTCP " + seg.Command + (type.empty() ? "" : " " + type) + " from " + sender;
            const bool isSend = upperType == "SEND";
            if (!isSend && upperType != "CHAT") {
                trace += "(Unknown Message)";
            } else if (!mayAnswer || (isSend && !cfg.DccSend) || (!isSend && !cfg.DccChat)) {
                trace += "(Ignore)";
            } else if (const auto offer = session::ParseOffer(isSend, rest); !offer) {
                trace += "(Parameter Error)";
            } else if (isSend) {
                if (frontend_.AskYesNo(sender + texts::AskReceiveFile)) {
                    frontend_.ReceiveFile(slot, sender, offer->FileName, offer->Address, offer->Port,
                                          offer->Size);
                } else {
                    trace += "(Ignore)";
                }
            } else {
                if (frontend_.AskYesNo(sender + texts::AskAcceptChat)) {
                    frontend_.AcceptChat(slot, sender, offer->Address, offer->Port);
                } else {
                    trace += "(Ignore)";
                }
            }
        } else if (command == "ACTION") {
            trace = seg.Args.empty() ? sender + "(No Parameter)" : sender + " " + seg.Args;
        } else if (command == "CLIENTINFO") {
            answer(cfg.ReplyClientInfo,
                   "CLIENTINFO :ACTION CLIENTINFO DCC(CHAT) DCC(SEND) FINGER PING TIME USERINFO VERSION");
        } else if (command == "FINGER") {
            answer(cfg.ReplyFinger, "FINGER " + LocalHost + "(" + LocalAddress + ")");
        } else if (command == "TIME") {
            answer(cfg.ReplyTime, "TIME " + CtimeText(clock_.LocalTime()));
        } else if (command == "USERINFO") {
            answer(cfg.ReplyUserInfo, "USERINFO " + ToWire(slot, cfg.UserInfoMessage));
        } else if (command == "VERSION") {
            answer(cfg.ReplyVersion,
                   std::string("VERSION ") + kVersionText + (OsName.empty() ? "" : " (" + OsName + ")"));
        } else {
            trace += "(Unknown Message)";
        }

        // Looked up per line: the question above may have let the window close.
        frontend_.RenderLine(slot, FindChannel(slot, target), FontKind::CTCP, WireToSjis(trace), false);
        shown = true;
    }

    if (shown && cfg.CTCP_Check) frontend_.MarkTab(slot, FindChannel(slot, target));
}

void Engine::HandleCtcpReply(int slot, const IrcMessage& message) {
    const std::string& sender = message[0];
    const int window = FindChannel(slot, message[2]);
    bool shown = false;

    for (const Segment& seg : SplitSegments(message[3])) {
        const std::string command = UpperAscii(seg.Command);
        if (command == "PING") {
            // Our request carried PingStamp, the tick it left at, PingStamp.
            std::string text = sender + " " + seg.Command;
            const std::string& payload = seg.Args;
            std::optional<std::int32_t> sent;
            if (payload.size() >= 9 && payload.compare(0, 4, PingStamp) == 0 &&
                payload.compare(payload.size() - 4, 4, PingStamp) == 0) {
                sent = ParseInt32(std::string_view(payload).substr(4, payload.size() - 8));
            }
            const auto sentTick = static_cast<std::uint32_t>(sent.value_or(0));
            if (sent && sentTick < LastReceiveTick) {
                text += " " + SecondsText(LastReceiveTick - sentTick) + " seconds.";
            } else {
                text += " Failed";
            }
            frontend_.RenderLine(slot, window, FontKind::CTCP, text, false);
            shown = true;
        } else if (command == "ACTION") {
            if (seg.Args.empty()) continue;
            frontend_.RenderLine(slot, window, FontKind::CTCP, WireToSjis(sender + " " + seg.Args), false);
            shown = true;
        } else if (command == "CLIENTINFO" || command == "FINGER" || command == "TIME" ||
                   command == "USERINFO" || command == "VERSION") {
            frontend_.RenderLine(slot, window, FontKind::CTCP, WireToSjis(sender + " " + seg.Text), false);
            shown = true;
        }
    }

    if (shown && settings_.CTCP_Check) frontend_.MarkTab(slot, window);
}

void Engine::QueueCtcpRequest(int slot, const std::string& channel, const std::vector<std::string>& selected,
                              const std::string& command) {
    std::vector<std::string> targets;
    for (const std::string& caption : selected) {
        // Status marks are part of the caption, not of the nick.
        const std::string nick = channels::CaptionNick(caption);
        if (!nick.empty()) targets.push_back(nick);
    }
    if (selected.empty() && !channel.empty()) targets.push_back(channel);

    // A PING entry is completed with the stamp and tick when it leaves the queue.
    const bool isPing = UpperAscii(command) == "PING";
    for (const std::string& target : targets) {
        Slot(slot).SendQueueB +=
            "PRIVMSG " + target + " :\x01" + ToWire(slot, command) + (isPing ? " \r\n0:" : "\x01\r\n2:");
    }
}

}  // namespace velmok::session
