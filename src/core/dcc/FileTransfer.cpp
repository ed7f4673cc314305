#include "dcc/FileTransfer.h"

#include <algorithm>
#include <filesystem>
#include <limits>
#include <system_error>

#include "base/Texts.h"
#include "config/Error.h"
#include "dcc/Offer.h"
#include "dcc/SaveName.h"
#include "session/Codec.h"
#include "session/Engine.h"

namespace velmok::dcc {

namespace {

using session::BeepKind;

constexpr int kErrorConnect = 1;
constexpr int kErrorListen = 3;
constexpr int kErrorCreate = 28;
constexpr int kErrorAccess = 29;
constexpr int kErrorSize = 30;

// Reads are taken in pieces of this size; a stop-and-wait peer never has
// more than one block in flight, a faster one is read in several pieces.
constexpr std::size_t kReadBuffer = 64 * 1024;
constexpr std::size_t kFileBuffer = 256 * 1024;

// The length of a regular file, or nothing (a device or a FIFO would block
// the window, and the protocol cannot announce 4 GiB or more).
std::optional<std::uint32_t> MeasureFile(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return std::nullopt;
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec || size > std::numeric_limits<std::uint32_t>::max()) return std::nullopt;
    return static_cast<std::uint32_t>(size);
}

// Creates (or empties) the file for a download. Anything in the path's place
// that is not a regular file is refused rather than opened.
std::FILE* CreateFile(const std::string& path) {
    std::error_code ec;
    const auto status = std::filesystem::symlink_status(path, ec);
    if (!ec && std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) return nullptr;
    return std::fopen(path.c_str(), "wb");
}

}  // namespace

FileTransfer::FileTransfer(session::Engine& engine, session::SocketFactory& sockets, TransferView& view)
    : engine_(engine), sockets_(sockets), view_(view), buffer_(kReadBuffer) {}

FileTransfer::~FileTransfer() { FormClose(); }

// ---- sending ------------------------------------------------------------------

void FileTransfer::OfferFile(const std::string& nick) {
    view_.SetFinished(false);
    byteCount_ = 0;
    isSender_ = true;
    peerNick_ = nick;
    view_.SetCaption("DCC SEND to " + nick);

    const std::optional<ChosenFile> chosen = view_.ChooseFileToSend();
    if (phase_ == Phase::Closed) return;  // the window went while the dialog was open
    if (!chosen) return Close();
    view_.SetFileName(chosen->path);
    const std::optional<std::uint32_t> size = MeasureFile(chosen->path);
    if (!size) {
        view_.ShowError(kErrorSize);
        return Close();
    }
    fileSize_ = *size;
    view_.SetRange(static_cast<int>(fileSize_ / 2));
    file_ = std::fopen(chosen->path.c_str(), "rb");
    if (!file_) {
        view_.ShowError(kErrorAccess);
        return Close();
    }
    UseFileBuffer();
    path_ = chosen->path;
    offerName_ = chosen->name;
    view_.ShowWindow();

    server_ = CreateListener(sockets_, *this);
    phase_ = Phase::Waiting;
    if (ListenOnFreePort(*server_, port_) != 0 && phase_ == Phase::Waiting) {
        view_.ShowError(kErrorListen);
        Close();
    }
}

void FileTransfer::ServerSocketListen() {
    if (phase_ != Phase::Waiting || peerSeen_) return;
    const std::optional<std::uint32_t> address = OfferAddress(engine_, SessionIndex);
    if (!address) {
        view_.ShowError(kErrorConnect);
        return Close();
    }
    engine_.SendNow(SessionIndex, session::SendOfferLine(peerNick_, engine_.ToWire(SessionIndex, offerName_),
                                                         *address, port_, fileSize_));
    view_.SetStatus(texts::TransferWaiting);
}

void FileTransfer::ServerSocketClientConnect(session::ClientSocket& connection) {
    // One peer per offer: a later connection would restart the count on a
    // file that has already been read from.
    if (phase_ != Phase::Waiting || peerSeen_) {
        connection.Close();
        return;
    }
    peerSeen_ = true;
    peer_ = &connection;
    byteCount_ = 0;
    phase_ = Phase::Transferring;
    TimerTimerDCCSend();
}

