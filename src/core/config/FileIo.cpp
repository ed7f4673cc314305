#include "config/FileIo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "base/Common.h"

namespace velmok::config {

namespace {

bool WriteAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

std::string FolderOf(const std::string& path) {
    std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// A symbolic link to the settings file stays a link: the file it points to is
// the one replaced.
std::string ResolveTarget(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        char resolved[PATH_MAX];
        if (::realpath(path.c_str(), resolved) != nullptr) return resolved;
    }
    return path;
}

}  // namespace

bool ReadFile(const std::string& path, std::string& out) {
    out.clear();
    // O_NONBLOCK: a FIFO in the file's place must not hang the program.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    char buffer[65536];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            ::close(fd);
            out.clear();
            return false;
        }
        if (n == 0) break;
        out.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return true;
}

bool WriteFileAtomically(const std::string& path, const std::string& bytes) {
    if (path.empty()) return false;
    const std::string target = ResolveTarget(path);
    const std::string temp = target + ".tmp";

    // O_EXCL is not used: a temporary file left by a crash is simply reused. A
    // directory or anything else in its place makes the open fail.
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0666);
    if (fd < 0) return false;
    struct stat tempStat {};
    if (::fstat(fd, &tempStat) != 0 || !S_ISREG(tempStat.st_mode)) {
        ::close(fd);
        return false;
    }

    bool ok = true;
    struct stat old {};
    if (::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
        // Keep the permissions the user gave the old file.
        ok = ::fchmod(fd, old.st_mode & 07777) == 0;
    }
    ok = ok && WriteAll(fd, bytes) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
        return false;
    }

    // Make the rename itself durable. Some file systems cannot sync a folder;
    // the new contents are in place either way, so that is not a failure.
    int dir = ::open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    if (folder.back() == '/') return folder + name;
    return folder + "/" + name;
}

std::size_t SjisPrefixLength(const std::string& text, std::size_t maxBytes) {
    if (text.size() <= maxBytes) return text.size();
    std::size_t i = 0;
    while (i < maxBytes) {
        std::size_t step = base::IsSjisLead(static_cast<unsigned char>(text[i])) ? 2 : 1;
        if (i + step > maxBytes) break;
        i += step;
    }
    return i;
}

}  // namespace velmok::config
