// A hostile server against the real client, on 127.0.0.1 only, for a bounded
// time. It registers the client, joins it to a channel, then sends a mix of
// valid traffic and garbage: overlong lines, lines without CR LF, NUL and
// control bytes, broken escape sequences, numerics without their parameters,
// huge NAMES and LIST replies, DCC offers with absurd ports, sizes and names,
// CTCP floods, key prompts and invitations. It reads whatever the client
// sends all along.
//
// Passes when the client is alive at the end and answers a last PING, its
// peak memory stays under the ceiling, it ends on SIGTERM, and its settings
// files hold the same settings as before; no log line is longer than the
// longest line the client takes.
//
//   velmok_soak --client PATH [--seconds N] [--max-mib M] [--seed S] [--keep]
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "config/FileIo.h"
#include "config/Iniaccess.h"
#include "config/SettingsStore.h"
#include "session/IrcMessage.h"
#include "support/LoopbackListener.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

// A "Vm..:" figure of /proc/PID/status in KiB: VmHWM the peak, VmRSS now.
long StatusKiB(pid_t pid, const char* key) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(key, 0) == 0) return std::atol(line.c_str() + std::strlen(key));
    return -1;
}

bool Alive(pid_t pid) { return ::waitpid(pid, nullptr, WNOHANG) == 0; }

// The connection to the client: sends with a deadline and reads all along,
// so neither side can block the other for good.
class Peer {
public:
    explicit Peer(int fd) : fd_(fd) { ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) | O_NONBLOCK); }
    ~Peer() { Close(); }
    Peer(const Peer&) = delete;
    Peer& operator=(const Peer&) = delete;
    void Close() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }

    std::string received;  // everything the client sent, cut to its last 1 MiB
    long long receivedBytes = 0;

    // False when the client did not take the bytes before the deadline.
    bool Send(const std::string& data, int timeoutMs) {
        const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        std::size_t off = 0;
        while (off < data.size()) {
            if (Clock::now() > deadline) return false;
            pollfd p{fd_, POLLIN | POLLOUT, 0};
            if (::poll(&p, 1, 100) <= 0) continue;
            if (p.revents & POLLIN) Drain();
            if (p.revents & (POLLERR | POLLHUP)) return false;
            if (p.revents & POLLOUT) {
                const ssize_t n = ::send(fd_, data.data() + off, data.size() - off, MSG_NOSIGNAL);
                if (n > 0) off += static_cast<std::size_t>(n);
            }
        }
        return true;
    }
    // Reads until text has come or the deadline passes.
    bool WaitFor(const std::string& text, int timeoutMs) {
        const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        while (received.find(text) == std::string::npos) {
            if (Clock::now() > deadline) return false;
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, 100) > 0 && !Drain()) return received.find(text) != std::string::npos;
        }
        return true;
    }
    // False once the client has closed the connection.
    bool Drain() {
        char buf[65536];
        for (;;) {
            const ssize_t n = ::recv(fd_, buf, sizeof buf, 0);
            if (n == 0) return false;
            if (n < 0) return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
            receivedBytes += n;
            received.append(buf, static_cast<std::size_t>(n));
            if (received.size() > (2u << 20)) received.erase(0, received.size() - (1u << 20));
        }
    }

private:
    int fd_;
};

// The garbage and the valid traffic, one kind per call.
class Traffic {
public:
    explicit Traffic(unsigned seed) : rng_(seed) {}

    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
    std::string Nick() { return "u" + std::to_string(Pick(400)); }
    std::string Junk(std::size_t n) {
        std::string s(n, '\0');
        for (char& c : s) c = static_cast<char>(Pick(256));
        return s;
    }

