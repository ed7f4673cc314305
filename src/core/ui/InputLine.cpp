#include "ui/InputLine.h"

#include "base/Common.h"
#include "session/Codec.h"
#include "session/Engine.h"
#include "ui/SlashCommands.h"

namespace velmok::ui {

using session::Engine;
using session::FontKind;

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

constexpr int kDelay = 2;

// "/G text": the text to every channel window of the slot, escapes untouched.
void GlobalMessage(Engine& engine, int slot, InputMode mode, const std::string& word,
                   const std::string& message) {
    if (message.empty()) {
        engine.Ui().RenderLine(slot, session::ServerWindow, FontKind::Error, word + " Not enough parameters",
                               false);
        engine.Ui().Beep(session::BeepKind::Warning);
        return;
    }
    for (int w = 0; w < session::WindowCount; ++w) {
        const session::ChannelRecord& record = engine.Channel(slot, w);
        if (record.IsFree() || !record.IsChannel) continue;
        SendByMode(engine, slot, w, mode, record.Name, message, Echo::Bracketed);
    }
}

}  // namespace

void SendByMode(Engine& engine, int slot, int window, InputMode mode, const std::string& target,
                const std::string& text, Echo echo) {
    const std::string& nick = engine.Session(slot).Nick;
    const std::string shown = engine.AsSent(slot, text);
    const std::string wire = engine.ToWire(slot, text);
    const std::string bracketed = echo == Echo::Addressed
                                      ? "<" + session::WireToSjis(target) + ":" + nick + "> " + shown
                                      : "<" + nick + "> " + shown;
    switch (mode) {
        case InputMode::Private:
            engine.Ui().RenderLine(slot, window, FontKind::Private, bracketed, false);
            engine.EnqueueLine(session::Queue::A, slot, "PRIVMSG " + target + " :" + wire, kDelay);
            break;
        case InputMode::Notice:
            engine.Ui().RenderLine(slot, window, FontKind::Notice, bracketed, false);
            engine.EnqueueLine(session::Queue::A, slot, "NOTICE " + target + " :" + wire, kDelay);
            break;
        case InputMode::Action:
            engine.Ui().RenderLine(slot, window, FontKind::CTCP,
                                   echo == Echo::Bracketed ? bracketed : nick + " " + shown, false);
            engine.EnqueueLine(session::Queue::A, slot,
                               "PRIVMSG " + target +
                                   " :\x01"
                                   "ACTION " +
                                   wire + "\x01",
                               kDelay);
            break;
    }
}

std::string ExpandEscapes(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    const std::size_t n = text.size();
    for (std::size_t i = 0; i < n;) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (base::IsSjisLead(c) && i + 1 < n && base::IsSjisTrail(static_cast<unsigned char>(text[i + 1]))) {
            out.append(text, i, 2);
            i += 2;
            continue;
        }
        if (c == '|' && i + 1 < n) {
            if (text[i + 1] == '|') {
                out += '|';
                i += 2;
                continue;
            }
            if (text[i + 1] == 'x' && i + 3 < n) {
                const int high = HexValue(text[i + 2]);
                const int low = HexValue(text[i + 3]);
                const int code = high * 16 + low;
                // NUL, LF and CR would cut or split the IRC line.
                if (high >= 0 && low >= 0 && code != 0 && code != 10 && code != 13) {
                    out += static_cast<char>(code);
                    i += 4;
                    continue;
                }
            }
        }
        out += static_cast<char>(c);
        ++i;
    }
    return out;
}

void InputHistory::Add(const std::string& line) {
    if (lines_.size() >= Capacity)
        lines_.erase(lines_.begin(), lines_.begin() + (lines_.size() - Capacity + 1));
    lines_.push_back(line);
    position_ = lines_.size();
}

std::optional<std::string> InputHistory::Up() {
    if (position_ == 0) return std::nullopt;
    --position_;
    return lines_[position_];
}

std::optional<std::string> InputHistory::Down() {
    if (position_ >= lines_.size()) return std::nullopt;
    ++position_;
    return position_ < lines_.size() ? lines_[position_] : std::string();
}

InputChange SplitInput(const std::string& text) {
    InputChange change;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\r' && c != '\n') continue;
        // A lone CR ends a line too: kept inside, it would end the IRC line
        // early at the server and let the rest pass as a command.
        std::string part = text.substr(start, i - start);
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
        change.replace = true;
        if (!part.empty()) change.lines.push_back(std::move(part));
    }
    if (change.replace)
        change.remainder = text.substr(start);
    else
        change.remainder = text;
    return change;
}

void ProcessInput(Engine& engine, int slot, int window, InputMode mode, const std::string& text,
                  InputHistory& history) {
    if (slot < 0 || slot >= session::SlotCount) return;
    if (text.find_first_of("\r\n") != std::string::npos) {
        // Line breaks must never reach the queue: each line goes on its own.
        for (const std::string& line : SplitInput(text + "\n").lines)
            ProcessInput(engine, slot, window, mode, line, history);
        return;
    }
    history.Add(text);
    if (text == "/") return;

    std::string body = text;
    bool raw = false;
    if (!text.empty() && text[0] == '/') {
        body.erase(0, 1);
        const std::size_t blank = body.find(' ');
        const std::string word = body.substr(0, blank);
        if (word == "G" || word == "g") {
            GlobalMessage(engine, slot, mode, word, blank == std::string::npos ? "" : body.substr(blank + 1));
            return;
        }
        // "//text" is an ordinary message that begins with "/".
        raw = body.empty() || body[0] != '/';
        if (raw && RunClientCommand(engine, slot, window, word,
                                    ExpandEscapes(blank == std::string::npos ? "" : body.substr(blank + 1))))
            return;
    }
    body = ExpandEscapes(body);

    if (raw || window == session::ServerWindow) {
        engine.EnqueueLine(session::Queue::A, slot, engine.ToWire(slot, body), kDelay);
        return;
    }
    if (window < 0 || window >= session::WindowCount) return;
    const session::ChannelRecord& record = engine.Channel(slot, window);
    // A window without a record has nobody to address.
    if (record.IsFree()) return;
    SendByMode(engine, slot, window, mode, record.Name, body);
}

void RefuseInput(Engine& engine, int slot, int window, const std::vector<char32_t>& refused) {
    if (slot < 0 || slot >= session::SlotCount || refused.empty()) return;
    engine.Ui().RenderLine(slot, window, FontKind::Error, session::RefusedText(refused), false);
    engine.Ui().Beep(session::BeepKind::Warning);
}

}  // namespace velmok::ui
