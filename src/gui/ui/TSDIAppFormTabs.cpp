// Server tabs, conversation tabs and the title of the main window.
#include <QApplication>
#include <QHBoxLayout>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSplitter>

#include "base/Common.h"
#include "config/Error.h"
#include "platform/QtText.h"
#include "session/Codec.h"
#include "ui/QtEventLog.h"
#include "ui/QtNickList.h"
#include "ui/TSDIAppForm.h"
#include "ui/Tabs.h"
#include "widgets/QtStyles.h"
#include "windows/QtAuxWindows.h"

namespace velmok::ui {

using platform::FromSjis;
using session::FontKind;
using session::TabImage;

QIcon TSDIAppForm::TabIcon(TabImage image) const {
    int i = static_cast<int>(image);
    return i >= 0 && i < static_cast<int>(icons_.size()) ? icons_[i] : QIcon();
}

int TSDIAppForm::CurrentSlot() const {
    const int position = PageControlS->currentIndex();
    return position >= 0 && position < session::SlotCount ? serverTabs_[position] : -1;
}

int TSDIAppForm::CurrentWindow() const {
    const int slot = CurrentSlot();
    return slot >= 0 ? slotViews_[slot].map.WindowAt(slotViews_[slot].tabs->currentIndex())
                     : session::ServerWindow;
}

int TSDIAppForm::ActiveWindow(int slot) {
    if (slot < 0 || slot >= session::SlotCount || !slotViews_[slot].tabs) return session::ServerWindow;
    return slotViews_[slot].map.WindowAt(slotViews_[slot].tabs->currentIndex());
}

widgets::QtMessageView* TSDIAppForm::ViewOf(int slot, int window) const {
    if (slot < 0 || slot >= session::SlotCount) return nullptr;
    if (window == session::ServerWindow) return slotViews_[slot].serverView;
    if (window < 0 || window >= session::WindowCount) return nullptr;
    return slotViews_[slot].windows[window].view;
}

QListWidget* TSDIAppForm::NickListOf(int slot, int window) const {
    if (slot < 0 || slot >= session::SlotCount || window < 0 || window >= session::WindowCount)
        return nullptr;
    return slotViews_[slot].windows[window].nicks;
}

void TSDIAppForm::ServerConnected(int slot, const std::string& serverName, bool clearView) {
    SlotView& sv = slotViews_[slot];
    if (!sv.serverPage) {
        sv.serverPage = new QWidget;
        auto* layout = new QVBoxLayout(sv.serverPage);
        layout->setContentsMargins(0, 0, 0, 0);
        sv.tabs = new widgets::QtTabSet(sv.serverPage);
        sv.tabs->setObjectName(QStringLiteral("PageControl%1").arg(slot));
        ApplyTabLayout(sv.tabs, settings_.Channel_Position, settings_.Channel_MultiLine);
        sv.serverView = NewView(FontKind::Server);
        sv.map.Reset();
        sv.tabs->addTab(sv.serverView, QStringLiteral("Server"));
        layout->addWidget(sv.tabs);
        connect(sv.tabs, &widgets::QtTabSet::currentChanged, this, [this, slot] { OnSlotTabChanged(slot); });
        // The map first: adding the tab may already report a change of tabs.
        AddServerTab(serverTabs_, slot);
        PageControlS->addTab(sv.serverPage, QString());
        PageControlS->setCurrentWidget(sv.serverPage);
    }
    sv.connected = true;
    if (clearView) sv.serverView->Clear();
    const int index = PageControlS->indexOf(sv.serverPage);
    PageControlS->setTabText(index, FromSjis(CaptionText(serverName)));
    PageControlS->setTabIcon(index, TabIcon(TabImage::Connected));
    sv.tabs->setTabText(0, QStringLiteral("Server"));
    UpdateTitle(slot);
    UpdateConnectedActions();
}

void TSDIAppForm::ServerRenamed(int slot, const std::string& serverName) {
    SlotView& sv = slotViews_[slot];
    if (!sv.serverPage) return;
    PageControlS->setTabText(PageControlS->indexOf(sv.serverPage), FromSjis(CaptionText(serverName)));
    UpdateConnectedActions();
}

void TSDIAppForm::ServerDisconnected(int slot) {
    SlotView& sv = slotViews_[slot];
    sv.connected = false;
    if (sv.serverPage) {
        PageControlS->setTabIcon(PageControlS->indexOf(sv.serverPage), TabIcon(TabImage::Disconnected));
        sv.tabs->setTabIcon(0, QIcon());
    }
    // The reset emptied the server name, so a shown slot reads the application title.
    UpdateTitle(slot);
    UpdateConnectedActions();
}

void TSDIAppForm::UpdateConnectedActions() {
    const int slot = CurrentSlot();
    const bool registered = slot >= 0 && engine_->Slot(slot).Registered;
    // The disconnect action also stops an automatic reconnection.
    FileDisConnectAction->setEnabled(registered || (slot >= 0 && engine_->ReconnectPending(slot)));
    CommandAwayAction->setEnabled(registered);
    // Commands may be typed as soon as the connection is up, registration or not.
    InputLine()->setEnabled(slot >= 0 && slotViews_[slot].connected);
}

void TSDIAppForm::BuildWindow(int slot, int window, const std::string& name, bool activate) {
    SlotView& sv = slotViews_[slot];
    if (!sv.tabs) return;
    // The nick-list width travels from the window being left.
    const int leaving = ActiveWindow(slot);
    if (activate && leaving >= 0 && sv.windows[leaving].nicks)
        nickListWidth_ = sv.windows[leaving].nicks->width();

    WindowView& w = sv.windows[window];
    w.splitter = new QSplitter(Qt::Horizontal);
    w.page = w.splitter;
    w.view = NewView(FontKind::Private);
    w.nicks = new QListWidget;
    w.nicks->setObjectName(QStringLiteral("Liv_Nicklists"));
    w.nicks->setSelectionMode(QAbstractItemView::ExtendedSelection);
    w.nicks->setSortingEnabled(false);
    ApplyNickListStyle(w.nicks);
    w.splitter->addWidget(w.view);
    w.splitter->addWidget(w.nicks);
    w.splitter->setStretchFactor(0, 1);
    w.splitter->setSizes({std::max(50, width() - nickListWidth_), nickListWidth_});
    connect(w.splitter, &QSplitter::splitterMoved, this, [this, &w] { nickListWidth_ = w.nicks->width(); });
    // Any double click, on a nick or on empty space, decides by the selection.
    w.nicks->viewport()->installEventFilter(this);
    // Files from the desktop dropped on a member are offered to them.
    w.nicks->setAcceptDrops(true);
    w.nicks->setDragDropMode(QAbstractItemView::DropOnly);
    w.nicks->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(w.nicks, &QWidget::customContextMenuRequested, this,
            [this, slot, window, list = w.nicks](const QPoint& pos) {
                aux_->ShowNickMenu(slot, window, list, list->viewport()->mapToGlobal(pos));
            });

    // The map first: entering the tab asks which window it shows.
    sv.map.Append(window);
    const int index = sv.tabs->addTab(w.page, FromSjis(TabCaption(name)));
    if (!activate) {
        // Someone else opened it: whatever the user is reading and typing
        // stays where it is, and the mark says there is something new.
        sv.tabs->setTabIcon(index, TabIcon(TabImage::NewText));
        return;
    }
    sv.tabs->setTabIcon(index, base::HasDoubleByte(name) ? TabIcon(TabImage::DoubleByte) : QIcon());
    sv.tabs->setCurrentIndex(index);
    if (PageControlS->currentWidget() == sv.serverPage) UpdateTitle(slot);
}

void TSDIAppForm::RemoveWindow(int slot, int window) {
    SlotView& sv = slotViews_[slot];
    WindowView& w = sv.windows[window];
    if (!sv.tabs || !w.page) return;
    const int active = sv.tabs->currentIndex();
    const int count = sv.tabs->count();
    const int index = sv.map.PositionOf(window);
    // Typing goes on in the input line when the view that had the keyboard goes.
    if (w.page->isAncestorOf(QApplication::focusWidget())) InputLine()->setFocus();
    {
        // Removing the tab moves the selection itself; decide it below instead.
        QSignalBlocker block(sv.tabs);
        sv.tabs->removeTab(index);
        sv.map.RemoveAt(index);
    }
    w.page->deleteLater();
    w = WindowView{};
    // A tab closed in the background leaves the one being looked at active.
    const int next = ActiveTabAfterRemove(active, index, count);
    if (next >= 0 && next < sv.tabs->count()) sv.tabs->setCurrentIndex(next);
    RestoreTabImage(slot, sv.tabs->currentIndex());
    UpdateTitle(slot);
}

void TSDIAppForm::RestoreTabImage(int slot, int position) {
    SlotView& sv = slotViews_[slot];
    if (position < 0) return;
    const int window = sv.map.WindowAt(position);
    if (window >= 0 && engine_->Channel(slot, window).Disconnected)
        return sv.tabs->setTabIcon(position, TabIcon(TabImage::Disconnected));
    const bool dbcs = window >= 0 && base::HasDoubleByte(engine_->Channel(slot, window).Name);
    sv.tabs->setTabIcon(position, dbcs ? TabIcon(TabImage::DoubleByte) : QIcon());
}

void TSDIAppForm::SetWindowConnected(int slot, int window, bool) {
    SlotView& sv = slotViews_[slot];
    if (!sv.tabs || window < 0 || window >= session::WindowCount || !sv.windows[window].page) return;
    RestoreTabImage(slot, sv.map.PositionOf(window));
}

void TSDIAppForm::RenameWindow(int slot, int window, const std::string& name) {
    SlotView& sv = slotViews_[slot];
    if (!sv.tabs || !sv.windows[window].page) return;
    sv.tabs->setTabText(sv.map.PositionOf(window), FromSjis(TabCaption(name)));
}

void TSDIAppForm::ActivateWindow(int slot, int window) {
    if (slot < 0 || slot >= session::SlotCount) return;
    SlotView& sv = slotViews_[slot];
    if (!sv.tabs) return;
    PageControlS->setCurrentWidget(sv.serverPage);
    const int position = window >= 0 ? sv.map.PositionOf(window) : 0;
    if (position >= 0 && position < sv.tabs->count()) sv.tabs->setCurrentIndex(position);
}

void TSDIAppForm::ClearWindow(int slot, int window) {
    if (widgets::QtMessageView* view = ViewOf(slot, window)) view->Clear();
}

void TSDIAppForm::MembersChanged(int slot, int window) {
    if (!NickListOf(slot, window)) return;
    // A NAMES listing arrives in many lines; its end or the next idle moment
    // shows it whole.
    if (engine_->Channel(slot, window).NamesPending) {
        nickRefresh_->Later(slot, window);
        return;
    }
    FillNickList(NickListOf(slot, window), engine_->Channel(slot, window).Members,
                 [this, slot](const std::string& nick) { return engine_->IsAway(slot, nick); });
}

void TSDIAppForm::MarkTab(int slot, int window) {
    SlotView& sv = slotViews_[slot];
    if (!sv.tabs) return;
    const int position =
        MarkTabPosition(sv.map, sv.tabs->currentIndex(), window, engine_->Slot(slot).Channels);
    if (position >= 0) sv.tabs->setTabIcon(position, TabIcon(TabImage::NewText));
}

void TSDIAppForm::OnSlotTabChanged(int slot) {
    SlotView& sv = slotViews_[slot];
    const int index = sv.tabs->currentIndex();
    if (index < 0) return;
    const int window = sv.map.WindowAt(index);
    RestoreTabImage(slot, index);
    if (window >= 0 && sv.windows[window].splitter) {
        sv.windows[window].splitter->setSizes(
            {std::max(50, sv.windows[window].splitter->width() - nickListWidth_), nickListWidth_});
    }
    UpdateTitle(slot);
    RetargetFind();
}

void TSDIAppForm::OnServerTabChanged() {
    UpdateConnectedActions();
    RetargetFind();
    const int slot = CurrentSlot();
    if (slot >= 0) UpdateTitle(slot);
}

void TSDIAppForm::TabChange(int delta) {
    const int slot = CurrentSlot();
    if (slot < 0) return;
    widgets::QtTabSet* tabs = slotViews_[slot].tabs;
    const int next = NeighbourTab(tabs->currentIndex(), tabs->count(), delta);
    if (next >= 0) tabs->setCurrentIndex(next);
}

void TSDIAppForm::ServerTabChange(int delta) {
    const int next = NeighbourTab(PageControlS->currentIndex(), PageControlS->count(), delta);
    if (next >= 0) PageControlS->setCurrentIndex(next);
}

void TSDIAppForm::ApplyTabLayout(widgets::QtTabSet* tabs, int position, bool multiLine) {
    if (const auto side = TabSideOf(position)) tabs->setTabSide(*side);
    tabs->setMultiLine(multiLine);
}

void TSDIAppForm::UpdateTitle(int slot) {
    // The caption and the AWAY button describe the server being looked at; a
    // server in the background changes them when its tab is entered.
    if (slot < 0 || slot != CurrentSlot()) return;
    const int window = ActiveWindow(slot);
    const std::string title =
        window >= 0 ? TitleText(engine_->Channel(slot, window))
                    : ServerTitleText(engine_->Session(slot).ServerName, config::kApplicationTitle);
    SetAwayState(engine_->Session(slot).Away);
    setWindowTitle(FromSjis(title));
}

void TSDIAppForm::SetAwayState(bool away) { CommandAwayAction->setChecked(away); }

void TSDIAppForm::SetProtectionButton(bool pressed) { ActionDefence->setChecked(pressed); }

void TSDIAppForm::EnableAction(session::Action action, bool enabled) {
    switch (action) {
        case session::Action::FileConnect:
            FileConnectAction->setEnabled(enabled);
            break;
        case session::Action::FileDisConnect:
            if (enabled)
                UpdateConnectedActions();
            else
                FileDisConnectAction->setEnabled(false);
            break;
        case session::Action::CommandAway:
            if (enabled)
                UpdateConnectedActions();
            else
                CommandAwayAction->setEnabled(false);
            break;
        case session::Action::ShowEventLog:
            ShowEventLogAction->setEnabled(enabled);
            break;
        default:
            // The nick-list menu reads the connection state when it opens.
            break;
    }
}

void TSDIAppForm::EnableInput(bool enabled) {
    if (!enabled) InputLine()->clear();
    UpdateConnectedActions();
    if (!enabled) InputLine()->setEnabled(false);
}

void TSDIAppForm::ShowAllWindow() {
    const bool show = !Rich_All_Message->isVisible();
    Rich_All_Message->setVisible(show);
    ShowAllWindowAction->setChecked(show);
}

void TSDIAppForm::ShowEventLog() {
    if (!eventLog_) {
        ShowEventLogAction->setChecked(false);
        return;
    }
    eventLog_->setVisible(!eventLog_->isVisible());
    ShowEventLogAction->setChecked(eventLog_->isVisible());
}

void TSDIAppForm::WriteEventLog(const std::string& text) {
    if (EventLogWanted()) eventLog_->AppendLine(FromSjis(text));
}

bool TSDIAppForm::EventLogWanted() const { return eventLog_ && settings_.EventLog; }

void TSDIAppForm::ApplyNickListStyle(QListWidget* list) {
    const QTextCharFormat f = widgets::FormatOf(settings_.Font(FontKind::Nicklist));
    list->setFont(f.font());
    widgets::PinColours(list, widgets::ColourOf(settings_.Bgcolor), f.foreground().color());
}

}  // namespace velmok::ui
