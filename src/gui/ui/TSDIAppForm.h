#pragma once
#include <QAction>
#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <QTextCharFormat>
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "config/Settings.h"
#include "session/Engine.h"
#include "session/Frontend.h"
#include "ui/LineFormat.h"
#include "ui/LogWriter.h"
#include "ui/Tabs.h"
#include "widgets/QtFindBar.h"
#include "widgets/QtMessageView.h"
#include "widgets/QtTabSet.h"

class QSplitter;
class QListWidget;
class QPlainTextEdit;
class QTimer;
class QToolBar;
class QMenu;
class QLabel;

namespace velmok::config {
class IniFile;
class Tfrm_Connection;
}  // namespace velmok::config
namespace velmok::inputbox {
class QtPromptBoxes;
}
namespace velmok::dcc {
class DccWindows;
}
namespace velmok::platform {
class QtSocketFactory;
class QtClock;
class Dialogs;
}  // namespace velmok::platform

namespace velmok::windows {
class QtAuxWindows;
}

namespace velmok::ui {

class Tfrm_EventLog;
class NickListRefresh;
class QtAttention;
class QtInputLine;

// The main window. It owns the engine and every long-lived piece of state and
// shows what the engine asks for through the Frontend interface.
class TSDIAppForm : public QMainWindow, public session::Frontend {
    Q_OBJECT
public:
    // sockets and clock replace the platform's (tests pass doubles).
    explicit TSDIAppForm(const QString& configDir, QWidget* parent = nullptr,
                         session::SocketFactory* sockets = nullptr, session::Clock* clock = nullptr);
    ~TSDIAppForm() override;

    const QString& ConfigDir() const { return configDir_; }
    session::Engine& Engine() { return *engine_; }
    // Every DCC window is created and tracked here.
    dcc::DccWindows& Dcc() { return *dccWindows_; }
    config::Settings& Config() { return settings_; }
    // Replaces the message boxes (tests answer them).
    void SetDialogs(platform::Dialogs* dialogs);
    // The WHOIS, channel list and channel properties windows and the member
    // lists' context menu.
    windows::QtAuxWindows& AuxWindows() { return *aux_; }
    // The input boxes servers open (channel keys, invitations).
    inputbox::QtPromptBoxes& PromptBoxes() { return *prompts_; }
    // The desktop notifications and the tray icon.
    QtAttention& Attention() { return *attention_; }

    // Start-up after construction: loads the files and applies them.
    void FormShow();

    // The current window: slot of the active server tab (-1 when none) and the
    // window of that slot's active tab.
    int CurrentSlot() const;
    int CurrentWindow() const;
    widgets::QtMessageView* ViewOf(int slot, int window) const;
    widgets::QtMessageView* AllWindow() const { return Rich_All_Message; }
    QListWidget* NickListOf(int slot, int window) const;
    widgets::QtTabSet* ServerTabs() const { return PageControlS; }
    widgets::QtTabSet* SlotTabs(int slot) const { return slotViews_[slot].tabs; }
    QPlainTextEdit* InputLine() const;
    QAction* ActionNamed(const QString& name) const;
    bool IsClosed() const { return closed_; }
    // How long closing waits for the servers to drop us after QUIT.
    static constexpr int kQuitWaitMs = 5000;

signals:
    // The window has closed for good: settings saved, every window and
    // dialog it opened told to go. The program ends here.
    void Closed();

public:
    // ---- session::Frontend: lines and tabs ----------------------------------
    void RenderLine(int slot, int window, session::FontKind font, const std::string& text,
                    bool markKeywords) override;
    void MarkTab(int slot, int window) override;
    void BuildWindow(int slot, int window, const std::string& name, bool activate) override;
    void RemoveWindow(int slot, int window) override;
    void RenameWindow(int slot, int window, const std::string& name) override;
    void ActivateWindow(int slot, int window) override;
    void ClearWindow(int slot, int window) override;
    void SetWindowConnected(int slot, int window, bool connected) override;
    void AddressedToMe(int slot, int window) override;
    void MembersChanged(int slot, int window) override;
    void UpdateTitle(int slot) override;
    int ActiveWindow(int slot) override;
    void WriteEventLog(const std::string& text) override;
    bool EventLogWanted() const override;
    // ---- connection state -----------------------------------------------------
    void ServerConnected(int slot, const std::string& serverName, bool clearView) override;
    void ServerRenamed(int slot, const std::string& serverName) override;
    void ServerDisconnected(int slot) override;
    void EnableAction(session::Action action, bool enabled) override;
    void EnableInput(bool enabled) override;
    void SetAwayState(bool away) override;
    void SetProtectionButton(bool pressed) override;
    void SetSendTimer(bool enabled) override;
    void SetReconnectTimer(bool enabled) override;
    void RequestClose() override;
    // ---- user interaction -----------------------------------------------------
    void Beep(session::BeepKind kind) override;
    void ShowError(int number) override;
    bool AskYesNo(const std::string& text) override;
    bool OpenInputBox(const session::InputBoxRequest& request) override;
    // ---- auxiliary windows: handed to their components (TSDIAppFormAux.cpp) ----
    void OpenWhoisWindow(int slot, const std::string& nick, const std::string& caption) override;
    void RefreshWhoisWindow(int slot, const std::string& nick) override;
    void OpenChannelList(int slot) override;
    void RefreshChannelList(int slot) override;
    void ReceiveFile(int slot, const std::string& sender, const std::string& fileName,
                     const std::string& address, int port, std::uint32_t size) override;
    void AcceptChat(int slot, const std::string& sender, const std::string& address, int port) override;

