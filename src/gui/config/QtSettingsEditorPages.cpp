// The seven pages of the settings dialog: controls, captions and layout only.
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTextEdit>
#include <QVBoxLayout>

#include "config/QtSettingsEditor.h"

namespace velmok::config {

using base::FontKind;

namespace {

template <typename W>
W* Named(W* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QTextEdit* MakePreview(const QString& name) {
    auto* edit = new QTextEdit;
    edit->setObjectName(name);
    edit->setReadOnly(true);
    edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    edit->setLineWrapMode(QTextEdit::NoWrap);
    edit->setFocusPolicy(Qt::NoFocus);
    edit->setMinimumWidth(200);
    edit->setFixedHeight(34);
    return edit;
}

QPushButton* MakeFontButton(const QString& name) {
    auto* button = new QPushButton(QStringLiteral("Font"));
    button->setObjectName(name);
    return button;
}

QPushButton* MakeColourButton(const QString& name) {
    auto* button = new QPushButton(QStringLiteral("Color"));
    button->setObjectName(name);
    button->setToolTip(QStringLiteral("文字の色"));
    return button;
}

// A group of radio buttons in one row; the group box makes them exclusive.
QGroupBox* RadioRow(const QString& title, std::initializer_list<QRadioButton*> buttons) {
    auto* box = new QGroupBox(title);
    auto* row = new QHBoxLayout(box);
    for (QRadioButton* b : buttons) row->addWidget(b);
    row->addStretch();
    return box;
}

}  // namespace

QWidget* Tfrm_Set::BuildFontPage() {
    auto* page = Named(new QWidget, "TabSheet_Font");
    auto* grid = new QGridLayout(page);
    const std::pair<FontKind, const char*> rows[] = {
        {FontKind::Nicklist, "Nicklistウィンドウ："}, {FontKind::Private, "Privateメッセージ："},
        {FontKind::Notice, "Noticeメッセージ："},     {FontKind::CTCP, "CTCPメッセージ："},
        {FontKind::Command, "Commandメッセージ："},   {FontKind::Server, "Serverメッセージ："},
        {FontKind::Error, "Errorメッセージ："},       {FontKind::URL, "URL："},
        {FontKind::Input, "入力ウィンドウ："},        {FontKind::DCC, "DCC CHAT："},
    };
    int r = 0;
    for (const auto& [kind, caption] : rows) {
        const int k = static_cast<int>(kind);
        const QString section = QString::fromLatin1(FontSectionNames[k]);
        grid->addWidget(new QLabel(QString::fromUtf8(caption)), r, 0, Qt::AlignRight);
        Rich_Font[k] = MakePreview(QStringLiteral("Rich_") + section);
        grid->addWidget(Rich_Font[k], r, 1);
        Btn_Font[k] = MakeFontButton(QStringLiteral("Btn_") + section);
        grid->addWidget(Btn_Font[k], r, 2);
        Btn_FontColor[k] = MakeColourButton(QStringLiteral("Btn_Color_") + section);
        grid->addWidget(Btn_FontColor[k], r, 3);
        ++r;
    }
    grid->addWidget(new QLabel(QStringLiteral("背景色：")), r, 0, Qt::AlignRight);
    Btn_Color = Named(new QPushButton(QStringLiteral("Color")), "Btn_Color");
    grid->addWidget(Btn_Color, r, 3);
    grid->setRowStretch(r + 1, 1);
    return page;
}

QWidget* Tfrm_Set::BuildTabPage() {
    auto* page = Named(new QWidget, "TabSheet_Tab");
    auto* column = new QVBoxLayout(page);
    const QString positions[4] = {QStringLiteral("上"), QStringLiteral("下"), QStringLiteral("左"),
                                  QStringLiteral("右")};
    auto tabGroup = [&](const QString& title, std::array<QRadioButton*, 4>& position, QRadioButton*& multi,
                        QRadioButton*& single, const char* prefix) {
        auto* group = new QGroupBox(title);
        auto* outer = new QVBoxLayout(group);
        auto* inner = new QHBoxLayout;
        outer->addLayout(inner);
        for (int i = 0; i < 4; ++i) {
            position[i] = new QRadioButton(positions[i]);
            position[i]->setObjectName(QString::fromLatin1(prefix) + QStringLiteral("Position") +
                                       QString::number(i));
        }
        inner->addWidget(
            RadioRow(QStringLiteral("タブ位置"), {position[0], position[1], position[2], position[3]}));
        multi = new QRadioButton(QStringLiteral("する"));
        multi->setObjectName(QString::fromLatin1(prefix) + QStringLiteral("MultiLine"));
        single = new QRadioButton(QStringLiteral("しない"));
        single->setObjectName(QString::fromLatin1(prefix) + QStringLiteral("SingleLine"));
        inner->addWidget(RadioRow(QStringLiteral("タブの複数行表示"), {multi, single}));
        column->addWidget(group);
        return group;
    };
    tabGroup(QStringLiteral("Serverタブ"), Rad_ServerPosition, Rad_ServerMultiLine, Rad_ServerSingleLine,
             "Rad_Server");
    QGroupBox* channel = tabGroup(QStringLiteral("Channelタブ"), Rad_ChannelPosition, Rad_ChannelMultiLine,
                                  Rad_ChannelSingleLine, "Rad_Channel");
    auto* unread = Named(new QGroupBox(QStringLiteral("未読マーク")), "Grp_Unread");
    auto* unreadGrid = new QGridLayout(unread);
    const char* unreadCaptions[SettingsEditor::UnreadCount] = {"Privateメッセージ", "Noticeメッセージ",
                                                               "CTCPメッセージ",    "Commandメッセージ",
                                                               "Serverメッセージ",  "Errorメッセージ"};
    for (int i = 0; i < SettingsEditor::UnreadCount; ++i) {
        Check_Unread[i] = new QCheckBox(QString::fromUtf8(unreadCaptions[i]));
        Check_Unread[i]->setObjectName(QStringLiteral("Check_Unread") + QString::number(i));
        unreadGrid->addWidget(Check_Unread[i], i / 3, i % 3);
    }
    // The unread marks belong to the channel tabs' group.
    channel->layout()->addWidget(unread);
    column->addStretch();
    return page;
}

QWidget* Tfrm_Set::BuildCtcpPage() {
    auto* page = Named(new QWidget, "TabSheet_CTCP");
    auto* grid = new QGridLayout(page);
    const char* names[SettingsEditor::CtcpAnswerCount] = {"CLIENTINFO", "FINGER", "TIME",     "USERINFO",
                                                          "VERSION",    "PING",   "DCC SEND", "DCC CHAT"};
    for (int i = 0; i < SettingsEditor::CtcpAnswerCount; ++i) {
        const QString name = QString::fromLatin1(names[i]);
        QString id = name;
        id.remove(QLatin1Char(' '));
        Rad_Answer[i] = new QRadioButton(QStringLiteral("応答する"));
        Rad_Answer[i]->setObjectName(QStringLiteral("Rad_Answer_") + id);
        Rad_NoAnswer[i] = new QRadioButton(QStringLiteral("応答しない"));
        Rad_NoAnswer[i]->setObjectName(QStringLiteral("Rad_NoAnswer_") + id);
        QGroupBox* group = RadioRow(name, {Rad_Answer[i], Rad_NoAnswer[i]});
        group->setObjectName(QStringLiteral("Grp_") + id);
        if (i == SettingsEditor::UserInfo) {
            Edit_UserInfo = Named(new QLineEdit, "Edit_UserInfo");
            group->layout()->addWidget(Edit_UserInfo);
        }
        grid->addWidget(group, i / 2, i % 2);
    }
    grid->setRowStretch(SettingsEditor::CtcpAnswerCount / 2, 1);
    return page;
}

QWidget* Tfrm_Set::BuildDefencePage() {
    auto* page = Named(new QWidget, "TabSheet_Defence");
    auto* grid = new QGridLayout(page);
    grid->addWidget(new QLabel(QStringLiteral("防衛モードを起動する連続メッセージ数：")), 0, 0);
    Cmb_MaxReply = Named(new QComboBox, "Cmb_MaxReply");
    for (int i = 1; i <= SettingsEditor::kMaxReplyEntries; ++i) Cmb_MaxReply->addItem(QString::number(i));
    grid->addWidget(Cmb_MaxReply, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("連続メッセージとみなす間隔：")), 1, 0);
    Trb_Interval = Named(new QSlider(Qt::Horizontal), "Trb_Interval");
    Trb_Interval->setRange(0, SettingsEditor::kIntervalMax);
    Trb_Interval->setSingleStep(10);
    Trb_Interval->setPageStep(100);
    Trb_Interval->setTickInterval(100);
    Trb_Interval->setTickPosition(QSlider::TicksBelow);
    grid->addWidget(Trb_Interval, 1, 1);
    auto* group = Named(new QGroupBox(QStringLiteral("防衛モード時の動作")), "Grp_Defence");
    auto* box = new QVBoxLayout(group);
    Check_Priv = Named(new QCheckBox(QStringLiteral("PRIV受信時にタブを開かない")), "Check_Priv");
    Check_Invite =
        Named(new QCheckBox(QStringLiteral("INVITEメッセージ受信でダイアログを開かない")), "Check_Invite");
    Check_Whois = Named(new QCheckBox(QStringLiteral("自動的にWHOISコマンドで調査する")), "Check_Whois");
    box->addWidget(Check_Priv);
    box->addWidget(Check_Invite);
    box->addWidget(Check_Whois);
    grid->addWidget(group, 2, 0, 1, 2);
    grid->setRowStretch(3, 1);
    return page;
}

QWidget* Tfrm_Set::BuildKeywordPage() {
    auto* page = Named(new QWidget, "TabSheet_Keyword");
    auto* grid = new QGridLayout(page);
    grid->addWidget(new QLabel(QStringLiteral("Keyword：")), 0, 0);
    Edit_Keyword = Named(new QLineEdit, "Edit_Keyword");
    grid->addWidget(Edit_Keyword, 1, 0);
    Btn_KeywordAdd = Named(new QPushButton(QStringLiteral("追加→")), "Btn_KeywordAdd");
    grid->addWidget(Btn_KeywordAdd, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("Keywords List：")), 0, 2);
    Lst_Keywords = Named(new QListWidget, "Lst_Keywords");
    Lst_Keywords->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->addWidget(Lst_Keywords, 1, 2, 3, 1);
    Btn_KeywordDelete = Named(new QPushButton(QStringLiteral("削除")), "Btn_KeywordDelete");
    grid->addWidget(Btn_KeywordDelete, 4, 2, Qt::AlignRight);

