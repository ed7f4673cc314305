#include "platform/QtModal.h"

#include <QApplication>
#include <QDialog>

namespace velmok::platform {

bool DialogGuard::Hold() {
    if (depth_ == 0) return false;
    held_ = true;
    return true;
}

void DialogGuard::CloseLater() {
    // Not from here: the dialog's caller is still on the stack.
    QMetaObject::invokeMethod(
        window_.data(),
        [window = window_] {
            if (window) window->close();
        },
        Qt::QueuedConnection);
}

void EndModalLoops() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* dialog = qobject_cast<QDialog*>(widget);
        if (dialog && dialog->isModal()) dialog->reject();
    }
    // Menus stack; each close uncovers the one below. The bound only guards
    // against one that will not close.
    for (int i = 0; i < 16; ++i) {
        QWidget* popup = QApplication::activePopupWidget();
        if (!popup) break;
        popup->close();
    }
}

}  // namespace velmok::platform