    std::string Next() {
        const std::string from = ":" + Nick() + "!x@h.example ";
        switch (Pick(16)) {
            case 0:  // ordinary chatter, ASCII and ISO-2022-JP
                return from + "PRIVMSG #soak :hello " + std::to_string(Pick(100000)) +
                       " \x1b$BF|K\\8l$N%F%9%H\x1b(B http://example.org/x\r\n";
            case 1:  // an overlong finished line
                return from + "PRIVMSG #soak :" + std::string(70000 + Pick(60000), 'L') + "\r\n";
            case 2:  // an overlong line arriving without its end for a while
                return from + "NOTICE #soak :" + std::string(80000, 'U') + "\r\n";
            case 3:  // bare LF, bare CR inside, a lone blank line
                return from + "PRIVMSG #soak :bare lf\n" + from + "PRIVMSG #soak :cr\rinside\r\n \r\n\n";
            case 4:  // NUL and control bytes
                return from + "PRIVMSG #soak :\x01\x02\x03\x04" + std::string("\0\0nul", 5) +
                       "\x7f\x1f\x16\x0f\r\n";
            case 5:  // broken escape sequences
                return from + "PRIVMSG #soak :\x1b$" + "\x1b$B$\x1b(" + "\x1b$BF" + "\x1b(Z\x1b\r\n" + from +
                       "TOPIC #soak :\x1b$B" + Junk(7) + "\r\n";
            case 6: {  // numerics without their parameters
                static const char* const numerics[] = {"001", "311", "312", "317", "318", "319", "322",
                                                       "323", "324", "332", "352", "353", "366", "367",
                                                       "368", "401", "433", "475", "305", "306", "315"};
                std::string out;
                for (const char* n : numerics) out += ":srv " + std::string(n) + "\r\n:srv " + n + " me\r\n";
                return out;
            }
            case 7: {  // a huge NAMES reply, then members leave and change
                std::string out;
                for (int line = 0; line < 40; ++line) {
                    out += ":srv 353 me = #soak :";
                    for (int i = 0; i < 100; ++i) out += (i % 7 == 0 ? "@" : "") + Nick() + " ";
                    out += "\r\n";
                }
                out += ":srv 366 me #soak :End\r\n";
                for (int i = 0; i < 50; ++i) {
                    const std::string n = Nick();
                    out += ":" + n + "!x@h JOIN :#soak\r\n:o!x@h MODE #soak +o-o+v " + n + " " + Nick() +
                           " " + n + "\r\n:" + n + "!x@h NICK :" + Nick() + "\r\n:o!x@h KICK #soak " +
                           Nick() + " :out\r\n:" + Nick() + "!x@h QUIT :bye\r\n:" + Nick() +
                           "!x@h PART #soak\r\n";
                }
                return out;
            }
            case 8: {  // a huge LIST reply
                std::string out = ":srv 321 me Channel :Users Name\r\n";
                for (int i = 0; i < 3000; ++i)
                    out += ":srv 322 me #c" + std::to_string(i) + " " + std::to_string(Pick(500)) +
                           " :topic " + Junk(4) + "\r\n";
                return out + ":srv 323 me :End of LIST\r\n";
            }
            case 9: {  // DCC offers nobody can use
                static const char* const offers[] = {
                    "DCC SEND ../../etc/passwd 2130706433 0 100",
                    "DCC SEND a 2130706433 65536 100",
                    "DCC SEND a 2130706433 99999999999 100",
                    "DCC SEND a 2130706433 5000 4294967296",
                    "DCC SEND a 0 5000 100",
                    "DCC SEND two words 2130706433 5000 100",
                    "DCC SEND a 2130706433 -1 100",
                    "DCC CHAT chat 2130706433 0",
                    "DCC CHAT chat 4294967296 5000",
                    "DCC CHAT",
                    "DCC RESUME a 5000 0",
                };
                std::string out;
                for (const char* o : offers) out += from + "PRIVMSG me :\x01" + o + "\x01\r\n";
                out += from +
                       "PRIVMSG me :\x01"
                       "DCC SEND " +
                       std::string(5000, 'n') + " 2130706433 5000\x01\r\n";
                return out;
            }
            case 10: {  // a CTCP flood from many nicks
                std::string out;
                for (int i = 0; i < 60; ++i)
                    out += ":" + Nick() + "!x@h PRIVMSG " + (i % 2 ? "me" : "#soak") +
                           " :\x01VERSION\x01\x01PING " + std::to_string(i) +
                           "\x01\x01TIME\x01\x01"
                           "CLIENTINFO\x01\r\n";
                out += from + "NOTICE me :\x01PING 12341234\x01\x01PING\x01\r\n";
                return out;
            }
            case 11: {  // key prompts and invitations by the dozen
                std::string out;
                for (int i = 0; i < 30; ++i)
                    out += ":srv 475 me #k" + std::to_string(Pick(50)) + " :Cannot join\r\n:" + Nick() +
                           "!x@h INVITE me :#i" + std::to_string(Pick(50)) + "\r\n";
                return out;
            }
            case 12:  // raw garbage with line ends in it
                return Junk(2000) + "\r\n";
            case 13:  // private messages from many nicks: windows up to the limit
                return ":" + Nick() + "!x@h PRIVMSG me :psst\r\n";
            case 14:  // modes with missing and extra arguments
                return ":o!x@h MODE #soak +oooklvb\r\n:o!x@h MODE #soak -k+l x\r\n:o!x@h MODE me +i\r\n"
                       ":o!x@h MODE\r\n:o!x@h KICK\r\n:o!x@h KICK #soak\r\n:o!x@h PART\r\n:o!x@h NICK\r\n"
                       ":o!x@h JOIN\r\n:o!x@h TOPIC #soak\r\n";
            default:  // a line that is all parameters
                return from + "PRIVMSG #soak a b c d e f g h i j k l m n o p q r s t u v w x y z :end\r\n";
        }
    }

private:
    std::mt19937 rng_;
};