void FileTransfer::ServerSocketClientRead(session::ClientSocket& connection) {
    if (&connection != peer_) {
        connection.ReceiveText();
        return;
    }
    ReadAcknowledgements();
    TimerTimerDCCSend();
}

void FileTransfer::ReadAcknowledgements() {
    if (!peer_) return;
    bool any = false;
    for (int n; (n = peer_->ReceiveBuf(buffer_.data(), static_cast<int>(buffer_.size()))) > 0;) {
        if (const auto total = acks_.Feed(std::string_view(buffer_.data(), static_cast<std::size_t>(n)))) {
            acked_ = *total;
            any = true;
        }
    }
    if (any) ShowCount(acked_);
}

void FileTransfer::TimerTimerDCCSend() {
    if (phase_ != Phase::Transferring || !peer_) return;
    if (acked_ == fileSize_) return Finish(texts::TransferSent);
    if (acked_ < byteCount_ || !file_) return;  // the block in flight is not yet confirmed
    const std::size_t n = std::fread(buffer_.data(), 1, BlockSize, file_);
    if (n > 0) {
        peer_->SendBuf(buffer_.data(), static_cast<int>(n));
        byteCount_ += static_cast<std::uint32_t>(n);
    } else if (std::ferror(file_)) {
        Break(config::ErrorText(kErrorAccess));
    } else {
        CloseFile();
    }
}

void FileTransfer::ServerSocketClientDisconnect(session::ClientSocket& connection) {
    if (&connection != peer_) return;
    // The last acknowledgement may have come in with the close.
    ReadAcknowledgements();
    peer_ = nullptr;
    if (phase_ != Phase::Transferring) return;
    if (acked_ == fileSize_) return Finish(texts::TransferSent);
    // The file runs out early only when it shrank while being sent; there is
    // nothing better to say then than what the progress already shows.
    if (!file_) {
        phase_ = Phase::Broken;
        return;
    }
    if (byteCount_ == fileSize_) {
        Finish(texts::TransferSent);
    } else {
        Break(texts::TransferReceiverGone);
    }
}

void FileTransfer::ServerSocketClientError(session::ClientSocket& connection, int& code) {
    const int error = code;
    code = 0;
    if (&connection != peer_) return;
    peer_ = nullptr;
    // After the end the status keeps saying how it went.
    if (phase_ != Phase::Transferring) return;
    Break(error == session::SocketError::ConnectionAborted
              ? std::string(texts::TransferReceiverGone)
              : texts::SocketErrorOpen + std::to_string(error) + ")");
}

// ---- receiving ------------------------------------------------------------------

void FileTransfer::ReceiveFile(const std::string& nick, const std::string& fileName,
                               const std::string& address, int port, std::uint32_t size) {
    isSender_ = false;
    peerNick_ = nick;
    view_.SetFinished(false);
    std::string proposed = SafeSaveName(session::WireToSjis(fileName));
    fileSize_ = size;
    client_ = sockets_.CreateClient();
    client_->onConnect = [this] { ClientSocketConnect(); };
    client_->onRead = [this] { TimerTimerDCCGet(); };
    client_->onDisconnect = [this] { ClientSocketDisconnect(); };
    client_->onError = [this](int& code) { ClientSocketError(code); };
    client_->SetPort(port);
    client_->SetAddress(address);
    view_.SetRange(static_cast<int>(fileSize_ / 2));
    view_.SetCaption("DCC SEND from " + nick);

    while (!file_) {
        const std::optional<ChosenFile> chosen = view_.ChooseSaveFile(proposed);
        if (phase_ == Phase::Closed) return;  // the window went while the dialog was open
        if (!chosen) return Close();
        view_.SetFileName(chosen->path);
        file_ = CreateFile(chosen->path);
        if (!file_) {
            view_.ShowError(kErrorCreate);
            proposed = SafeSaveName(chosen->name);
            continue;
        }
        path_ = chosen->path;
    }
    UseFileBuffer();
    view_.ShowWindow();
    view_.SetStatus(texts::TransferConnecting);
    phase_ = Phase::Connecting;
    client_->Open();
}

