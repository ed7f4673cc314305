// Times the client's member list and channel list windows on large answers.
//
// The client's own main window (the object the program's main() builds, with
// its real sockets and timers) runs here offscreen, connected over loopback
// to a scripted server thread. The server registers it, joins it to #bench,
// then sends:
//   1. NAMES of N members (353 lines of the usual size, then 366);
//   2. LIST of M channels with mixed ISO-2022-JP and Shift-JIS names and
//      topics, then 323, which opens the channel list window;
//   3. the same LIST again while the window is open (the refill).
// Measured, on the client's side of the socket:
//   - NAMES: first 353 written -> the nick list shows all N members;
//   - LIST: 323 written -> the window shows all M rows, and the longest
//     stretch the event loop was blocked while the replies came in;
//   - the process's peak resident memory.
//
//   velmok_auxwindows [--members N] [--channels M]
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <thread>

#include "session/Engine.h"
#include "support/LoopbackListener.h"
#include "ui/TSDIAppForm.h"
#include "windows/QtAuxWindows.h"
#include "windows/QtChannelList.h"

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point t) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

bool SendAll(int fd, const std::string& data) {
    std::size_t off = 0;
    while (off < data.size()) {
        const ssize_t n = ::send(fd, data.data() + off, data.size() - off, MSG_NOSIGNAL);
        if (n <= 0) return false;
        off += static_cast<std::size_t>(n);
    }
    return true;
}

bool ReadUntil(int fd, std::string& seen, const std::string& needle) {
    while (seen.find(needle) == std::string::npos) {
        char buf[4096];
        const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
        if (n <= 0) return false;
        seen.append(buf, static_cast<std::size_t>(n));
    }
    return true;
}

long PeakKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
    return -1;
}

// 353 lines of at most ~400 bytes of names, as servers split them.
std::string NamesReply(int members) {
    std::string out;
    std::string names;
    auto flush = [&] {
        out += ":bench.server 353 me = #bench :" + names + "\r\n";
        names.clear();
    };
    for (int i = 0; i < members; ++i) {
        if (!names.empty()) names += ' ';
        names += (i % 50 == 0 ? "@" : i % 7 == 0 ? "+" : "");
        names += "member" + std::to_string(i);
        if (names.size() > 400) flush();
    }
    if (!names.empty()) flush();
    return out + ":bench.server 366 me #bench :End of NAMES list\r\n";
}

std::string ListReply(int channels) {
    // ISO-2022-JP "日本語" and "雑談", and a channel name sent in Shift-JIS.
    const std::string jisJapanese = "\x1b$BF|K\\8l\x1b(B";
    const std::string jisChat = "\x1b$B;(CL\x1b(B";
    const std::string sjisName = "#\x8e\x47\x92\x6b";
    std::string out;
    out.reserve(static_cast<std::size_t>(channels) * 90);
    out += ":bench.server 321 me Channel :Users  Name\r\n";
    for (int i = 0; i < channels; ++i) {
        out += ":bench.server 322 me ";
        switch (i % 4) {
            case 0:
                out += "#channel" + std::to_string(i);
                break;
            case 1:
                out += "#" + jisChat + std::to_string(i);
                break;
            case 2:
                out += sjisName + std::to_string(i);
                break;
            default:
                out += "&local" + std::to_string(i);
                break;
        }
        out += " " + std::to_string(i % 300 + 1) + " :";
        out += i % 2 ? "A topic about things, number " + std::to_string(i)
                     : jisJapanese + " topic " + std::to_string(i) + " " + jisChat;
        out += "\r\n";
    }
    return out + ":bench.server 323 me :End of LIST\r\n";
}

