#include "windows/QtWhois.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include "platform/QtText.h"
#include "windows/Whois.h"

namespace velmok::windows {

using platform::FromSjis;

Tfrm_Whois::Tfrm_Whois(QWidget* owner, session::Engine& engine, int slot, const std::string& nick)
    : QDialog(owner, Qt::Window), SessionIndex(slot), engine_(engine), nick_(nick) {
    setObjectName(QStringLiteral("Tfrm_Whois"));
    setAttribute(Qt::WA_DeleteOnClose);
    auto* grid = new QGridLayout(this);
    int row = 0;
    auto field = [&](const char* name, const QString& label) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(name));
        edit->setReadOnly(true);
        edit->setFrame(false);
        // Read-only text on the dialog's colour, like a label that can be copied.
        QPalette pal = edit->palette();
        pal.setColor(QPalette::Base, pal.color(QPalette::Window));
        edit->setPalette(pal);
        edit->setMinimumWidth(240);
        grid->addWidget(new QLabel(label, this), row, 0, Qt::AlignRight);
        grid->addWidget(edit, row++, 1);
        return edit;
    };
    Edit_Whois_Nick = field("Edit_Whois_Nick", QStringLiteral("Nick："));
    Edit_Whois_User = field("Edit_Whois_User", QStringLiteral("User："));
    Edit_Whois_Host = field("Edit_Whois_Host", QStringLiteral("Host："));
    Edit_Whois_Real = field("Edit_Whois_Real", QStringLiteral("Real Name："));
    Edit_Whois_Server = field("Edit_Whois_Server", QStringLiteral("Server："));
    Edit_Whois_ServerInfo = field("Edit_Whois_ServerInfo", QStringLiteral("Server Info："));
    Edit_Whois_Idle = field("Edit_Whois_Idle", QStringLiteral("Idle："));
    Edit_Whois_Away = field("Edit_Whois_Away", QStringLiteral("Away："));
    List_Whois_Channels = new QListWidget(this);
    List_Whois_Channels->setObjectName(QStringLiteral("List_Whois_Channels"));
    List_Whois_Channels->setMaximumHeight(90);
    grid->addWidget(new QLabel(QStringLiteral("Channels："), this), row, 0, Qt::AlignRight | Qt::AlignTop);
    grid->addWidget(List_Whois_Channels, row++, 1);
    Btn_OK = new QPushButton(QStringLiteral("OK"), this);
    Btn_OK->setObjectName(QStringLiteral("Btn_OK"));
    Btn_OK->setDefault(true);
    grid->addWidget(Btn_OK, row, 0, 1, 2, Qt::AlignHCenter);
    connect(Btn_OK, &QPushButton::clicked, this, &QWidget::close);

    Edit_Whois_Nick->setText(FromSjis(nick));
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, &Tfrm_Whois::Timer1Timer);
    Timer1->start();

    adjustSize();
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void Tfrm_Whois::Timer1Timer() {
    WhoisView v;
    if (!FillWhois(engine_, SessionIndex, nick_, v)) return;
    show();
    Edit_Whois_Away->setText(FromSjis(v.away));
    Edit_Whois_User->setText(FromSjis(v.user));
    Edit_Whois_Host->setText(FromSjis(v.host));
    Edit_Whois_Real->setText(FromSjis(v.real));
    Edit_Whois_Server->setText(FromSjis(v.server));
    Edit_Whois_ServerInfo->setText(FromSjis(v.serverInfo));
    if (v.hasIdle) Edit_Whois_Idle->setText(FromSjis(v.idle));
    List_Whois_Channels->clear();
    for (const std::string& entry : v.channels) List_Whois_Channels->addItem(FromSjis(entry));
}

Tfrm_Whois::~Tfrm_Whois() { Forget(); }

// Closing may be asked more than once (OK, Escape, the close box); the row
// goes the first time only, so a newer row of the nick survives.
void Tfrm_Whois::Forget() {
    if (closed_) return;
    closed_ = true;
    Timer1->stop();
    WhoisClosed(engine_, SessionIndex, nick_);
}

void Tfrm_Whois::closeEvent(QCloseEvent* event) {
    Forget();
    QDialog::closeEvent(event);
}

void Tfrm_Whois::done(int result) {
    Forget();
    QDialog::done(result);
}

}  // namespace velmok::windows
