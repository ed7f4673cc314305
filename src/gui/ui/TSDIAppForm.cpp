#include "ui/TSDIAppForm.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QListWidget>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include "base/Common.h"
#include "config/FileIo.h"
#include "config/Iniaccess.h"
#include "config/Profiles.h"
#include "config/QtConnectEditor.h"
#include "config/QtSelectConnection.h"
#include "config/SettingsStore.h"
#include "dcc/QtDccWindows.h"
#include "inputbox/QtPromptBoxes.h"
#include "platform/QtClock.h"
#include "platform/QtDesktop.h"
#include "platform/QtDialogs.h"
#include "platform/QtModal.h"
#include "platform/QtSockets.h"
#include "platform/QtText.h"
#include "ui/QtAttention.h"
#include "ui/QtEventLog.h"
#include "ui/QtInputLine.h"
#include "ui/QtNickList.h"
#include "widgets/QtStyles.h"
#include "windows/QtAuxWindows.h"
#include "windows/QtNickMenu.h"

namespace velmok::ui {

using platform::FromSjis;
using platform::ToSjis;
using session::FontKind;
using ui::FindStep;

namespace {

QIcon DrawIcon(const QColor& colour, const QString& letter) {
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(colour);
    p.setPen(colour.darker(160));
    p.drawEllipse(2, 2, 12, 12);
    if (!letter.isEmpty()) {
        QFont f = p.font();
        f.setPixelSize(10);
        f.setBold(true);
        p.setFont(f);
        p.setPen(Qt::white);
        p.drawText(QRect(0, 0, 16, 16), Qt::AlignCenter, letter);
    }
    return QIcon(pm);
}

}  // namespace

TSDIAppForm::TSDIAppForm(const QString& configDir, QWidget* parent, session::SocketFactory* sockets,
                         session::Clock* clock)
    : QMainWindow(parent),
      configDir_(configDir),
      ownSockets_(sockets ? nullptr : std::make_unique<platform::QtSocketFactory>()),
      ownClock_(clock ? nullptr : std::make_unique<platform::QtClock>()),
      sockets_(sockets ? sockets : ownSockets_.get()),
      clock_(clock ? clock : ownClock_.get()),
      ownDialogs_(std::make_unique<platform::QtDialogs>()) {
    dialogs_ = ownDialogs_.get();
    setObjectName(QStringLiteral("TSDIAppForm"));
    setWindowTitle(QStringLiteral("Velmok 2.2"));
    resize(460, 371);
    ini_ = std::make_unique<config::IniFile>(
        platform::ToLocalPath(QDir(configDir_).filePath(QString::fromLatin1(config::IniFileName))));
    engine_ = std::make_unique<session::Engine>(*this, *clock_, *sockets_, settings_);
    aux_ = std::make_unique<windows::QtAuxWindows>(this, *engine_, dialogs_);
    prompts_ = new inputbox::QtPromptBoxes(this, *engine_);
    prompts_->SetDialogs(dialogs_);
    attention_ = new QtAttention(this);
    attention_->onShow = [this](int slot, const std::string& name) { ShowCalledWindow(slot, name); };
    nickRefresh_ = new NickListRefresh(this, [this](int slot, int window) {
        if (QListWidget* list = NickListOf(slot, window))
            FillNickList(list, engine_->Channel(slot, window).Members,
                         [this, slot](const std::string& nick) { return engine_->IsAway(slot, nick); });
    });
    // The DCC windows take the platform's sockets in their own mode unless
    // the caller brought doubles.
    dccWindows_ = std::make_unique<dcc::DccWindows>(*engine_, ownSockets_ ? nullptr : sockets_, dialogs_);
    windows::NickMenu& nickMenu = aux_->NickMenu().Logic();
    nickMenu.OfferChat = [this](int slot, const std::string& nick) { dccWindows_->OfferChat(slot, nick); };
    nickMenu.OfferFile = [this](int slot, const std::string& nick) { dccWindows_->OfferFile(slot, nick); };
    nickMenu.OfferDroppedFile = [this](int slot, const std::string& nick, const std::string& path) {
        dccWindows_->OfferFile(slot, nick, path);
    };

    icons_[0] = DrawIcon(QColor(230, 160, 0), QStringLiteral("!"));
    icons_[1] = DrawIcon(QColor(40, 170, 60), QString());
    icons_[2] = DrawIcon(QColor(150, 150, 150), QString());
    icons_[8] = DrawIcon(QColor(60, 90, 200), QStringLiteral("J"));

    CreateActions();
    CreateMenus();
    CreateLayout();

    Timer = new QTimer(this);
    Timer->setObjectName(QStringLiteral("Timer"));
    Timer->setInterval(2000);
    connect(Timer, &QTimer::timeout, this, &TSDIAppForm::OnTimer);
    reconnectTimer_ = new QTimer(this);
    reconnectTimer_->setInterval(1000);
    connect(reconnectTimer_, &QTimer::timeout, this, [this] { engine_->CheckReconnects(); });
    // A server (or a network) that never drops us after QUIT must not keep
    // the program from ending.
    quitWait_ = new QTimer(this);
    quitWait_->setSingleShot(true);
    quitWait_->setInterval(kQuitWaitMs);
    connect(quitWait_, &QTimer::timeout, this, [this] {
        engine_->DropRegisteredSlots();
        close();
    });
}

TSDIAppForm::~TSDIAppForm() {
    // Sockets call back into the engine; stop them before the views go.
    for (int s = 0; s < session::SlotCount; ++s) {
        if (engine_->Slot(s).Socket) engine_->Slot(s).Socket->Close();
    }
}

void TSDIAppForm::SetDialogs(platform::Dialogs* dialogs) {
    dialogs_ = dialogs ? dialogs : ownDialogs_.get();
    aux_->SetDialogs(dialogs_);
    prompts_->SetDialogs(dialogs_);
    dccWindows_->SetDialogs(dialogs_);
}

QPlainTextEdit* TSDIAppForm::InputLine() const { return inputLine_->Editor(); }

void TSDIAppForm::ProcessTyped(const std::string& sjisText) { inputLine_->ProcessTyped(sjisText); }

QAction* TSDIAppForm::ActionNamed(const QString& name) const { return findChild<QAction*>(name); }

void TSDIAppForm::CreateLayout() {
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    Splitter_All = new QSplitter(Qt::Vertical, central);
    Splitter_All->setObjectName(QStringLiteral("Splitter_All"));
    PageControlS = new widgets::QtTabSet(Splitter_All);
    PageControlS->setObjectName(QStringLiteral("PageControlS"));
    Rich_All_Message = NewView(FontKind::Server);
    Rich_All_Message->setObjectName(QStringLiteral("Rich_All_Message"));
    Splitter_All->addWidget(PageControlS);
    Splitter_All->addWidget(Rich_All_Message);
    Splitter_All->setStretchFactor(0, 1);
    Rich_All_Message->hide();
    layout->addWidget(Splitter_All, 1);
    connect(PageControlS, &widgets::QtTabSet::currentChanged, this, [this] { OnServerTabChanged(); });

    findBar_ = new widgets::QtFindBar(central);
    findBar_->onFind = [this](const QString& text, FindStep step) {
        return findView_ ? findView_->Find(text, step) : std::nullopt;
    };
    findBar_->onClosed = [this] {
        if (findView_) findView_->EndFind();
        findView_ = nullptr;
        InputLine()->setFocus();
    };
    layout->addWidget(findBar_);

    inputLine_ = new QtInputLine(central, *engine_, [this] {
        return InputTarget{CurrentSlot(), CurrentWindow()};
    });
    inputLine_->onPageKey = [this](int pages) {
        if (widgets::QtMessageView* view = ViewOf(CurrentSlot(), CurrentWindow())) view->ScrollPages(pages);
    };
    layout->addWidget(inputLine_);
    setCentralWidget(central);
}

widgets::QtMessageView* TSDIAppForm::NewView(FontKind) {
    auto* view = new widgets::QtMessageView(this);
    view->SetStyleTable(styles_);
    view->SetMaxLines(settings_.MaxLines);
    view->SetBackground(widgets::ColourOf(settings_.Bgcolor));
    if (styles_ && !styles_->empty()) view->setFont((*styles_)[0].font());
    view->onUrlClicked = [](const QString& url) { platform::OpenUrl(url); };
    connect(view, &widgets::QtMessageView::contextMenuWanted, this,
            [this, view](const QPoint& pos) { ShowMessageMenu(view, pos); });
    return view;
}

void TSDIAppForm::FormShow() {
    if (shown_) return;
    shown_ = true;
    const std::string folder = platform::ToLocalPath(configDir_);
    engine_->OsName = base::WindowsVersionName();
    config::LoadProfiles(folder, settings_);
    config::LoadEvents(folder, settings_);
    config::LoadSettings(*ini_, settings_, folder);
    // A first start has no geometry to restore: two thirds of the screen,
    // centred, rather than a size that shows two lines of chat.
    const QRect desk = screen()->availableGeometry();
    windowState_.Width = desk.width() * 2 / 3;
    windowState_.Height = desk.height() * 2 / 3;
    windowState_.Left = desk.x() + (desk.width() - windowState_.Width) / 2;
    windowState_.Top = desk.y() + (desk.height() - windowState_.Height) / 2;
    config::LoadWindowState(*ini_, windowState_);
    // Top and Left are where the frame stands (x() and y(), as saved), Width and
    // Height the inside; restoring the same pair puts the window back exactly.
    move(windowState_.Left, windowState_.Top);
    resize(windowState_.Width, windowState_.Height);
    nickListWidth_ = windowState_.NickListWidth;
    engine_->ProtectionMode = windowState_.Defence;
    ActionDefence->setChecked(windowState_.Defence);
    ShowAllWindowAction->setChecked(windowState_.AllWindow);
    Rich_All_Message->setVisible(windowState_.AllWindow);
    Splitter_All->setSizes(
        {std::max(50, height() - windowState_.AllWindowHeight), windowState_.AllWindowHeight});
    ApplySettings();
}

void TSDIAppForm::ApplySettings() {
    BuildStyles();
    ApplyTabLayout(PageControlS, settings_.Server_Position, settings_.Server_MultiLine);
    for (auto& sv : slotViews_)
        if (sv.tabs) ApplyTabLayout(sv.tabs, settings_.Channel_Position, settings_.Channel_MultiLine);
    const QColor bg(settings_.Bgcolor & 0xFF, (settings_.Bgcolor >> 8) & 0xFF,
                    (settings_.Bgcolor >> 16) & 0xFF);
    inputLine_->ApplyStyle(widgets::FormatOf(settings_.Font(FontKind::Input)), bg);
    Rich_All_Message->SetBackground(bg);
    for (auto& sv : slotViews_) {
        if (sv.serverView) sv.serverView->SetBackground(bg);
        for (auto& w : sv.windows) {
            if (w.view) w.view->SetBackground(bg);
            if (w.nicks) ApplyNickListStyle(w.nicks);
        }
    }
    if (settings_.EventLog && !eventLog_) {
        eventLog_ = new Tfrm_EventLog(this);
        eventLog_->onClosed = [this] { ShowEventLogAction->setChecked(false); };
        eventLog_->onMenuOpened = [this] { eventLogMenuLast_ = true; };
        ShowEventLogAction->setEnabled(true);
    } else if (!settings_.EventLog && eventLog_) {
        delete eventLog_;
        eventLog_ = nullptr;
        eventLogMenuLast_ = false;
        ShowEventLogAction->setChecked(false);
    }
    ShowEventLogAction->setEnabled(eventLog_ != nullptr);
    if (eventLog_) eventLog_->SetMaxLines(settings_.MaxLines);
    attention_->Apply(settings_.NotifyDesktop, settings_.NotifyTray);
}

void TSDIAppForm::SaveAll() {
    const std::string folder = platform::ToLocalPath(configDir_);
    windowState_.Top = y();
    windowState_.Left = x();
    windowState_.Height = height();
    windowState_.Width = width();
    windowState_.NickListWidth = nickListWidth_;
    windowState_.Defence = ActionDefence->isChecked();
    windowState_.AllWindow = ShowAllWindowAction->isChecked();
    if (Rich_All_Message->isVisible()) windowState_.AllWindowHeight = Rich_All_Message->height();
    for (const std::string& path : config::SaveAtExit(*ini_, settings_, windowState_, folder))
        dialogs_->ShowSaveError(this, path);
}

void TSDIAppForm::closeEvent(QCloseEvent* event) {
    if (!engine_->RequestClose()) {
        if (!quitWait_->isActive()) quitWait_->start();
        event->ignore();
        return;
    }
    quitWait_->stop();
    if (!savedOnClose_) {
        savedOnClose_ = true;
        SaveAll();
    }
    closed_ = true;
    attention_->Apply(false, false);
    if (eventLog_) eventLog_->close();
    aux_->CloseAll();
    prompts_->CloseAll();
    dccWindows_->CloseAll();
    // This close may itself run inside one of their loops (a signal, a
    // server's last line); they return once control goes back to them.
    platform::EndModalLoops();
    event->accept();
    emit Closed();
}

void TSDIAppForm::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) attention_->Clear();
    QMainWindow::changeEvent(event);
}

