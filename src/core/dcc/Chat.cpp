#include "dcc/Chat.h"

#include "base/Texts.h"
#include "dcc/Offer.h"
#include "session/Codec.h"
#include "session/Engine.h"

namespace velmok::dcc {

namespace {

constexpr int kErrorConnect = 1;
constexpr int kErrorListen = 3;

}  // namespace

Chat::Chat(session::Engine& engine, session::SocketFactory& sockets, ChatView& view)
    : engine_(engine), sockets_(sockets), view_(view) {}

Chat::~Chat() { FormClose(); }

// ---- opening ----------------------------------------------------------------------

void Chat::OfferChat(const std::string& nick) {
    isListener_ = true;
    peerNick_ = nick;
    OwnNick();
    caption_ += " to " + nick;
    view_.SetCaption(caption_);
    view_.ShowWindow();

    server_ = CreateListener(sockets_, *this);
    if (ListenOnFreePort(*server_, port_) != 0 && !closed_) {
        view_.ShowError(kErrorListen);
        Close();
    }
}

void Chat::ServerSocketListen() {
    if (closed_) return;
    const std::optional<std::uint32_t> address = OfferAddress(engine_, SessionIndex);
    if (!address) {
        view_.ShowError(kErrorConnect);
        return Close();
    }
    engine_.SendNow(SessionIndex, session::ChatOfferLine(peerNick_, *address, port_));
    Status(peerNick_ + texts::ChatWaitingFrom);
}

void Chat::AcceptChat(const std::string& nick, const std::string& address, int port) {
    client_ = sockets_.CreateClient();
    client_->onConnect = [this] { ClientSocketConnect(); };
    client_->onRead = [this] { ClientSocketRead(); };
    client_->onDisconnect = [this] { ClientSocketDisconnect(); };
    client_->onError = [this](int& code) { ClientSocketError(code); };
    client_->SetPort(port);
    client_->SetAddress(address);
    isListener_ = false;
    peerNick_ = nick;
    OwnNick();
    caption_ += " from " + nick;
    view_.SetCaption(caption_);
    view_.ShowWindow();
    Status(peerNick_ + texts::ChatConnectingTo);
    client_->Open();
}

// ---- connection events ---------------------------------------------------------------

void Chat::ServerSocketClientConnect(session::ClientSocket& connection) {
    if (closed_ || peer_) {
        connection.Close();
        return;
    }
    peer_ = &connection;
    framer_ = ChatFramer();
    SetConnected(true);
    Status(peerNick_ + texts::ChatConnectedFrom);
}

void Chat::ServerSocketClientRead(session::ClientSocket& connection) {
    const std::string data = connection.ReceiveText();
    if (&connection == peer_) ReceiveChatData(data);
}

void Chat::ServerSocketClientDisconnect(session::ClientSocket& connection) {
    if (&connection != peer_) return;
    ReceiveChatData(connection.ReceiveText());
    PeerGone(peerNick_ + texts::ChatGoneFrom);
}

void Chat::ServerSocketClientError(session::ClientSocket& connection, int& code) {
    const int error = code;
    code = 0;
    if (&connection != peer_) return;
    PeerGone(error == session::SocketError::ConnectionAborted
                 ? peerNick_ + texts::ChatGoneFrom
                 : texts::SocketErrorOpen + std::to_string(error) + ")");
}

void Chat::ClientSocketConnect() {
    if (closed_) return;
    framer_ = ChatFramer();
    SetConnected(true);
    Status(peerNick_ + texts::ChatConnectedTo);
}

void Chat::ClientSocketRead() {
    if (!closed_ && client_) ReceiveChatData(client_->ReceiveText());
}

void Chat::ClientSocketDisconnect() {
    if (closed_) return;
    ReceiveChatData(client_->ReceiveText());
    PeerGone(peerNick_ + texts::ChatGoneFrom);
}

void Chat::ClientSocketError(int& code) {
    code = 0;
    if (closed_) return;
    if (connected_) return PeerGone(peerNick_ + texts::ChatGoneFrom);
    view_.EnableInput(false);
    Status(peerNick_ + texts::ChatCannotConnectTo);
}

// What was left of an unfinished line is shown before the line that says
// the peer has gone.
void Chat::PeerGone(const std::string& status) {
    ShowReceived(framer_.Finish());
    peer_ = nullptr;
    SetConnected(false);
    Status(status);
}

void Chat::SetConnected(bool connected) {
    connected_ = connected;
    view_.EnableInput(connected);
}

// ---- lines ------------------------------------------------------------------------------

config::WireEncoding Chat::Encoding() const { return engine_.Encoding(SessionIndex); }

void Chat::SendChatLine(const std::string& text) {
    session::ClientSocket* target = isListener_ ? peer_ : client_.get();
    if (!connected_ || !target) return;
    target->SendText(engine_.ToWire(SessionIndex, text) + "\r\n");
    history_.Add(text);
    AddChatLine("<" + OwnNick() + "> " + text, false);
}

void Chat::ReceiveChatData(std::string_view data) {
    if (!data.empty()) ShowReceived(framer_.Feed(data));
}

void Chat::ShowReceived(const std::vector<std::string>& lines) {
    for (const std::string& line : lines)
        AddChatLine("<" + peerNick_ + "> " + line, engine_.Config().KeywordDCC);
}

void Chat::Status(const std::string& text) { AddChatLine(text, false); }

void Chat::AddChatLine(const std::string& text, bool markKeywords, session::FontKind font) {
    const config::Settings& settings = engine_.Config();
    const std::string stamp = ui::TimeStamp(engine_.Time().LocalTime());
    // Chat text is shown as it came: control bytes are not attributes here.
    const ui::LineInput input{text, font, stamp, &settings.Keywords, markKeywords, false, {}, {}, false};
    ui::FormatLine(input, formatted_);
    view_.AppendLine(formatted_.view);
    if (formatted_.keywordHits == 0) return;
    if (const auto beep = ui::KeywordBeep(settings.Beep)) {
        for (int i = 0; i < formatted_.keywordHits; ++i) view_.Beep(*beep);
    }
}

// The slot's nick while it has one; the one we had before, once the server
// connection has gone and the chat goes on without it.
std::string Chat::OwnNick() {
    const std::string& nick = engine_.Session(SessionIndex).Nick;
    if (!nick.empty()) lastNick_ = nick;
    return lastNick_;
}

// ---- input field -----------------------------------------------------------------------

bool Chat::InputEnter(const std::string& text) {
    if (text.empty()) return false;
    SendChatLine(text);
    return true;
}

ui::InputChange Chat::InputChanged(const std::string& text) {
    ui::InputChange change = ui::SplitInput(text);
    for (const std::string& line : change.lines) SendChatLine(line);
    return change;
}

void Chat::RefuseInput(const std::vector<char32_t>& refused) {
    if (refused.empty()) return;
    AddChatLine(session::RefusedText(refused), false, session::FontKind::Error);
    view_.Beep(session::BeepKind::Warning);
}

// ---- closing ----------------------------------------------------------------------------

void Chat::Close() {
    closed_ = true;
    view_.CloseWindow();
}

void Chat::FormClose() {
    closed_ = true;
    connected_ = false;
    peer_ = nullptr;
    if (server_) server_->Close();
    if (client_) client_->Close();
}

}  // namespace velmok::dcc
