#include "inputbox/QtPromptBoxes.h"

#include "inputbox/QtInputBox.h"

namespace velmok::inputbox {

QtPromptBoxes::QtPromptBoxes(QWidget* owner, session::Engine& engine)
    : QObject(owner), owner_(owner), engine_(engine) {}

bool QtPromptBoxes::Show(const session::InputBoxRequest& request) {
    const PromptBoxes::Decision decision = limits_.Place(request);
    if (decision.placement == PromptBoxes::Placement::AsLine) return false;
    Tfrm_InputBox* box = nullptr;
    if (decision.placement == PromptBoxes::Placement::Update) {
        box = boxes_[decision.id];
    } else {
        box = new Tfrm_InputBox(owner_, engine_, dialogs_);
        boxes_[decision.id] = box;
        const int id = decision.id;
        connect(box, &QObject::destroyed, this, [this, id] {
            limits_.Closed(id);
            boxes_.erase(id);
        });
    }
    box->Setup(request);
    // The server opened it, maybe while the user is typing: it comes up in
    // front without taking the keyboard, so the rest of a line cannot end up
    // in it (or accept an invitation with Enter).
    box->setAttribute(Qt::WA_ShowWithoutActivating);
    box->show();
    box->raise();
    return true;
}

void QtPromptBoxes::CloseAll() {
    // A box whose check just failed would refuse to close; the program is
    // ending, so it goes all the same. Closed, not deleted: it may be running
    // an error box of its own.
    const auto boxes = boxes_;
    for (const auto& [id, box] : boxes)
        if (box) box->CloseUnanswered();
}

}  // namespace velmok::inputbox
