// The dispatcher's handlers of commands: PING and PONG, channel and member
// events, invitations and messages.
#include <string>

#include "base/Texts.h"
#include "session/ChannelNames.h"
#include "session/Codec.h"
#include "session/LineHandlers.h"

namespace velmok::session {

using channels::SameName;

namespace {

const char* const CrLf = "\r\n";

Presentation CommandStyle(const Line& line) {
    return {FontKind::Command, line.Config().Command_Check, false};
}

}  // namespace

Outcome LineHandlers::Ping(Line& line) {
    line.engine.SendNow(line.slot, "PONG " + line.engine.LocalAddress + " " + line.m[2] + CrLf);
    return Outcome::Stop;
}

Outcome LineHandlers::Pong(Line&) { return Outcome::Stop; }

Outcome LineHandlers::Join(Line& line) {
    Engine& engine = line.engine;
    const IrcMessage& m = line.m;
    const std::string& channel = m[2];
    if (SameName(m[0], line.Session().Nick)) {
        if (!engine.ReattachWindow(line.slot, channel))
            engine.OpenChannelTab(line.slot, channel, engine.TakeJoinAsked(line.slot, channel));
        engine.EnqueueLine(Queue::B, line.slot, "MODE " + channel, 2);
        // With away-notify the server tells us who goes away from now on; who
        // is away already, one WHO of the channel says.
        SlotState& s = line.State();
        if (s.Caps.Has("away-notify") && engine.FindChannel(line.slot, channel) >= 0) {
            constexpr std::size_t kWhoAskedLimit = 64;
            if (s.WhoAsked.size() >= kWhoAskedLimit) s.WhoAsked.erase(s.WhoAsked.begin());
            s.WhoAsked.push_back(channel);
            engine.EnqueueLine(Queue::C, line.slot, "WHO " + channel, 2);
        }
    } else {
        engine.AddMember(line.slot, channel, m[0]);
    }
    line.text = m[0] + " JOIN (" + m.FullPrefix + ")";
    line.target = channel;
    line.show = CommandStyle(line);
    return Outcome::Show;
}

Outcome LineHandlers::Part(Line& line) {
    const IrcMessage& m = line.m;
    const std::string& channel = m[2];
    if (SameName(m[0], line.Session().Nick)) {
        line.engine.CloseChannelTab(line.slot, channel);
        return Outcome::Stop;
    }
    line.engine.RemoveMember(line.slot, channel, m[0]);
    line.text = m[0] + " PART";
    if (!m[3].empty()) line.text += " (" + m[3] + ")";
    line.target = channel;
    line.show = CommandStyle(line);
    return Outcome::Show;
}

Outcome LineHandlers::Kick(Line& line) {
    const IrcMessage& m = line.m;
    const std::string& channel = m[2];
    const std::string& kicked = m[3];
    if (SameName(kicked, line.Session().Nick)) {
        line.engine.CloseChannelTab(line.slot, channel);
        // The channel window is gone, so the line lands in the server window.
        line.text = m[0] + " KICK " + channel + " " + kicked + " (" + m[4] + ")";
    } else {
        line.engine.RemoveMember(line.slot, channel, kicked);
        line.text = m[0] + " KICK " + kicked + " (" + m[4] + ")";
    }
    line.target = channel;
    line.show = CommandStyle(line);
    return Outcome::Show;
}

Outcome LineHandlers::Mode(Line& line) {
    line.target = line.m[2];
    line.text = line.engine.ApplyModeChange(line.slot, line.m);
    if (line.text.empty()) return Outcome::Stop;  // user modes are not shown
    line.show = CommandStyle(line);
    return Outcome::Show;
}

Outcome LineHandlers::Nick(Line& line) {
    line.engine.MemberNick(line.slot, line.m[0], line.m[2]);
    return Outcome::Stop;
}

Outcome LineHandlers::Quit(Line& line) {
    line.engine.MemberQuit(line.slot, line.m[0], line.m[2]);
    return Outcome::Stop;
}

Outcome LineHandlers::TopicChange(Line& line) {
    const IrcMessage& m = line.m;
    line.engine.SetTopic(line.slot, m[2], m[3]);
    line.text = m[0] + " TOPIC " + m[3];
    line.target = m[2];
    line.show = CommandStyle(line);
    return Outcome::Show;
}

Outcome LineHandlers::Invite(Line& line) {
    Engine& engine = line.engine;
    const IrcMessage& m = line.m;
    const std::string& sender = m[0];
    engine.CountEvent(line.slot, sender);
    if (!(engine.ProtectionMode && line.Config().DefenceInvite)) {
        InputBoxRequest box;
        box.Caption = "INVITE From " + sender;
        box.Height = 132;
        box.ButtonTop = 72;
        box.ComboVisible = false;
        box.Label1 = texts::ChannelLabel;
        box.Label2 = texts::KeyLabel;
        box.Label2Visible = true;
        box.Edit1Text = WireToSjis(m[3]);
        box.Edit1Enabled = false;
        // The join goes to the channel exactly as the server named it.
        box.AuxText = m[3];
        box.Edit2Visible = true;
        box.EmptyMessage = -1;
        box.Kind = 1;
        box.Slot = line.slot;
        box.Modal = false;
        line.Ui().Beep(BeepKind::Warning);
        if (line.Ui().OpenInputBox(box)) return Outcome::Stop;
        // Too many prompts are waiting: this one is only shown.
    }
    line.text = sender + " INVITE " + m[3];
    line.target.clear();  // the server window
    line.show = CommandStyle(line);
    return Outcome::Show;
}

Outcome LineHandlers::Message(Line& line) {
    Engine& engine = line.engine;
    const IrcMessage& m = line.m;
    const config::Settings& cfg = line.Config();
    const ServerSession& session = line.Session();
    const std::string& sender = m[0];
    const bool privmsg = m[1] == "PRIVMSG";
    const std::string& body = m[3];
    if (body.empty()) return Outcome::Stop;
    if (body.find('\x01') != std::string::npos) {
        if (privmsg)
            engine.HandleCtcpQuery(line.slot, m);
        else
            engine.HandleCtcpReply(line.slot, m);
        return Outcome::Stop;
    }
    line.show = privmsg ? Presentation{FontKind::Private, cfg.Private_Check, cfg.KeywordPrivate}
                        : Presentation{FontKind::Notice, cfg.Notice_Check, cfg.KeywordNotice};
    line.target = m[2];
    if (sender == session.ServerName) {
        // The server talking to us (its notices) gets no window of its own.
        line.text = "<" + sender + "> " + body;
        return Outcome::Show;
    }
    if (SameName(m[2], session.Nick)) {
        line.target = sender;
        line.toMe = privmsg;
        if (engine.OpenChannelTab(line.slot, sender) >= 0) line.Ui().Beep(BeepKind::Warning);
    }
    if (engine.FindChannel(line.slot, line.target) < 0)
        line.text = "<" + line.target + ":" + sender + ">" + body;
    else
        line.text = "<" + sender + "> " + body;
    return Outcome::Show;
}

}  // namespace velmok::session
