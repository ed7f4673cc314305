#pragma once
#include <QObject>
#include <QPointer>
#include <map>

#include "inputbox/PromptBoxes.h"

class QWidget;

namespace velmok::session {
class Engine;
}
namespace velmok::platform {
class Dialogs;
}

namespace velmok::inputbox {

class Tfrm_InputBox;

// Opens and keeps track of the modeless input boxes the engine asks for,
// within the limits of PromptBoxes.
class QtPromptBoxes : public QObject {
    Q_OBJECT
public:
    QtPromptBoxes(QWidget* owner, session::Engine& engine);
    void SetDialogs(platform::Dialogs* dialogs) { dialogs_ = dialogs; }

    // False when too many boxes are open and the prompt was not shown.
    bool Show(const session::InputBoxRequest& request);
    std::size_t OpenCount() const { return boxes_.size(); }
    // The main window closes: every box goes with it, answered or not.
    void CloseAll();

private:
    QWidget* owner_;
    session::Engine& engine_;
    platform::Dialogs* dialogs_ = nullptr;
    PromptBoxes limits_;
    std::map<int, QPointer<Tfrm_InputBox>> boxes_;
};

}  // namespace velmok::inputbox
