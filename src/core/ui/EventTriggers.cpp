// Event triggers: a configured command is sent when an incoming message matches.
#include "ui/EventTriggers.h"

#include <string>

#include "session/ChannelNames.h"
#include "session/Codec.h"
#include "session/Engine.h"

namespace velmok::ui {

bool MatchPattern(const std::string& value, const std::string& pattern) {
    if (value.empty() && pattern.empty()) return true;
    std::string v = value;
    std::string p = pattern;
    bool atStart = true;
    for (;;) {
        if (v.empty()) return false;
        if (p[0] == '*') {
            p.erase(0, 1);
            atStart = false;
            continue;
        }
        const std::size_t star = p.find('*');
        if (star == std::string::npos)
            return v.size() >= p.size() && v.compare(v.size() - p.size(), p.size(), p) == 0;
        const std::string segment = p.substr(0, star);
        const std::size_t at = v.find(segment);
        if (at == std::string::npos || (atStart && at != 0)) return false;
        atStart = false;
        v.erase(0, at + segment.size());
        p.erase(0, star + 1);
        if (p.empty()) return true;
    }
}

std::string ReplaceAll(const std::string& text, const std::string& placeholder, const std::string& value) {
    if (placeholder.empty()) return text;
    std::string out;
    std::size_t from = 0;
    for (std::size_t at = text.find(placeholder); at != std::string::npos;
         at = text.find(placeholder, from)) {
        out.append(text, from, at - from);
        out += value;
        from = at + placeholder.size();
    }
    out.append(text, from, std::string::npos);
    return out;
}

}  // namespace velmok::ui

namespace velmok::session {

namespace {

// Trace texts of the event log (Shift-JIS).
const std::string kReceivedCommand = "\x8e\xf3\x90M\x83R\x83}\x83\x93\x83h: ";  // 受信コマンド:
const std::string kReceivedPrefix =
    "\x8e\xf3\x90M\x83v\x83\x8c\x83t\x83\x42\x83\x62\x83N\x83X: ";  // 受信プレフィックス:
const std::string kReceivedParam = "\x8e\xf3\x90M\x83p\x83\x89\x83\x81\x81[\x83^";  // 受信パラメータ
const std::string kColon = "\x81\x46";                                              // ：
const std::string kEvent = "\x83\x43\x83x\x83\x93\x83g:";                           // イベント:
const std::string kTriggerMatch =
    "\x83g\x83\x8a\x83K\x81[\x8f\xf0\x8c\x8f\x88\xea\x92v\x81\x46";  // トリガー条件一致：
const std::string kPrefixMatch =
    "\x83v\x83\x8c\x83t\x83\x42\x83\x62\x83N\x83X\x8f\xf0\x8c\x8f\x88\xea\x92v\x81\x46";  // プレフィックス条件一致：
// プレフィックス条件不一致：
const std::string kPrefixMismatch =
    "\x83v\x83\x8c\x83t\x83\x42\x83\x62\x83N\x83X\x8f\xf0\x8c\x8f\x95s\x88\xea\x92v\x81\x46";
const std::string kParam = "\x83p\x83\x89\x83\x81\x81[\x83^";                // パラメータ
const std::string kMatch = "\x8f\xf0\x8c\x8f\x88\xea\x92v\x81\x46";          // 条件一致：
const std::string kMismatch = "\x8f\xf0\x8c\x8f\x95s\x88\xea\x92v\x81\x46";  // 条件不一致：
// 自分発行コマンドのためイベント対象にはなりません。
const std::string kOwnCommand =
    "\x8e\xa9\x95\xaa\x94\xad\x8ds\x83R\x83}\x83\x93\x83h\x82\xcc\x82\xbd\x82\xdf\x83\x43\x83x\x83\x93\x83g"
    "\x91\xce\x8f\xdb\x82\xc9\x82\xcd\x82\xc8\x82\xe8\x82\xdc\x82\xb9\x82\xf1\x81\x42";
const std::string kCommandSent = "\x83R\x83}\x83\x93\x83h\x94\xad\x8ds\x81\x46";  // コマンド発行：

bool IsNumeric(const std::string& command) {
    if (command.empty()) return false;
    for (char c : command)
        if (c < '0' || c > '9') return false;
    return true;
}

// A parameter may carry a lone CR (only LF ends a received line); sent on,
// it would end the queued line early and let the sender append a command of
// their own. The send queue's own framing must not be broken either.
std::string WithoutLineBreaks(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (c != '\r' && c != '\n' && c != '\0') out += c;
    return out;
}

}  // namespace

void Engine::RunEventTriggers(int slot, const std::string& prefix, const IrcMessage& message) {
    const std::string& command = message.Command();
    // Numeric replies never fire and leave no trace.
    if (IsNumeric(command)) return;

    std::array<std::string, 16> params;  // 1..15, in Shift-JIS
    for (int n = 1; n <= 15; ++n) params[n] = WireToSjis(message[n + 1]);

    frontend_.WriteEventLog(kReceivedCommand + command);
    frontend_.WriteEventLog(kReceivedPrefix + prefix);
    for (int n = 1; n <= 15; ++n)
        if (!params[n].empty())
            frontend_.WriteEventLog(kReceivedParam + std::to_string(n) + kColon + params[n]);

    const std::string& ownNick = slots_[slot].Session.Nick;
    const std::string& sender = message.Nick();
    const std::string upperCommand = channels::FoldAscii(command);
    auto substitute = [&](const std::string& text) {
        return ui::ReplaceAll(ui::ReplaceAll(text, "%m", ownNick), "%n", sender);
    };

    // The list is copied so that a trigger list edited meanwhile cannot pull
    // the entries from under the walk.
    const std::vector<config::EventTrigger> triggers = settings_.Events;
    for (const config::EventTrigger& trigger : triggers) {
        if (channels::FoldAscii(trigger.Trigger) != upperCommand) continue;
        frontend_.WriteEventLog(kEvent + trigger.Name);
        frontend_.WriteEventLog(kTriggerMatch + trigger.Trigger);
        bool allHold = true;

        const std::string prefixPattern = substitute(trigger.Prefix);
        const bool prefixOk = ui::MatchPattern(prefix, prefixPattern);
        frontend_.WriteEventLog((prefixOk ? kPrefixMatch : kPrefixMismatch) + prefixPattern);
        allHold = allHold && prefixOk;

        const std::string* paramPatterns[4] = {&trigger.Param1, &trigger.Param2, &trigger.Param3,
                                               &trigger.Param4};
        for (int n = 1; n <= 4; ++n) {
            const std::string pattern = substitute(*paramPatterns[n - 1]);
            const bool ok = ui::MatchPattern(params[n], pattern);
            frontend_.WriteEventLog(kParam + std::to_string(n) + (ok ? kMatch : kMismatch) + pattern);
            allHold = allHold && ok;
        }

        if (trigger.ExcludeOwn && sender == ownNick) {
            frontend_.WriteEventLog(kOwnCommand);
            allHold = false;
        }

        if (allHold) {
            // %1 goes before %10..%15, which therefore read as parameter 1 and a digit.
            std::string line = substitute(trigger.Command);
            for (int n = 1; n <= 15; ++n) line = ui::ReplaceAll(line, "%" + std::to_string(n), params[n]);
            line = WithoutLineBreaks(line);
            EnqueueLine(Queue::A, slot, SjisToJis(line), 2);
            frontend_.WriteEventLog(kCommandSent + line);
        }
    }
    frontend_.WriteEventLog("");
}

}  // namespace velmok::session
