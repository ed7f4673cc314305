// Requests for the dialogs and auxiliary windows.
#include "config/Frminputbox.h"
#include "dcc/QtDccWindows.h"
#include "platform/QtText.h"
#include "ui/TSDIAppForm.h"

namespace velmok::ui {

void TSDIAppForm::OpenInputBox(const session::InputBoxRequest& request) { ShowInputBox(request); }

void TSDIAppForm::ShowInputBox(const session::InputBoxRequest& request) {
    auto* box = new config::Tfrm_InputBox(this, *engine_, dialogs_);
    box->Setup(request);
    if (request.Modal) {
        box->exec();
        if (request.CallerOwned) delete box;
    } else {
        box->show();
    }
}

void TSDIAppForm::OpenWhoisWindow(int, const std::string&, const std::string&) {
    // The WHOIS window reads the table; until it exists the replies stay in
    // the server view as default lines.
}

void TSDIAppForm::RefreshWhoisWindow(int, const std::string&) {}

void TSDIAppForm::OpenChannelList(int) {}

void TSDIAppForm::ReceiveFile(int slot, const std::string& sender, const std::string& fileName,
                              const std::string& address, int port, std::uint32_t size) {
    dccWindows_->ReceiveFile(slot, sender, fileName, address, port, size);
}

void TSDIAppForm::AcceptChat(int slot, const std::string& sender, const std::string& address, int port) {
    dccWindows_->AcceptChat(slot, sender, address, port);
}

}  // namespace velmok::ui
