#pragma once
// The logic of one DCC SEND window, in either direction: choosing the file,
// the offer, the stop-and-wait transfer and how it ends. The window supplies
// the widgets and dialogs through TransferView; the sockets come from the
// factory. Plain C++, driven by socket events.
#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "dcc/Wire.h"
#include "session/Frontend.h"
#include "session/Socket.h"

namespace velmok::session {
class Engine;
}

namespace velmok::dcc {

// A local file picked in a file dialog.
struct ChosenFile {
    std::string path;  // full path in the file system's own encoding
    std::string name;  // the name without its folder, Shift-JIS
};

// What the transfer asks of its window. Texts are Shift-JIS.
class TransferView {
public:
    virtual ~TransferView() = default;
    virtual void SetCaption(const std::string& caption) = 0;
    virtual void SetFileName(const std::string& path) = 0;  // Lbl_FileName
    virtual void SetRange(int maximum) = 0;                 // the progress bar's range
    // Progress bar position and its "count/size" text. Comes at the pace of
    // the data; the window may show only the latest of a quick run.
    virtual void SetProgress(int position, const std::string& text) = 0;
    virtual void SetStatus(const std::string& text) = 0;  // Lbl_Progress, at once
    // true: the OK button replaces Cancel (the transfer has ended well).
    virtual void SetFinished(bool finished) = 0;
    virtual void ShowWindow() = 0;
    // Closes the window soon; never from inside this call.
    virtual void CloseWindow() = 0;
    virtual void Beep(session::BeepKind kind) = 0;
    virtual void ShowError(int number) = 0;
    virtual std::optional<ChosenFile> ChooseFileToSend() = 0;
    // proposedName: Shift-JIS name without folder.
    virtual std::optional<ChosenFile> ChooseSaveFile(const std::string& proposedName) = 0;
};

class FileTransfer {
public:
    enum class Phase {
        Choosing,      // before the file dialog has been answered
        Waiting,       // sender: listening for the peer ("接続待ち")
        Connecting,    // receiver: connecting ("接続中")
        Transferring,  // data moving
        Complete,      // "送信完了" / "受信完了"
        Broken,        // ended early; the status says why
        Closed,        // the window is closing
    };

    FileTransfer(session::Engine& engine, session::SocketFactory& sockets, TransferView& view);
    ~FileTransfer();
    FileTransfer(const FileTransfer&) = delete;
    FileTransfer& operator=(const FileTransfer&) = delete;

    // The slot whose server connection carries the offer (sending side).
    int SessionIndex = 0;

    void OfferFile(const std::string& nick);
    // fileName: as offered (ISO-2022-JP); address dotted; size as announced.
    void ReceiveFile(const std::string& nick, const std::string& fileName, const std::string& address,
                     int port, std::uint32_t size);

    // One step of each direction. Every acknowledgement or data read runs
    // one at once; the window's slow timer runs them too, as a fallback.
    void TimerTimerDCCSend();
    void TimerTimerDCCGet();
    void Poll();

    // The window closes: an unfinished received file is deleted, every
    // socket closed.
    void FormClose();

    Phase State() const { return phase_; }
    bool IsSender() const { return isSender_; }
    bool FileOpen() const { return file_ != nullptr; }
    std::uint32_t FileSize() const { return fileSize_; }
    std::uint32_t ByteCount() const { return byteCount_; }
    std::uint32_t Acknowledged() const { return acked_; }
    int ListeningPort() const { return port_; }
    const std::string& PeerNick() const { return peerNick_; }
    const std::string& Path() const { return path_; }

    // Socket events: the listening socket's (sender) and the outgoing one's (receiver).
    void ServerSocketListen();
    void ServerSocketClientConnect(session::ClientSocket& connection);
    void ServerSocketClientRead(session::ClientSocket& connection);
    void ServerSocketClientDisconnect(session::ClientSocket& connection);
    void ServerSocketClientError(session::ClientSocket& connection, int& code);
    void ClientSocketConnect();
    void ClientSocketDisconnect();
    void ClientSocketError(int& code);

private:
    void ReadAcknowledgements();
    void ShowCount(std::uint32_t count);
    void Finish(const std::string& status);
    void Break(const std::string& status);
    void UseFileBuffer();
    void CloseFile();
    void Close();

    session::Engine& engine_;
    session::SocketFactory& sockets_;
    TransferView& view_;
    std::unique_ptr<session::ServerSocket> server_;
    std::unique_ptr<session::ClientSocket> client_;
    session::ClientSocket* peer_ = nullptr;  // the sender's accepted connection
    bool peerSeen_ = false;                  // a peer has connected once

    Phase phase_ = Phase::Choosing;
    std::string peerNick_;
    bool isSender_ = false;
    std::FILE* file_ = nullptr;
    std::string path_;       // the local file; a received one is deleted unless stored
    std::string offerName_;  // Shift-JIS name offered to the peer
    bool dataSeen_ = false;  // the receiver has had data ("接続中" no longer shown)
    bool stored_ = false;    // the received file is complete and on the disk
    std::uint32_t fileSize_ = 0;
    std::uint32_t byteCount_ = 0;
    std::uint32_t acked_ = 0;
    int port_ = 0;
    AckAssembler acks_;
    std::vector<char> buffer_;
    std::vector<char> fileBuffer_;  // the open file's; outlives it
};

}  // namespace velmok::dcc
