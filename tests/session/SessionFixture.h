#pragma once
#include <gtest/gtest.h>

#include <string>

#include "config/Settings.h"
#include "session/Engine.h"
#include "support/FakeClock.h"
#include "support/FakeSocket.h"
#include "support/RecordingFrontend.h"

namespace velmok::session {

// An engine wired to fakes, with helpers to bring slots up the way a server would.
class SessionFixture : public ::testing::Test {
protected:
    FakeClock clock;
    FakeSocketFactory sockets;
    RecordingFrontend ui;
    config::Settings settings;
    Engine engine{ui, clock, sockets, settings};

    // Fills a slot as the connection picker does and opens it; the TCP
    // connection comes up at once. Returns the slot's socket.
    FakeClientSocket* Connect(int slot, const std::string& nick = "n",
                              const std::string& server = "127.0.0.1") {
        ServerSession& s = engine.Session(slot);
        s.ServerName = server;
        s.Port = 6667;
        s.Nick = nick;
        s.UserName = "u";
        s.RealName = "r";
        EXPECT_TRUE(engine.ConnectSession(slot));
        FakeClientSocket* socket = sockets.Last();
        socket->FireConnect();
        socket->TakeSent();
        return socket;
    }

    // Connects and completes registration with the welcome reply of "srv".
    FakeClientSocket* Register(int slot, const std::string& nick = "n",
                               const std::string& server = "127.0.0.1") {
        FakeClientSocket* socket = Connect(slot, nick, server);
        socket->Deliver(":srv 001 " + nick + " :Welcome\r\n");
        EXPECT_TRUE(engine.Slot(slot).Registered);
        ui.Clear();
        return socket;
    }
};

}  // namespace velmok::session
