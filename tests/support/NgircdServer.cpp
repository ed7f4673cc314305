#include "support/NgircdServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace velmok::test {

namespace {

// Run as root, ngircd drops to this user; its pid file must be writable then.
constexpr uid_t kNobody = 65534;

sockaddr_in Loopback(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

bool PortAccepts(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    const sockaddr_in address = Loopback(port);
    const bool ok = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return ok;
}

}  // namespace

NgircdServer::~NgircdServer() {
    Stop();
    if (!dir_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
}

bool NgircdServer::Available() { return ::access(kBinary, X_OK) == 0; }

int NgircdServer::FreePort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return 0;
    sockaddr_in address = Loopback(0);
    socklen_t length = sizeof address;
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
        port = ntohs(address.sin_port);
    }
    ::close(fd);
    return port;
}

bool NgircdServer::Fail(const std::string& reason) {
    error_ = reason;
    Stop();
    return false;
}

bool NgircdServer::WriteConfig(const std::string& path) {
    std::ofstream out(path);
    out << "[Global]\n"
        << "\tName = " << kServerName << "\n"
        << "\tInfo = " << Description << "\n"
        << "\tAdminInfo1 = Velmok tests\n"
        << "\tAdminInfo2 = loopback only\n"
        << "\tAdminEMail = tests@irc.test\n"
        << "\tListen = 127.0.0.1\n"
        << "\tPorts = " << port_ << "\n"
        << "\tMotdPhrase = \"" << Description << "\"\n"
        << "\tPidFile = " << dir_ << "/ngircd.pid\n";
    if (::geteuid() == 0) {
        // ngircd will not stay root; say which user it becomes.
        out << "\tServerUID = " << kNobody << "\n"
            << "\tServerGID = " << kNobody << "\n";
    }
    out << "[Limits]\n"
        << "\tMaxConnectionsIP = 20\n"
        << "\tMaxJoins = 50\n"
        << "\tMaxNickLength = 30\n"
        << "[Options]\n"
        << "\tDNS = no\n"
        << "\tIdent = no\n"
        << "\tPAM = no\n";
    if (Tls) {
        out << "[SSL]\n"
            << "\tCertFile = " << dir_ << "/cert.pem\n"
            << "\tKeyFile = " << dir_ << "/key.pem\n"
            << "\tDHFile = " << dir_ << "/dh.pem\n"
            << "\tPorts = " << tlsPort_ << "\n";
    }
    return static_cast<bool>(out.flush());
}

bool NgircdServer::MakeCertificate() {
    // The standard ffdhe2048 group, written as the PKCS#3 parameters that
    // ngircd's TLS library reads: no time spent generating, where ngircd
    // would otherwise spend many seconds making its own.
    const std::string command =
        "openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=" + std::string(kServerName) +
        " -keyout '" + dir_ + "/key.pem' -out '" + dir_ +
        "/cert.pem' >/dev/null 2>&1 && openssl genpkey -genparam -algorithm DH -pkeyopt dh_param:ffdhe2048 "
        "-out '" +
        dir_ + "/dh.pem' >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) return false;
    if (::geteuid() == 0) {
        for (const char* name : {"/key.pem", "/cert.pem", "/dh.pem"})
            if (::chown((dir_ + name).c_str(), kNobody, kNobody) != 0) return false;
    }
    return true;
}

std::string NgircdServer::CertificateFingerprint() const {
    if (!Tls || dir_.empty()) return {};
    const std::string command = "openssl x509 -noout -fingerprint -sha256 -in '" + dir_ + "/cert.pem'";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return {};
    char buffer[256] = {};
    std::string line = std::fgets(buffer, sizeof buffer, pipe) ? buffer : "";
    ::pclose(pipe);
    // "sha256 Fingerprint=AB:CD:...\n"
    const std::size_t eq = line.find('=');
    if (eq == std::string::npos) return {};
    line = line.substr(eq + 1);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    return line;
}

bool NgircdServer::Start(int timeoutMs) {
    if (Running()) return true;
    error_.clear();
    if (!Available()) return Fail(std::string(kBinary) + " is not installed");
    if (dir_.empty()) {
        std::string pattern = (std::filesystem::temp_directory_path() / "velmok-ngircd-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) return Fail("mkdtemp: " + std::string(std::strerror(errno)));
        dir_ = pattern;
        if (::geteuid() == 0 && ::chown(dir_.c_str(), kNobody, kNobody) != 0) {
            return Fail("chown: " + std::string(std::strerror(errno)));
        }
    }
    port_ = FreePort();
    if (port_ == 0) return Fail("no free port");
    if (Tls) {
        do tlsPort_ = FreePort();
        while (tlsPort_ == port_);
        if (tlsPort_ == 0) return Fail("no free port");
        if (!MakeCertificate()) return Fail("openssl could not make a certificate");
    }
    const std::string config = dir_ + "/ngircd.conf";
    if (!WriteConfig(config)) return Fail("cannot write " + config);

    const std::string log = dir_ + "/ngircd.log";
    const int logFd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (logFd < 0) return Fail("cannot open " + log);
    const pid_t pid = ::fork();
    if (pid < 0) {
        ::close(logFd);
        return Fail("fork: " + std::string(std::strerror(errno)));
    }
    if (pid == 0) {
        ::dup2(logFd, STDOUT_FILENO);
        ::dup2(logFd, STDERR_FILENO);
        const int devNull = ::open("/dev/null", O_RDONLY);
        if (devNull >= 0) ::dup2(devNull, STDIN_FILENO);
        ::execl(kBinary, kBinary, "-n", "-f", config.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(logFd);
    pid_ = pid;

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < deadline) {
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            return Fail("ngircd exited early:\n" + Log());
        }
        if (PortAccepts(port_) && (!Tls || PortAccepts(tlsPort_))) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return Fail("ngircd did not listen on port " + std::to_string(port_) + " in time:\n" + Log());
}

void NgircdServer::Stop() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    int status = 0;
    while (::waitpid(pid_, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() >= deadline) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    pid_ = -1;
}

std::string NgircdServer::Log() const {
    if (dir_.empty()) return {};
    std::ifstream in(dir_ + "/ngircd.log");
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace velmok::test
