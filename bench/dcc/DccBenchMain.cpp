// Times a DCC SEND between two of our transfer windows over 127.0.0.1 and
// watches how late a 10 ms timer fires meanwhile (the user interface's
// responsiveness).
//
// By default the sending and the receiving window run in two processes, as
// two users' programs would; --one-process puts both in this one, on one
// event loop. The windows are the real ones (offscreen), driven through
// their dialogs; the IRC connection that carries the offer is a stub.
//
// --plain-sender sends instead from a plain C stop-and-wait sender in its own
// process, once to a plain C receiver and once to our receiving window, in
// turn in every run, and says how the two receivers' rates compare.
//
//   velmok_dcc_bench [--mib N] [--runs R] [--one-process | --plain-sender [--block B]]
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "PlainPeers.h"
#include "config/Settings.h"
#include "dcc/Offer.h"
#include "dcc/QtDccWindows.h"
#include "dcc/QtFileTransfer.h"
#include "platform/QtClock.h"
#include "platform/QtDialogs.h"
#include "platform/QtSockets.h"
#include "session/Engine.h"

namespace {

using namespace velmok;

// The engine's server connection: takes the offer line, says it leaves from 127.0.0.1.
class StubIrcSocket : public session::ClientSocket {
public:
    std::string* sent;
    explicit StubIrcSocket(std::string* s) : sent(s) {}
    void SetHost(const std::string&) override {}
    void SetAddress(const std::string&) override {}
    void SetPort(int) override {}
    void SetTls(bool) override {}
    void Open() override {}
    std::string ReceiveText() override { return {}; }
    int ReceiveBuf(char*, int) override { return -1; }
    void SendText(const std::string& text) override { *sent += text; }
    void SendBuf(const char* bytes, int n) override { sent->append(bytes, static_cast<std::size_t>(n)); }
    std::string RemoteHost() override { return {}; }
    std::string RemoteAddress() override { return "127.0.0.1"; }
    std::string LocalAddress() override { return "127.0.0.1"; }
    std::string LocalHost() override { return "localhost"; }
    void Close() override {}
};

class StubIrcFactory : public session::SocketFactory {
public:
    std::string sent;
    std::unique_ptr<session::ClientSocket> CreateClient() override {
        return std::make_unique<StubIrcSocket>(&sent);
    }
    std::unique_ptr<session::ServerSocket> CreateServer() override { return nullptr; }
    bool LookupHost(const std::string&) override { return true; }
};

// Nothing to show: the windows only beep through it.
class NullFrontend : public session::Frontend {
public:
    void RenderLine(int, int, session::FontKind, const std::string&, bool) override {}
    void MarkTab(int, int) override {}
    void BuildWindow(int, int, const std::string&, bool) override {}
    void RemoveWindow(int, int) override {}
    void RenameWindow(int, int, const std::string&) override {}
    void ActivateWindow(int, int) override {}
    void ClearWindow(int, int) override {}
    void SetWindowConnected(int, int, bool) override {}
    void AddressedToMe(int, int) override {}
    void MembersChanged(int, int) override {}
    void UpdateTitle(int) override {}
    int ActiveWindow(int) override { return -1; }
    void WriteEventLog(const std::string&) override {}
    void ServerConnected(int, const std::string&, bool) override {}
    void SetReconnectTimer(bool) override {}
    void ServerRenamed(int, const std::string&) override {}
    void ServerDisconnected(int) override {}
    void EnableAction(session::Action, bool) override {}
    void EnableInput(bool) override {}
    void SetAwayState(bool) override {}
    void SetProtectionButton(bool) override {}
    void SetSendTimer(bool) override {}
    void RequestClose() override {}
    void Beep(session::BeepKind) override {}
    void ShowError(int number) override { std::fprintf(stderr, "error %d\n", number); }
    bool AskYesNo(const std::string&) override { return true; }
    bool OpenInputBox(const session::InputBoxRequest&) override { return true; }
    void OpenWhoisWindow(int, const std::string&, const std::string&) override {}
    void RefreshWhoisWindow(int, const std::string&) override {}
    void OpenChannelList(int) override {}
    void RefreshChannelList(int) override {}
    void ReceiveFile(int, const std::string&, const std::string&, const std::string&, int,
                     std::uint32_t) override {}
    void AcceptChat(int, const std::string&, const std::string&, int) override {}
};

class FixedDialogs : public platform::Dialogs {
public:
    std::string open, save;
    void ShowError(QWidget*, int number) override { std::fprintf(stderr, "error box %d\n", number); }
    void ShowSaveError(QWidget*, const std::string& path) override {
        std::fprintf(stderr, "cannot save %s\n", path.c_str());
    }
    void ShowErrorMessage(QWidget*, const QString& text) override {
        std::fprintf(stderr, "error box %s\n", qPrintable(text));
    }
    bool AskYesNo(QWidget*, const std::string&) override { return true; }
    std::string BrowseForFolder(QWidget*) override { return {}; }
    std::string OpenFileName(QWidget*) override { return open; }
    std::string SaveFileName(QWidget*, const std::string&) override { return save; }
};

// One program's worth: an engine whose slot 0 is "up", and its DCC windows.
struct Side {
    NullFrontend ui;
    platform::QtClock clock;
    StubIrcFactory irc;
    config::Settings settings;
    session::Engine engine{ui, clock, irc, settings};
    FixedDialogs dialogs;
    dcc::DccWindows windows{engine, nullptr, &dialogs};

