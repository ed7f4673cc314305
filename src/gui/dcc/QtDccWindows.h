#pragma once
#include <QPointer>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace velmok::session {
class Engine;
class SocketFactory;
}  // namespace velmok::session
namespace velmok::platform {
class Dialogs;
class QtSocketFactory;
}  // namespace velmok::platform

namespace velmok::dcc {

class Tfrm_DCC_Chat;
class Tfrm_DCC_Send;

// Creates every DCC window and keeps track of the ones open. The main window
// owns one and forwards to it; it keeps no DCC state itself. Windows close by
// themselves; those still open when this goes are closed with it (an
// unfinished download is deleted then).
class DccWindows {
public:
    // sockets: where the DCC connections come from; null for the platform's,
    // set up for the pace of a transfer.
    DccWindows(session::Engine& engine, session::SocketFactory* sockets, platform::Dialogs* dialogs);
    ~DccWindows();
    DccWindows(const DccWindows&) = delete;
    DccWindows& operator=(const DccWindows&) = delete;

    // The message boxes and file dialogs of every window, open or to come.
    void SetDialogs(platform::Dialogs* dialogs);

    // Nick-list "DCC" -> "CHAT" / "SEND": offer to nick on the slot's server connection.
    void OfferChat(int slot, const std::string& nick);
    // path: the file to send (the file system's encoding), asked for when empty.
    void OfferFile(int slot, const std::string& nick, const std::string& path = {});
    // Accepted offers from the CTCP handler (name as received, dotted address).
    void ReceiveFile(int slot, const std::string& sender, const std::string& fileName,
                     const std::string& address, int port, std::uint32_t size);
    void AcceptChat(int slot, const std::string& sender, const std::string& address, int port);

    // Closes every open window at once.
    void CloseAll();

    // The windows open now, oldest first.
    std::vector<Tfrm_DCC_Send*> SendWindows() const;
    std::vector<Tfrm_DCC_Chat*> ChatWindows() const;

private:
    Tfrm_DCC_Send* NewSendWindow(int slot);
    Tfrm_DCC_Chat* NewChatWindow(int slot);
    void Prune();

    session::Engine& engine_;
    std::unique_ptr<platform::QtSocketFactory> ownSockets_;
    session::SocketFactory& sockets_;
    platform::Dialogs* dialogs_;
    std::vector<QPointer<Tfrm_DCC_Send>> sends_;
    std::vector<QPointer<Tfrm_DCC_Chat>> chats_;
};

}  // namespace velmok::dcc
