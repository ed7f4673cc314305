// The engine's requests for input boxes and auxiliary windows, handed to
// the components that create and track them.
#include "dcc/QtDccWindows.h"
#include "inputbox/QtInputBox.h"
#include "inputbox/QtPromptBoxes.h"
#include "platform/QtText.h"
#include "ui/TSDIAppForm.h"
#include "windows/QtAuxWindows.h"

namespace velmok::ui {

bool TSDIAppForm::OpenInputBox(const session::InputBoxRequest& request) {
    // The modeless boxes servers open are bounded and tracked by their component.
    if (!request.Modal) return prompts_->Show(request);
    inputbox::RunInputBox(this, *engine_, dialogs_, request);
    return true;
}

void TSDIAppForm::OpenWhoisWindow(int slot, const std::string& nick, const std::string& caption) {
    aux_->OpenWhoisWindow(slot, nick, caption);
}

void TSDIAppForm::RefreshWhoisWindow(int slot, const std::string& nick) {
    aux_->RefreshWhoisWindow(slot, nick);
}

void TSDIAppForm::OpenChannelList(int slot) { aux_->OpenChannelList(slot); }

void TSDIAppForm::RefreshChannelList(int slot) { aux_->RefreshChannelList(slot); }

void TSDIAppForm::ReceiveFile(int slot, const std::string& sender, const std::string& fileName,
                              const std::string& address, int port, std::uint32_t size) {
    dccWindows_->ReceiveFile(slot, sender, fileName, address, port, size);
}

void TSDIAppForm::AcceptChat(int slot, const std::string& sender, const std::string& address, int port) {
    dccWindows_->AcceptChat(slot, sender, address, port);
}

}  // namespace velmok::ui