    Side() {
        engine.Session(0).ServerName = "127.0.0.1";
        engine.Session(0).Nick = "bench";
        engine.ConnectSession(0);
    }
    dcc::FileTransfer::Phase Phase(std::size_t i) const {
        const auto list = windows.SendWindows();
        return i < list.size() ? list[i]->Transfer().State() : dcc::FileTransfer::Phase::Closed;
    }
};

// Lateness of a 10 ms timer while the event loop also moves the data.
struct LatenessProbe {
    QTimer timer;
    QElapsedTimer since;
    std::vector<qint64> late;  // microseconds past the 10 ms
    LatenessProbe() {
        timer.setTimerType(Qt::PreciseTimer);
        timer.setInterval(10);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            late.push_back(std::max<qint64>(0, since.nsecsElapsed() / 1000 - 10000));
            since.restart();
        });
        since.start();
        timer.start();
    }
    std::string Summary() {
        if (late.empty()) return "no ticks";
        std::sort(late.begin(), late.end());
        const qint64 p99 = late[std::min(late.size() - 1, late.size() * 99 / 100)];
        char text[96];
        std::snprintf(text, sizeof text, "timer lateness p99 %.2f ms, max %.2f ms over %zu ticks",
                      p99 / 1000.0, late.back() / 1000.0, late.size());
        return text;
    }
};

// Runs the event loop, sleeping while nothing happens, until done holds.
bool RunUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer t;
    t.start();
    QTimer wake;
    wake.start(50);
    while (!done()) {
        if (t.elapsed() > timeoutMs) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    return true;
}

// Child process: receive one offer and say how long it took.
int Receive(int port, std::uint32_t size, const QString& out) {
    Side side;
    side.dialogs.save = QFile::encodeName(out).toStdString();
    LatenessProbe probe;
    QElapsedTimer t;
    t.start();
    side.windows.ReceiveFile(0, "sender", "bench.bin", "127.0.0.1", port, size);
    if (!RunUntil(
            [&] {
                return side.Phase(0) != dcc::FileTransfer::Phase::Connecting &&
                       side.Phase(0) != dcc::FileTransfer::Phase::Transferring;
            },
            600000))
        return 3;
    const qint64 ms = t.elapsed();
    std::printf("%lld %s\n", static_cast<long long>(ms), probe.Summary().c_str());
    return side.Phase(0) == dcc::FileTransfer::Phase::Complete ? 0 : 4;
}

