#include "platform/QtDesktop.h"

#include <QDesktopServices>
#include <QUrl>

namespace velmok::platform {

void OpenUrl(const QString& url) {
    QUrl target = QUrl::fromUserInput(url);
    if (target.isValid()) QDesktopServices::openUrl(target);
}

}  // namespace velmok::platform