// Runs the event loop until done holds; false after timeoutMs.
bool WaitFor(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > timeoutMs) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 1);
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    int members = 10000;
    int channels = 50000;
    for (int i = 1; i + 1 < argc; ++i) {
        if (!std::strcmp(argv[i], "--members")) members = std::atoi(argv[++i]);
        if (!std::strcmp(argv[i], "--channels")) channels = std::atoi(argv[++i]);
    }
    QApplication app(argc, argv);

    int port = 0;
    const int listener = velmok::testing::ListenOnLoopback(port);
    if (listener < 0) {
        std::perror("listen on 127.0.0.1");
        return 1;
    }

    const std::string names = NamesReply(members);
    const std::string list = ListReply(channels);
    // The refill has one channel more, so its arrival shows in the row count.
    const std::string list2 = ListReply(channels + 1);
    const std::string end = ":bench.server 323 me :End of LIST\r\n";

    // The server thread and the measuring main thread take turns by phase.
    std::atomic<int> phase{0};  // 1 joined, 2 NAMES sent, 3 may send LIST, 4 LIST sent, 5 refill, 6 sent
    std::atomic<Clock::time_point::rep> mark{0};
    auto stamp = [&] { mark = Clock::now().time_since_epoch().count(); };
    auto marked = [&] { return Clock::time_point(Clock::duration(mark.load())); };
    auto waitPhase = [&](int p) {
        while (phase.load() < p) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    };
    std::thread server([&] {
        const int fd = ::accept(listener, nullptr, nullptr);
        std::string seen;
        if (fd < 0 || !ReadUntil(fd, seen, "USER ")) return;
        SendAll(fd, ":bench.server 001 me :Welcome\r\n:me!u@h JOIN :#bench\r\n");
        phase = 1;
        waitPhase(2);
        stamp();
        SendAll(fd, names);
        waitPhase(3);
        SendAll(fd, list.substr(0, list.size() - end.size()));
        stamp();
        SendAll(fd, end);
        phase = 4;
        waitPhase(5);
        SendAll(fd, list2.substr(0, list2.size() - end.size()));
        stamp();
        SendAll(fd, end);
        phase = 6;
        waitPhase(7);
        ::close(fd);
    });

    QTemporaryDir dir;
    velmok::ui::TSDIAppForm form(dir.path());
    form.show();
    form.FormShow();
    velmok::session::Engine& engine = form.Engine();
    velmok::session::ServerSession& s = engine.Session(0);
    s.ServerName = "127.0.0.1";
    s.Port = port;
    s.Nick = "me";
    s.UserName = "u";
    s.RealName = "r";
    engine.ConnectSession(0);

    int window = -1;
    if (!WaitFor([&] { return phase >= 1 && (window = engine.FindChannel(0, "#bench")) >= 0; }, 20000)) {
        std::fprintf(stderr, "the client did not join\n");
        return 1;
    }
    QListWidget* nicks = form.NickListOf(0, window);
    phase = 2;
    bool ok =
        WaitFor([&] { return nicks->count() == members && !engine.Channel(0, window).NamesPending; }, 60000);
    const double namesMs = MsSince(marked());
    std::printf("NAMES: %d members in the nick list %.1f ms after the first 353%s\n", members, namesMs,
                ok ? "" : " (incomplete)");

    // The event loop's longest stall while the list comes in, seen by a
    // timer that wants to run every 2 ms.
    double longestStall = 0;
    Clock::time_point lastTick = Clock::now();
    QTimer watch;
    watch.setInterval(2);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        const double gap = MsSince(lastTick);
        if (gap > longestStall) longestStall = gap;
        lastTick = Clock::now();
    });
    auto listShown = [&](int rows) {
        velmok::windows::Tfrm_List* w = form.AuxWindows().ChannelList(0);
        return w && w->RowCount() == rows && engine.Slot(0).ListState == 2;
    };
    lastTick = Clock::now();
    watch.start();
    phase = 3;
    ok = WaitFor([&] { return phase >= 4 && listShown(channels); }, 60000);
    const double listMs = MsSince(marked());
    std::printf("LIST: %d channels in the new window %.1f ms after 323%s; longest event-loop stall %.1f ms\n",
                channels, listMs, ok ? "" : " (incomplete)", longestStall);

    form.AuxWindows().ChannelList(0)->Liv_List->scrollToBottom();
    longestStall = 0;
    lastTick = Clock::now();
    phase = 5;
    ok = WaitFor([&] { return phase >= 6 && listShown(channels + 1); }, 60000);
    const double refillMs = MsSince(marked());
    std::printf("LIST again: %d channels refilled %.1f ms after 323%s; longest event-loop stall %.1f ms\n",
                channels + 1, refillMs, ok ? "" : " (incomplete)", longestStall);
    std::printf("peak memory: %.1f MiB\n", PeakKiB() / 1024.0);

    phase = 7;
    server.join();
    ::close(listener);
    return 0;
}
