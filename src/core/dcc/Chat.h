#pragma once
// The logic of one DCC CHAT window: the offer or the connection to the peer,
// the connection events, the lines in both directions and the input field's
// history. The window supplies the widgets through ChatView.
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/Encoding.h"
#include "dcc/Wire.h"
#include "session/Frontend.h"
#include "session/Socket.h"
#include "ui/InputLine.h"
#include "ui/LineFormat.h"

namespace velmok::session {
class Engine;
}

namespace velmok::dcc {

// What the chat asks of its window. Texts are Shift-JIS.
class ChatView {
public:
    virtual ~ChatView() = default;
    virtual void SetCaption(const std::string& caption) = 0;
    // One finished line: time stamp and text, styled (DCC font, URL and
    // keyword overlays).
    virtual void AppendLine(const ui::StyledLine& line) = 0;
    virtual void EnableInput(bool enabled) = 0;
    virtual void ShowWindow() = 0;
    // Closes the window soon; never from inside this call.
    virtual void CloseWindow() = 0;
    virtual void Beep(session::BeepKind kind) = 0;
    virtual void ShowError(int number) = 0;
};

class Chat {
public:
    Chat(session::Engine& engine, session::SocketFactory& sockets, ChatView& view);
    ~Chat();
    Chat(const Chat&) = delete;
    Chat& operator=(const Chat&) = delete;

    // The server connection that carries the offer and whose nick is ours.
    int SessionIndex = 0;

    void OfferChat(const std::string& nick);
    void AcceptChat(const std::string& nick, const std::string& address, int port);
    void SendChatLine(const std::string& text);
    // The bytes of one read event.
    void ReceiveChatData(std::string_view data);
    void AddChatLine(const std::string& text, bool markKeywords,
                     session::FontKind font = session::FontKind::DCC);

    // The input field. Enter: true when the field is to be emptied.
    bool InputEnter(const std::string& text);
    // Arrow keys: the text to put into the field, or nothing to do.
    std::optional<std::string> InputUp() { return history_.Up(); }
    std::optional<std::string> InputDown() { return history_.Down(); }
    // The field's text changed: complete lines are sent; the result says what
    // the field keeps.
    ui::InputChange InputChanged(const std::string& text);
    // Typed text the wire cannot carry is not sent: an Error line names the
    // characters, with the warning beep; the field keeps the text.
    void RefuseInput(const std::vector<char32_t>& refused);

    // What the chat's lines are written in: that of the server whose user
    // the peer is.
    config::WireEncoding Encoding() const;

    // The window closes: every socket goes, nothing is sent.
    void FormClose();

    bool Connected() const { return connected_; }
    bool IsListener() const { return isListener_; }
    int ListeningPort() const { return port_; }
    const std::string& PeerNick() const { return peerNick_; }
    const ui::InputHistory& History() const { return history_; }
    const std::string& Caption() const { return caption_; }

    // Socket events: the listening socket's (offering) and the outgoing one's (accepting).
    void ServerSocketListen();
    void ServerSocketClientConnect(session::ClientSocket& connection);
    void ServerSocketClientRead(session::ClientSocket& connection);
    void ServerSocketClientDisconnect(session::ClientSocket& connection);
    void ServerSocketClientError(session::ClientSocket& connection, int& code);
    void ClientSocketConnect();
    void ClientSocketRead();
    void ClientSocketDisconnect();
    void ClientSocketError(int& code);

private:
    void Status(const std::string& text);
    void ShowReceived(const std::vector<std::string>& lines);
    void PeerGone(const std::string& status);
    void SetConnected(bool connected);
    void Close();
    std::string OwnNick();

    session::Engine& engine_;
    session::SocketFactory& sockets_;
    ChatView& view_;
    std::unique_ptr<session::ServerSocket> server_;
    std::unique_ptr<session::ClientSocket> client_;
    session::ClientSocket* peer_ = nullptr;  // the accepted connection while listening

    std::string caption_ = "DCC CHAT";
    std::string peerNick_;
    std::string lastNick_;  // ours, for when the server connection is gone
    bool isListener_ = false;
    bool connected_ = false;
    bool closed_ = false;
    int port_ = 0;
    ChatFramer framer_;
    ui::InputHistory history_;
    ui::FormattedLine formatted_;
};

}  // namespace velmok::dcc
