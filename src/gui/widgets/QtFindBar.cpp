#include "widgets/QtFindBar.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

#include "base/Texts.h"
#include "platform/QtText.h"

namespace velmok::widgets {

QString AsShown(const QString& typed) {
    QString out;
    for (qsizetype i = 0; i < typed.size();) {
        const qsizetype length = typed.at(i).isHighSurrogate() && i + 1 < typed.size() ? 2 : 1;
        const QString one = typed.mid(i, length);
        const std::string sjis = platform::ToSjis(one);
        out += sjis.empty() ? one : platform::FromSjis(sjis);
        i += length;
    }
    return out;
}

QtFindBar::QtFindBar(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("FindBar"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(2, 2, 2, 2);
    row->addWidget(new QLabel(platform::FromSjis(texts::FindLabel)));
    Edit_Find = new QLineEdit(this);
    Edit_Find->setObjectName(QStringLiteral("Edit_Find"));
    row->addWidget(Edit_Find, 1);
    auto button = [&](const char* name, const QString& caption, const char* tip) {
        auto* b = new QToolButton(this);
        b->setObjectName(QString::fromLatin1(name));
        b->setText(caption);
        b->setToolTip(platform::FromSjis(tip));
        b->setAutoRaise(true);
        row->addWidget(b);
        return b;
    };
    Btn_FindPrevious = button("Btn_FindPrevious", QStringLiteral("▲"), texts::FindPreviousTip);
    Btn_FindNext = button("Btn_FindNext", QStringLiteral("▼"), texts::FindNextTip);
    Lbl_FindState = new QLabel(this);
    Lbl_FindState->setObjectName(QStringLiteral("Lbl_FindState"));
    row->addWidget(Lbl_FindState);
    Btn_FindClose = button("Btn_FindClose", QStringLiteral("×"), texts::FindCloseTip);
    connect(Btn_FindPrevious, &QToolButton::clicked, this, [this] { Step(ui::FindStep::Previous); });
    connect(Btn_FindNext, &QToolButton::clicked, this, [this] { Step(ui::FindStep::Next); });
    connect(Btn_FindClose, &QToolButton::clicked, this, &QtFindBar::Close);
    connect(Edit_Find, &QLineEdit::textEdited, this, [this] { Step(ui::FindStep::Typed); });
    Edit_Find->installEventFilter(this);
    hide();
}

void QtFindBar::Open() {
    show();
    Edit_Find->setFocus();
    Edit_Find->selectAll();
    if (!Edit_Find->text().isEmpty()) Step(ui::FindStep::Typed);
}

void QtFindBar::Close() {
    if (isHidden()) return;
    hide();
    Lbl_FindState->clear();
    if (onClosed) onClosed();
}

void QtFindBar::Refresh() {
    if (!isHidden()) Step(ui::FindStep::Typed);
}

void QtFindBar::Step(ui::FindStep step) {
    const QString text = AsShown(Edit_Find->text());
    const std::optional<ui::FindPlace> place =
        !text.isEmpty() && onFind ? onFind(text, step) : std::optional<ui::FindPlace>();
    const bool found = place.has_value();
    // Said beside the field ("2 / 5"), and the field turns red without a match, as browsers do.
    Lbl_FindState->setText(found            ? QStringLiteral("%1 / %2").arg(place->index).arg(place->total)
                           : text.isEmpty() ? QString()
                                            : platform::FromSjis(texts::FindNone));
    Edit_Find->setStyleSheet(found || text.isEmpty() ? QString()
                                                     : QStringLiteral("QLineEdit { background: #ffc0c0; }"));
}

bool QtFindBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Edit_Find && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape) {
            Close();
            return true;
        }
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            Step(key->modifiers() & Qt::ShiftModifier ? ui::FindStep::Previous : ui::FindStep::Next);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace velmok::widgets
