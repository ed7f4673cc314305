// The main window's actions, menus and toolbar.
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QToolBar>

#include "config/FileIo.h"
#include "config/QtSettingsEditor.h"
#include "config/SettingsStore.h"
#include "platform/QtDesktop.h"
#include "platform/QtDialogs.h"
#include "platform/QtText.h"
#include "ui/Actions.h"
#include "ui/QtEventLog.h"
#include "ui/QtInputLine.h"
#include "ui/TSDIAppForm.h"

namespace velmok::ui {

namespace {

// The product home page.
const char kHomePage[] = "https://velmok.example.org/";

QAction* MakeAction(QObject* owner, const char* name, const QString& caption, const QString& hint,
                    const QKeySequence& key = {}) {
    auto* a = new QAction(caption, owner);
    a->setObjectName(QString::fromLatin1(name));
    // Text before "|" is the tooltip, after it the status-bar hint.
    const int bar = hint.indexOf(QLatin1Char('|'));
    a->setToolTip(bar < 0 ? hint : hint.left(bar));
    a->setStatusTip(bar < 0 ? hint : hint.mid(bar + 1));
    if (!key.isEmpty()) {
        a->setShortcut(key);
        a->setShortcutContext(Qt::WindowShortcut);
    }
    return a;
}

}  // namespace

void TSDIAppForm::CreateActions() {
    FileConnectAction =
        MakeAction(this, "FileConnect", QStringLiteral("接続(&C)..."), QStringLiteral("接続|サーバへ接続"));
    FileDisConnectAction =
        MakeAction(this, "FileDisConnect", QStringLiteral("切断(&D)"), QStringLiteral("切断|サーバから切断"));
    FileDisConnectAction->setEnabled(false);
    FileExit1 = MakeAction(this, "FileExit1", QStringLiteral("終了(&X)"),
                           QStringLiteral("終了|アプリケーション終了"));

    EditCut =
        MakeAction(this, "EditCut", QStringLiteral("切り取り(&T)"),
                   QStringLiteral("切り取り|選択部分を切り取りクリップボードに送る"), QKeySequence("Ctrl+X"));
    EditCopy =
        MakeAction(this, "EditCopy", QStringLiteral("コピー(&C)"),
                   QStringLiteral("コピー|選択部分をコピーしクリップボードに送る"), QKeySequence("Ctrl+C"));
    EditPaste = MakeAction(this, "EditPaste", QStringLiteral("貼り付け(&P)"),
                           QStringLiteral("貼り付け|クリップボードの内容を貼り付け"), QKeySequence("Ctrl+V"));
    EditSelectAll = MakeAction(this, "EditSelectAll", QStringLiteral("すべて選択(&A)"),
                               QStringLiteral("テキストをすべて選択"), QKeySequence("Ctrl+A"));
    EditFind = MakeAction(this, "EditFind", QStringLiteral("検索(&F)..."),
                          QStringLiteral("検索|表示中のウィンドウから文字列を探す"), QKeySequence("Ctrl+F"));
    MessageClear = MakeAction(this, "MessageClear", QStringLiteral("クリア(&E)"),
                              QStringLiteral("テキストをすべてクリア"));

    CommandJoin = MakeAction(this, "CommandJoin", QStringLiteral("JOIN(&J)..."),
                             QStringLiteral("JOIN|指定のチャンネルにJOINする"), QKeySequence("Ctrl+Alt+J"));
    CommandPart = MakeAction(this, "CommandPart", QStringLiteral("PART(&P)..."),
                             QStringLiteral("PART|指定のチャンネルからPARTする"), QKeySequence("Ctrl+Alt+P"));
    CommandNick = MakeAction(this, "CommandNick", QStringLiteral("NICK(&N)..."),
                             QStringLiteral("NICK|ニックネームを変更する"), QKeySequence("Ctrl+Alt+N"));
    CommandNick->setEnabled(false);
    CommandAwayAction = MakeAction(this, "CommandAway", QStringLiteral("AWAY(&A)..."),
                                   QStringLiteral("AWAY|AWAY設定/解除する"), QKeySequence("Ctrl+Alt+W"));
    CommandAwayAction->setEnabled(false);
    CommandAwayAction->setCheckable(true);
    CommandList = MakeAction(this, "CommandList", QStringLiteral("LIST(&L)"),
                             QStringLiteral("LIST|チャンネルリストを表示する"), QKeySequence("Ctrl+Alt+L"));
    CommandList->setEnabled(false);

    ActionDefence = MakeAction(this, "ActionDefence", QStringLiteral("防衛モード"),
                               QStringLiteral("防衛モード|悪質なメッセージに対する防御措置をとる"),
                               QKeySequence("Ctrl+D"));
    ActionDefence->setCheckable(true);
    ShowAllWindowAction = MakeAction(this, "ShowAllWindow", QStringLiteral("総合ウィンドウ"),
                                     QStringLiteral("総合ウィンドウ|総合ウィンドウの表示/非表示を切り替える"),
                                     QKeySequence("Ctrl+W"));
    ShowAllWindowAction->setCheckable(true);
    ShowEventLogAction = MakeAction(this, "ShowEventLog", QStringLiteral("イベントログ"),
                                    QStringLiteral("イベントログ|イベントログの表示/非表示を切り替える"),
                                    QKeySequence("Ctrl+E"));
    ShowEventLogAction->setCheckable(true);

    ModePrivate = MakeAction(this, "ModePrivate", QStringLiteral("Private"),
                             QStringLiteral("Privateモード|Privateメッセージを送信"), QKeySequence("F1"));
    ModeNotice = MakeAction(this, "ModeNotice", QStringLiteral("Notice"),
                            QStringLiteral("Noticeモード|Noticeメッセージを送信"), QKeySequence("F2"));
    ModeAction = MakeAction(this, "ModeAction", QStringLiteral("Action"),
                            QStringLiteral("Actionモード|CTCP Actionメッセージを送信"), QKeySequence("F3"));
    auto* tabLeft = MakeAction(this, "TabChangeLeft", QString(), QString(), QKeySequence("Ctrl+Left"));
    auto* tabRight = MakeAction(this, "TabChangeRight", QString(), QString(), QKeySequence("Ctrl+Right"));
    auto* serverLeft =
        MakeAction(this, "ServerTabChangeLeft", QString(), QString(), QKeySequence("Shift+Left"));
    auto* serverRight =
        MakeAction(this, "ServerTabChangeRight", QString(), QString(), QKeySequence("Shift+Right"));
    for (QAction* a :
         {ActionDefence, ShowAllWindowAction, ShowEventLogAction, ModePrivate, ModeNotice, ModeAction,
          tabLeft, tabRight, serverLeft, serverRight, EditSelectAll, MessageClear, EditFind})
        addAction(a);

    connect(FileConnectAction, &QAction::triggered, this, &TSDIAppForm::FileConnect);
    connect(FileDisConnectAction, &QAction::triggered, this, &TSDIAppForm::FileDisConnect);
    connect(FileExit1, &QAction::triggered, this, &QWidget::close);
    connect(EditCut, &QAction::triggered, this, [this] { EditCommand(0); });
    connect(EditCopy, &QAction::triggered, this, [this] { EditCommand(1); });
    connect(EditPaste, &QAction::triggered, this, [this] { EditCommand(2); });
    connect(EditSelectAll, &QAction::triggered, this, &TSDIAppForm::SelectAllCurrent);
    connect(MessageClear, &QAction::triggered, this, &TSDIAppForm::ClearCurrentView);
    connect(EditFind, &QAction::triggered, this, &TSDIAppForm::OpenFind);
    connect(CommandJoin, &QAction::triggered, this, &TSDIAppForm::CommandJoinClick);
    connect(CommandPart, &QAction::triggered, this, &TSDIAppForm::CommandPartClick);
    connect(CommandNick, &QAction::triggered, this, &TSDIAppForm::CommandNickClick);
    connect(CommandAwayAction, &QAction::triggered, this, &TSDIAppForm::CommandAwayClick);
    connect(CommandList, &QAction::triggered, this, &TSDIAppForm::CommandListClick);
    connect(ActionDefence, &QAction::triggered, this, [this] {
        engine_->Toggle();
        ActionDefence->setChecked(engine_->IsOn());
    });
    connect(ShowAllWindowAction, &QAction::triggered, this, &TSDIAppForm::ShowAllWindow);
    connect(ShowEventLogAction, &QAction::triggered, this, &TSDIAppForm::ShowEventLog);
    connect(ModePrivate, &QAction::triggered, this, [this] { inputLine_->SetMode(0); });
    connect(ModeNotice, &QAction::triggered, this, [this] { inputLine_->SetMode(1); });
    connect(ModeAction, &QAction::triggered, this, [this] { inputLine_->SetMode(2); });
    connect(tabLeft, &QAction::triggered, this, [this] { TabChange(-1); });
    connect(tabRight, &QAction::triggered, this, [this] { TabChange(1); });
    connect(serverLeft, &QAction::triggered, this, [this] { ServerTabChange(-1); });
    connect(serverRight, &QAction::triggered, this, [this] { ServerTabChange(1); });
}

void TSDIAppForm::CreateMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
    file->setObjectName(QStringLiteral("mnu_File"));
    file->addAction(FileConnectAction);
    file->addAction(FileDisConnectAction);
    file->addSeparator();
    file->addAction(FileExit1);

