#pragma once
#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "session/Frontend.h"

namespace velmok::session {

inline const char* FontName(FontKind f) {
    static const char* names[] = {"Nicklist", "Input",  "URL",   "Private", "Notice", "CTCP",
                                  "Command",  "Server", "Error", "DCC",     "Keyword"};
    return names[static_cast<int>(f)];
}

inline const char* BeepName(BeepKind b) {
    switch (b) {
        case BeepKind::Default:
            return "Default";
        case BeepKind::Warning:
            return "Warning";
        case BeepKind::Information:
            return "Information";
    }
    return "?";
}

// A Frontend that records every call, in order, in `log` (one readable string
// per call, e.g. "MarkTab 0 -1", "RenderLine 0 -1 Server 404 #c x", "Beep Warning"),
// and keeps typed records of the interesting ones. Queries (ActiveWindow,
// AskYesNo's answer) are answered from settable fields.
class RecordingFrontend : public Frontend {
public:
    struct Line {
        int slot;
        int window;
        FontKind font;
        std::string text;
        bool markKeywords;
    };
    struct WindowEvent {
        int slot;
        int window;
        std::string name;
    };
    struct WhoisOpen {
        int slot;
        std::string nick;
        std::string caption;
    };
    struct FileOffer {
        int slot;
        std::string sender, fileName, address;
        int port;
        std::uint32_t size;
    };
    struct ChatOffer {
        int slot;
        std::string sender, address;
        int port;
    };

    std::vector<std::string> log;
    std::vector<Line> lines;
    std::vector<std::pair<int, int>> marks;
    std::vector<WindowEvent> built;
    std::vector<std::pair<int, int>> removed;
    std::vector<WindowEvent> renamed;
    std::vector<std::pair<int, int>> membersChanged;
    std::vector<int> titles;  // slots passed to UpdateTitle
    std::vector<std::string> eventLog;
    std::vector<std::pair<int, std::string>> connected;      // ServerConnected
    std::vector<bool> connectedClearView;                    // its clearView, in the same order
    std::vector<std::pair<int, std::string>> serverRenames;  // ServerRenamed
    std::vector<int> disconnected;                           // ServerDisconnected
    std::map<Action, bool> actions;                          // last state per action
    bool inputEnabled = false;
    bool awayState = false;
    bool protectionButton = false;
    bool sendTimer = false;
    bool reconnectTimer = false;
    int closeRequests = 0;
    std::vector<BeepKind> beeps;
    std::vector<int> errors;
    std::vector<std::string> questions;
    std::vector<InputBoxRequest> inputBoxes;
    std::vector<WhoisOpen> whoisOpened;
    std::vector<std::pair<int, std::string>> whoisRefreshed;
    std::vector<int> channelLists;
    std::vector<int> channelListRefreshes;
    std::vector<FileOffer> fileOffers;
    std::vector<ChatOffer> chatOffers;

    // Settable answers and hooks.
    std::array<int, 3> activeWindow{-1, -1, -1};
    bool yesNoAnswer = false;
    bool inputBoxShown = true;                           // OpenInputBox's answer
    std::function<bool(const std::string&)> onAskYesNo;  // overrides yesNoAnswer when set
    std::function<void(const Line&)> onRenderLine;       // runs after the line is recorded
    std::function<void(BeepKind)> onBeep;
    std::function<void(bool)> onSetSendTimer;
    std::function<void()> onRequestClose;
    std::function<void(const FileOffer&)> onReceiveFile;  // run after the offer is recorded
    std::function<void(const ChatOffer&)> onAcceptChat;