velmok::config::Settings LoadAll(const std::string& folder) {
    using namespace velmok::config;
    Settings s;
    const IniFile ini(JoinPath(folder, IniFileName));
    LoadSettings(ini, s, folder);
    LoadProfiles(folder, s);
    LoadEvents(folder, s);
    return s;
}

std::size_t LongestLogLine(const fs::path& folder) {
    std::size_t longest = 0;
    std::error_code ec;
    for (const auto& entry : fs::recursive_directory_iterator(folder, ec)) {
        if (!entry.is_regular_file()) continue;
        std::ifstream in(entry.path(), std::ios::binary);
        std::string line;
        while (std::getline(in, line)) longest = std::max(longest, line.size());
    }
    return longest;
}

int Fail(pid_t pid, const char* why) {
    std::printf("FAIL: %s\n", why);
    if (pid > 0) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    }
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    std::string client;
    int seconds = 180;
    long maxMiB = 400;
    unsigned seed = 13;
    bool keep = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--client" && i + 1 < argc)
            client = argv[++i];
        else if (a == "--seconds" && i + 1 < argc)
            seconds = std::atoi(argv[++i]);
        else if (a == "--max-mib" && i + 1 < argc)
            maxMiB = std::atol(argv[++i]);
        else if (a == "--seed" && i + 1 < argc)
            seed = static_cast<unsigned>(std::atol(argv[++i]));
        else if (a == "--keep")
            keep = true;
    }
    if (client.empty()) {
        std::fprintf(stderr,
                     "usage: velmok_soak --client PATH [--seconds N] [--max-mib M] [--seed S] [--keep]\n");
        return 2;
    }

    int port = 0;
    const int listener = velmok::testing::ListenOnLoopback(port);
    if (listener < 0) {
        std::perror("listen on 127.0.0.1");
        return 1;
    }

    char tmpl[] = "/tmp/velmok-soak-XXXXXX";
    const fs::path dir = ::mkdtemp(tmpl);
    const fs::path logs = dir / "logs";
    fs::create_directory(logs);
    {
        std::ofstream c(dir / "Connections", std::ios::binary);
        c << "127.0.0.1\r\n" << port << "\r\n\r\nme\r\nme_away\r\nu\r\nreal name\r\n1 #soak  \r\n";
        std::ofstream e(dir / "Events", std::ios::binary);
        e << "greet\r\nJOIN\r\n*\r\n*\r\n\r\n\r\n\r\n1\r\nNOTICE %n :hi %1\r\n";
        std::ofstream k(dir / "Keywords", std::ios::binary);
        k << "hello\r\n\x93\xfa\x96{\r\n";  // 日本
        std::ofstream ini(dir / "velmok.ini", std::ios::binary);
        ini << "[Message]\r\nQUIT=soaked\r\n[Log]\r\nOutput=1\r\nPath=" << logs.string()
            << "\r\n[Event]\r\nLog=1\r\n[Window]\r\nAllWindow=1\r\n";
    }
    const velmok::config::Settings before = LoadAll(dir.string());

    const pid_t pid = ::fork();
    if (pid == 0) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
        // The client's own warnings go to a file beside its settings.
        const int out = ::open((dir / "client.log").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out >= 0) {
            ::dup2(out, 1);
            ::dup2(out, 2);
        }
        ::execl(client.c_str(), client.c_str(), "--config-dir", dir.c_str(), "--connect", "1", nullptr);
        std::perror("exec");
        _exit(127);
    }

    pollfd lp{listener, POLLIN, 0};
    if (::poll(&lp, 1, 60000) <= 0) return Fail(pid, "the client did not connect");
    Peer peer(::accept(listener, nullptr, nullptr));
    ::close(listener);
    if (!peer.WaitFor("USER ", 30000)) return Fail(pid, "no registration");
    peer.Send(
        ":srv 001 me :Welcome\r\n:me!u@h JOIN :#soak\r\n:srv 353 me = #soak :@me\r\n:srv 366 me #soak "
        ":End\r\n",
        10000);

    Traffic traffic(seed);
    long long sentBytes = 0, pieces = 0, pings = 0;
    long peakSeen = 0;
    const auto start = Clock::now();
    const auto end = start + std::chrono::seconds(seconds);
    while (Clock::now() < end) {
        std::string batch;
        while (batch.size() < 256 * 1024) {
            batch += traffic.Next();
            ++pieces;
        }
        // Now and then a line is left unfinished across the batch boundary.
        if (traffic.Pick(4) == 0) batch += ":x!y@z PRIVMSG #soak :half a li";
        if (!peer.Send(batch, 120000)) return Fail(pid, "the client stopped taking data");
        sentBytes += static_cast<long long>(batch.size());
        if (!Alive(pid)) return Fail(-1, "the client died");
        // The client still answers while the flood goes on.
        const std::string mark = "soak-" + std::to_string(++pings);
        if (!peer.Send("ne\r\nPING :" + mark + "\r\n", 60000) ||
            !peer.WaitFor("PONG 127.0.0.1 " + mark, 120000))
            return Fail(pid, "no PONG during the flood");
        peakSeen = std::max(peakSeen, StatusKiB(pid, "VmRSS:"));
    }
    const double floodSeconds = std::chrono::duration<double>(Clock::now() - start).count();

    // The last PING after the flood.
    const auto pingAt = Clock::now();
    if (!peer.Send("PING :soak-end\r\n", 30000) || !peer.WaitFor("PONG 127.0.0.1 soak-end", 60000))
        return Fail(pid, "no PONG after the flood");
    const double pongMs = std::chrono::duration<double, std::milli>(Clock::now() - pingAt).count();
    const long peak = StatusKiB(pid, "VmHWM:");
    const long resident = StatusKiB(pid, "VmRSS:");

    // SIGTERM: QUIT goes out; the server drops the connection and the client
    // saves and ends.
    ::kill(pid, SIGTERM);
    const bool quit = peer.WaitFor("QUIT :soaked", 30000);
    peer.Close();
    int status = 0;
    const auto deadline = Clock::now() + std::chrono::seconds(60);
    while (::waitpid(pid, &status, WNOHANG) == 0) {
        if (Clock::now() > deadline) return Fail(pid, "the client did not end after SIGTERM");
        ::usleep(50000);
    }

    const velmok::config::Settings after = LoadAll(dir.string());
    bool leftovers = false;
    for (const auto& entry : fs::directory_iterator(dir))
        leftovers = leftovers || entry.path().extension() == ".tmp";
    const std::size_t longestLog = LongestLogLine(logs);

    std::printf(
        "seconds of flood: %.1f\npieces sent: %lld\nbytes sent: %lld (%.1f MiB)\nbytes received: %lld\n",
        floodSeconds, pieces, sentBytes, sentBytes / 1048576.0, peer.receivedBytes);
    std::printf("PINGs answered during the flood: %lld\nlast PONG after: %.0f ms\n", pings, pongMs);
    std::printf("peak memory: %.1f MiB\nresident at the end: %.1f MiB (highest sampled %.1f MiB)\n",
                peak / 1024.0, resident / 1024.0, peakSeen / 1024.0);
    std::printf("longest log line: %zu bytes\nexit status: %d\n", longestLog,
                WIFEXITED(status) ? WEXITSTATUS(status) : -1);

    int failures = 0;
    auto check = [&](bool ok, const char* what) {
        if (!ok) {
            std::printf("FAIL: %s\n", what);
            ++failures;
        }
    };
    check(quit, "no QUIT after SIGTERM");
    check(WIFEXITED(status) && WEXITSTATUS(status) == 0, "the client did not exit cleanly");
    check(peak > 0 && peak / 1024 <= maxMiB, "peak memory above the ceiling");
    check(after == before, "the settings changed");
    check(!leftovers, "a temporary settings file was left behind");
    check(longestLog <= velmok::session::MaxPendingLine + 100, "an overlong line reached the log");
    if (!keep) fs::remove_all(dir);
    std::printf("%s\n", failures == 0 ? "PASS" : "FAIL");
    return failures == 0 ? 0 : 1;
}
