#include "support/InspircdServer.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/NgircdServer.h"

namespace velmok::test {

InspircdServer::~InspircdServer() {
    EndServer(pid_);
    std::error_code ignored;
    if (!dir_.empty()) std::filesystem::remove_all(dir_, ignored);
}

bool InspircdServer::Available() { return ::access(kBinary, X_OK) == 0; }

bool InspircdServer::Start(int timeoutMs) {
    std::string pattern = (std::filesystem::temp_directory_path() / "velmok-inspircd-XXXXXX").string();
    if (!::mkdtemp(pattern.data()) || (port_ = NgircdServer::FreePort()) == 0) return false;
    dir_ = pattern;
    std::ofstream conf(dir_ + "/inspircd.conf");
    conf << "<server name=\"irc.test\" description=\"Velmok test\" network=\"VelmokTest\">\n"
         << "<admin name=\"tests\" nick=\"tests\" email=\"tests@irc.test\">\n"
         << "<bind address=\"127.0.0.1\" port=\"" << port_ << "\" type=\"clients\">\n"
         << "<connect allow=\"127.0.0.1\" timeout=\"20\" pingfreq=\"120\" threshold=\"1000\" "
            "commandrate=\"100000\" fakelag=\"off\" localmax=\"50\" globalmax=\"50\" "
            "resolvehostnames=\"no\" useident=\"no\">\n"
         << "<pid file=\"" << dir_ << "/inspircd.pid\">\n<dns server=\"127.0.0.1\" timeout=\"1\">\n"
         << "<log method=\"file\" type=\"*\" level=\"default\" target=\"" << dir_ << "/ircd.log\">\n";
    for (const char* module :
         {"cap", "ircv3", "ircv3_servertime", "ircv3_capnotify", "ircv3_ctctags", "namesx", "customprefix"})
        conf << "<module name=\"" << module << "\">\n";
    for (const char* prefix : {"founder\" letter=\"q\" prefix=\"~\" rank=\"50000",
                               "admin\" letter=\"a\" prefix=\"&amp;\" rank=\"40000",
                               "halfop\" letter=\"h\" prefix=\"%\" rank=\"20000"})
        conf << "<customprefix name=\"" << prefix
             << "\" ranktoset=\"30000\" ranktounset=\"30000\" depriv=\"yes\">\n";
    if (!conf.flush()) return false;
    // It refuses root unless told; CI runs the tests as root.
    pid_ = SpawnServer({kBinary, "--config", dir_ + "/inspircd.conf", "--nofork", "--nopid", "--runasroot"},
                       dir_ + "/output.log");
    return pid_ > 0 && AwaitPort(pid_, port_, timeoutMs);
}

std::string InspircdServer::Log() const {
    std::stringstream text;
    for (const char* name : {"/output.log", "/ircd.log"}) text << std::ifstream(dir_ + name).rdbuf();
    return text.str();
}

}  // namespace velmok::test
