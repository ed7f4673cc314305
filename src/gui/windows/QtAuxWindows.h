#pragma once
#include <QObject>
#include <QPointer>
#include <array>
#include <string>
#include <vector>

#include "session/Engine.h"

class QListWidget;
class QPoint;
class QWidget;

namespace velmok::platform {
class Dialogs;
}

namespace velmok::windows {

class QtNickMenu;
class Tfrm_List;
class Tfrm_Whois;

// Creates and keeps track of the main window's auxiliary windows: the WHOIS
// windows, one channel list per slot, the channel properties dialog, and the
// member lists' context menu.
class QtAuxWindows : public QObject {
    Q_OBJECT
public:
    QtAuxWindows(QWidget* owner, session::Engine& engine, platform::Dialogs* dialogs);
    ~QtAuxWindows() override;

    void SetDialogs(platform::Dialogs* dialogs);
    QtNickMenu& NickMenu() { return *nickMenu_; }

    // The end of a WHOIS: a window for the row of (slot, nick), filled at once.
    void OpenWhoisWindow(int slot, const std::string& nick, const std::string& caption);
    // A repeated WHOIS completed the row of an open window.
    void RefreshWhoisWindow(int slot, const std::string& nick);
    // The end of the first LIST answer of a slot without a list window.
    void OpenChannelList(int slot);
    // A further complete list waits for the slot's open list window.
    void RefreshChannelList(int slot);

    // A double click on a member list: WHOIS for the selected nicks, or with
    // nothing selected the channel's properties.
    void NickListDoubleClick(int slot, int window, QListWidget* list);
    // Asks the channel's bans and shows its properties modally.
    void OpenChannelInfo(int slot, int window);
    void ShowNickMenu(int slot, int window, QListWidget* list, const QPoint& globalPos);
    // Files dragged from the desktop over a member list (drag enter, move and
    // drop): dropped on a member, each is offered to them. True when the
    // event was about files.
    bool NickListDrag(int slot, int window, QListWidget* list, QEvent* event);

    Tfrm_Whois* WhoisWindow(int slot, const std::string& nick) const;
    Tfrm_List* ChannelList(int slot) const;
    // The main window closes: so do the windows it opened.
    void CloseAll();

private:
    bool IsChannelWindow(int slot, int window) const;
    void ShowChannelInfo(int slot, int window);

    QWidget* owner_;
    session::Engine& engine_;
    platform::Dialogs* dialogs_;
    QtNickMenu* nickMenu_;
    std::vector<QPointer<Tfrm_Whois>> whois_;
    std::array<QPointer<Tfrm_List>, session::SlotCount> lists_;
};

}  // namespace velmok::windows
