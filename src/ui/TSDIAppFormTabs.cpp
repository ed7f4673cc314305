// Server tabs, conversation tabs and the title of the main window.
#include <QApplication>
#include <QHBoxLayout>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QTabBar>
#include <QTabWidget>

#include "platform/QtText.h"
#include "session/Codec.h"
#include "ui/Common.h"
#include "ui/Frmeventlog.h"
#include "ui/QtStyles.h"
#include "ui/TSDIAppForm.h"
#include "ui/Tabs.h"

namespace velmok::ui {

using platform::FromSjis;
using session::FontKind;
using session::TabImage;

QIcon TSDIAppForm::TabIcon(TabImage image) const {
    int i = static_cast<int>(image);
    return i >= 0 && i < static_cast<int>(icons_.size()) ? icons_[i] : QIcon();
}

QString TSDIAppForm::WindowCaption(const std::string& wireName) const {
    QString caption = FromSjis(session::WireToSjis(wireName));
    // A tab caption treats "&" as a mnemonic marker; show the name as it is.
    caption.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return caption;
}

int TSDIAppForm::SlotOfServerPage(QWidget* page) const {
    for (int s = 0; s < session::SlotCount; ++s)
        if (page && slotViews_[s].serverPage == page) return s;
    return -1;
}

int TSDIAppForm::WindowOfPage(int slot, QWidget* page) const {
    const SlotView& sv = slotViews_[slot];
    for (int w = 0; w < session::WindowCount; ++w)
        if (page && sv.windows[w].page == page) return w;
    return session::ServerWindow;
}

int TSDIAppForm::CurrentSlot() const { return SlotOfServerPage(PageControlS->currentWidget()); }

int TSDIAppForm::CurrentWindow() const {
    const int slot = CurrentSlot();
    if (slot < 0 || !slotViews_[slot].tabs) return session::ServerWindow;
    return WindowOfPage(slot, slotViews_[slot].tabs->currentWidget());
}

int TSDIAppForm::ActiveWindow(int slot) {
    if (slot < 0 || slot >= session::SlotCount || !slotViews_[slot].tabs) return session::ServerWindow;
    return WindowOfPage(slot, slotViews_[slot].tabs->currentWidget());
}

QtMessageView* TSDIAppForm::ViewOf(int slot, int window) const {
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
        sv.tabs = new QTabWidget(sv.serverPage);
        sv.tabs->setObjectName(QStringLiteral("PageControl%1").arg(slot));
        sv.tabs->setDocumentMode(true);
        static const QTabWidget::TabPosition positions[] = {QTabWidget::North, QTabWidget::South,
                                                            QTabWidget::West, QTabWidget::East};
        if (settings_.Channel_Position >= 0 && settings_.Channel_Position <= 3)
            sv.tabs->setTabPosition(positions[settings_.Channel_Position]);
        sv.tabs->setUsesScrollButtons(!settings_.Channel_MultiLine);
        sv.serverView = NewView(FontKind::Server);
        sv.tabs->addTab(sv.serverView, QStringLiteral("Server"));
        layout->addWidget(sv.tabs);
        connect(sv.tabs, &QTabWidget::currentChanged, this, [this, slot] { OnSlotTabChanged(slot); });
        PageControlS->addTab(sv.serverPage, QString());
        PageControlS->setCurrentWidget(sv.serverPage);
    }
    if (clearView) sv.serverView->Clear();
    const int index = PageControlS->indexOf(sv.serverPage);
    PageControlS->setTabText(index, FromSjis(serverName).replace(QLatin1Char('&'), QStringLiteral("&&")));
    PageControlS->setTabIcon(index, TabIcon(TabImage::Connected));
    sv.tabs->setTabText(0, QStringLiteral("Server"));
    UpdateTitle(slot);
    UpdateConnectedActions();
}

void TSDIAppForm::ServerRenamed(int slot, const std::string& serverName) {
    SlotView& sv = slotViews_[slot];
    if (!sv.serverPage) return;
    PageControlS->setTabText(PageControlS->indexOf(sv.serverPage),
                             FromSjis(serverName).replace(QLatin1Char('&'), QStringLiteral("&&")));
    UpdateConnectedActions();
}

