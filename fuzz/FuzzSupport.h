#pragma once
// Helpers shared by the fuzz targets: a reader that takes pieces off the
// fuzzer's bytes, and an engine wired to the test fakes the way a real
// session brings a slot up.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "config/Settings.h"
#include "session/Engine.h"
#include "support/FakeClock.h"
#include "support/FakeSocket.h"
#include "support/RecordingFrontend.h"

namespace velmok::fuzz {

// A property of the code does not hold: stop here so libFuzzer keeps the input.
#define FUZZ_CHECK(condition) \
    do {                      \
        if (!(condition)) {   \
            std::abort();     \
        }                     \
    } while (false)

class Bytes {
public:
    Bytes(const std::uint8_t* data, std::size_t size) : rest_(reinterpret_cast<const char*>(data), size) {}

    std::uint8_t Byte() {
        if (rest_.empty()) return 0;
        const auto c = static_cast<std::uint8_t>(rest_.front());
        rest_.remove_prefix(1);
        return c;
    }
    // The text up to the next separator byte (the separator is consumed), or
    // everything that is left.
    std::string Until(char separator) {
        const std::size_t at = rest_.find(separator);
        std::string out(rest_.substr(0, at));
        rest_.remove_prefix(at == std::string_view::npos ? rest_.size() : at + 1);
        return out;
    }
    std::string Rest() {
        std::string out(rest_);
        rest_ = {};
        return out;
    }
    bool Empty() const { return rest_.empty(); }
    std::size_t Size() const { return rest_.size(); }

private:
    std::string_view rest_;
};

// An engine on fakes. States: 0 connected but not registered, 1 registered,
// 2 registered and in two channels with members, 3 as 2 with protection on.
struct EngineRig {
    session::FakeClock clock;
    session::FakeSocketFactory sockets;
    session::RecordingFrontend ui;
    config::Settings settings;
    session::Engine engine{ui, clock, sockets, settings};
    session::FakeClientSocket* socket = nullptr;

    void Start(int state, int slot = 0) {
        session::ServerSession& s = engine.Session(slot);
        s.ServerName = "127.0.0.1";
        s.Port = 6667;
        s.Nick = "n";
        s.AwayNick = "n_away";
        s.UserName = "u";
        s.RealName = "r";
        s.AutoJoin = "1 #a  0 #off  1 #k key ";
        engine.ConnectSession(slot);
        socket = sockets.Last();
        socket->FireConnect();
        if (state >= 1) socket->Deliver(":srv 001 n :Welcome\r\n");
        if (state >= 2) {
            socket->Deliver(
                ":n!u@h JOIN #a\r\n:srv 353 n = #a :@n +v x y Z\r\n:srv 366 n #a :end\r\n"
                ":n!u@h JOIN #b\r\n:srv 353 n = #b :n @x\r\n:srv 366 n #b :end\r\n"
                ":p!u@h PRIVMSG n :hello\r\n");
        }
        if (state >= 3) engine.Toggle();
        socket->TakeSent();
    }

    // What every line we send must look like: CR LF at its end and nowhere
    // inside, and no NUL, whatever the peer put into the fields we echo.
    // A NUL the user typed is the user's own; allowNul lets it pass.
    static void CheckWire(const std::string& sent, bool allowNul = false) {
        for (std::size_t i = 0; i < sent.size(); ++i) {
            FUZZ_CHECK(allowNul || sent[i] != '\0');
            if (sent[i] == '\r') FUZZ_CHECK(i + 1 < sent.size() && sent[i + 1] == '\n');
            if (sent[i] == '\n') FUZZ_CHECK(i > 0 && sent[i - 1] == '\r');
        }
        FUZZ_CHECK(sent.empty() || sent.back() == '\n');
    }
};

}  // namespace velmok::fuzz
