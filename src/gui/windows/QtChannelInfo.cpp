#include "windows/QtChannelInfo.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "platform/QtDialogs.h"
#include "platform/QtText.h"
#include "session/Codec.h"
#include "session/Engine.h"

namespace velmok::windows {

using platform::FromSjis;
using platform::ToSjis;

namespace {

constexpr int kMaskRole = Qt::UserRole;

QByteArray Bytes(const std::string& s) { return QByteArray(s.data(), static_cast<qsizetype>(s.size())); }

}  // namespace

Tfrm_ChannelInfo::Tfrm_ChannelInfo(QWidget* owner, session::Engine& engine, platform::Dialogs* dialogs,
                                   int slot, int window)
    : QDialog(owner), SessionIndex(slot), ChannelIndex(window), engine_(engine), dialogs_(dialogs) {
    setObjectName(QStringLiteral("Tfrm_ChannelInfo"));
    auto* layout = new QVBoxLayout(this);

    auto* topicRow = new QHBoxLayout;
    topicRow->addWidget(new QLabel(QStringLiteral("TOPIC："), this));
    Edit_Topic = new QLineEdit(this);
    Edit_Topic->setObjectName(QStringLiteral("Edit_Topic"));
    topicRow->addWidget(Edit_Topic, 1);
    layout->addLayout(topicRow);

    auto* group = new QGroupBox(QStringLiteral("MODE"), this);
    auto* grid = new QGridLayout(group);
    auto box = [&](const char* name, const char* caption, int row, int column) {
        auto* b = new QCheckBox(QString::fromLatin1(caption), group);
        b->setObjectName(QString::fromLatin1(name));
        grid->addWidget(b, row, column);
        return b;
    };
    Check_Mode_Private = box("Check_Mode_Private", "Private channel(+p)", 0, 0);
    Check_Mode_Secret = box("Check_Mode_Secret", "Secret channel(+s)", 0, 1);
    Check_Mode_Moderated = box("Check_Mode_Moderated", "Moderated channel(+m)", 1, 0);
    Check_Mode_Topic = box("Check_Mode_Topic", "Topic settable(+t)", 1, 1);
    Check_Mode_Invite = box("Check_Mode_Invite", "Invite-only(+i)", 2, 0);
    Check_Mode_NoMessage = box("Check_Mode_NoMessage", "No message(+n)", 2, 1);
    Check_Mode_Limit = box("Check_Mode_Limit", "User limit(+l)", 3, 0);
    Edit_Limit = new QLineEdit(group);
    Edit_Limit->setObjectName(QStringLiteral("Edit_Limit"));
    grid->addWidget(Edit_Limit, 3, 1);
    Check_Mode_Key = box("Check_Mode_Key", "Channel key(+k)", 4, 0);
    Edit_Key = new QLineEdit(group);
    Edit_Key->setObjectName(QStringLiteral("Edit_Key"));
    grid->addWidget(Edit_Key, 4, 1);
    layout->addWidget(group);

    layout->addWidget(new QLabel(QStringLiteral("Banlist"), this));
    Liv_BanList = new QTreeWidget(this);
    Liv_BanList->setObjectName(QStringLiteral("Liv_BanList"));
    Liv_BanList->setColumnCount(2);
    Liv_BanList->setHeaderHidden(true);
    Liv_BanList->setRootIsDecorated(false);
    Liv_BanList->setColumnWidth(0, 349);
    Liv_BanList->setColumnHidden(1, true);
    layout->addWidget(Liv_BanList, 1);
    Lbl_Unban = new QLabel(QStringLiteral("↑解除する"), this);
    Lbl_Unban->setObjectName(QStringLiteral("Lbl_Unban"));
    Lbl_Unban->hide();
    layout->addWidget(Lbl_Unban);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    Btn_OK = new QPushButton(QStringLiteral("OK"), this);
    Btn_OK->setObjectName(QStringLiteral("Btn_OK"));
    Btn_OK->setDefault(true);
    Btn_Cancel = new QPushButton(QStringLiteral("キャンセル"), this);
    Btn_Cancel->setObjectName(QStringLiteral("Btn_Cancel"));
    buttons->addWidget(Btn_OK);
    buttons->addWidget(Btn_Cancel);
    layout->addLayout(buttons);
    resize(380, 420);

    connect(Btn_OK, &QPushButton::clicked, this, &Tfrm_ChannelInfo::Btn_OKClick);
    connect(Btn_Cancel, &QPushButton::clicked, this, &QDialog::reject);
    // +p and +s exclude each other; limit and key fields follow their boxes.
    connect(Check_Mode_Private, &QCheckBox::toggled, this, [this](bool on) {
        if (on) Check_Mode_Secret->setChecked(false);
    });
    connect(Check_Mode_Secret, &QCheckBox::toggled, this, [this](bool on) {
        if (on) Check_Mode_Private->setChecked(false);
    });
    connect(Check_Mode_Limit, &QCheckBox::toggled, Edit_Limit, &QWidget::setEnabled);
    connect(Check_Mode_Key, &QCheckBox::toggled, Edit_Key, &QWidget::setEnabled);

    Timer = new QTimer(this);
    Timer->setObjectName(QStringLiteral("Timer"));
    Timer->setInterval(1);
    connect(Timer, &QTimer::timeout, this, &Tfrm_ChannelInfo::TimerTimer);
    Timer->start();
}

std::array<QCheckBox*, 6> Tfrm_ChannelInfo::ModeBoxes() const {
    return {Check_Mode_Private, Check_Mode_Secret, Check_Mode_Moderated,
            Check_Mode_Topic,   Check_Mode_Invite, Check_Mode_NoMessage};
}

void Tfrm_ChannelInfo::showEvent(QShowEvent* event) {
    if (!shown_) {
        shown_ = true;
        FormShow();
    }
    QDialog::showEvent(event);
}

void Tfrm_ChannelInfo::FormShow() {
    state = ChannelInfoFromRecord(engine_, SessionIndex, ChannelIndex);
    const ChannelInfoView v = ChannelInfoShown(state);
    setWindowTitle(FromSjis(v.caption));
    Edit_Topic->setText(FromSjis(v.topic));
    Edit_Topic->setEnabled(v.topicEnabled);
    const auto boxes = ModeBoxes();
    for (int i = 0; i < 6; ++i) {
        // The channel's own modes are shown as they are, even +p with +s.
        const QSignalBlocker block(boxes[i]);
        boxes[i]->setChecked(v.modes[i]);
        boxes[i]->setEnabled(v.modesEnabled);
    }
    Check_Mode_Limit->setChecked(v.limitChecked);
    Check_Mode_Limit->setEnabled(v.modesEnabled);
    Edit_Limit->setText(FromSjis(v.limit));
    Edit_Limit->setEnabled(v.limitEnabled);
    Check_Mode_Key->setChecked(v.keyChecked);
    Check_Mode_Key->setEnabled(v.modesEnabled);
    Edit_Key->setText(FromSjis(v.key));
    Edit_Key->setEnabled(v.keyEnabled);
    banChecks_ = v.banChecks;
}

void Tfrm_ChannelInfo::TimerTimer() {
    // Until shown the dialog does not know its channel; the list waits.
    if (!shown_ || engine_.BanListReply.empty()) return;
    const BanListUpdate update = TakeBanList(engine_, state.ChannelName);
    if (!update.arrived) return;
    Liv_BanList->clear();
    for (const std::string& mask : update.masks) {
        auto* item = new QTreeWidgetItem(Liv_BanList);
        item->setText(0, FromSjis(session::WireToSjis(mask)));
        item->setText(1, FromSjis(mask));
        item->setData(1, kMaskRole, Bytes(mask));
        if (banChecks_) {
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
            item->setCheckState(0, Qt::Unchecked);
        }
    }
    Lbl_Unban->setVisible(banChecks_ && !update.masks.empty());
}

void Tfrm_ChannelInfo::Btn_OKClick() {
    ChannelInfoEdits e;
    e.topic = ToSjis(Edit_Topic->text());
    const auto boxes = ModeBoxes();
    for (int i = 0; i < 6; ++i) e.modes[i] = boxes[i]->isChecked();
    e.limitChecked = Check_Mode_Limit->isChecked();
    e.limit = ToSjis(Edit_Limit->text());
    e.keyChecked = Check_Mode_Key->isChecked();
    e.key = ToSjis(Edit_Key->text());
    for (int i = 0; i < Liv_BanList->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = Liv_BanList->topLevelItem(i);
        if (banChecks_ && item->checkState(0) == Qt::Checked) {
            const QByteArray mask = item->data(1, kMaskRole).toByteArray();
            e.unban.emplace_back(mask.constData(), static_cast<std::size_t>(mask.size()));
        }
    }
    const int error = ChannelInfoOk(engine_, SessionIndex, state, e);
    if (error != 0) {
        if (dialogs_) dialogs_->ShowError(this, error);
        // The refused close is this OK's own; Cancel must still close.
        ChannelInfoMayClose(state);
        return;
    }
    accept();
}

void Tfrm_ChannelInfo::done(int result) {
    if (ChannelInfoMayClose(state)) {
        Timer->stop();
        QDialog::done(result);
    }
}

}  // namespace velmok::windows
