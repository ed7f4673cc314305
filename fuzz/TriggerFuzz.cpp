// Event triggers whose patterns and command come from the settings file,
// matched against whatever a server sends. Matching never fails, and the
// command it sends stays one line whatever the sender put into it.
#include "FuzzSupport.h"
#include "ui/EventTriggers.h"

using namespace velmok;
using fuzz::EngineRig;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Bytes in(data, size);
    const std::uint8_t mode = in.Byte();
    config::EventTrigger trigger;
    trigger.Name = "t";
    for (std::string* field : {&trigger.Trigger, &trigger.Prefix, &trigger.Param1, &trigger.Param2,
                               &trigger.Param3, &trigger.Param4, &trigger.Command})
        *field = in.Until('\xff');
    trigger.ExcludeOwn = (mode & 1) != 0;
    const std::string line = in.Rest();

    // A pattern without "*" matches only itself; "*" alone anything not empty.
    FUZZ_CHECK(ui::MatchPattern(trigger.Prefix, trigger.Prefix) ||
               trigger.Prefix.find('*') != std::string::npos);
    FUZZ_CHECK(ui::MatchPattern(trigger.Prefix, "*") == !trigger.Prefix.empty());
    FUZZ_CHECK(ui::ReplaceAll(trigger.Command, "%", "%") == trigger.Command);

    EngineRig rig;
    rig.settings.Events = {trigger, trigger};
    rig.settings.Events[1].Trigger = "PRIVMSG";
    rig.Start((mode & 2) ? 2 : 1);
    rig.socket->Deliver(line);
    for (int tick = 0; tick < 16; ++tick) rig.engine.DrainSendQueues();
    EngineRig::CheckWire(rig.socket->TakeSent());
    return 0;
}
