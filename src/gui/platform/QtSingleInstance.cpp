#include "platform/QtSingleInstance.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QTimer>

namespace velmok::platform {

namespace {

constexpr qsizetype kMaxRequest = 64 * 1024;
const QByteArray kAcknowledge = QByteArrayLiteral("ok\n");

}  // namespace

SingleInstance::SingleInstance(QObject* parent) : QObject(parent) {}

SingleInstance::~SingleInstance() {
    if (server_) server_->close();
}

QString SingleInstance::SocketPath(const QString& socketName) {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty()) folder = QDir::tempPath();
    return QDir(folder).filePath(socketName);
}

bool SingleInstance::HandOver(const QString& path, const QByteArray& request, int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(timeoutMs)) return false;
    socket.write(request);
    if (!socket.waitForBytesWritten(timeoutMs)) return false;
    QByteArray answer;
    while (!answer.contains('\n')) {
        if (!socket.waitForReadyRead(timeoutMs)) return false;
        answer += socket.readAll();
    }
    return answer == kAcknowledge;
}

bool SingleInstance::Listen(const QString& path, QString& error) {
    server_ = new QLocalServer(this);
    // Only this user may hand requests over.
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(path)) {
        // Somebody answers there: that is a running program, not a leftover.
        QLocalSocket probe;
        probe.connectToServer(path);
        if (probe.waitForConnected(1000)) {
            error = QStringLiteral("another Velmok listens on ") + path;
            return false;
        }
        QLocalServer::removeServer(path);
        if (!server_->listen(path)) {
            error = server_->errorString();
            return false;
        }
    }
    connect(server_, &QLocalServer::newConnection, this, &SingleInstance::OnNewConnection);
    return true;
}

void SingleInstance::OnNewConnection() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        auto* buffer = new QByteArray;
        connect(socket, &QObject::destroyed, this, [buffer] { delete buffer; });
        // A client that never finishes its request is dropped.
        QTimer::singleShot(10000, socket, [socket] { socket->abort(); });
        connect(socket, &QLocalSocket::readyRead, this, [this, socket, buffer] {
            *buffer += socket->readAll();
            if (buffer->size() > kMaxRequest) {
                socket->abort();
                return;
            }
            if (!complete || !complete(*buffer)) return;
            const QByteArray request = *buffer;
            buffer->clear();
            socket->write(kAcknowledge);
            socket->flush();
            socket->disconnectFromServer();
            // Handle it once this socket event is over: it may open dialogs.
            QTimer::singleShot(0, this, [this, request] {
                if (onRequest) onRequest(request);
            });
        });
    }
}

}  // namespace velmok::platform
