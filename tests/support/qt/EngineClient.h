#pragma once
// Engines on the real Qt sockets and clock, for tests against a real server.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "platform/QtClock.h"
#include "platform/QtSockets.h"
#include "session/Codec.h"
#include "session/Engine.h"
#include "support/NgircdServer.h"
#include "support/QtWait.h"
#include "support/RecordingFrontend.h"

namespace velmok::test {

// One engine whose slot 0 is filled for the server on 127.0.0.1:port.
struct EngineClient {
    session::RecordingFrontend ui;
    platform::QtClock clock;
    platform::QtSocketFactory sockets;
    config::Settings settings;
    session::Engine engine{ui, clock, sockets, settings};

    EngineClient(const std::string& nick, int port) {
        session::ServerSession& s = engine.Session(0);
        s.ServerName = "127.0.0.1";
        s.Port = port;
        s.Nick = nick;
        s.UserName = nick;
        s.RealName = "Velmok test";
    }
    // What a typed line or a menu action does: queue it (Shift-JIS) for the send timer.
    void Send(const std::string& sjisLine) {
        engine.EnqueueLine(session::Queue::A, 0, engine.ToWire(0, sjisLine), 1);
    }
    // The first text rendered into a window of slot 0 that starts with start.
    std::string LineStarting(int window, const std::string& start) const {
        for (const auto& t : ui.TextsIn(0, window))
            if (t.compare(0, start.size(), start) == 0) return t;
        return {};
    }
};

// A server and two registered clients, alice and bob.
class TwoClientsTest : public ::testing::Test {
protected:
    static constexpr int kWait = 5000;
    NgircdServer server;
    std::unique_ptr<EngineClient> alice;
    std::unique_ptr<EngineClient> bob;

    void SetUp() override {
        if (!NgircdServer::Available()) GTEST_SKIP() << "ngircd is not installed";
        ASSERT_TRUE(server.Start()) << server.Error();
        alice = std::make_unique<EngineClient>("alice", server.Port());
        bob = std::make_unique<EngineClient>("bob", server.Port());
        BeforeConnect();
        ASSERT_TRUE(alice->engine.ConnectSession(0));
        ASSERT_TRUE(bob->engine.ConnectSession(0));
        ASSERT_TRUE(Wait([&] { return alice->engine.Slot(0).Registered && bob->engine.Slot(0).Registered; }))
            << server.Log();
    }
    virtual void BeforeConnect() {}

    // Runs the event loop, standing in for both send timers, until done holds.
    bool Wait(const std::function<bool()>& done) {
        return WaitUntil(
            [&] {
                for (EngineClient* c : {alice.get(), bob.get()})
                    if (c) c->engine.DrainSendQueues();
                return done();
            },
            kWait);
    }
};

}  // namespace velmok::test
