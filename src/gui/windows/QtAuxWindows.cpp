#include "windows/QtAuxWindows.h"

#include <QDropEvent>
#include <QFileInfo>
#include <QListWidget>
#include <QMimeData>
#include <QUrl>

#include "platform/QtText.h"
#include "session/ChannelNames.h"
#include "windows/ChannelInfo.h"
#include "windows/QtChannelInfo.h"
#include "windows/QtChannelList.h"
#include "windows/QtNickMenu.h"
#include "windows/QtWhois.h"

namespace velmok::windows {

QtAuxWindows::QtAuxWindows(QWidget* owner, session::Engine& engine, platform::Dialogs* dialogs)
    : owner_(owner), engine_(engine), dialogs_(dialogs), nickMenu_(new QtNickMenu(owner, engine, dialogs)) {}

QtAuxWindows::~QtAuxWindows() {
    // The windows read the engine; they go before it does.
    for (QPointer<Tfrm_Whois>& w : whois_) delete w.data();
    for (QPointer<Tfrm_List>& l : lists_) delete l.data();
}

void QtAuxWindows::SetDialogs(platform::Dialogs* dialogs) {
    dialogs_ = dialogs;
    nickMenu_->SetDialogs(dialogs);
}

Tfrm_Whois* QtAuxWindows::WhoisWindow(int slot, const std::string& nick) const {
    for (const QPointer<Tfrm_Whois>& w : whois_)
        if (w && !w->IsClosed() && w->SessionIndex == slot && session::channels::SameName(w->Nick(), nick))
            return w.data();
    return nullptr;
}

Tfrm_List* QtAuxWindows::ChannelList(int slot) const {
    // A window closed in this turn of the event loop is only waiting to be
    // destroyed; a list arriving now needs a new one.
    if (slot < 0 || slot >= session::SlotCount || !lists_[slot] || lists_[slot]->IsClosed()) return nullptr;
    return lists_[slot].data();
}

void QtAuxWindows::OpenWhoisWindow(int slot, const std::string& nick, const std::string& caption) {
    std::erase_if(whois_, [](const QPointer<Tfrm_Whois>& w) { return w.isNull(); });
    Tfrm_Whois* window = WhoisWindow(slot, nick);
    if (!window) {
        window = new Tfrm_Whois(owner_, engine_, slot, nick);
        whois_.emplace_back(window);
    }
    window->setWindowTitle(platform::FromSjis(caption));
    window->Timer1Timer();
}

void QtAuxWindows::RefreshWhoisWindow(int slot, const std::string& nick) {
    // The window would see the row on its next tick; there is no reason to
    // keep the user waiting for it.
    if (Tfrm_Whois* window = WhoisWindow(slot, nick)) window->Timer1Timer();
}

void QtAuxWindows::OpenChannelList(int slot) {
    if (slot < 0 || slot >= session::SlotCount) return;
    if (!ChannelList(slot)) lists_[slot] = new Tfrm_List(owner_, engine_, slot);
    lists_[slot]->show();
    RefreshChannelList(slot);
}

void QtAuxWindows::RefreshChannelList(int slot) {
    if (!ChannelList(slot)) return;
    // The list is taken on the window's next tick; a whole second is long
    // to look at an empty window. The tick runs once the end-of-list reply
    // has been handled.
    QMetaObject::invokeMethod(
        lists_[slot].data(), [list = lists_[slot]] { list->Timer1Timer(); }, Qt::QueuedConnection);
}

void QtAuxWindows::NickListDoubleClick(int slot, int window, QListWidget* list) {
    const std::vector<std::string> selected = SelectedCaptions(list);
    if (!selected.empty()) {
        engine_.QueueMemberCommand(slot, selected, "WHOIS", "", 2);
        return;
    }
    if (!IsChannelWindow(slot, window)) return;
    RequestBanList(engine_, slot, window);
    // The dialog's own event loop must not run inside the list's mouse
    // event: the list may be gone by the time the dialog closes.
    QMetaObject::invokeMethod(
        this, [this, slot, window] { ShowChannelInfo(slot, window); }, Qt::QueuedConnection);
}

void QtAuxWindows::OpenChannelInfo(int slot, int window) {
    if (!IsChannelWindow(slot, window)) return;
    RequestBanList(engine_, slot, window);
    ShowChannelInfo(slot, window);
}

bool QtAuxWindows::IsChannelWindow(int slot, int window) const {
    if (slot < 0 || slot >= session::SlotCount || window < 0 || window >= session::WindowCount) return false;
    const session::ChannelRecord& record = engine_.Channel(slot, window);
    return !record.IsFree() && record.IsChannel;
}

void QtAuxWindows::ShowChannelInfo(int slot, int window) {
    // The channel may have been left since the double click.
    if (!IsChannelWindow(slot, window)) return;
    // Held by a guard: the owner may go while the dialog's loop runs.
    QPointer<Tfrm_ChannelInfo> dialog = new Tfrm_ChannelInfo(owner_, engine_, dialogs_, slot, window);
    dialog->exec();
    delete dialog.data();
}

void QtAuxWindows::ShowNickMenu(int slot, int window, QListWidget* list, const QPoint& globalPos) {
    nickMenu_->Show(slot, window, list, globalPos);
}

bool QtAuxWindows::NickListDrag(int slot, int window, QListWidget* list, QEvent* event) {
    auto* drag = static_cast<QDropEvent*>(event);
    std::vector<std::string> paths;
    for (const QUrl& url : drag->mimeData()->urls())
        if (url.isLocalFile() && QFileInfo(url.toLocalFile()).isFile())
            paths.push_back(platform::ToLocalPath(url.toLocalFile()));
    if (paths.empty()) return false;
    if (event->type() == QEvent::DragEnter) {
        // Where it may be dropped is decided as it moves over the members.
        drag->acceptProposedAction();
        return true;
    }
    const QListWidgetItem* item = list->itemAt(drag->position().toPoint());
    const std::string caption = item ? platform::ToSjis(item->text()) : std::string();
    windows::NickMenu& logic = nickMenu_->Logic();
    if (!logic.AcceptsDrop(slot, window, caption)) {
        drag->ignore();
        return true;
    }
    drag->setDropAction(Qt::CopyAction);
    drag->accept();
    if (event->type() == QEvent::Drop) {
        // Each offer asks nothing more, but its window must not open inside
        // the desktop's drop.
        QMetaObject::invokeMethod(
            this, [&logic, slot, window, caption, paths] { logic.DropFiles(slot, window, caption, paths); },
            Qt::QueuedConnection);
    }
    return true;
}

void QtAuxWindows::CloseAll() {
    for (QPointer<Tfrm_Whois>& w : whois_)
        if (w) w->close();
    for (QPointer<Tfrm_List>& l : lists_)
        if (l) l->close();
}

}  // namespace velmok::windows