void TSDIAppForm::ServerDisconnected(int slot) {
    SlotView& sv = slotViews_[slot];
    if (sv.serverPage) {
        PageControlS->setTabIcon(PageControlS->indexOf(sv.serverPage), TabIcon(TabImage::Disconnected));
        sv.tabs->setTabIcon(0, QIcon());
    }
    setWindowTitle(QStringLiteral("Velmok 2.2"));
    UpdateConnectedActions();
}

void TSDIAppForm::UpdateConnectedActions() {
    const int slot = CurrentSlot();
    const bool connected = slot >= 0 && engine_->Session(slot).InUse;
    const bool registered = slot >= 0 && engine_->Slot(slot).Registered;
    // The disconnect action also stops an automatic reconnection.
    FileDisConnectAction->setEnabled(registered || (slot >= 0 && engine_->ReconnectPending(slot)));
    CommandAwayAction->setEnabled(registered);
    memo_InputMessage->setEnabled(connected && registered);
}

void TSDIAppForm::BuildWindow(int slot, int window, const std::string& name) {
    SlotView& sv = slotViews_[slot];
    if (!sv.tabs) return;
    // The nick-list width travels from the window being left.
    const int leaving = ActiveWindow(slot);
    if (leaving >= 0 && sv.windows[leaving].nicks) nickListWidth_ = sv.windows[leaving].nicks->width();

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

    const int index = sv.tabs->addTab(w.page, WindowCaption(name));
    sv.tabs->setTabIcon(index, HasDoubleByte(name) ? TabIcon(TabImage::DoubleByte) : QIcon());
    sv.tabs->setCurrentIndex(index);
    if (PageControlS->currentWidget() == sv.serverPage) {
        w.view->setFocus();
        UpdateTitle(slot);
    }
}

void TSDIAppForm::RemoveWindow(int slot, int window) {
    SlotView& sv = slotViews_[slot];
    WindowView& w = sv.windows[window];
    if (!sv.tabs || !w.page) return;
    const int active = sv.tabs->currentIndex();
    const int count = sv.tabs->count();
    const int index = sv.tabs->indexOf(w.page);
    {
        // Removing the tab moves the selection itself; decide it below instead.
        QSignalBlocker block(sv.tabs);
        sv.tabs->removeTab(index);
    }
    w.page->deleteLater();
    w = WindowView{};
    // A tab closed in the background leaves the one being looked at active.
    const int next = ActiveTabAfterRemove(active, index, count);
    if (next >= 0 && next < sv.tabs->count()) sv.tabs->setCurrentIndex(next);
    const int now = sv.tabs->currentIndex();
    if (now >= 0) {
        const int nowWindow = WindowOfPage(slot, sv.tabs->widget(now));
        const bool dbcs = nowWindow >= 0 && HasDoubleByte(engine_->Channel(slot, nowWindow).Name);
        sv.tabs->setTabIcon(now, dbcs ? TabIcon(TabImage::DoubleByte) : QIcon());
    }
    UpdateTitle(slot);
}

void TSDIAppForm::RenameWindow(int slot, int window, const std::string& name) {
    SlotView& sv = slotViews_[slot];
    if (!sv.tabs || !sv.windows[window].page) return;
    sv.tabs->setTabText(sv.tabs->indexOf(sv.windows[window].page), WindowCaption(name));
}

void TSDIAppForm::MembersChanged(int slot, int window) {
    QListWidget* list = NickListOf(slot, window);
    if (!list) return;
    const auto& members = engine_->Channel(slot, window).Members;
    // Keep the selection across the refill.
    QSet<QString> selected;
    for (QListWidgetItem* item : list->selectedItems()) selected.insert(item->text());
    list->setUpdatesEnabled(false);
    list->clear();
    for (const std::string& m : members) {
        auto* item = new QListWidgetItem(FromSjis(m), list);
        if (selected.contains(item->text())) item->setSelected(true);
    }
    list->setUpdatesEnabled(true);
}

