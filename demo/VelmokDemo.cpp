// make demo: a private ngircd on a free loopback port, the companion waiting
// in the demo channel, and the client with a settings folder of its own whose
// one profile connects and joins that channel. Closing the client ends the
// rest; so does SIGINT or SIGTERM to this program (it closes the client first).
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "DemoBot.h"
#include "session/IrcMessage.h"
#include "support/NgircdServer.h"

namespace {

namespace fs = std::filesystem;
using velmok::demo::DemoBot;

volatile sig_atomic_t stopRequested = 0;
void OnStop(int) { stopRequested = 1; }

void Note(const std::string& text) {
    std::printf("demo: %s\n", text.c_str());
    std::fflush(stdout);
}

int Usage() {
    std::fprintf(stderr,
                 "Usage: velmok_demo [--client PATH] [--nick NICK] [-- CLIENT OPTIONS...]\n"
                 "Starts a local IRC server with a chatting companion, and the client\n"
                 "connected to it. Closing the client stops everything.\n");
    return 2;
}

int ConnectLoopback(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool SendAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// The settings of the demo: one profile on the local server that joins the
// demo channel, and a window large enough to show a conversation.
bool WriteSettings(const fs::path& folder, int port, const std::string& nick) {
    std::ofstream connections(folder / "Connections", std::ios::binary);
    connections << "127.0.0.1\r\n"
                << port << "\r\n\r\n"
                << nick << "\r\n\r\n"
                << nick << "\r\nVelmok demo visitor\r\n1 " << DemoBot::kChannelSjis << "  \r\n";
    std::ofstream ini(folder / "velmok.ini", std::ios::binary);
    ini << "[Window]\r\nTop=40\r\nLeft=40\r\nHeight=540\r\nWidth=860\r\nAllWindow=0\r\n";
    return static_cast<bool>(connections.flush()) && static_cast<bool>(ini.flush());
}

pid_t StartClient(const std::string& client, const fs::path& folder, const std::vector<std::string>& extra) {
    const pid_t pid = ::fork();
    if (pid != 0) return pid;
    std::vector<std::string> args = {client, "--config-dir", folder.string(), "--connect", "1"};
    args.insert(args.end(), extra.begin(), extra.end());
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    ::execv(argv[0], argv.data());
    std::fprintf(stderr, "demo: cannot start %s: %s\n", client.c_str(), std::strerror(errno));
    _exit(127);
}

}  // namespace

int main(int argc, char** argv) {
    std::string client = VELMOK_DEFAULT_CLIENT;
    std::string nick = "guest";
    std::vector<std::string> clientArgs;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--client" && i + 1 < argc) {
            client = argv[++i];
        } else if (arg == "--nick" && i + 1 < argc) {
            nick = argv[++i];
        } else if (arg == "--") {
            clientArgs.assign(argv + i + 1, argv + argc);
            break;
        } else {
            return Usage();
        }
    }
    if (::access(client.c_str(), X_OK) != 0) {
        std::fprintf(stderr, "demo: no client at %s (build it first: make build)\n", client.c_str());
        return 1;
    }

    struct sigaction sa {};
    sa.sa_handler = OnStop;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);

    velmok::test::NgircdServer server;
    server.Description = "Velmok demo server";
    if (!server.Start()) {
        std::fprintf(stderr, "demo: the server did not start: %s\n", server.Error().c_str());
        return 1;
    }
    Note("server on 127.0.0.1:" + std::to_string(server.Port()));

    std::string pattern = (fs::temp_directory_path() / "velmok-demo-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) {
        std::fprintf(stderr, "demo: no settings folder: %s\n", std::strerror(errno));
        return 1;
    }
    const fs::path folder = pattern;
    if (!WriteSettings(folder, server.Port(), nick)) {
        std::fprintf(stderr, "demo: cannot write the settings in %s\n", folder.c_str());
        fs::remove_all(folder);
        return 1;
    }
    Note("settings folder " + folder.string());

    DemoBot bot;
    const int fd = ConnectLoopback(server.Port());
    if (fd < 0 || !SendAll(fd, bot.Registration())) {
        std::fprintf(stderr, "demo: the companion cannot reach the server\n");
        fs::remove_all(folder);
        return 1;
    }

    const pid_t clientPid = StartClient(client, folder, clientArgs);
    Note("client started; close its window to end the demo");
    int status = 0;
    bool clientRunning = true;
    bool botConnected = true;
    bool stopSent = false;
    auto stopDeadline = std::chrono::steady_clock::time_point::max();
    std::string received;
    while (clientRunning) {
        if (::waitpid(clientPid, &status, WNOHANG) == clientPid) break;
        if (stopRequested && !stopSent) {
            // The client closes as its user would: QUIT first, then its settings.
            ::kill(clientPid, SIGTERM);
            stopSent = true;
            stopDeadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
        }
        if (std::chrono::steady_clock::now() > stopDeadline) {
            ::kill(clientPid, SIGKILL);
            ::waitpid(clientPid, &status, 0);
            break;
        }
        pollfd p{botConnected ? fd : -1, POLLIN, 0};
        if (::poll(&p, 1, 200) <= 0 || !(p.revents & (POLLIN | POLLHUP))) continue;
        char buffer[4096];
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (n <= 0) {
            botConnected = false;
            Note(std::string("the companion lost the server: ") + (n == 0 ? "closed" : std::strerror(errno)));
            continue;
        }
        received.append(buffer, static_cast<std::size_t>(n));
        while (auto line = velmok::session::NextLine(received)) {
            std::vector<std::string> notes;
            for (const std::string& reply : bot.OnLine(*line, notes)) SendAll(fd, reply);
            for (const std::string& note : notes) Note(note);
        }
        velmok::session::TrimPendingLine(received);
    }

    if (botConnected) SendAll(fd, bot.Quit());
    ::close(fd);
    server.Stop();
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    Note("stopped");
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}
