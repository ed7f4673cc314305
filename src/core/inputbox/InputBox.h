#pragma once
#include <string>
#include <vector>

namespace velmok::session {
class Engine;
}

namespace velmok::inputbox {

// What the input box was opened for and how OK is checked.
struct InputBoxState {
    int Kind = 0;
    int Slot = 0;
    int EmptyMessage = -1;
    bool CallerOwned = false;
    std::string AuxText;
    bool RefuseNextClose = false;
};

// The dialog's fields when OK is pressed (Shift-JIS).
struct InputBoxFields {
    std::string comboText;
    int comboIndex = -1;  // the chosen entry, -1 when the text is no entry
    std::string edit1;
    std::string key;

    // The combo text when not empty, else the first edit.
    const std::string& First() const { return comboText.empty() ? edit1 : comboText; }
};

// OK pressed: checks the fields and queues the line of the Kind on the slot's
// SendQueueA. Returns 0 when the dialog may close, otherwise the message
// number to show; RefuseNextClose is then set.
int InputBoxOk(session::Engine& engine, InputBoxState& state, const InputBoxFields& fields);

// Close requested: false (and the flag cleared) when a failed check refuses it.
bool InputBoxMayClose(InputBoxState& state);

// The key of the auto-join entry at position index (counting from 0), or
// nothing when the line has no such entry.
bool AutoJoinKeyAt(const std::string& autoJoin, int index, std::string& key);

// The channel names of an auto-join line, in order, ticked or not.
std::vector<std::string> AutoJoinChannels(const std::string& autoJoin);

}  // namespace velmok::inputbox
