#include "platform/QtDesktop.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

// The resources live in a static library; nothing references them by symbol,
// so they must be registered by hand or the linker leaves them out.
static void RegisterResources() { Q_INIT_RESOURCE(velmok); }

namespace velmok::platform {

void OpenUrl(const QString& url) {
    QUrl target = QUrl::fromUserInput(url);
    if (target.isValid()) QDesktopServices::openUrl(target);
}

void OpenHelpPage() {
    const QDir exe(QCoreApplication::applicationDirPath());
    QString page = exe.filePath(QStringLiteral("help/index.html"));
    if (!QFileInfo::exists(page)) page = exe.filePath(QStringLiteral("../share/velmok/help/index.html"));
    if (!QFileInfo::exists(page)) {
        RegisterResources();
        const QString copy = QDir::temp().filePath(QStringLiteral("velmok-help.html"));
        QFile::remove(copy);
        QFile::copy(QStringLiteral(":/help/index.html"), copy);
        page = copy;
    }
    OpenUrl(QUrl::fromLocalFile(page).toString());
}

QIcon ApplicationIcon() {
    RegisterResources();
    QIcon icon;
    for (int size : kIconSizes)
        icon.addFile(QStringLiteral(":/icons/velmok-%1.png").arg(size), QSize(size, size));
    return icon;
}

}  // namespace velmok::platform
