// A program started by a test, with its own environment changes and its output
// in files; killed when the object goes if it still runs.
#pragma once
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace velmok::test {

class ChildProcess {
public:
    ChildProcess() = default;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess() { Kill(); }

    // args[0] is the program's path. env: "NAME=value" sets, "NAME" unsets.
    // Standard output and error go to the files given (empty: /dev/null).
    void Start(const std::vector<std::string>& args, const std::vector<std::string>& env = {},
               const std::string& outPath = {}, const std::string& errPath = {}) {
        pid_ = ::fork();
        if (pid_ != 0) return;
        for (const std::string& e : env) {
            const auto equals = e.find('=');
            if (equals == std::string::npos) {
                ::unsetenv(e.c_str());
            } else {
                ::setenv(e.substr(0, equals).c_str(), e.substr(equals + 1).c_str(), 1);
            }
        }
        auto redirect = [](const std::string& path, int fd) {
            const int file =
                ::open(path.empty() ? "/dev/null" : path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (file >= 0) ::dup2(file, fd);
        };
        redirect(outPath, STDOUT_FILENO);
        redirect(errPath, STDERR_FILENO);
        std::vector<char*> argv;
        std::vector<std::string> copy = args;
        for (auto& a : copy) argv.push_back(a.data());
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        _exit(127);
    }

    // Waits for the process to end; its exit status (128 + signal when
    // killed), or -1 on time-out.
    int Wait(int timeoutMs) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (pid_ > 0 && std::chrono::steady_clock::now() < deadline) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return -1;
    }

    void Signal(int sig) {
        if (pid_ > 0) ::kill(pid_, sig);
    }

    void Kill() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

    bool Running() const { return pid_ > 0; }

    static std::string ReadFile(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }

    // Polls the file until it holds text; false on time-out.
    static bool WaitForText(const std::string& path, const std::string& text, int timeoutMs) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (std::chrono::steady_clock::now() < deadline) {
            if (ReadFile(path).find(text) != std::string::npos) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }

private:
    pid_t pid_ = -1;
};

}  // namespace velmok::test