    // Actions (public so tests and menus reach the same code).
    void FileConnect();
    void FileDisConnect();
    void ConnectionSettings();
    // The connection editor, filled in by prepare first when given; OK stores
    // and saves the profiles. True when the user confirmed.
    bool EditConnections(const std::function<void(config::Tfrm_Connection&)>& prepare = {});
    void ShowAllWindow();
    void ShowEventLog();
    void TabChange(int delta);
    void ServerTabChange(int delta);
    // A line as if typed into the input line.
    void ProcessTyped(const std::string& sjisText);
    void ClearCurrentView();
    void SelectAllCurrent();
    // Ctrl+F: the find bar over the view being looked at (the all-window when
    // it has the keyboard).
    void OpenFind();
    widgets::QtFindBar* FindBar() const { return findBar_; }
    void UpdateCommandMenu();
    void CommandJoinClick();
    void CommandPartClick();
    void CommandNickClick();
    void CommandAwayClick();
    void CommandListClick();
    void EditCommand(int which);  // 0 cut, 1 copy, 2 paste
    void DetailSettings();
    void HelpTopics();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct WindowView {
        QWidget* page = nullptr;
        QSplitter* splitter = nullptr;
        widgets::QtMessageView* view = nullptr;
        QListWidget* nicks = nullptr;
    };
    struct SlotView {
        QWidget* serverPage = nullptr;
        widgets::QtTabSet* tabs = nullptr;
        widgets::QtMessageView* serverView = nullptr;
        std::array<WindowView, session::WindowCount> windows{};
        TabMap map;              // the window shown at each position of tabs
        bool connected = false;  // the TCP connection is up
    };

    void CreateActions();
    void CreateMenus();
    void CreateLayout();
    void ApplySettings();
    void BuildStyles();
    void SaveAll();
    widgets::QtMessageView* NewView(session::FontKind base);
    void OnServerTabChanged();
    void OnSlotTabChanged(int slot);
    void UpdateConnectedActions();
    // Side from a stored position (other values keep it) and rows or scrolling.
    static void ApplyTabLayout(widgets::QtTabSet* tabs, int position, bool multiLine);
    void ShowMessageMenu(widgets::QtMessageView* view, const QPoint& globalPos);
    void OnTimer();
    QIcon TabIcon(session::TabImage image) const;
    void RestoreTabImage(int slot, int position);
    void ApplyNickListStyle(QListWidget* list);
    void AppendStyled(widgets::QtMessageView* view, const StyledLine& line);
    void CloseFromMenu(MenuOrigin origin, int slot, int window);
    void CloseServerTab(int slot);
    // The find bar follows the tab being looked at.
    void RetargetFind();
    // A rendered line that calls the user while the window is in the background.
    void CallUser(int slot, int window, const std::string& text);
    // A notification or the tray icon was clicked.
    void ShowCalledWindow(int slot, const std::string& name);