    QMenu* edit = menuBar()->addMenu(QStringLiteral("編集(&E)"));
    edit->setObjectName(QStringLiteral("mnu_Edit"));
    edit->menuAction()->setStatusTip(QStringLiteral("編集に関連した機能"));
    edit->addAction(EditCut);
    edit->addAction(EditCopy);
    edit->addAction(EditPaste);
    edit->addSeparator();
    edit->addAction(EditSelectAll);
    edit->addSeparator();
    edit->addAction(EditFind);

    mnu_Command = menuBar()->addMenu(QStringLiteral("コマンド(&C)"));
    mnu_Command->setObjectName(QStringLiteral("mnu_Command"));
    mnu_Command->addAction(CommandJoin);
    mnu_Command->addAction(CommandPart);
    mnu_Command->addAction(CommandNick);
    mnu_Command->addAction(CommandAwayAction);
    mnu_Command->addAction(CommandList);
    connect(mnu_Command, &QMenu::aboutToShow, this, &TSDIAppForm::UpdateCommandMenu);

    QMenu* settings = menuBar()->addMenu(QStringLiteral("設定(&S)"));
    settings->setObjectName(QStringLiteral("mnu_Settings"));
    QAction* conn = settings->addAction(QStringLiteral("接続の設定(&C)..."));
    conn->setObjectName(QStringLiteral("mnu_ConnectionSettings"));
    connect(conn, &QAction::triggered, this, &TSDIAppForm::ConnectionSettings);
    QAction* detail = settings->addAction(QStringLiteral("詳細設定(&S)..."));
    detail->setObjectName(QStringLiteral("mnu_DetailSettings"));
    connect(detail, &QAction::triggered, this, &TSDIAppForm::DetailSettings);