    auto* detect = Named(new QGroupBox(QStringLiteral("キーワード検出するメッセージ")), "Grp_KeywordDetect");
    auto* detectBox = new QVBoxLayout(detect);
    Check_KeywordPrivate = Named(new QCheckBox(QStringLiteral("Privateメッセージ")), "Check_KeywordPrivate");
    Check_KeywordNotice = Named(new QCheckBox(QStringLiteral("Noticeメッセージ")), "Check_KeywordNotice");
    Check_KeywordDCC = Named(new QCheckBox(QStringLiteral("DCC CHAT")), "Check_KeywordDCC");
    detectBox->addWidget(Check_KeywordPrivate);
    detectBox->addWidget(Check_KeywordNotice);
    detectBox->addWidget(Check_KeywordDCC);
    Check_KeywordOwnNick =
        Named(new QCheckBox(QStringLiteral("自分のニックネームもキーワードとして強調する")),
              "Check_KeywordOwnNick");
    detectBox->addWidget(Check_KeywordOwnNick);
    grid->addWidget(detect, 5, 0, 1, 3);

    auto* action = Named(new QGroupBox(QStringLiteral("キーワード検出時の動作")), "Grp_KeywordAction");
    auto* actionGrid = new QGridLayout(action);
    Rad_Beep[0] = Named(new QRadioButton(QStringLiteral("一般のBeep音を鳴らす")), "Rad_BeepGeneral");
    Rad_Beep[1] = Named(new QRadioButton(QStringLiteral("警告のBeep音を鳴らす")), "Rad_BeepWarning");
    Rad_Beep[2] = Named(new QRadioButton(QStringLiteral("音は鳴らさない")), "Rad_BeepNone");
    for (int i = 0; i < 3; ++i) actionGrid->addWidget(Rad_Beep[i], i, 0, 1, 3);
    const int k = static_cast<int>(FontKind::Keyword);
    actionGrid->addWidget(new QLabel(QStringLiteral("Keywordのフォント：")), 3, 0);
    Rich_Font[k] = MakePreview(QStringLiteral("Rich_Font_Keyword"));
    actionGrid->addWidget(Rich_Font[k], 3, 1);
    Btn_Font[k] = MakeFontButton(QStringLiteral("Btn_Font_Keyword"));
    actionGrid->addWidget(Btn_Font[k], 3, 2);
    Btn_FontColor[k] = MakeColourButton(QStringLiteral("Btn_Color_Font_Keyword"));
    actionGrid->addWidget(Btn_FontColor[k], 3, 3);
    grid->addWidget(action, 6, 0, 1, 3);
    grid->setColumnStretch(2, 1);
    return page;
}