    void RenderLine(int slot, int window, FontKind font, const std::string& text,
                    bool markKeywords) override {
        lines.push_back({slot, window, font, text, markKeywords});
        Log("RenderLine " + std::to_string(slot) + " " + std::to_string(window) + " " + FontName(font) + " " +
            text + (markKeywords ? " [kw]" : ""));
        if (onRenderLine) onRenderLine(lines.back());
    }
    void MarkTab(int slot, int window) override {
        marks.push_back({slot, window});
        Log("MarkTab " + std::to_string(slot) + " " + std::to_string(window));
    }
    void BuildWindow(int slot, int window, const std::string& name, bool activate) override {
        built.push_back({slot, window, name});
        if (activate) activeWindow[slot] = window;
        Log("BuildWindow " + std::to_string(slot) + " " + std::to_string(window) + " " + name +
            (activate ? "" : " [background]"));
    }
    void RemoveWindow(int slot, int window) override {
        removed.push_back({slot, window});
        if (activeWindow[slot] == window) activeWindow[slot] = -1;
        Log("RemoveWindow " + std::to_string(slot) + " " + std::to_string(window));
    }
    void RenameWindow(int slot, int window, const std::string& name) override {
        renamed.push_back({slot, window, name});
        Log("RenameWindow " + std::to_string(slot) + " " + std::to_string(window) + " " + name);
    }
    void ActivateWindow(int slot, int window) override {
        activeWindow[slot] = window;
        Log("ActivateWindow " + std::to_string(slot) + " " + std::to_string(window));
    }
    void ClearWindow(int slot, int window) override {
        Log("ClearWindow " + std::to_string(slot) + " " + std::to_string(window));
    }
    void AddressedToMe(int slot, int window) override { Log("AddressedToMe " + Pair(slot, window)); }
    void SetWindowConnected(int slot, int window, bool connected) override {
        Log("SetWindowConnected " + Pair(slot, window) + (connected ? " 1" : " 0"));
    }
    bool Logged(const std::string& entry) const {
        return std::find(log.begin(), log.end(), entry) != log.end();
    }
    void MembersChanged(int slot, int window) override {
        membersChanged.push_back({slot, window});
        Log("MembersChanged " + std::to_string(slot) + " " + std::to_string(window));
    }
    void UpdateTitle(int slot) override {
        titles.push_back(slot);
        Log("UpdateTitle " + std::to_string(slot));
    }
    int ActiveWindow(int slot) override { return activeWindow[slot]; }
    bool eventLogWanted = true;
    bool EventLogWanted() const override { return eventLogWanted; }
    void WriteEventLog(const std::string& text) override {
        eventLog.push_back(text);
        Log("WriteEventLog " + text);
    }
    void ServerConnected(int slot, const std::string& serverName, bool clearView) override {
        connected.push_back({slot, serverName});
        connectedClearView.push_back(clearView);
        Log("ServerConnected " + std::to_string(slot) + " " + serverName);
    }
    void ServerRenamed(int slot, const std::string& serverName) override {
        serverRenames.push_back({slot, serverName});
        Log("ServerRenamed " + std::to_string(slot) + " " + serverName);
    }
    void ServerDisconnected(int slot) override {
        disconnected.push_back(slot);
        activeWindow[slot] = -1;
        Log("ServerDisconnected " + std::to_string(slot));
    }
    void EnableAction(Action action, bool enabled) override {
        actions[action] = enabled;
        Log("EnableAction " + std::to_string(static_cast<int>(action)) + (enabled ? " on" : " off"));
    }
    void EnableInput(bool enabled) override {
        inputEnabled = enabled;
        Log(std::string("EnableInput ") + (enabled ? "on" : "off"));
    }
    void SetAwayState(bool away) override {
        awayState = away;
        Log(std::string("SetAwayState ") + (away ? "on" : "off"));
    }
    void SetProtectionButton(bool pressed) override {
        protectionButton = pressed;
        Log(std::string("SetProtectionButton ") + (pressed ? "on" : "off"));
    }
    void SetSendTimer(bool enabled) override {
        sendTimer = enabled;
        Log(std::string("SetSendTimer ") + (enabled ? "on" : "off"));
        if (onSetSendTimer) onSetSendTimer(enabled);
    }
    void SetReconnectTimer(bool enabled) override { reconnectTimer = enabled; }
    void RequestClose() override {
        ++closeRequests;
        Log("RequestClose");
        if (onRequestClose) onRequestClose();
    }
    void Beep(BeepKind kind) override {
        beeps.push_back(kind);
        Log(std::string("Beep ") + BeepName(kind));
        if (onBeep) onBeep(kind);
    }
    void ShowError(int number) override {
        errors.push_back(number);
        Log("ShowError " + std::to_string(number));
    }
    bool AskYesNo(const std::string& text) override {
        questions.push_back(text);
        Log("AskYesNo " + text);
        return onAskYesNo ? onAskYesNo(text) : yesNoAnswer;
    }
    bool OpenInputBox(const InputBoxRequest& request) override {
        inputBoxes.push_back(request);
        Log("OpenInputBox " + request.Caption);
        return inputBoxShown;
    }
    void OpenWhoisWindow(int slot, const std::string& nick, const std::string& caption) override {
        whoisOpened.push_back({slot, nick, caption});
        Log("OpenWhoisWindow " + std::to_string(slot) + " " + nick + " " + caption);
    }
    void RefreshWhoisWindow(int slot, const std::string& nick) override {
        whoisRefreshed.push_back({slot, nick});
        Log("RefreshWhoisWindow " + std::to_string(slot) + " " + nick);
    }
    void OpenChannelList(int slot) override {
        channelLists.push_back(slot);
        Log("OpenChannelList " + std::to_string(slot));
    }
    void RefreshChannelList(int slot) override {
        channelListRefreshes.push_back(slot);
        Log("RefreshChannelList " + std::to_string(slot));
    }
    void ReceiveFile(int slot, const std::string& sender, const std::string& fileName,
                     const std::string& address, int port, std::uint32_t size) override {
        fileOffers.push_back({slot, sender, fileName, address, port, size});
        Log("ReceiveFile " + std::to_string(slot) + " " + sender + " " + fileName + " " + address + " " +
            std::to_string(port) + " " + std::to_string(size));
        if (onReceiveFile) onReceiveFile(fileOffers.back());
    }
    void AcceptChat(int slot, const std::string& sender, const std::string& address, int port) override {
        chatOffers.push_back({slot, sender, address, port});
        Log("AcceptChat " + std::to_string(slot) + " " + sender + " " + address + " " + std::to_string(port));
        if (onAcceptChat) onAcceptChat(chatOffers.back());
    }

