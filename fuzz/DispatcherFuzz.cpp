// Random server lines through a real engine and the recording frontend, in
// every registration state, cut into reads anywhere. Member lists grow and
// shrink under NAMES, JOIN, PART, MODE, KICK, NICK and QUIT; whatever comes,
// the records stay well formed and what we send stays line-framed.
#include <algorithm>

#include "FuzzSupport.h"
#include "session/ChannelNames.h"

using namespace velmok::session;
using velmok::fuzz::EngineRig;

namespace {

void CheckRecords(Engine& engine) {
    for (int slot = 0; slot < SlotCount; ++slot) {
        const SlotState& s = engine.Slot(slot);
        // Only an unfinished line waits between reads, and it is capped.
        FUZZ_CHECK(s.ReceiveBuffer.find('\n') == std::string::npos);
        FUZZ_CHECK(s.ReceiveBuffer.size() <= MaxPendingLine);
        for (const ChannelRecord& record : s.Channels) {
            if (record.IsFree()) {
                FUZZ_CHECK(record.Members.empty());
                continue;
            }
            FUZZ_CHECK(
                std::is_sorted(record.Members.begin(), record.Members.end(), engine.MemberOrderOf(slot)));
            for (const std::string& caption : record.Members) FUZZ_CHECK(!caption.empty());
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    velmok::fuzz::Bytes in(data, size);
    const std::uint8_t mode = in.Byte();
    const std::uint8_t toggles = in.Byte();

    EngineRig rig;
    rig.ui.yesNoAnswer = (mode & 4) != 0;
    rig.settings.Server_Check = (toggles & 1) != 0;
    rig.settings.DefenceInvite = (toggles & 2) != 0;
    rig.settings.DccSend = (toggles & 4) != 0;
    rig.settings.Events.push_back(
        {"e", "PRIVMSG", "*", "*", "%m*", "", "", (toggles & 8) != 0, "NOTICE %n :%1 %2 %3"});
    // A login to negotiate, by password or by certificate.
    if (toggles & 16)
        rig.settings.Sasl.Set(
            "127.0.0.1", "6667",
            {(toggles & 32) ? velmok::config::SaslMechanism::External : velmok::config::SaslMechanism::Plain,
             ""});
    rig.Start(mode & 3);
    if (mode & 8) rig.engine.RequestClose();

    // Reads end at 0xFF bytes (three at most; the rest is one last read), and
    // the send timer runs between them.
    for (int read = 0; read < 4 && !in.Empty(); ++read) {
        const std::string bytes = read < 3 ? in.Until('\xff') : in.Rest();
        if (!rig.sockets.IsAlive(rig.socket)) break;
        rig.socket->Deliver(bytes);
        CheckRecords(rig.engine);
        rig.clock.Advance(700);
        rig.engine.DrainSendQueues();
        if (rig.sockets.IsAlive(rig.socket)) EngineRig::CheckWire(rig.socket->TakeSent());
    }
    return 0;
}
