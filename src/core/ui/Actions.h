#pragma once
#include <string>

#include "session/Engine.h"
#include "session/Frontend.h"

namespace velmok::ui {

// Enabled state of the command menu's entries when it opens.
struct CommandMenuState {
    bool join = false;
    bool part = false;
    bool nick = false;
    bool away = false;
    bool list = false;
};
CommandMenuState CommandMenuFor(const session::Engine& engine, int slot);

// Input-box set-ups of the main window's commands (slot: the current slot).
session::InputBoxRequest JoinRequest(const session::Engine& engine, int slot);
session::InputBoxRequest PartRequest(const session::Engine& engine, int slot);
session::InputBoxRequest NickRequest(int slot);
session::InputBoxRequest AwayRequest(const session::Engine& engine, int slot);

// CommandAway: true when the slot is away and "AWAY" was queued at once;
// false when the caller must ask for a message with AwayRequest.
bool AwayWithoutQuestion(session::Engine& engine, int slot);
// CommandList: queues "LIST".
void QueueList(session::Engine& engine, int slot);

}  // namespace velmok::ui
