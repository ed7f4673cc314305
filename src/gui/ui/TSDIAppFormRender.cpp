// Rendering lines into the views, and the message-window menu.
#include <QApplication>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTimer>

#include "platform/QtClock.h"
#include "platform/QtDialogs.h"
#include "platform/QtText.h"
#include "session/Codec.h"
#include "ui/Attention.h"
#include "ui/LineFormat.h"
#include "ui/LogWriter.h"
#include "ui/QtAttention.h"
#include "ui/QtEventLog.h"
#include "ui/TSDIAppForm.h"
#include "ui/Tabs.h"
#include "widgets/QtStyles.h"
#include "windows/QtAuxWindows.h"

namespace velmok::ui {

using platform::FromSjis;
using platform::ToSjis;

void TSDIAppForm::BuildStyles() {
    styles_ = std::make_shared<const widgets::StyleTable>(settings_);
    const QFont base = styles_->empty() ? font() : (*styles_)[0].font();
    auto apply = [&](widgets::QtMessageView* v) {
        if (!v) return;
        v->setFont(base);
        v->SetStyleTable(styles_);
        v->SetMaxLines(settings_.MaxLines);
    };
    apply(Rich_All_Message);
    for (auto& sv : slotViews_) {
        apply(sv.serverView);
        for (auto& w : sv.windows) apply(w.view);
    }
}

void TSDIAppForm::AppendStyled(widgets::QtMessageView* view, const StyledLine& line) {
    widgets::AppendStyledLine(*view, line, viewRuns_);
}

void TSDIAppForm::RenderLine(int slot, int window, session::FontKind font, const std::string& text,
                             bool markKeywords) {
    widgets::QtMessageView* view = ViewOf(slot, window);
    if (!view) return;
    const int shownSlot = CurrentSlot();
    const int shownWindow = shownSlot >= 0 ? ActiveWindow(shownSlot) : session::ServerWindow;
    static const std::string kNone;
    const std::string& targetName = window >= 0 ? engine_->Channel(slot, window).Name : kNone;
    const std::string& shownName =
        shownSlot >= 0 && shownWindow >= 0 ? engine_->Channel(shownSlot, shownWindow).Name : kNone;
    const bool copy = CopyToAllWindow(window, shownWindow, targetName, shownName);

    // A line the server stamped (server-time, a bouncer's replay) shows and
    // logs that moment in local time, and goes to that day's log file.
    const std::optional<std::time_t>& lineTime = engine_->LineTime();
    const std::tm now = lineTime ? clock_->LocalTimeOf(*lineTime) : clock_->LocalTime();
    if (now.tm_min != stampMinute_ || now.tm_hour != stampHour_) {
        stamp_ = TimeStamp(now);
        stampMinute_ = now.tm_min;
        stampHour_ = now.tm_hour;
    }
    const std::string& serverName = engine_->Session(slot).ServerName;
    if (settings_.LogOutput) {
        const std::string folder =
            settings_.LogPath.empty() ? platform::ToLocalPath(configDir_) : settings_.LogPath;
        const bool wasOpen = logFiles_.AnyOpen();
        AppendLogLine(logFiles_, folder, serverName, targetName, now, stamp_, text);
        // The files stay open for the lines that came in with this one and
        // are closed once the event loop has a moment.
        if (!wasOpen && logFiles_.AnyOpen()) QTimer::singleShot(0, this, [this] { logFiles_.Close(); });
    }

    windowNameSjis_.clear();
    if (window >= 0) windowNameSjis_ = session::WireToSjis(targetName);
    LineInput input{text, font, stamp_, &settings_.Keywords, markKeywords, copy, serverName, windowNameSjis_};
    if (settings_.KeywordOwnNick) input.ownNick = engine_->Session(slot).Nick;
    FormatLine(input, formatted_);
    AppendStyled(view, formatted_.view);
    if (copy) AppendStyled(Rich_All_Message, formatted_.copy);

    if (formatted_.keywordHits > 0) {
        if (auto beep = KeywordBeep(settings_.Beep)) {
            for (int i = 0; i < formatted_.keywordHits; ++i) Beep(*beep);
        }
    }
    CallUser(slot, window, text);
    // Every line in the background renews the alert; activating the window ends it.
    if (!isActiveWindow() || isMinimized()) dialogs_->Alert(this);
}

void TSDIAppForm::AddressedToMe(int slot, int window) { addressedToMe_ = {slot, window}; }

void TSDIAppForm::CallUser(int slot, int window, const std::string& text) {
    const bool toMe = addressedToMe_ == std::pair{slot, window};
    addressedToMe_ = {-1, -1};
    const AttentionLine line{isActiveWindow() && !isMinimized(), formatted_.keywordHits, toMe,
                             engine_->Session(slot).ServerName,  windowNameSjis_,        text};
    if (const auto notification = NotificationFor(line))
        attention_->Raise(slot, window >= 0 ? engine_->Channel(slot, window).Name : std::string(),
                          FromSjis(notification->title), FromSjis(notification->body));
}

void TSDIAppForm::ShowCalledWindow(int slot, const std::string& name) {
    if (isMinimized()) showNormal();
    show();
    raise();
    activateWindow();
    if (slot < 0 || slot >= session::SlotCount || !slotViews_[slot].tabs) return;
    // The conversation may have been closed since; then its server comes forward.
    ActivateWindow(slot, name.empty() ? session::ServerWindow : engine_->FindChannel(slot, name));
}

void TSDIAppForm::Beep(session::BeepKind) { QApplication::beep(); }

void TSDIAppForm::ShowError(int number) { dialogs_->ShowError(this, number); }

bool TSDIAppForm::AskYesNo(const std::string& text) { return dialogs_->AskYesNo(this, text); }

bool TSDIAppForm::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::DragEnter || type == QEvent::DragMove || type == QEvent::Drop) {
        for (int s = 0; s < session::SlotCount; ++s)
            for (int w = 0; w < session::WindowCount; ++w) {
                QListWidget* list = slotViews_[s].windows[w].nicks;
                if (list && list->viewport() == watched) return aux_->NickListDrag(s, w, list, event);
            }
    }
    if (event->type() == QEvent::MouseButtonDblClick) {
        for (int s = 0; s < session::SlotCount; ++s) {
            for (int w = 0; w < session::WindowCount; ++w) {
                QListWidget* list = slotViews_[s].windows[w].nicks;
                if (!list || list->viewport() != watched) continue;
                // Let the list select the nick under the pointer first.
                QMainWindow::eventFilter(watched, event);
                aux_->NickListDoubleClick(s, w, list);
                return false;
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---- message-window context menu -----------------------------------------------

void TSDIAppForm::ShowMessageMenu(widgets::QtMessageView* view, const QPoint& globalPos) {
    lastMenuView_ = view;
    eventLogMenuLast_ = false;
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("Popup_MessageWindow"));
    QAction* close = menu.addAction(QStringLiteral("閉じる(&X)"));
    close->setObjectName(QStringLiteral("Popup_MessageWindow_Close"));
    menu.addSeparator();
    QAction* copy = menu.addAction(QStringLiteral("コピー(&C)"));
    QAction* all = menu.addAction(QStringLiteral("すべて選択(&A)"));
    QAction* clear = menu.addAction(QStringLiteral("クリア(&E)"));

    const int slot = CurrentSlot();
    const int window = CurrentWindow();
    MenuOrigin origin = MenuOrigin::ServerTab;
    if (view == Rich_All_Message)
        origin = MenuOrigin::AllWindow;
    else if (window >= 0)
        origin = engine_->Channel(slot, window).IsChannel ? MenuOrigin::ChannelTab : MenuOrigin::PrivateTab;
    const std::string name = window >= 0 && slot >= 0 ? engine_->Channel(slot, window).Name : std::string();
    const CloseItemState state = CloseItemFor(origin, slot >= 0 && engine_->Session(slot).InUse, name);
    close->setStatusTip(FromSjis(state.hint));
    if (state.enabled) close->setEnabled(*state.enabled);

    // The menu runs its own loop: the server may drop us meanwhile and take
    // the window (and its view) with it, or another channel take its place.
    const QPointer<widgets::QtMessageView> alive(view);
    QAction* chosen = menu.exec(globalPos);
    if (!alive || (window >= 0 && engine_->Channel(slot, window).Name != name)) return;
    if (chosen == copy)
        view->CopySelection();
    else if (chosen == all)
        view->SelectAll();
    else if (chosen == clear)
        view->Clear();
    else if (chosen == close)
        CloseFromMenu(origin, slot, window);
}

void TSDIAppForm::CloseFromMenu(MenuOrigin origin, int slot, int window) {
    switch (origin) {
        case MenuOrigin::AllWindow:
            ShowAllWindow();
            break;
        case MenuOrigin::EventLog:
            if (eventLog_) eventLog_->close();
            break;
        case MenuOrigin::ServerTab:
            CloseServerTab(slot);
            break;
        case MenuOrigin::ChannelTab: {
            const std::string name = engine_->Channel(slot, window).Name;
            std::string line = "PART " + name;
            if (!settings_.PartMessage.empty()) line += " :" + engine_->ToWire(slot, settings_.PartMessage);
            // A channel kept through a drop has nobody to tell.
            if (!engine_->Channel(slot, window).Disconnected)
                engine_->EnqueueLine(session::Queue::A, slot, line, 2);
            engine_->CloseChannelTab(slot, name);
            break;
        }
        case MenuOrigin::PrivateTab:
            engine_->CloseChannelTab(slot, engine_->Channel(slot, window).Name);
            break;
    }
}

void TSDIAppForm::CloseServerTab(int slot) {
    if (slot < 0 || engine_->Session(slot).InUse) return;
    engine_->StopReconnect(slot);
    SlotView& sv = slotViews_[slot];
    if (!sv.serverPage) return;
    const int position = PageControlS->indexOf(sv.serverPage);
    // The map first: removing the tab reports the tab now shown.
    RemoveServerTab(serverTabs_, position);
    PageControlS->removeTab(position);
    sv.serverPage->deleteLater();
    sv = SlotView{};
    UpdateConnectedActions();
    if (CurrentSlot() >= 0) UpdateTitle(CurrentSlot());
}

void TSDIAppForm::ClearCurrentView() {
    if (Rich_All_Message->hasFocus()) return Rich_All_Message->Clear();
    if (eventLogMenuLast_ && eventLog_) return eventLog_->View()->clear();
    if (widgets::QtMessageView* v = ViewOf(CurrentSlot(), CurrentWindow())) v->Clear();
}

void TSDIAppForm::SelectAllCurrent() {
    if (Rich_All_Message->hasFocus()) return Rich_All_Message->SelectAll();
    if (eventLogMenuLast_ && eventLog_) return eventLog_->View()->selectAll();
    if (widgets::QtMessageView* v = ViewOf(CurrentSlot(), CurrentWindow())) v->SelectAll();
}

}  // namespace velmok::ui
