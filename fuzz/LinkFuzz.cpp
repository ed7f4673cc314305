// The command line and irc:// links, as a browser or a user hands them over.
// A link that is taken gives a profile the connection checks accept.
#include <vector>

#include "FuzzSupport.h"
#include "config/Profiles.h"
#include "ui/CommandLine.h"
#include "ui/IrcLink.h"

using namespace velmok;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Bytes in(data, size);
    std::vector<std::string> args;
    while (!in.Empty() && args.size() < 16) args.push_back(in.Until('\0'));

    const ui::CommandLine line = ui::ParseCommandLine(args);
    FUZZ_CHECK(line.Connects.size() <= 3);
    if (line.What == ui::CommandLine::Action::Error) FUZZ_CHECK(!line.Error.empty());

    // Text that is plain ASCII converts; anything else has no Shift-JIS form here.
    const ui::Utf8ToShiftJis toSjis = [](const std::string& utf8, std::string& sjis) {
        for (char c : utf8)
            if (static_cast<unsigned char>(c) >= 0x80) return false;
        sjis = utf8;
        return true;
    };
    const config::ConnectionProfile identity{
        "irc.example.org", "6667", "", "nick", "away", "user", "real", ""};
    for (const std::string& text : args) {
        ui::IrcLink link;
        const int error = ui::ParseIrcLink(text, toSjis, link);
        if (error != 0) continue;
        FUZZ_CHECK(!link.Host.empty());
        FUZZ_CHECK(link.Port >= 1 && link.Port <= 65535);
        const config::ConnectionProfile profile = ui::LinkProfile(link, identity);
        FUZZ_CHECK(config::ProfileCheck(config::CheckedFields(profile)) == 0);
        FUZZ_CHECK(config::AutoJoinCheck(profile.AutoJoin) == 1);
    }
    return 0;
}
