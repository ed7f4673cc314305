#pragma once
#include <QTextCharFormat>
#include <QWidget>
#include <string>
#include <vector>

#include "dcc/Chat.h"
#include "platform/QtModal.h"
#include "widgets/QtMessageView.h"

class QPlainTextEdit;
class QTimer;

namespace velmok::platform {
class Dialogs;
}

namespace velmok::dcc {

// The window of one DCC chat: an independent top-level window with its own
// task-bar entry, deleted when closed. It wires the view and the input field
// to Chat, which does the work.
class Tfrm_DCC_Chat : public QWidget, private ChatView {
    Q_OBJECT
public:
    Tfrm_DCC_Chat(session::Engine& engine, session::SocketFactory& sockets, platform::Dialogs* dialogs);
    ~Tfrm_DCC_Chat() override;

    Chat& Logic() { return chat_; }
    void SetDialogs(platform::Dialogs* dialogs) { dialogs_ = dialogs; }

    widgets::QtMessageView* Rich_DCC_Chat = nullptr;
    QPlainTextEdit* memo_InputMessage = nullptr;
    QTimer* Timer = nullptr;

    // Keeps the look in step with the settings (every 500 ms).
    void TimerTimer();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // ChatView
    void SetCaption(const std::string& caption) override;
    void AppendLine(const ui::StyledLine& line) override;
    void EnableInput(bool enabled) override;
    void ShowWindow() override;
    void CloseWindow() override;
    void Beep(session::BeepKind kind) override;
    void ShowError(int number) override;

    // Colours and fonts from the settings, on show and on every activation.
    void FormShow();
    void memo_InputMessageChange();
    void SetInputText(const std::string& text);
    void ApplyInputLook();

    session::Engine& engine_;
    platform::Dialogs* dialogs_;
    // An error box may be up when the window is asked to close.
    platform::DialogGuard guard_{*this};
    Chat chat_;
    std::vector<widgets::QtMessageView::Run> runs_;
    bool changing_ = false;  // the field's text is being set from here
    // What a paste still waiting in the field was refused for.
    std::vector<char32_t> pendingRefused_;
};

}  // namespace velmok::dcc
