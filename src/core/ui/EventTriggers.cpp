// Event triggers: a configured command is sent when an incoming message matches.
#include "ui/EventTriggers.h"

#include <algorithm>
#include <string>

#include "base/Texts.h"
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
    const std::string upperCommand = channels::FoldAscii(command);
    // Most lines neither fire a trigger nor have anyone reading the trace.
    const bool tracing = frontend_.EventLogWanted();
    if (!tracing &&
        std::none_of(settings_.Events.begin(), settings_.Events.end(), [&](const config::EventTrigger& t) {
            return channels::FoldAscii(t.Trigger) == upperCommand;
        }))
        return;

    std::array<std::string, 16> params;  // 1..15, in Shift-JIS
    for (int n = 1; n <= 15; ++n) params[n] = WireToSjis(message[n + 1]);

    frontend_.WriteEventLog(texts::TraceReceivedCommand + command);
    frontend_.WriteEventLog(texts::TraceReceivedPrefix + prefix);
    for (int n = 1; n <= 15; ++n)
        if (!params[n].empty())
            frontend_.WriteEventLog(texts::TraceReceivedParam + std::to_string(n) + texts::FullWidthColon +
                                    params[n]);

    const std::string& ownNick = slots_[slot].Session.Nick;
    const std::string& sender = message.Nick();
    auto substitute = [&](const std::string& text) {
        return ui::ReplaceAll(ui::ReplaceAll(text, "%m", ownNick), "%n", sender);
    };

    // The list is copied so that a trigger list edited meanwhile cannot pull
    // the entries from under the walk.
    const std::vector<config::EventTrigger> triggers = settings_.Events;
    for (const config::EventTrigger& trigger : triggers) {
        if (channels::FoldAscii(trigger.Trigger) != upperCommand) continue;
        frontend_.WriteEventLog(texts::TraceEvent + trigger.Name);
        frontend_.WriteEventLog(texts::TraceTriggerMatch + trigger.Trigger);
        bool allHold = true;

        const std::string prefixPattern = substitute(trigger.Prefix);
        const bool prefixOk = ui::MatchPattern(prefix, prefixPattern);
        frontend_.WriteEventLog((prefixOk ? texts::TracePrefixMatch : texts::TracePrefixMismatch) +
                                prefixPattern);
        allHold = allHold && prefixOk;

        const std::string* paramPatterns[4] = {&trigger.Param1, &trigger.Param2, &trigger.Param3,
                                               &trigger.Param4};
        for (int n = 1; n <= 4; ++n) {
            const std::string pattern = substitute(*paramPatterns[n - 1]);
            const bool ok = ui::MatchPattern(params[n], pattern);
            frontend_.WriteEventLog(texts::TraceParam + std::to_string(n) +
                                    (ok ? texts::TraceMatch : texts::TraceMismatch) + pattern);
            allHold = allHold && ok;
        }

        if (trigger.ExcludeOwn && sender == ownNick) {
            frontend_.WriteEventLog(texts::TraceOwnCommand);
            allHold = false;
        }

        if (allHold) {
            // %1 goes before %10..%15, which therefore read as parameter 1 and a digit.
            std::string line = substitute(trigger.Command);
            for (int n = 1; n <= 15; ++n) line = ui::ReplaceAll(line, "%" + std::to_string(n), params[n]);
            line = WithoutLineBreaks(line);
            EnqueueLine(Queue::A, slot, ToWire(slot, line), 2);
            frontend_.WriteEventLog(texts::TraceCommandSent + line);
        }
    }
    frontend_.WriteEventLog("");
}

}  // namespace velmok::session
