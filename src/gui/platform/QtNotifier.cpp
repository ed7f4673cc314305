#include "platform/QtNotifier.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QStringList>
#include <QVariantMap>
#include <utility>

namespace velmok::platform {

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
// The action a click on the notification itself invokes.
const QString kDefaultAction = QStringLiteral("default");

}  // namespace

QtNotifier::QtNotifier(const QDBusConnection& bus, QObject* parent) : QObject(parent), bus_(bus) {
    if (!bus_.isConnected()) return;
    bus_.connect(kService, kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                 SLOT(ActionInvoked(uint, QString)));
    bus_.connect(kService, kPath, kInterface, QStringLiteral("NotificationClosed"), this,
                 SLOT(NotificationClosed(uint, uint)));
    auto* watcher =
        new QDBusPendingCallWatcher(bus_.asyncCall(QDBusMessage::createMethodCall(
                                        kService, kPath, kInterface, QStringLiteral("GetCapabilities"))),
                                    this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* call) {
        const QDBusPendingReply<QStringList> reply = *call;
        if (reply.isValid()) markup_ = reply.value().contains(QStringLiteral("body-markup"));
        call->deleteLater();
        capabilitiesKnown_ = true;
        for (const Waiting& w : std::exchange(waiting_, {})) Send(w.key, w.title, w.body);
    });
}

void QtNotifier::Show(int key, const QString& title, const QString& body) {
    if (!bus_.isConnected()) return;
    if (!capabilitiesKnown_) {
        // One waiting line a conversation is enough: the newest replaces it.
        std::erase_if(waiting_, [key](const Waiting& w) { return w.key == key; });
        waiting_.push_back({key, title, body});
        return;
    }
    Send(key, title, body);
}

void QtNotifier::Send(int key, const QString& title, const QString& body) {
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Notify"));
    const auto shown = ids_.find(key);
    QVariantMap hints;
    hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("velmok"));
    hints.insert(QStringLiteral("category"), QStringLiteral("im.received"));
    call << QStringLiteral("Velmok") << static_cast<uint>(shown != ids_.end() ? shown->second : 0)
         << QStringLiteral("velmok") << title << (markup_ ? body.toHtmlEscaped() : body)
         << QStringList{kDefaultAction, QStringLiteral("Velmok")} << hints << -1;
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, key](QDBusPendingCallWatcher* done) {
        const QDBusPendingReply<uint> reply = *done;
        if (reply.isValid()) ids_[key] = reply.value();
        done->deleteLater();
    });
}

void QtNotifier::ActionInvoked(uint id, const QString& action) {
    if (action != kDefaultAction) return;
    for (const auto& [key, shown] : ids_)
        if (shown == id) {
            if (onClicked) onClicked(key);
            return;
        }
}

void QtNotifier::NotificationClosed(uint id, uint) {
    for (auto it = ids_.begin(); it != ids_.end(); ++it)
        if (it->second == id) {
            ids_.erase(it);
            return;
        }
}

}  // namespace velmok::platform
