#pragma once
// The input boxes a server opens on its own (a channel key asked for by reply
// 475, an INVITE): modeless, so they must not pile up. One box per slot and
// channel, and a few in all; a prompt past that is shown only as a line.
#include <cstddef>
#include <string>
#include <vector>

#include "session/Frontend.h"

namespace velmok::inputbox {

class PromptBoxes {
public:
    // Boxes open at once; a few are plenty for a person to answer.
    static constexpr std::size_t MaxOpen = 5;

    enum class Placement {
        Update,  // a box for the slot and channel is open: bring it forward with the new request
        Open,    // open a new box
        AsLine,  // too many are open: show the prompt as a line only
    };
    struct Decision {
        Placement placement;
        int id;  // the box to update, or the id of the new one; -1 for AsLine
    };

    // Where a prompt goes; an Open decision counts the new box as open.
    Decision Place(const session::InputBoxRequest& request);
    // The box went (answered, cancelled or closed).
    void Closed(int id);
    std::size_t OpenCount() const { return open_.size(); }

    // The channel a prompt is about, ASCII letters folded.
    static std::string ChannelOf(const session::InputBoxRequest& request);

private:
    struct Entry {
        int id;
        int slot;
        std::string channel;
    };
    std::vector<Entry> open_;
    int nextId_ = 0;
};

}  // namespace velmok::inputbox