// Runs fn in a child process of its own; its exit status says how it went.
template <typename Fn>
pid_t Spawn(Fn fn) {
    const pid_t pid = ::fork();
    if (pid == 0) _exit(fn() == 0 ? 0 : 1);
    return pid;
}

bool Succeeded(pid_t pid) {
    int status = 0;
    return pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool SameFiles(const QString& a, const QString& b);

// One file from the plain sender to the plain receiver and then to ours;
// returns false when either did not arrive whole.
bool PlainSenderRun(int run, const QString& source, const QString& target, std::uint32_t size,
                    std::size_t block, double& plainSum, double& oursSum) {
    const std::string from = QFile::encodeName(source).toStdString();
    const std::string to = QFile::encodeName(target).toStdString();
    double rate[2] = {0, 0};
    for (int ours = 0; ours < 2; ++ours) {
        int port = 0;
        const int listener = plain_listen(&port);
        if (listener < 0) return false;
        QElapsedTimer t;
        t.start();
        const pid_t sender = Spawn([&] { return plain_send(listener, from.c_str(), block); });
        ::close(listener);
        bool received = false;
        if (ours) {
            QProcess child;
            child.start(QCoreApplication::applicationFilePath(),
                        {QStringLiteral("--receive"), QString::number(port), QString::number(size), target});
            received = child.waitForFinished(600000) && child.exitCode() == 0;
        } else {
            received = Succeeded(Spawn([&] { return plain_receive(port, size, to.c_str()); }));
        }
        const bool sent = Succeeded(sender);
        const double seconds = static_cast<double>(t.nsecsElapsed()) / 1e9;
        if (!sent || !received || !SameFiles(source, target)) {
            std::fprintf(stderr, "run %d: the %s receiver did not get the file whole\n", run,
                         ours ? "program's" : "plain");
            return false;
        }
        QFile::remove(target);
        rate[ours] = size / seconds / 1048576.0;
    }
    plainSum += rate[0];
    oursSum += rate[1];
    std::printf("run %d: plain receiver %.1f MiB/s, ours %.1f MiB/s, ratio %.2f\n", run, rate[0], rate[1],
                rate[1] / rate[0]);
    std::fflush(stdout);
    return true;
}

bool SameFiles(const QString& a, const QString& b) {
    QFile fa(a), fb(b);
    if (!fa.open(QIODevice::ReadOnly) || !fb.open(QIODevice::ReadOnly)) return false;
    return fa.readAll() == fb.readAll();
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);

    int mib = 64, runs = 3;
    std::size_t block = 1024;
    bool oneProcess = false, plainSender = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--mib" && i + 1 < argc) {
            mib = std::atoi(argv[++i]);
        } else if (arg == "--runs" && i + 1 < argc) {
            runs = std::atoi(argv[++i]);
        } else if (arg == "--one-process") {
            oneProcess = true;
        } else if (arg == "--plain-sender") {
            plainSender = true;
        } else if (arg == "--block" && i + 1 < argc) {
            block = static_cast<std::size_t>(std::atoi(argv[++i]));
        } else if (arg == "--receive" && i + 3 < argc) {
            const int port = std::atoi(argv[i + 1]);
            const auto size = static_cast<std::uint32_t>(std::strtoul(argv[i + 2], nullptr, 10));
            return Receive(port, size, QString::fromLocal8Bit(argv[i + 3]));
        } else {
            std::fprintf(stderr,
                         "usage: velmok_dcc_bench [--mib N] [--runs R] [--one-process | --plain-sender "
                         "[--block B]]\n");
            return 2;
        }
    }

    QTemporaryDir dir;
    const QString source = QDir(dir.path()).filePath(QStringLiteral("source.bin"));
    const auto size = static_cast<std::uint32_t>(mib) * 1024u * 1024u;
    {
        QFile f(source);
        if (!f.open(QIODevice::WriteOnly)) return 1;
        QByteArray block(1 << 20, '\0');
        for (int m = 0; m < mib; ++m) {
            for (int i = 0; i < block.size(); ++i) block[i] = static_cast<char>((i * 131 + m * 7) ^ (i >> 9));
            f.write(block);
        }
    }
    if (plainSender) {
        std::printf(
            "DCC SEND of %d MiB over 127.0.0.1 from a plain C stop-and-wait sender, %zu-byte blocks\n", mib,
            block);
        const QString target = QDir(dir.path()).filePath(QStringLiteral("received.bin"));
        double plain = 0, ours = 0;
        for (int run = 1; run <= runs; ++run)
            if (!PlainSenderRun(run, source, target, size, block, plain, ours)) return 1;
        std::printf("mean: plain receiver %.1f MiB/s, ours %.1f MiB/s, ratio %.2f\n", plain / runs,
                    ours / runs, ours / plain);
        return 0;
    }
    std::printf("DCC SEND of %d MiB over 127.0.0.1, %s\n", mib, oneProcess ? "one process" : "two processes");
    {
        // What the machine gives an idle event loop, for comparison.
        LatenessProbe idle;
        QElapsedTimer t;
        t.start();
        RunUntil([&] { return t.elapsed() >= 1000; }, 2000);
        std::printf("idle: %s\n", idle.Summary().c_str());
    }

    for (int run = 1; run <= runs; ++run) {
        const QString target = QDir(dir.path()).filePath(QStringLiteral("received-%1.bin").arg(run));
        auto sender = std::make_unique<Side>();
        sender->dialogs.open = QFile::encodeName(source).toStdString();
        LatenessProbe probe;
        sender->windows.OfferFile(0, "receiver");
        if (!RunUntil([&] { return !sender->irc.sent.empty(); }, 5000)) return 1;
        const std::string& line = sender->irc.sent;
        const std::size_t at = line.find("DCC SEND ");
        const auto offer = session::ParseOffer(true, line.substr(at + 9, line.size() - at - 9 - 3));
        if (!offer) return 1;

        QElapsedTimer t;
        t.start();
        std::unique_ptr<Side> receiver;
        QProcess child;
        std::string childReport;
        if (oneProcess) {
            receiver = std::make_unique<Side>();
            receiver->dialogs.save = QFile::encodeName(target).toStdString();
            receiver->windows.ReceiveFile(0, "sender", offer->FileName, offer->Address, offer->Port,
                                          offer->Size);
        } else {
            child.start(
                QCoreApplication::applicationFilePath(),
                {QStringLiteral("--receive"), QString::number(offer->Port), QString::number(size), target});
        }
        const bool done = RunUntil(
            [&] {
                const bool sent = sender->Phase(0) == dcc::FileTransfer::Phase::Complete;
                if (oneProcess) return sent && receiver->Phase(0) == dcc::FileTransfer::Phase::Complete;
                return sent && child.state() == QProcess::NotRunning;
            },
            600000);
        const double seconds = static_cast<double>(t.nsecsElapsed()) / 1e9;
        if (!oneProcess) childReport = child.readAllStandardOutput().trimmed().toStdString();
        if (!done || (!oneProcess && child.exitCode() != 0)) {
            std::fprintf(stderr, "run %d did not complete\n", run);
            return 1;
        }
        const bool same = SameFiles(source, target);
        std::printf("run %d: %.2f s, %.1f MB/s (%.1f MiB/s), file %s; sender %s", run, seconds,
                    size / seconds / 1e6, size / seconds / 1048576.0, same ? "identical" : "DIFFERS",
                    probe.Summary().c_str());
        if (!oneProcess)
            std::printf("; receiver %s ms, %s", childReport.substr(0, childReport.find(' ')).c_str(),
                        childReport.substr(childReport.find(' ') + 1).c_str());
        std::printf("\n");
        std::fflush(stdout);
        receiver.reset();
        sender.reset();
        QFile::remove(target);
        if (!same) return 1;
    }
    return 0;
}
