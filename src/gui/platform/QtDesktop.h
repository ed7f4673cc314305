#pragma once
#include <QIcon>
#include <QString>

namespace velmok::platform {

// Opens a URL with the desktop's default handler; failures are ignored.
void OpenUrl(const QString& url);

// Opens the help page with the desktop's browser: the copy beside the
// executable or, installed, in PREFIX/share/velmok; else the one built in.
void OpenHelpPage();

// The program's icon at every size it ships, for its windows.
QIcon ApplicationIcon();

// The sizes in pixels the icon ships at (the installed hicolor sizes too).
inline constexpr int kIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

}  // namespace velmok::platform