    QMenu* help = menuBar()->addMenu(QStringLiteral("ヘルプ(&H)"));
    help->setObjectName(QStringLiteral("mnu_Help"));
    QAction* topics = help->addAction(QStringLiteral("トピックの検索(&H)"));
    topics->setObjectName(QStringLiteral("mnu_HelpTopics"));
    connect(topics, &QAction::triggered, this, &TSDIAppForm::HelpTopics);
    QAction* home = help->addAction(QStringLiteral("Velmokホームページ(&N)"));
    home->setObjectName(QStringLiteral("VelmokHP"));
    connect(home, &QAction::triggered, this, [] { platform::OpenUrl(QString::fromLatin1(kHomePage)); });

    ToolBar = addToolBar(QStringLiteral("ToolBar"));
    ToolBar->setObjectName(QStringLiteral("ToolBar"));
    ToolBar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    ToolBar->addAction(FileConnectAction);
    ToolBar->addAction(FileDisConnectAction);
    ToolBar->addSeparator();
    ToolBar->addAction(EditCut);
    ToolBar->addAction(EditCopy);
    ToolBar->addAction(EditPaste);
    ToolBar->addSeparator();
    ToolBar->addAction(CommandAwayAction);
    ToolBar->addAction(ActionDefence);
    ToolBar->addAction(ShowAllWindowAction);
    ToolBar->addAction(ShowEventLogAction);
    statusBar()->setObjectName(QStringLiteral("StatusBar"));
}

