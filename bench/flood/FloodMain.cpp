// Floods the real client over loopback and times how fast it takes lines.
//
// A local server accepts the client's connection, registers it, joins it to
// one channel (whose window is then the one shown) and sends N channel lines
// of mixed ASCII, ISO-2022-JP Japanese, URLs and control codes, then a PING.
// The time from the first flood byte to the PONG is the client's throughput;
// the client's peak resident memory is read from /proc afterwards, and its
// own memory (RssAnon: the heap and stacks, without the pages of libraries
// and fonts) once idle and connected and again after the flood.
//
// --max-lines sets how many lines each view keeps (the setting's default when
// not given). --width W sends plain ASCII lines instead, each shown as exactly
// W characters with its time stamp and nick, in batches of 1000 that each
// wait for a PONG: the client then never holds more than a batch in its
// socket buffers, and two runs that differ only in --max-lines tell the
// memory one more kept line costs.
//
//   velmok_flood [--lines N] [--log] [--keep] [--max-lines N] [--width W]
#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/LoopbackListener.h"

namespace fs = std::filesystem;

using Clock = std::chrono::steady_clock;

namespace {

bool SendAll(int fd, const std::string& data) {
    std::size_t off = 0;
    while (off < data.size()) {
        ssize_t n = ::send(fd, data.data() + off, data.size() - off, MSG_NOSIGNAL);
        if (n <= 0) return false;
        off += static_cast<std::size_t>(n);
    }
    return true;
}

// Reads until `needle` has been seen or the deadline passes.
bool ReadUntil(int fd, std::string& seen, const std::string& needle, int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (seen.find(needle) == std::string::npos) {
        if (Clock::now() > deadline) return false;
        timeval tv{0, 100000};
        fd_set set;
        FD_ZERO(&set);
        FD_SET(fd, &set);
        if (::select(fd + 1, &set, nullptr, nullptr, &tv) <= 0) continue;
        char buf[4096];
        ssize_t n = ::recv(fd, buf, sizeof buf, 0);
        if (n <= 0) return false;
        seen.append(buf, static_cast<std::size_t>(n));
    }
    return true;
}

// A figure of /proc/PID/status in KiB: VmHWM the peak, VmRSS now, RssAnon
// the program's own part of VmRSS.
long StatusKiB(pid_t pid, const std::string& key) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(key, 0) == 0) return std::atol(line.c_str() + key.size());
    return -1;
}

// Lines shown as "hh:mm <nickNN> text" of exactly width characters.
std::string FixedWidthLines(int count, int width) {
    std::string out;
    for (int i = 0; i < count; ++i) {
        const std::string nick = "nick" + std::to_string(10 + i % 50);
        std::string text = std::to_string(i) + " ";
        const int room = width - 6 - static_cast<int>(nick.size()) - 3;
        while (static_cast<int>(text.size()) < room) text += static_cast<char>('a' + text.size() % 26);
        text.resize(static_cast<std::size_t>(std::max(0, room)));
        out += ":" + nick + "!user@host.example PRIVMSG #bench :" + text + "\r\n";
    }
    return out;
}

