// "Connections" and "Events": fixed-size records of one field per line.
#include "config/FileIo.h"
#include "config/Profiles.h"
#include "config/SettingsStore.h"

namespace velmok::config {

namespace {

constexpr std::size_t ProfileLines = 8;

// A field as it may be written as one line: a line break inside would split it
// and shift every later field of the file. Long fields are written whole, as
// they are read.
std::string FieldLine(const std::string& field) { return field.substr(0, field.find('\n')); }

}  // namespace

std::vector<ListLine> SplitListLines(const std::string& bytes) {
    std::vector<ListLine> lines;
    std::size_t i = 0;
    const std::size_t size = bytes.size();
    auto lineEndAt = [&](std::size_t p) -> std::size_t {
        if (p < size && bytes[p] == '\n') return 1;
        if (p + 1 < size && bytes[p] == '\r' && bytes[p + 1] == '\n') return 2;
        return 0;
    };
    while (i < size) {
        ListLine line;
        std::size_t start = i;
        while (i < size && lineEndAt(i) == 0) ++i;
        line.Text = bytes.substr(start, i - start);
        if (std::size_t end = lineEndAt(i)) {
            line.Ended = true;
            i += end;
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

std::vector<ProfileFileEntry> ReadProfileEntries(const std::string& folder) {
    std::vector<ProfileFileEntry> entries;
    std::string bytes;
    if (!ReadFile(JoinPath(folder, ConnectionsFileName), bytes)) return entries;
    const std::vector<ListLine> lines = SplitListLines(bytes);
    for (std::size_t first = 0; first + ProfileLines <= lines.size(); first += ProfileLines) {
        auto at = [&](std::size_t k) { return lines[first + k].Text; };
        ProfileFileEntry& e = entries.emplace_back();
        e.Profile = ConnectionProfile{at(0), at(1), at(2), at(3), at(4), at(5), at(6), at(7)};
        e.Message = ProfileCheck(CheckedFields(e.Profile), &e.FailedField);
        if (e.Message == 0 && AutoJoinCheck(e.Profile.AutoJoin) == 0)
            e.FailedField = ProfileCheckedFieldCount;
        e.Loaded = e.Message == 0 && e.FailedField != ProfileCheckedFieldCount;
    }
    return entries;
}

void LoadProfiles(const std::string& folder, Settings& settings) {
    std::vector<ConnectionProfile> loaded;
    for (const ProfileFileEntry& e : ReadProfileEntries(folder)) {
        if (e.Loaded) loaded.push_back(e.Profile);
    }
    settings.ProfileText = BuildProfileText(loaded);
}

bool SaveProfiles(const std::string& folder, const Settings& settings) {
    const std::string& text = settings.ProfileText;
    std::string bytes;
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t end = text.find("\r\n", i);
        if (end == std::string::npos) end = text.size();
        bytes += FieldLine(text.substr(i, end - i)) + "\r\n";
        i = end + 2;
    }
    return WriteFileAtomically(JoinPath(folder, ConnectionsFileName), bytes);
}

void LoadEvents(const std::string& folder, Settings& settings) {
    std::string bytes;
    if (!ReadFile(JoinPath(folder, EventsFileName), bytes)) return;
    const std::vector<ListLine> lines = SplitListLines(bytes);
    for (std::size_t first = 0; first < lines.size(); first += 9) {
        EventTrigger& e = settings.Events.emplace_back();
        std::string* const textFields[] = {&e.Name,   &e.Trigger, &e.Prefix, &e.Param1, &e.Param2,
                                           &e.Param3, &e.Param4,  nullptr,   &e.Command};
        for (std::size_t k = 0; k < 9 && first + k < lines.size(); ++k) {
            const std::size_t index = first + k;
            // The last line of the file counts only when a line end closes it.
            const bool cutOff = index + 1 == lines.size() && !lines[index].Ended;
            const std::string value = cutOff ? std::string() : lines[index].Text;
            if (textFields[k] != nullptr) {
                *textFields[k] = value;
            } else {
                e.ExcludeOwn = value == "1";
            }
        }
    }
}

bool SaveEvents(const std::string& folder, const Settings& settings) {
    std::string bytes;
    for (const EventTrigger& e : settings.Events) {
        for (const std::string* f :
             {&e.Name, &e.Trigger, &e.Prefix, &e.Param1, &e.Param2, &e.Param3, &e.Param4}) {
            bytes += FieldLine(*f) + "\r\n";
        }
        bytes += e.ExcludeOwn ? "1\r\n" : "0\r\n";
        bytes += FieldLine(e.Command) + "\r\n";
    }
    return WriteFileAtomically(JoinPath(folder, EventsFileName), bytes);
}

}  // namespace velmok::config