void TSDIAppForm::UpdateCommandMenu() {
    const CommandMenuState s = CommandMenuFor(*engine_, CurrentSlot());
    CommandJoin->setEnabled(s.join);
    CommandPart->setEnabled(s.part);
    CommandNick->setEnabled(s.nick);
    CommandAwayAction->setEnabled(s.away);
    CommandList->setEnabled(s.list);
}

void TSDIAppForm::CommandJoinClick() {
    const int slot = CurrentSlot();
    if (slot >= 0 && engine_->Slot(slot).Registered) OpenInputBox(JoinRequest(*engine_, slot));
}

void TSDIAppForm::CommandPartClick() {
    const int slot = CurrentSlot();
    if (slot >= 0 && CommandMenuFor(*engine_, slot).part) OpenInputBox(PartRequest(*engine_, slot));
}

void TSDIAppForm::CommandNickClick() {
    const int slot = CurrentSlot();
    if (slot >= 0 && engine_->Slot(slot).Registered) OpenInputBox(NickRequest(slot));
}

void TSDIAppForm::CommandAwayClick() {
    const int slot = CurrentSlot();
    if (slot < 0 || !engine_->Slot(slot).Registered) return;
    // The button shows the present state; the server's reply changes it.
    CommandAwayAction->setChecked(engine_->Session(slot).Away);
    if (!AwayWithoutQuestion(*engine_, slot)) OpenInputBox(AwayRequest(*engine_, slot));
    CommandAwayAction->setChecked(engine_->Session(slot).Away);
}

void TSDIAppForm::CommandListClick() {
    const int slot = CurrentSlot();
    if (slot >= 0 && engine_->Slot(slot).Registered) QueueList(*engine_, slot);
}

void TSDIAppForm::EditCommand(int which) {
    QWidget* w = QApplication::focusWidget();
    if (auto* edit = qobject_cast<QPlainTextEdit*>(w)) {
        if (which == 0) edit->cut();
        if (which == 1) edit->copy();
        if (which == 2) edit->paste();
    } else if (auto* line = qobject_cast<QLineEdit*>(w)) {
        if (which == 0) line->cut();
        if (which == 1) line->copy();
        if (which == 2) line->paste();
    } else if (which == 1) {
        if (auto* view = qobject_cast<widgets::QtMessageView*>(w))
            view->CopySelection();
        else if (widgets::QtMessageView* v = ViewOf(CurrentSlot(), CurrentWindow()))
            v->CopySelection();
    }
}

void TSDIAppForm::DetailSettings() {
    config::Tfrm_Set dialog(this, settings_, dialogs_, configDir_);
    if (dialog.exec() != QDialog::Accepted) return;
    // Only what the dialog edits: profiles saved and certificates accepted
    // while it was open stay as they are now.
    dialog.ApplyTo(settings_);
    ApplySettings();
    for (auto& sv : slotViews_) {
        if (sv.serverView) sv.serverView->viewport()->update();
    }
    const std::string folder = platform::ToLocalPath(configDir_);
    if (!config::SaveEvents(folder, settings_))
        dialogs_->ShowSaveError(this, config::JoinPath(folder, config::EventsFileName));
}

void TSDIAppForm::OpenFind() {
    widgets::QtMessageView* target =
        Rich_All_Message->hasFocus() ? Rich_All_Message : ViewOf(CurrentSlot(), CurrentWindow());
    if (findView_ && findView_ != target) findView_->EndFind();
    findView_ = target;
    findBar_->Open();
}

void TSDIAppForm::RetargetFind() {
    if (findBar_->isHidden() || findView_ == Rich_All_Message) return;
    widgets::QtMessageView* shown = ViewOf(CurrentSlot(), CurrentWindow());
    if (shown == findView_) return;
    if (findView_) findView_->EndFind();
    findView_ = shown;
    findBar_->Refresh();
}

void TSDIAppForm::HelpTopics() { platform::OpenHelpPage(); }

}  // namespace velmok::ui