QWidget* Tfrm_Set::BuildEventPage() {
    auto* page = Named(new QWidget, "TabSheet_Event");
    auto* grid = new QGridLayout(page);
    grid->addWidget(new QLabel(QStringLiteral("Event List：")), 0, 0);
    Liv_Event = Named(new QListWidget, "Liv_Event");
    Liv_Event->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->addWidget(Liv_Event, 1, 0, 2, 1);

    auto* buttons = new QVBoxLayout;
    Btn_EventAdd = Named(new QPushButton(QStringLiteral("追加→")), "Btn_EventAdd");
    Btn_EventUpdate = Named(new QPushButton(QStringLiteral("更新→")), "Btn_EventUpdate");
    Btn_EventDelete = Named(new QPushButton(QStringLiteral("削除")), "Btn_EventDelete");
    Btn_EventUp = Named(new QPushButton(QStringLiteral("↑")), "Btn_EventUp");
    Btn_EventDown = Named(new QPushButton(QStringLiteral("↓")), "Btn_EventDown");
    for (QPushButton* b : {Btn_EventAdd, Btn_EventUpdate, Btn_EventDelete, Btn_EventUp, Btn_EventDown}) {
        buttons->addWidget(b);
    }
    buttons->addStretch();
    grid->addLayout(buttons, 1, 1, 2, 1);

    auto* fields = new QGridLayout;
    Edit_EventName = Named(new QLineEdit, "Edit_EventName");
    Edit_Trigger = Named(new QLineEdit, "Edit_Trigger");
    Edit_Command = Named(new QLineEdit, "Edit_Command");
    fields->addWidget(new QLabel(QStringLiteral("イベント名：")), 0, 0);
    fields->addWidget(Edit_EventName, 0, 1);
    fields->addWidget(new QLabel(QStringLiteral("トリガーコマンド：")), 1, 0);
    fields->addWidget(Edit_Trigger, 1, 1);
    auto* condition = Named(new QGroupBox(QStringLiteral("トリガー条件")), "Grp_Condition");
    auto* conditionGrid = new QGridLayout(condition);
    Edit_Prefix = Named(new QLineEdit, "Edit_Prefix");
    conditionGrid->addWidget(new QLabel(QStringLiteral("プレフィックス：")), 0, 0);
    conditionGrid->addWidget(Edit_Prefix, 0, 1);
    for (int i = 0; i < 4; ++i) {
        Edit_Param[i] = new QLineEdit;
        Edit_Param[i]->setObjectName(QStringLiteral("Edit_Param") + QString::number(i + 1));
        conditionGrid->addWidget(new QLabel(QStringLiteral("パラメータ %1：").arg(i + 1)), i + 1, 0);
        conditionGrid->addWidget(Edit_Param[i], i + 1, 1);
    }
    Check_ExcludeOwn =
        Named(new QCheckBox(QStringLiteral("自分発行のコマンドは対象外とする")), "Check_ExcludeOwn");
    conditionGrid->addWidget(Check_ExcludeOwn, 5, 0, 1, 2);
    fields->addWidget(condition, 2, 0, 1, 2);
    fields->addWidget(new QLabel(QStringLiteral("発行コマンド：")), 3, 0);
    fields->addWidget(Edit_Command, 3, 1);
    fields->setRowStretch(4, 1);
    grid->addLayout(fields, 1, 2, 2, 1);
    grid->setRowStretch(2, 1);

    Check_EventLog = Named(new QCheckBox(QStringLiteral("イベントログの出力")), "Check_EventLog");
    grid->addWidget(Check_EventLog, 3, 0, 1, 3);
    grid->setColumnStretch(2, 1);
    return page;
}

