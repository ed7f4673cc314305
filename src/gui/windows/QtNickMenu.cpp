#include "windows/QtNickMenu.h"

#include <QAction>
#include <QListWidget>
#include <QMenu>

#include "inputbox/QtInputBox.h"
#include "platform/QtText.h"

namespace velmok::windows {

std::vector<std::string> SelectedCaptions(QListWidget* list) {
    std::vector<std::string> captions;
    if (!list) return captions;
    const bool sorting = list->isSortingEnabled();
    list->setSortingEnabled(false);
    for (int row = 0; row < list->count(); ++row) {
        const QListWidgetItem* item = list->item(row);
        if (item->isSelected()) captions.push_back(platform::ToSjis(item->text()));
    }
    list->setSortingEnabled(sorting);
    return captions;
}

QtNickMenu::QtNickMenu(QWidget* owner, session::Engine& engine, platform::Dialogs* dialogs)
    : QObject(owner), engine_(engine), dialogs_(dialogs), owner_(owner), logic_(engine) {
    Popup_NickWindow = new QMenu(owner);
    Popup_NickWindow->setObjectName(QStringLiteral("Popup_NickWindow"));
    logic_.AskInput = [this](const session::InputBoxRequest& r, std::string& text) {
        return AskInput(r, text);
    };
    for (std::size_t i = 0; i < NickMenuItems.size(); ++i) {
        const NickMenuItem& item = NickMenuItems[i];
        const QString caption = QString::fromLatin1(item.caption);
        QMenu* parent = item.parent < 0 ? Popup_NickWindow : actions_[item.parent]->menu();
        QAction* action = nullptr;
        const bool hasSub =
            i + 1 < NickMenuItems.size() && NickMenuItems[i + 1].parent == static_cast<int>(i);
        if (hasSub) {
            QMenu* sub = parent->addMenu(caption);
            action = sub->menuAction();
        } else {
            action = parent->addAction(caption);
            const NickEntry entry = item.entry;
            connect(action, &QAction::triggered, this, [this, entry] { logic_.Click(entry); });
        }
        action->setObjectName(QStringLiteral("Popup_NickWindow_") + QString::fromLatin1(item.name));
        actions_[i] = action;
        if (item.separatorAfter) parent->addSeparator();
    }
}

void QtNickMenu::Prepare(int slot, int window, QListWidget* list) {
    NickMenuContext context;
    context.slot = slot;
    context.window = window;
    context.selected = SelectedCaptions(list);
    const NickMenuState& state = logic_.Popup(context);
    for (std::size_t i = 0; i < actions_.size(); ++i) {
        actions_[i]->setEnabled(state[i].enabled);
        actions_[i]->setVisible(state[i].visible);
        actions_[i]->setText(QString::fromLatin1(state[i].caption.c_str()));
    }
}

void QtNickMenu::Show(int slot, int window, QListWidget* list, const QPoint& globalPos) {
    Prepare(slot, window, list);
    Popup_NickWindow->popup(globalPos);
}

bool QtNickMenu::AskInput(const session::InputBoxRequest& request, std::string& text) {
    // The box lives on this stack frame, so it must not delete itself.
    session::InputBoxRequest owned = request;
    owned.CallerOwned = true;
    inputbox::Tfrm_InputBox box(owner_, engine_, dialogs_);
    box.Setup(owned);
    if (box.exec() != QDialog::Accepted) return false;
    text = box.FirstText();
    return true;
}

}  // namespace velmok::windows