void TSDIAppForm::MarkTab(int slot, int window) {
    SlotView& sv = slotViews_[slot];
    if (!sv.tabs) return;
    QWidget* page = window == session::ServerWindow ? sv.serverView : sv.windows[window].page;
    if (!page) return;
    const int index = sv.tabs->indexOf(page);
    if (index >= 0 && index != sv.tabs->currentIndex())
        sv.tabs->setTabIcon(index, TabIcon(TabImage::NewText));
}

void TSDIAppForm::OnSlotTabChanged(int slot) {
    SlotView& sv = slotViews_[slot];
    const int index = sv.tabs->currentIndex();
    if (index < 0) return;
    const int window = WindowOfPage(slot, sv.tabs->widget(index));
    const bool dbcs = window >= 0 && HasDoubleByte(engine_->Channel(slot, window).Name);
    sv.tabs->setTabIcon(index, dbcs ? TabIcon(TabImage::DoubleByte) : QIcon());
    if (window >= 0 && sv.windows[window].splitter) {
        sv.windows[window].splitter->setSizes(
            {std::max(50, sv.windows[window].splitter->width() - nickListWidth_), nickListWidth_});
    }
    UpdateTitle(slot);
}

void TSDIAppForm::OnServerTabChanged() {
    UpdateConnectedActions();
    const int slot = CurrentSlot();
    if (slot >= 0) UpdateTitle(slot);
}

void TSDIAppForm::TabChange(int delta) {
    const int slot = CurrentSlot();
    if (slot < 0 || !slotViews_[slot].tabs) return;
    QTabWidget* tabs = slotViews_[slot].tabs;
    const int next = tabs->currentIndex() + delta;
    if (next >= 0 && next < tabs->count()) tabs->setCurrentIndex(next);
}

void TSDIAppForm::ServerTabChange(int delta) {
    const int next = PageControlS->currentIndex() + delta;
    if (next >= 0 && next < PageControlS->count()) PageControlS->setCurrentIndex(next);
}

void TSDIAppForm::UpdateTitle(int slot) {
    if (slot < 0 || slot >= session::SlotCount) return;
    const int window = ActiveWindow(slot);
    std::string title;
    if (window >= 0) {
        title = TitleText(engine_->Channel(slot, window));
    } else {
        title = engine_->Session(slot).ServerName;
    }
    SetAwayState(engine_->Session(slot).Away);
    setWindowTitle(title.empty() ? QStringLiteral("Velmok 2.2") : FromSjis(title));
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
    if (!enabled) memo_InputMessage->clear();
    UpdateConnectedActions();
    if (!enabled) memo_InputMessage->setEnabled(false);
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
    if (eventLog_ && settings_.EventLog) eventLog_->AppendLine(FromSjis(text));
}

void TSDIAppForm::ApplyNickListStyle(QListWidget* list) {
    const QTextCharFormat f = FormatOf(settings_.Font(FontKind::Nicklist));
    list->setFont(f.font());
    QPalette pal = list->palette();
    pal.setColor(QPalette::Base, ColourOf(settings_.Bgcolor));
    pal.setColor(QPalette::Text, f.foreground().color());
    list->setPalette(pal);
}

void TSDIAppForm::NickListDoubleClick(int slot, int window) {
    QListWidget* list = NickListOf(slot, window);
    if (!list) return;
    std::vector<std::string> selected;
    for (QListWidgetItem* item : list->selectedItems()) selected.push_back(platform::ToSjis(item->text()));
    if (!selected.empty()) {
        engine_->QueueMemberCommand(slot, selected, "WHOIS", "", 2);
        return;
    }
    // No nick chosen: the channel's properties. Their window reads the ban
    // list collected from this query.
    const session::ChannelRecord& record = engine_->Channel(slot, window);
    if (!record.IsChannel || record.IsFree()) return;
    engine_->BanListReply.clear();
    engine_->EnqueueLine(session::Queue::C, slot, "MODE " + record.Name + " +b", 4);
}

}  // namespace velmok::ui
