#pragma once
#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <functional>
#include <map>
#include <vector>

namespace velmok::platform {

// Desktop notifications through the freedesktop notification service on a
// D-Bus connection (the session bus). Without a bus, or with nobody serving
// notifications on it, nothing shows and nothing fails or waits: every call
// is asynchronous.
class QtNotifier : public QObject {
    Q_OBJECT
public:
    explicit QtNotifier(const QDBusConnection& bus, QObject* parent = nullptr);

    // Shows title and body for key (one conversation), replacing the
    // notification shown for key before while that is still up.
    void Show(int key, const QString& title, const QString& body);
    bool Connected() const { return bus_.isConnected(); }
    // The user clicked the notification of key.
    std::function<void(int key)> onClicked;

private slots:
    void ActionInvoked(uint id, const QString& action);
    void NotificationClosed(uint id, uint reason);

private:
    QDBusConnection bus_;
    std::map<int, uint> ids_;  // key -> id the service gave its notification
    void Send(int key, const QString& title, const QString& body);

    // The service reads markup in bodies: "<nick>" must then be escaped. What
    // is to be shown before the service has said so waits for its answer.
    bool markup_ = false;
    bool capabilitiesKnown_ = false;
    struct Waiting {
        int key;
        QString title, body;
    };
    std::vector<Waiting> waiting_;
};

}  // namespace velmok::platform
