#include "platform/Browseforfolder.h"

#include <QFileDialog>

#include "platform/QtText.h"

namespace velmok::platform {

std::string BrowseForFolder(QWidget* owner) {
    const QString path = QFileDialog::getExistingDirectory(
        owner, QStringLiteral("フォルダを選択してください"), QString(), QFileDialog::ShowDirsOnly);
    if (path.isEmpty()) return {};
    const QString native = QDir::toNativeSeparators(path);
    const std::string sjis = ToSjis(native);
    // A folder whose name Shift-JIS cannot spell would come back as a
    // different, wrong path; treat it like a cancel instead.
    if (FromSjis(sjis) != native) return {};
    return sjis;
}

}  // namespace velmok::platform