    QString configDir_;
    config::Settings settings_;
    config::WindowState windowState_;
    std::unique_ptr<config::IniFile> ini_;
    std::unique_ptr<platform::QtSocketFactory> ownSockets_;
    std::unique_ptr<platform::QtClock> ownClock_;
    session::SocketFactory* sockets_ = nullptr;
    session::Clock* clock_ = nullptr;
    std::unique_ptr<platform::Dialogs> ownDialogs_;
    platform::Dialogs* dialogs_ = nullptr;
    std::unique_ptr<session::Engine> engine_;
    // After the engine, so they go first: their windows read the engine.
    std::unique_ptr<windows::QtAuxWindows> aux_;
    std::unique_ptr<dcc::DccWindows> dccWindows_;
    inputbox::QtPromptBoxes* prompts_ = nullptr;
    // The fonts of the lines rendered from now on; lines shown keep theirs.
    std::shared_ptr<const widgets::QtMessageView::StyleTable> styles_;
    std::array<SlotView, session::SlotCount> slotViews_;
    // The slot shown at each position of PageControlS.
    ServerTabMap serverTabs_{-1, -1, -1};

    widgets::QtTabSet* PageControlS = nullptr;
    QSplitter* Splitter_All = nullptr;
    widgets::QtMessageView* Rich_All_Message = nullptr;
    QtInputLine* inputLine_ = nullptr;
    widgets::QtFindBar* findBar_ = nullptr;
    QPointer<widgets::QtMessageView> findView_;  // the view the find bar searches
    QToolBar* ToolBar = nullptr;
    QTimer* Timer = nullptr;
    QTimer* reconnectTimer_ = nullptr;
    QTimer* quitWait_ = nullptr;  // runs from the first QUIT of a close
    Tfrm_EventLog* eventLog_ = nullptr;
    QtAttention* attention_ = nullptr;
    // The window whose next line is a private message to the user.
    std::pair<int, int> addressedToMe_{-1, -1};
    NickListRefresh* nickRefresh_ = nullptr;
    std::array<QIcon, 9> icons_;

    QMenu* mnu_Command = nullptr;
    QAction* EditCut = nullptr;
    QAction* EditCopy = nullptr;
    QAction* EditPaste = nullptr;
    QAction* EditSelectAll = nullptr;
    QAction* EditFind = nullptr;
    QAction* MessageClear = nullptr;
    QAction* CommandJoin = nullptr;
    QAction* CommandPart = nullptr;
    QAction* CommandNick = nullptr;
    QAction* CommandList = nullptr;
    QAction* ModePrivate = nullptr;
    QAction* ModeNotice = nullptr;
    QAction* ModeAction = nullptr;
    QAction* FileConnectAction = nullptr;
    QAction* FileDisConnectAction = nullptr;
    QAction* FileExit1 = nullptr;
    QAction* CommandAwayAction = nullptr;
    QAction* ActionDefence = nullptr;
    QAction* ShowAllWindowAction = nullptr;
    QAction* ShowEventLogAction = nullptr;

    int nickListWidth_ = 165;
    bool closed_ = false;
    bool shown_ = false;
    bool savedOnClose_ = false;
    widgets::QtMessageView* lastMenuView_ = nullptr;
    // The message-window menu was last opened on the event log, so select-all
    // and clear act there.
    bool eventLogMenuLast_ = false;
    // Reused on every rendered line.
    FormattedLine formatted_;
    std::vector<widgets::QtMessageView::Run> viewRuns_;
    std::string windowNameSjis_;
    std::string stamp_;
    ui::LogFiles logFiles_;
    int stampMinute_ = -1;
    int stampHour_ = -1;
};

}  // namespace velmok::ui
