#include "ui/QtAttention.h"

#include <QApplication>
#include <QDBusConnection>
#include <QPainter>
#include <QSystemTrayIcon>
#include <QWidget>

#include "base/Texts.h"
#include "platform/QtDesktop.h"
#include "platform/QtNotifier.h"
#include "platform/QtText.h"
#include "session/ChannelNames.h"

namespace velmok::ui {

namespace {

// The program's icon with an orange mark in its corner.
QIcon MarkedIcon() {
    QPixmap pm = platform::ApplicationIcon().pixmap(32, 32);
    if (pm.isNull()) {
        pm = QPixmap(32, 32);
        pm.fill(Qt::transparent);
    }
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(240, 130, 0));
    p.setPen(QColor(120, 60, 0));
    p.drawEllipse(QRect(16, 0, 15, 15));
    return QIcon(pm);
}

}  // namespace

QtAttention::QtAttention(QWidget* window) : QObject(window), window_(window) {}

QtAttention::~QtAttention() = default;

void QtAttention::SetNotifier(std::unique_ptr<platform::QtNotifier> notifier) {
    notifier_ = std::move(notifier);
    if (notifier_) notifier_->onClicked = [this](int key) { Clicked(key); };
}

void QtAttention::Apply(bool desktop, bool tray) {
    desktop_ = desktop;
    trayWanted_ = tray;
    const bool show = tray && QSystemTrayIcon::isSystemTrayAvailable();
    if (show && !tray_) {
        tray_ = new QSystemTrayIcon(platform::ApplicationIcon(), this);
        tray_->setObjectName(QStringLiteral("TrayIcon"));
        connect(tray_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
            if (reason != QSystemTrayIcon::Trigger && reason != QSystemTrayIcon::DoubleClick) return;
            Clicked(latestKey_);
        });
        tray_->show();
    } else if (!show && tray_) {
        delete tray_;
        tray_ = nullptr;
    }
    ShowTrayState();
}

int QtAttention::KeyOf(int slot, const std::string& name) {
    for (std::size_t i = 0; i < keys_.size(); ++i)
        if (keys_[i].slot == slot && session::channels::SameName(keys_[i].name, name))
            return static_cast<int>(i);
    keys_.push_back({slot, name});
    return static_cast<int>(keys_.size()) - 1;
}

void QtAttention::Raise(int slot, const std::string& name, const QString& title, const QString& body) {
    if (!desktop_ && !trayWanted_) return;
    latestKey_ = KeyOf(slot, name);
    ++waiting_;
    lastTitle_ = title;
    lastBody_ = body;
    if (desktop_) {
        // The session bus is looked for once something is to be said.
        if (!notifier_) SetNotifier(std::make_unique<platform::QtNotifier>(QDBusConnection::sessionBus()));
        notifier_->Show(latestKey_, title, body);
    }
    ShowTrayState();
}

void QtAttention::Clear() {
    if (waiting_ == 0) return;
    waiting_ = 0;
    ShowTrayState();
}

void QtAttention::Clicked(int key) {
    const bool known = key >= 0 && key < static_cast<int>(keys_.size());
    if (onShow) onShow(known ? keys_[key].slot : -1, known ? keys_[key].name : std::string());
}

void QtAttention::ShowTrayState() {
    if (!tray_) return;
    static const QIcon marked = MarkedIcon();
    tray_->setIcon(waiting_ > 0 ? marked : platform::ApplicationIcon());
    QString tip = QStringLiteral("Velmok 2.2");
    if (waiting_ > 0)
        tip += QStringLiteral("\n") + platform::FromSjis(std::to_string(waiting_) + texts::AttentionWaiting) +
               QStringLiteral("\n") + lastTitle_;
    tray_->setToolTip(tip);
}

}  // namespace velmok::ui
