#include "platform/Browseforfolder.h"

#include <QFileDialog>

#include "platform/QtText.h"

namespace velmok::platform {

std::string BrowseForFolder(QWidget* owner) {
    const QString path = QFileDialog::getExistingDirectory(
        owner, QStringLiteral("フォルダを選択してください"), QString(), QFileDialog::ShowDirsOnly);
    if (path.isEmpty()) return {};
    return ToLocalPath(QDir::toNativeSeparators(path));
}

}  // namespace velmok::platform