void TSDIAppForm::RequestClose() {
    // Called from inside a socket event; close once that event has returned.
    QMetaObject::invokeMethod(
        this, [this] { close(); }, Qt::QueuedConnection);
}

void TSDIAppForm::OnTimer() { Timer->setInterval(engine_->DrainSendQueues()); }

void TSDIAppForm::SetSendTimer(bool enabled) {
    if (enabled && !Timer->isActive()) Timer->start();
    if (!enabled) {
        Timer->stop();
        Timer->setInterval(2000);
    }
}

void TSDIAppForm::SetReconnectTimer(bool enabled) {
    if (enabled && !reconnectTimer_->isActive()) reconnectTimer_->start();
    if (!enabled) reconnectTimer_->stop();
}

void TSDIAppForm::FileConnect() {
    if (engine_->FirstFreeSlot() < 0) return;
    if (config::ParseProfileText(settings_.ProfileText).empty()) {
        // Nothing to pick yet: the profile is made first, and one made is used.
        const QPointer<TSDIAppForm> alive(this);
        if (!EditConnections() || !alive) return;
        const auto profiles = config::ParseProfileText(settings_.ProfileText);
        const int slot = engine_->FirstFreeSlot();
        if (profiles.empty() || slot < 0) return;
        if (profiles.size() == 1) {
            session::FillSession(profiles[0], engine_->Session(slot));
            engine_->ConnectSession(slot);
            return;
        }
    }
    const int slot = engine_->FirstFreeSlot();
    if (slot < 0) return;
    config::Tfrm_SelConnect picker(this, settings_.ProfileText, dialogs_);
    if (picker.exec() != QDialog::Accepted) return;
    session::FillSession(picker.ChosenProfile(), engine_->Session(slot));
    engine_->ConnectSession(slot);
}

void TSDIAppForm::FileDisConnect() {
    const int slot = CurrentSlot();
    if (slot < 0) return;
    if (engine_->Slot(slot).Registered) {
        engine_->SendQuit(slot);
    } else if (engine_->ReconnectPending(slot)) {
        engine_->StopReconnect(slot);
        UpdateConnectedActions();
    }
}

void TSDIAppForm::ConnectionSettings() { EditConnections(); }

bool TSDIAppForm::EditConnections(const std::function<void(config::Tfrm_Connection&)>& prepare) {
    config::Tfrm_Connection editor(this, settings_.ProfileText, dialogs_, settings_.Sasl,
                                   settings_.Encodings);
    if (prepare) prepare(editor);
    if (editor.exec() != QDialog::Accepted) return false;
    settings_.ProfileText = editor.ProfileText();
    editor.ApplySasl(settings_.Sasl);
    editor.ApplyEncodings(settings_.Encodings);
    const std::string folder = platform::ToLocalPath(configDir_);
    if (!config::SaveProfiles(folder, settings_))
        dialogs_->ShowSaveError(this, config::JoinPath(folder, config::ConnectionsFileName));
    return true;
}

}  // namespace velmok::ui