QWidget* Tfrm_Set::BuildOtherPage() {
    auto* page = Named(new QWidget, "TabSheet_Other");
    auto* column = new QVBoxLayout(page);
    auto* log = Named(new QGroupBox(QStringLiteral("ログ")), "Grp_Log");
    auto* logGrid = new QGridLayout(log);
    Check_LogOutput = Named(new QCheckBox(QStringLiteral("ログを出力する")), "Check_LogOutput");
    logGrid->addWidget(Check_LogOutput, 0, 0, 1, 3);
    logGrid->addWidget(new QLabel(QStringLiteral("ログ出力先：")), 1, 0);
    Edit_LogPath = Named(new QLineEdit, "Edit_LogPath");
    logGrid->addWidget(Edit_LogPath, 1, 1);
    Btn_Browse = Named(new QPushButton(QStringLiteral("参照")), "Btn_Browse");
    logGrid->addWidget(Btn_Browse, 1, 2);
    column->addWidget(log);

    auto* messages = Named(new QGroupBox(QStringLiteral("メッセージ")), "Grp_Message");
    auto* messageGrid = new QGridLayout(messages);
    const char* captions[SettingsEditor::MessageCount] = {"AWAY：", "KICK：", "PART：", "QUIT："};
    const char* names[SettingsEditor::MessageCount] = {"Edit_Away", "Edit_Kick", "Edit_Part", "Edit_Quit"};
    for (int i = 0; i < SettingsEditor::MessageCount; ++i) {
        messageGrid->addWidget(new QLabel(QString::fromUtf8(captions[i])), i, 0);
        Edit_Message[i] = Named(new QLineEdit, names[i]);
        messageGrid->addWidget(Edit_Message[i], i, 1);
    }
    column->addWidget(messages);

    auto* display = Named(new QGroupBox(QStringLiteral("表示")), "Grp_Display");
    auto* displayRow = new QHBoxLayout(display);
    displayRow->addWidget(new QLabel(QStringLiteral("ウィンドウごとの最大行数：")));
    Spin_MaxLines = Named(new QSpinBox, "Spin_MaxLines");
    Spin_MaxLines->setRange(Settings::kMaxLinesLeast, Settings::kMaxLinesMost);
    Spin_MaxLines->setSingleStep(1000);
    Spin_MaxLines->setGroupSeparatorShown(true);
    displayRow->addWidget(Spin_MaxLines);
    displayRow->addStretch();
    column->addWidget(display);
    Check_AutoReconnect =
        Named(new QCheckBox(QStringLiteral("切断されたら自動的に再接続する")), "Check_AutoReconnect");
    column->addWidget(Check_AutoReconnect);
    Check_Capabilities =
        Named(new QCheckBox(QStringLiteral("サーバの拡張機能 (CAP, SASL) を使う")), "Check_Capabilities");
    column->addWidget(Check_Capabilities);
    Check_NotifyDesktop =
        Named(new QCheckBox(QStringLiteral("ウィンドウが裏にあるとき、呼ばれたらデスクトップに通知する")),
              "Check_NotifyDesktop");
    column->addWidget(Check_NotifyDesktop);
    Check_NotifyTray =
        Named(new QCheckBox(QStringLiteral("通知領域にアイコンを表示する")), "Check_NotifyTray");
    column->addWidget(Check_NotifyTray);
    column->addStretch();
    return page;
}

}  // namespace velmok::config
