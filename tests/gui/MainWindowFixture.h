#pragma once
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "platform/QtDialogs.h"
#include "session/Engine.h"
#include "support/FakeClock.h"
#include "support/FakeSocket.h"
#include "support/qt/ScriptedDialogs.h"
#include "ui/TSDIAppForm.h"

namespace velmok::ui {

using test::ScriptedDialogs;

// A main window in a temporary settings folder, wired to fake sockets and a
// fake clock (local time 12:34).
class MainWindowFixture : public ::testing::Test {
protected:
    QTemporaryDir dir;
    session::FakeSocketFactory sockets;
    session::FakeClock clock;
    ScriptedDialogs dialogs;
    std::unique_ptr<TSDIAppForm> form;

    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        // The window under test is the only one; closing it must not end anything.
        QApplication::setQuitOnLastWindowClosed(false);
    }
    void TearDown() override {
        form.reset();
        QCoreApplication::processEvents();
    }

    QString PathOf(const QString& name) const { return QDir(dir.path()).filePath(name); }

    void WriteFile(const QString& name, const QByteArray& bytes) const {
        QFile f(PathOf(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray ReadFile(const QString& name) const {
        QFile f(PathOf(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    // Builds and shows the window as the program's start does, with the
    // temporary folder or the given one as the settings folder.
    void Start(const QString& settingsFolder = QString()) {
        form = std::make_unique<TSDIAppForm>(settingsFolder.isEmpty() ? dir.path() : settingsFolder, nullptr,
                                             &sockets, &clock);
        form->SetDialogs(&dialogs);
        form->FormShow();
        form->show();
    }

    session::Engine& Engine() { return form->Engine(); }

    // Opens slot with a TCP connection that comes up at once; not registered.
    session::FakeClientSocket* Connect(int slot, const std::string& nick = "me") {
        session::ServerSession& s = Engine().Session(slot);
        s.ServerName = "127.0.0.1";
        s.Port = 6667;
        s.Nick = nick;
        s.UserName = "u";
        s.RealName = "r";
        EXPECT_TRUE(Engine().ConnectSession(slot));
        session::FakeClientSocket* socket = sockets.Last();
        socket->FireConnect();
        socket->TakeSent();
        return socket;
    }

    // Connects and registers with the welcome reply of "srv".
    session::FakeClientSocket* Register(int slot, const std::string& nick = "me") {
        session::FakeClientSocket* socket = Connect(slot, nick);
        socket->Deliver(":srv 001 " + nick + " :hi\r\n");
        EXPECT_TRUE(Engine().Slot(slot).Registered);
        socket->TakeSent();
        return socket;
    }

    // Our own JOIN, asked for and echoed by the server; returns the window index.
    int Join(session::FakeClientSocket* socket, const std::string& channel, int slot = 0) {
        const std::size_t before = socket->sent.size();
        Engine().SendNow(slot, "JOIN " + channel + "\r\n");
        socket->sent.resize(before);
        socket->Deliver(":me!u@h JOIN :" + channel + "\r\n");
        return Engine().FindChannel(slot, channel);
    }
};

}  // namespace velmok::ui
