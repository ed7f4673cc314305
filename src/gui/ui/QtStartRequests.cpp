#include "ui/QtStartRequests.h"

#include <QCheckBox>
#include <QLineEdit>
#include <cstdio>

#include "base/Cp932.h"
#include "config/Error.h"
#include "config/QtConnectEditor.h"
#include "config/SettingsStore.h"
#include "platform/QtText.h"
#include "ui/TSDIAppForm.h"

namespace velmok::ui {

using platform::FromSjis;

QtStartRequests::QtStartRequests(TSDIAppForm& form) : form_(form) {
    report = [](const std::string& line) { std::fprintf(stderr, "velmok: %s\n", line.c_str()); };
}

void QtStartRequests::Report(const std::string& sjisLine) {
    if (report) report(FromSjis(sjisLine).toStdString());
}

void QtStartRequests::ConnectNumbers(const std::vector<int>& numbers) {
    if (numbers.empty()) return;
    // Numbered as the file lists them, so that a dropped profile can be named.
    const auto file = config::ReadProfileEntries(platform::ToLocalPath(form_.ConfigDir()));
    for (int number : numbers) {
        const std::string problem = ConnectProfileNumber(form_.Engine(), file, number);
        if (!problem.empty()) Report(problem);
    }
}

void QtStartRequests::OpenLink(const std::string& text) {
    IrcLink link;
    int message = ParseIrcLink(text, base::Utf8ToSjisExactly, link);
    LinkOutcome outcome = LinkOutcome::Refused;
    if (message == 0) outcome = ConnectLink(form_.Engine(), form_.Config().ProfileText, link, message);
    if (outcome == LinkOutcome::NeedsProfile) {
        ConnectFromNewProfile(link);
        return;
    }
    if (outcome == LinkOutcome::Refused) {
        // The link may come from a browser, with nobody reading standard error.
        Report(text + ": " + config::ErrorText(message));
        form_.ShowError(message);
    }
}

void QtStartRequests::ConnectFromNewProfile(const IrcLink& link) {
    const bool saved = form_.EditConnections([&link](config::Tfrm_Connection& editor) {
        editor.Edit_Host->setText(QString::fromStdString(link.Host));
        editor.Edit_Port->setText(QString::number(link.Port));
        editor.Check_Tls->setChecked(link.Tls);
        editor.Edit_Channel->setText(FromSjis(link.Channel));
        editor.Edit_ChannelKey->setText(FromSjis(link.Key));
    });
    int message = 0;
    if (saved &&
        ConnectLink(form_.Engine(), form_.Config().ProfileText, link, message) == LinkOutcome::Refused)
        form_.ShowError(message);
}

void QtStartRequests::Handle(const HandOver& request) {
    form_.showNormal();
    form_.raise();
    form_.activateWindow();
    ConnectNumbers(request.Connects);
    for (const std::string& link : request.Links) OpenLink(link);
}

}  // namespace velmok::ui
