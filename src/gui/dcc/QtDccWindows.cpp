#include "dcc/QtDccWindows.h"

#include <algorithm>

#include "dcc/QtChat.h"
#include "dcc/QtFileTransfer.h"
#include "platform/QtSockets.h"

namespace velmok::dcc {

DccWindows::DccWindows(session::Engine& engine, session::SocketFactory* sockets, platform::Dialogs* dialogs)
    : engine_(engine),
      ownSockets_(sockets ? nullptr
                          : std::make_unique<platform::QtSocketFactory>(platform::SocketMode::Immediate)),
      sockets_(sockets ? *sockets : *ownSockets_),
      dialogs_(dialogs) {}

DccWindows::~DccWindows() {
    CloseAll();
    // The engine goes with us: no window may outlive it.
    for (auto& w : sends_) delete w.data();
    for (auto& w : chats_) delete w.data();
}

void DccWindows::SetDialogs(platform::Dialogs* dialogs) {
    dialogs_ = dialogs;
    Prune();
    for (auto& w : sends_) w->SetDialogs(dialogs);
    for (auto& w : chats_) w->SetDialogs(dialogs);
}

void DccWindows::Prune() {
    std::erase_if(sends_, [](const QPointer<Tfrm_DCC_Send>& w) { return w.isNull(); });
    std::erase_if(chats_, [](const QPointer<Tfrm_DCC_Chat>& w) { return w.isNull(); });
}

Tfrm_DCC_Send* DccWindows::NewSendWindow(int slot) {
    Prune();
    auto* window = new Tfrm_DCC_Send(engine_, sockets_, dialogs_);
    window->Transfer().SessionIndex = slot;
    sends_.emplace_back(window);
    return window;
}

Tfrm_DCC_Chat* DccWindows::NewChatWindow(int slot) {
    Prune();
    auto* window = new Tfrm_DCC_Chat(engine_, sockets_, dialogs_);
    window->Logic().SessionIndex = slot;
    chats_.emplace_back(window);
    return window;
}

void DccWindows::OfferChat(int slot, const std::string& nick) {
    NewChatWindow(slot)->Logic().OfferChat(nick);
}

void DccWindows::OfferFile(int slot, const std::string& nick, const std::string& path) {
    Tfrm_DCC_Send* window = NewSendWindow(slot);
    window->SetFileToSend(path);
    window->Transfer().OfferFile(nick);
}

void DccWindows::ReceiveFile(int slot, const std::string& sender, const std::string& fileName,
                             const std::string& address, int port, std::uint32_t size) {
    NewSendWindow(slot)->Transfer().ReceiveFile(sender, fileName, address, port, size);
}

// The slot the offer came in on is the one whose nick is ours in the chat.
void DccWindows::AcceptChat(int slot, const std::string& sender, const std::string& address, int port) {
    NewChatWindow(slot)->Logic().AcceptChat(sender, address, port);
}

void DccWindows::CloseAll() {
    Prune();
    // Each window runs its closing logic and deletes itself soon after.
    for (auto& w : sends_) w->close();
    for (auto& w : chats_) w->close();
}

std::vector<Tfrm_DCC_Send*> DccWindows::SendWindows() const {
    std::vector<Tfrm_DCC_Send*> out;
    for (const auto& w : sends_)
        if (w) out.push_back(w.data());
    return out;
}

std::vector<Tfrm_DCC_Chat*> DccWindows::ChatWindows() const {
    std::vector<Tfrm_DCC_Chat*> out;
    for (const auto& w : chats_)
        if (w) out.push_back(w.data());
    return out;
}

}  // namespace velmok::dcc
