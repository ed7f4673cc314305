#include "inputbox/PromptBoxes.h"

#include <algorithm>

#include "session/ChannelNames.h"

namespace velmok::inputbox {

// A 475 box and an INVITE box keep the channel as received in AuxText.
std::string PromptBoxes::ChannelOf(const session::InputBoxRequest& request) {
    return session::channels::FoldAscii(request.AuxText.empty() ? request.Edit1Text : request.AuxText);
}

PromptBoxes::Decision PromptBoxes::Place(const session::InputBoxRequest& request) {
    const std::string channel = ChannelOf(request);
    const auto same = std::find_if(open_.begin(), open_.end(), [&](const Entry& e) {
        return e.slot == request.Slot && e.channel == channel;
    });
    if (same != open_.end()) return {Placement::Update, same->id};
    if (open_.size() >= MaxOpen) return {Placement::AsLine, -1};
    open_.push_back({nextId_, request.Slot, channel});
    return {Placement::Open, nextId_++};
}

void PromptBoxes::Closed(int id) {
    std::erase_if(open_, [id](const Entry& e) { return e.id == id; });
}

}  // namespace velmok::inputbox
