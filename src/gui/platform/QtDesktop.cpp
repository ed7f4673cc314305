#include "platform/QtDesktop.h"

#include <QDesktopServices>
#include <QUrl>

// The resources live in a static library; nothing references them by symbol,
// so they must be registered by hand or the linker leaves them out.
static void RegisterResources() { Q_INIT_RESOURCE(velmok); }

namespace velmok::platform {

void OpenUrl(const QString& url) {
    QUrl target = QUrl::fromUserInput(url);
    if (target.isValid()) QDesktopServices::openUrl(target);
}

QIcon ApplicationIcon() {
    RegisterResources();
    QIcon icon;
    for (int size : kIconSizes)
        icon.addFile(QStringLiteral(":/icons/velmok-%1.png").arg(size), QSize(size, size));
    return icon;
}

}  // namespace velmok::platform
