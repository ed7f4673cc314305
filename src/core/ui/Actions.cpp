#include "ui/Actions.h"

#include "base/Common.h"
#include "base/Texts.h"
#include "inputbox/InputBox.h"
#include "session/Codec.h"

namespace velmok::ui {

using session::InputBoxRequest;

namespace {
// " (Shift-JIS is included.)"
const char kSjisNote[] = " (Shift-JIS is included.)";
}  // namespace

CommandMenuState CommandMenuFor(const session::Engine& engine, int slot) {
    CommandMenuState s;
    if (slot < 0 || slot >= session::SlotCount) return s;
    const session::SlotState& st = engine.Slot(slot);
    s.join = s.nick = s.away = s.list = st.Registered;
    for (const session::ChannelRecord& r : st.Channels) {
        if (!r.IsFree() && r.IsChannel) {
            s.part = true;
            break;
        }
    }
    return s;
}

InputBoxRequest JoinRequest(const session::Engine& engine, int slot) {
    InputBoxRequest r;
    r.Caption = "JOIN";
    r.Kind = 1;
    r.Slot = slot;
    r.EmptyMessage = 10;
    r.Height = 132;
    r.ButtonTop = 72;
    r.Label1 = texts::ChannelLabel;
    r.Label2 = texts::KeyLabel;
    r.ComboVisible = true;
    r.ComboItems = inputbox::AutoJoinChannels(engine.Slot(slot).Session.AutoJoin);
    r.Edit1Visible = false;
    r.Label2Visible = true;
    r.Edit2Visible = true;
    return r;
}

InputBoxRequest PartRequest(const session::Engine& engine, int slot) {
    InputBoxRequest r;
    r.Caption = "PART";
    r.Kind = 2;
    r.Slot = slot;
    r.EmptyMessage = 10;
    r.Label1 = texts::ChannelLabel;
    r.ComboVisible = true;
    r.Edit1Visible = false;
    for (const session::ChannelRecord& rec : engine.Slot(slot).Channels) {
        if (rec.IsFree() || !rec.IsChannel) continue;
        std::string item = session::WireToSjis(rec.Name);
        if (base::HasDoubleByte(rec.Name)) item += kSjisNote;
        r.ComboItems.push_back(item);
        r.AuxText += rec.Name + "\r\n";
    }
    return r;
}

InputBoxRequest NickRequest(int slot) {
    InputBoxRequest r;
    r.Caption = "NICK";
    r.Kind = 3;
    r.Slot = slot;
    r.EmptyMessage = 13;
    r.Label1 = texts::NickLabel;
    r.Edit1ImeOff = true;
    return r;
}

InputBoxRequest AwayRequest(const session::Engine& engine, int slot) {
    InputBoxRequest r;
    r.Caption = "AWAY";
    r.Kind = 4;
    r.Slot = slot;
    r.EmptyMessage = -1;
    r.Label1 = texts::MessageLabel;
    r.Edit1Text = engine.Config().AwayMessage;
    return r;
}

bool AwayWithoutQuestion(session::Engine& engine, int slot) {
    if (!engine.Session(slot).Away) return false;
    engine.EnqueueLine(session::Queue::A, slot, "AWAY", 2);
    return true;
}

void QueueList(session::Engine& engine, int slot) { engine.EnqueueLine(session::Queue::A, slot, "LIST", 2); }

}  // namespace velmok::ui
