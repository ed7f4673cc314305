// Lines typed (or pasted) into the input line: commands, "/G", "|" escapes,
// every send mode, in a server window and in channel and private windows.
// Whatever is typed, what reaches the server stays line-framed.
#include "FuzzSupport.h"
#include "ui/InputLine.h"

using namespace velmok;
using fuzz::EngineRig;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Bytes in(data, size);
    const std::uint8_t mode = in.Byte();
    const std::string typed = in.Rest();

    // "|x00", "|x0A" and "|x0D" stay as typed: an escape never makes a line break.
    const std::string expanded = ui::ExpandEscapes(typed);
    for (char c : {'\0', '\r', '\n'}) {
        if (typed.find(c) == std::string::npos) FUZZ_CHECK(expanded.find(c) == std::string::npos);
    }

    // The change handler splits a paste into lines and keeps the unfinished rest.
    const ui::InputChange change = ui::SplitInput(typed);
    for (const std::string& line : change.lines) {
        FUZZ_CHECK(!line.empty() && line.find('\n') == std::string::npos);
    }

    EngineRig rig;
    rig.Start((mode & 1) ? 2 : 1);
    const int window = (mode & 2) ? 0 : (mode & 4) ? 2 : session::ServerWindow;
    const ui::InputMode inputMode = static_cast<ui::InputMode>((mode >> 3) % 3);
    ui::InputHistory history;
    for (const std::string& line : change.lines)
        ui::ProcessInput(rig.engine, 0, window, inputMode, line, history);
    if (!change.remainder.empty())
        ui::ProcessInput(rig.engine, 0, window, inputMode, change.remainder, history);
    FUZZ_CHECK(history.Lines().size() <= ui::InputHistory::Capacity);

    // Everything queued leaves within a bounded number of timer ticks.
    for (int tick = 0; tick < 64; ++tick) rig.engine.DrainSendQueues();
    EngineRig::CheckWire(rig.socket->TakeSent(), typed.find('\0') != std::string::npos);
    return 0;
}