void FileTransfer::ClientSocketConnect() {
    if (phase_ != Phase::Connecting) return;
    phase_ = Phase::Transferring;
    // An empty file is complete before any data.
    TimerTimerDCCGet();
}

void FileTransfer::TimerTimerDCCGet() {
    if (phase_ != Phase::Transferring || isSender_ || !client_) return;
    bool any = false;
    for (int n; (n = client_->ReceiveBuf(buffer_.data(), static_cast<int>(buffer_.size()))) > 0;) {
        any = true;
        // Bytes past the announced size are not ours to store.
        const std::size_t take = std::min<std::size_t>(static_cast<std::size_t>(n), fileSize_ - byteCount_);
        if (take > 0 && std::fwrite(buffer_.data(), 1, take, file_) != take) {
            return Break(config::ErrorText(kErrorAccess));
        }
        byteCount_ += static_cast<std::uint32_t>(take);
    }
    if (any) {
        dataSeen_ = true;
        // The sender waits for this before its next block; the window can wait.
        const std::array<char, 4> ack = EncodeAck(byteCount_);
        client_->SendBuf(ack.data(), static_cast<int>(ack.size()));
        ShowCount(byteCount_);
    }
    if (byteCount_ < fileSize_) return;
    // A file that cannot be flushed to the disk is not complete.
    std::FILE* file = file_;
    file_ = nullptr;
    if (std::fclose(file) != 0) return Break(config::ErrorText(kErrorAccess));
    stored_ = true;
    client_->Close();
    Finish(texts::TransferReceived);
}

void FileTransfer::ClientSocketDisconnect() {
    // Bytes that arrived before the close are still to be taken.
    TimerTimerDCCGet();
    if (phase_ == Phase::Transferring || phase_ == Phase::Connecting) Break(texts::TransferSenderGone);
}

void FileTransfer::ClientSocketError(int& code) {
    code = 0;
    if (phase_ != Phase::Transferring && phase_ != Phase::Connecting) return;
    Break(dataSeen_ ? texts::TransferSenderGone : texts::TransferConnectFailed);
}

// ---- both -----------------------------------------------------------------------

void FileTransfer::Poll() {
    if (isSender_) {
        ReadAcknowledgements();
        TimerTimerDCCSend();
    } else {
        TimerTimerDCCGet();
    }
}

void FileTransfer::ShowCount(std::uint32_t count) {
    view_.SetProgress(static_cast<int>(count / 2), std::to_string(count) + "/" + std::to_string(fileSize_));
}

void FileTransfer::Finish(const std::string& status) {
    phase_ = Phase::Complete;
    view_.Beep(BeepKind::Information);
    CloseFile();
    view_.SetFinished(true);
    view_.SetStatus(status);
}

// The sender lets its file go; the receiver keeps the partial file open until
// the window closes, which deletes it.
void FileTransfer::Break(const std::string& status) {
    phase_ = Phase::Broken;
    view_.Beep(BeepKind::Information);
    if (isSender_) {
        CloseFile();
        if (peer_) peer_->Close();
        peer_ = nullptr;
    } else if (client_) {
        client_->Close();
    }
    view_.SetStatus(status);
}

// The C library takes the size asked for only with a buffer of our own; on
// its own it buffers a page, and a download then costs a write to the
// system for every few blocks.
void FileTransfer::UseFileBuffer() {
    if (fileBuffer_.empty()) fileBuffer_.resize(kFileBuffer);
    std::setvbuf(file_, fileBuffer_.data(), _IOFBF, fileBuffer_.size());
}

void FileTransfer::CloseFile() {
    if (!file_) return;
    std::fclose(file_);
    file_ = nullptr;
}

void FileTransfer::Close() {
    phase_ = Phase::Closed;
    view_.CloseWindow();
}

void FileTransfer::FormClose() {
    phase_ = Phase::Closed;
    CloseFile();
    if (!isSender_ && !path_.empty() && !stored_) {
        std::error_code ec;
        std::filesystem::remove(path_, ec);
    }
    path_.clear();
    peer_ = nullptr;
    if (server_) server_->Close();
    if (client_) client_->Close();
}

}  // namespace velmok::dcc
