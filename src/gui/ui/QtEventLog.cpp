#include "ui/QtEventLog.h"

#include <QCloseEvent>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QVBoxLayout>
#include <algorithm>
#include <string>

#include "platform/QtText.h"
#include "ui/Tabs.h"

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
    Rich_EventLog->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Rich_EventLog, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { ShowMenu(Rich_EventLog->mapToGlobal(pos)); });
}

void Tfrm_EventLog::ShowMenu(const QPoint& globalPos) {
    if (onMenuOpened) onMenuOpened();
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("Popup_MessageWindow"));
    QAction* close = menu.addAction(QStringLiteral("閉じる(&X)"));
    close->setObjectName(QStringLiteral("Popup_MessageWindow_Close"));
    close->setStatusTip(platform::FromSjis(CloseItemFor(MenuOrigin::EventLog, false, std::string()).hint));
    menu.addSeparator();
    QAction* copy = menu.addAction(QStringLiteral("コピー(&C)"));
    QAction* all = menu.addAction(QStringLiteral("すべて選択(&A)"));
    QAction* clear = menu.addAction(QStringLiteral("クリア(&E)"));
    // Turning the event log off in the settings meanwhile deletes this window.
    const QPointer<Tfrm_EventLog> alive(this);
    QAction* chosen = menu.exec(globalPos);
    if (!alive) return;
    if (chosen == copy)
        Rich_EventLog->copy();
    else if (chosen == all)
        Rich_EventLog->selectAll();
    else if (chosen == clear)
        Rich_EventLog->clear();
    else if (chosen == close)
        this->close();
}

void Tfrm_EventLog::AppendLine(const QString& text) { Rich_EventLog->appendPlainText(text); }

void Tfrm_EventLog::SetMaxLines(int lines) { Rich_EventLog->setMaximumBlockCount(std::max(1, lines)); }

void Tfrm_EventLog::closeEvent(QCloseEvent* event) {
    event->accept();
    if (onClosed) onClosed();
}

}  // namespace velmok::ui