std::string FloodLines(int count) {
    // ISO-2022-JP for "こんにちは、世界" and a half-width free Japanese sentence.
    const std::string jp = "\x1b$B$3$s$K$A$O!\"@$3&\x1b(B";
    const std::string samples[] = {
        "hello there, this is an ordinary line of channel chatter",
        jp + " \x1b$BF|K\\8l$N%F%9%H$G$9\x1b(B",
        "see http://example.org/some/path?q=1 for details",
        "\x02"
        "bold"
        "\x02 plain \x1f"
        "under"
        "\x1f and \x16"
        "reverse"
        "\x16",
        "mixed " + jp + " and https://example.net/x",
    };
    std::string out;
    out.reserve(static_cast<std::size_t>(count) * 90);
    for (int i = 0; i < count; ++i) {
        out += ":nick";
        out += std::to_string(i % 50);
        out += "!user@host.example PRIVMSG #bench :";
        out += samples[i % 5];
        out += " ";
        out += std::to_string(i);
        out += "\r\n";
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    int lines = 100000;
    int maxLines = 0, width = 0;
    bool log = false, keep = false;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--lines") && i + 1 < argc)
            lines = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--max-lines") && i + 1 < argc)
            maxLines = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--width") && i + 1 < argc)
            width = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--log"))
            log = true;
        else if (!std::strcmp(argv[i], "--keep"))
            keep = true;
    }

    int port = 0;
    const int listener = velmok::testing::ListenOnLoopback(port);
    if (listener < 0) {
        std::perror("listen on 127.0.0.1");
        return 1;
    }

    char tmpl[] = "/tmp/velmok-flood-XXXXXX";
    const fs::path dir = ::mkdtemp(tmpl);
    {
        std::ofstream c(dir / "Connections", std::ios::binary);
        c << "127.0.0.1\r\n" << port << "\r\n\r\nme\r\n\r\nu\r\nr\r\n\r\n";
        std::ofstream ini(dir / "velmok.ini", std::ios::binary);
        ini << "[Log]\r\nOutput=" << (log ? 1 : 0) << "\r\nPath=" << dir.string() << "\r\n";
        ini << "[Window]\r\nAllWindow=1\r\nWidth=900\r\nHeight=600\r\n";
        if (maxLines > 0) ini << "MaxLines=" << maxLines << "\r\n";
    }

    pid_t pid = ::fork();
    if (pid == 0) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
        ::execl(getenv("VELMOK_WRAP") ? getenv("VELMOK_WRAP") : VELMOK_BINARY,
                getenv("VELMOK_WRAP") ? getenv("VELMOK_WRAP") : VELMOK_BINARY, "--config-dir", dir.c_str(),
                "--connect", "1", nullptr);
        std::perror("exec");
        _exit(127);
    }

    timeval tv{20, 0};
    ::setsockopt(listener, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    int fd = ::accept(listener, nullptr, nullptr);
    if (fd < 0) {
        std::fprintf(stderr, "client did not connect\n");
        ::kill(pid, SIGKILL);
        return 1;
    }
    std::string seen;
    if (!ReadUntil(fd, seen, "USER ", 20000)) {
        std::fprintf(stderr, "no registration\n");
        ::kill(pid, SIGKILL);
        return 1;
    }
    SendAll(fd, ":bench.server 001 me :Welcome\r\n:me!u@h JOIN :#bench\r\n");
    ReadUntil(fd, seen, "MODE #bench", 10000);  // the channel window is open
    // Idle: what the window costs once shown and settled.
    SendAll(fd, "PING :idle\r\n");
    ReadUntil(fd, seen, "idle", 10000);
    ::usleep(500000);
    const long idleAnon = StatusKiB(pid, "RssAnon:");

    const std::string flood = width > 0 ? FixedWidthLines(lines, width) : FloodLines(lines);
    const auto start = Clock::now();
    if (width > 0) {
        constexpr int kBatch = 1000;
        std::size_t from = 0;
        for (int sent = 0; sent < lines; sent += kBatch) {
            std::size_t to = from;
            for (int k = 0; k < kBatch && to < flood.size(); ++k) to = flood.find('\n', to) + 1;
            SendAll(fd, flood.substr(from, to - from));
            from = to;
            const std::string mark = "batch-" + std::to_string(sent);
            SendAll(fd, "PING :" + mark + "\r\n");
            seen.clear();
            if (!ReadUntil(fd, seen, mark, 60000)) break;
        }
    } else {
        SendAll(fd, flood);
    }
    SendAll(fd, "PING :flood-done\r\n");
    seen.clear();
    const bool ponged = ReadUntil(fd, seen, "flood-done", 600000);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const long peak = StatusKiB(pid, "VmHWM:");
    const long resident = StatusKiB(pid, "VmRSS:");
    const long anon = StatusKiB(pid, "RssAnon:");

    if (maxLines > 0) std::printf("lines kept per view: %d\n", maxLines);
    if (width > 0) std::printf("line width: %d\n", width);
    std::printf(
        "lines: %d\nlogging: %s\nseconds: %.3f\nlines per second: %.0f\npeak memory: %.1f MiB\n"
        "resident at the end: %.1f MiB\nown memory (RssAnon) idle: %.1f MiB, at the end: %.1f MiB (%ld and %ld KiB)\n",
        lines, log ? "on" : "off", seconds, lines / seconds, peak / 1024.0, resident / 1024.0,
        idleAnon / 1024.0, anon / 1024.0, idleAnon, anon);
    if (!ponged) std::printf("no PONG seen\n");

    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    ::close(fd);
    ::close(listener);
    if (!keep) fs::remove_all(dir);
    return ponged ? 0 : 1;
}
