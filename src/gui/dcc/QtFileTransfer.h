#pragma once
#include <QElapsedTimer>
#include <QWidget>
#include <optional>
#include <string>

#include "dcc/FileTransfer.h"
#include "platform/QtModal.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace velmok::platform {
class Dialogs;
}

namespace velmok::dcc {

// The window of one DCC file transfer, either direction: an independent
// top-level window with its own task-bar entry, deleted when closed. It wires
// its controls and dialogs to FileTransfer, which does the work.
class Tfrm_DCC_Send : public QWidget, private TransferView {
    Q_OBJECT
public:
    Tfrm_DCC_Send(session::Engine& engine, session::SocketFactory& sockets, platform::Dialogs* dialogs);
    ~Tfrm_DCC_Send() override;

    FileTransfer& Transfer() { return transfer_; }
    void SetDialogs(platform::Dialogs* dialogs) { dialogs_ = dialogs; }
    // The file an offer sends without asking (dropped on a member); empty asks.
    void SetFileToSend(const std::string& path) { fileToSend_ = path; }

    // Either button closes the window.
    void Btn_OKClick();

    QLabel* Lbl_FileName = nullptr;
    QLabel* Lbl_Progress = nullptr;
    QProgressBar* ProgressBar = nullptr;
    QPushButton* Btn_OK = nullptr;
    QPushButton* Btn_Cancel = nullptr;
    QTimer* Timer = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // TransferView
    void SetCaption(const std::string& caption) override;
    void SetFileName(const std::string& path) override;
    void SetRange(int maximum) override;
    void SetProgress(int position, const std::string& text) override;
    void SetStatus(const std::string& text) override;
    void SetFinished(bool finished) override;
    void ShowWindow() override;
    void CloseWindow() override;
    void Beep(session::BeepKind kind) override;
    void ShowError(int number) override;
    std::optional<ChosenFile> ChooseFileToSend() override;
    std::optional<ChosenFile> ChooseSaveFile(const std::string& proposedName) override;

    void TimerTimer();
    void ShowPendingProgress();

    session::Engine& engine_;
    platform::Dialogs* dialogs_;
    // The file dialogs and message boxes run while the transfer's code waits
    // for them; closing the window meanwhile waits for them to return.
    platform::DialogGuard guard_{*this};
    FileTransfer transfer_;
    // The data sets the progress many thousand times a second; the widgets
    // take the latest value a few times a second.
    QElapsedTimer sinceShown_;
    std::optional<int> pendingPosition_;
    std::optional<std::string> pendingText_;
    std::string fileToSend_;
};

}  // namespace velmok::dcc
