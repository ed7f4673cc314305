#pragma once
#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>

class QLocalServer;

namespace velmok::platform {

// One running program per settings folder: the first start listens on a local
// socket in the user's runtime folder; a later start with the same folder
// hands its request over that socket and ends.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(QObject* parent = nullptr);
    ~SingleInstance() override;

    // The socket's full path for one socket name (see HandOverSocketName).
    static QString SocketPath(const QString& socketName);

    // Gives one request to the program listening on path. True once it
    // acknowledged the request; false when nobody listens or it did not answer.
    static bool HandOver(const QString& path, const QByteArray& request, int timeoutMs = 5000);

    // Listens on path, taking over a socket left behind by a program that
    // ended without closing it. False with a reason in error otherwise.
    bool Listen(const QString& path, QString& error);

    // Called with each whole request, after it was acknowledged; `complete`
    // decides when the bytes read so far are one whole request.
    std::function<bool(const QByteArray& bytes)> complete;
    std::function<void(const QByteArray& bytes)> onRequest;

private:
    void OnNewConnection();

    QLocalServer* server_ = nullptr;
};

}  // namespace velmok::platform
