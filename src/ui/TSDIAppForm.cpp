#include "ui/TSDIAppForm.h"

#include <QCloseEvent>

namespace velmok::ui {

TSDIAppForm::TSDIAppForm(const QString& configDir, QWidget* parent) : QMainWindow(parent), configDir_(configDir) {
    setWindowTitle(QStringLiteral("Velmok 2.2"));
    resize(460, 371);
}

TSDIAppForm::~TSDIAppForm() = default;

void TSDIAppForm::closeEvent(QCloseEvent* event) { event->accept(); }

}  // namespace velmok::ui
