// The settings files as a user may have edited them by hand: "velmok.ini",
// "Connections", "Events" and "Keywords". Whatever they hold, loading,
// saving and loading again gives the same settings.
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "FuzzSupport.h"
#include "config/FileIo.h"
#include "config/SettingsStore.h"

using namespace velmok::config;

namespace {

const char* const kFiles[] = {IniFileName, ConnectionsFileName, EventsFileName, KeywordsFileName};

// One folder for the whole run, in memory where the system offers it.
const std::string& Folder() {
    static const std::string folder = [] {
        const std::string base = std::filesystem::exists("/dev/shm") ? "/dev/shm" : "/tmp";
        std::string pattern = base + "/velmok-settings-fuzz-XXXXXX";
        if (!mkdtemp(pattern.data())) std::abort();
        return pattern;
    }();
    return folder;
}

struct Loaded {
    Settings settings;
    WindowState window;
};

Loaded Load() {
    Loaded l;
    const IniFile ini(JoinPath(Folder(), IniFileName));
    LoadSettings(ini, l.settings, Folder());
    LoadProfiles(Folder(), l.settings);
    LoadEvents(Folder(), l.settings);
    LoadWindowState(ini, l.window);
    return l;
}

bool SameWindow(const WindowState& a, const WindowState& b) {
    return a.Top == b.Top && a.Left == b.Left && a.Height == b.Height && a.Width == b.Width &&
           a.NickListWidth == b.NickListWidth && a.Defence == b.Defence && a.AllWindow == b.AllWindow &&
           a.AllWindowHeight == b.AllWindowHeight;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    velmok::fuzz::Bytes in(data, size);
    const std::uint8_t present = in.Byte();
    for (int i = 0; i < 4; ++i) {
        const std::string path = JoinPath(Folder(), kFiles[i]);
        const std::string bytes = i < 3 ? in.Until('\xff') : in.Rest();
        std::remove(path.c_str());
        if ((present >> i) & 1) FUZZ_CHECK(WriteFileAtomically(path, bytes));
    }

    const Loaded first = Load();

    IniFile ini(JoinPath(Folder(), IniFileName));
    FUZZ_CHECK(SaveAtExit(ini, first.settings, first.window, Folder()).empty());
    FUZZ_CHECK(SaveProfiles(Folder(), first.settings));

    const Loaded second = Load();
    FUZZ_CHECK(second.settings == first.settings);
    FUZZ_CHECK(SameWindow(second.window, first.window));
    return 0;
}