    // ---- conveniences for assertions ----
    // Texts rendered into one window of a slot, in order.
    std::vector<std::string> TextsIn(int slot, int window) const {
        std::vector<std::string> out;
        for (const auto& l : lines)
            if (l.slot == slot && l.window == window) out.push_back(l.text);
        return out;
    }
    const Line* LastLine() const { return lines.empty() ? nullptr : &lines.back(); }
    // Whether an action's last state was "enabled"; false when never set.
    bool Enabled(Action a) const {
        auto it = actions.find(a);
        return it != actions.end() && it->second;
    }
    // Number of log entries starting with prefix.
    int Count(const std::string& prefix) const {
        int n = 0;
        for (const auto& e : log)
            if (e.compare(0, prefix.size(), prefix) == 0) ++n;
        return n;
    }
    // Forgets the records; the settable answers, hooks and current states stay.
    void Clear() {
        log.clear();
        lines.clear();
        marks.clear();
        built.clear();
        removed.clear();
        renamed.clear();
        membersChanged.clear();
        titles.clear();
        eventLog.clear();
        connected.clear();
        connectedClearView.clear();
        serverRenames.clear();
        disconnected.clear();
        closeRequests = 0;
        beeps.clear();
        errors.clear();
        questions.clear();
        inputBoxes.clear();
        whoisOpened.clear();
        whoisRefreshed.clear();
        channelLists.clear();
        channelListRefreshes.clear();
        fileOffers.clear();
        chatOffers.clear();
    }

private:
    void Log(std::string entry) { log.push_back(std::move(entry)); }
    static std::string Pair(int slot, int window) {
        return std::to_string(slot) + " " + std::to_string(window);
    }
};

}  // namespace velmok::session
