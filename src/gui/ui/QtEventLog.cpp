#include "ui/QtEventLog.h"

#include <QCloseEvent>
#include <QPlainTextEdit>
#include <QVBoxLayout>
#include <algorithm>

namespace velmok::ui {

Tfrm_EventLog::Tfrm_EventLog(QWidget* parent) : QWidget(parent, Qt::Window) {
    setWindowTitle(QStringLiteral("イベントログ"));
    setObjectName(QStringLiteral("Tfrm_EventLog"));
    Rich_EventLog = new QPlainTextEdit(this);
    Rich_EventLog->setObjectName(QStringLiteral("Rich_EventLog"));
    Rich_EventLog->setReadOnly(true);
    Rich_EventLog->setLineWrapMode(QPlainTextEdit::NoWrap);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Rich_EventLog);
    resize(400, 300);
}

void Tfrm_EventLog::AppendLine(const QString& text) { Rich_EventLog->appendPlainText(text); }

void Tfrm_EventLog::SetMaxLines(int lines) { Rich_EventLog->setMaximumBlockCount(std::max(1, lines)); }

void Tfrm_EventLog::closeEvent(QCloseEvent* event) {
    event->accept();
    if (onClosed) onClosed();
}

}  // namespace velmok::ui
