#pragma once
#include <QObject>
#include <array>
#include <string>
#include <vector>

#include "windows/NickMenu.h"

class QAction;
class QListWidget;
class QMenu;
class QPoint;
class QWidget;

namespace velmok::platform {
class Dialogs;
}

namespace velmok::windows {

// The captions selected in a member list, in list order. Sorting is off
// while the rows are walked, so none moves under the walk.
std::vector<std::string> SelectedCaptions(QListWidget* list);

// Popup_NickWindow: the context menu of every member list.
class QtNickMenu : public QObject {
    Q_OBJECT
public:
    QtNickMenu(QWidget* owner, session::Engine& engine, platform::Dialogs* dialogs);

    void SetDialogs(platform::Dialogs* dialogs) { dialogs_ = dialogs; }
    // The logic; its OfferChat and OfferFile hooks reach the DCC windows.
    NickMenu& Logic() { return logic_; }

    // Popup_NickWindowPopup for the list of a window: sets every entry up for
    // the selection. Show also opens the menu at globalPos.
    void Prepare(int slot, int window, QListWidget* list);
    void Show(int slot, int window, QListWidget* list, const QPoint& globalPos);

    QMenu* Popup_NickWindow;
    QAction* Action(NickEntry entry) const { return actions_[static_cast<std::size_t>(entry)]; }

private:
    bool AskInput(const session::InputBoxRequest& request, std::string& text);

    session::Engine& engine_;
    platform::Dialogs* dialogs_;
    QWidget* owner_;
    NickMenu logic_;
    std::array<QAction*, NickEntryCount> actions_{};
};

}  // namespace velmok::windows
