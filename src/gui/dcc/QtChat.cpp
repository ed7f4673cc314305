#include "dcc/QtChat.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTimer>
#include <QVBoxLayout>

#include "platform/QtDesktop.h"
#include "platform/QtDialogs.h"
#include "platform/QtText.h"
#include "session/Engine.h"
#include "widgets/QtStyles.h"

namespace velmok::dcc {

using platform::FromSjis;

namespace {

constexpr int kLookInterval = 500;

}  // namespace

Tfrm_DCC_Chat::Tfrm_DCC_Chat(session::Engine& engine, session::SocketFactory& sockets,
                             platform::Dialogs* dialogs)
    : QWidget(nullptr, Qt::Window), engine_(engine), dialogs_(dialogs), chat_(engine, sockets, *this) {
    setObjectName(QStringLiteral("Tfrm_DCC_Chat"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("DCC CHAT"));
    resize(420, 300);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    Rich_DCC_Chat = new widgets::QtMessageView(this);
    Rich_DCC_Chat->setObjectName(QStringLiteral("Rich_DCC_Chat"));
    Rich_DCC_Chat->onUrlClicked = [](const QString& url) { platform::OpenUrl(url); };
    memo_InputMessage = new QPlainTextEdit(this);
    memo_InputMessage->setObjectName(QStringLiteral("memo_InputMessage"));
    memo_InputMessage->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo_InputMessage->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    memo_InputMessage->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    memo_InputMessage->setTabChangesFocus(true);
    memo_InputMessage->setEnabled(false);
    memo_InputMessage->installEventFilter(this);
    connect(memo_InputMessage, &QPlainTextEdit::textChanged, this, &Tfrm_DCC_Chat::memo_InputMessageChange);
    layout->addWidget(Rich_DCC_Chat, 1);
    layout->addWidget(memo_InputMessage);

    FormShow();
    Timer = new QTimer(this);
    Timer->setObjectName(QStringLiteral("Timer"));
    Timer->setInterval(kLookInterval);
    connect(Timer, &QTimer::timeout, this, &Tfrm_DCC_Chat::TimerTimer);
    Timer->start();
}

Tfrm_DCC_Chat::~Tfrm_DCC_Chat() = default;

// ---- look ---------------------------------------------------------------------------------

void Tfrm_DCC_Chat::FormShow() {
    const config::Settings& settings = engine_.Config();
    Rich_DCC_Chat->SetStyleTable(std::make_shared<const widgets::StyleTable>(settings));
    Rich_DCC_Chat->setFont(widgets::FormatOf(settings.Font(session::FontKind::Private)).font());
    Rich_DCC_Chat->SetBackground(widgets::ColourOf(settings.Bgcolor));
    ApplyInputLook();
}

void Tfrm_DCC_Chat::ApplyInputLook() {
    const config::Settings& settings = engine_.Config();
    const QTextCharFormat input = widgets::FormatOf(settings.Font(session::FontKind::Input));
    QPalette pal = memo_InputMessage->palette();
    pal.setColor(QPalette::Base, widgets::ColourOf(settings.Bgcolor));
    pal.setColor(QPalette::Text, input.foreground().color());
    memo_InputMessage->setPalette(pal);
    memo_InputMessage->setFont(input.font());
    memo_InputMessage->setFixedHeight(QFontMetrics(input.font()).height() + 10);
}

void Tfrm_DCC_Chat::TimerTimer() {
    const QColor background = widgets::ColourOf(engine_.Config().Bgcolor);
    if (Rich_DCC_Chat->viewport()->palette().color(QPalette::Base) != background)
        Rich_DCC_Chat->SetBackground(background);
    ApplyInputLook();
}

void Tfrm_DCC_Chat::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) FormShow();
    QWidget::changeEvent(event);
}

// ---- input field --------------------------------------------------------------------------

void Tfrm_DCC_Chat::SetInputText(const std::string& text) {
    changing_ = true;
    memo_InputMessage->setPlainText(FromSjis(text));
    memo_InputMessage->moveCursor(QTextCursor::End);
    changing_ = false;
}

void Tfrm_DCC_Chat::memo_InputMessageChange() {
    if (changing_) return;
    const platform::TypedChange change =
        platform::ReadTypedChange(memo_InputMessage->toPlainText(), chat_.Encoding());
    if (!change.hasLineBreak) return;
    if (!change.complete.Refused.empty()) {
        // As in the main window: the pasted lines wait in the field, said once.
        if (change.complete.Refused != pendingRefused_) chat_.RefuseInput(change.complete.Refused);
        pendingRefused_ = change.complete.Refused;
        return;
    }
    pendingRefused_.clear();
    chat_.InputChanged(change.complete.Sjis);
    changing_ = true;
    memo_InputMessage->setPlainText(change.remainder);
    memo_InputMessage->moveCursor(QTextCursor::End);
    changing_ = false;
}

bool Tfrm_DCC_Chat::eventFilter(QObject* watched, QEvent* event) {
    if (watched == memo_InputMessage && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            !(key->modifiers() & Qt::ShiftModifier)) {
            const session::TypedText typed =
                platform::ReadTyped(memo_InputMessage->toPlainText(), chat_.Encoding());
            if (!typed.Refused.empty()) {
                chat_.RefuseInput(typed.Refused);
            } else if (chat_.InputEnter(typed.Sjis)) {
                pendingRefused_.clear();
                SetInputText(std::string());
            }
            return true;
        }
        if (key->modifiers() == Qt::NoModifier && (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down)) {
            const auto line = key->key() == Qt::Key_Up ? chat_.InputUp() : chat_.InputDown();
            if (line) SetInputText(*line);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void Tfrm_DCC_Chat::closeEvent(QCloseEvent* event) {
    if (guard_.Hold()) return event->ignore();
    Timer->stop();
    chat_.FormClose();
    event->accept();
}

// ---- ChatView -------------------------------------------------------------------------------

void Tfrm_DCC_Chat::SetCaption(const std::string& caption) { setWindowTitle(FromSjis(caption)); }

void Tfrm_DCC_Chat::AppendLine(const ui::StyledLine& line) {
    widgets::AppendStyledLine(*Rich_DCC_Chat, line, runs_);
}

void Tfrm_DCC_Chat::EnableInput(bool enabled) {
    memo_InputMessage->setEnabled(enabled);
    if (enabled && isActiveWindow()) memo_InputMessage->setFocus();
}

void Tfrm_DCC_Chat::ShowWindow() {
    show();
    raise();
    activateWindow();
}

void Tfrm_DCC_Chat::CloseWindow() {
    QMetaObject::invokeMethod(
        this, [this] { close(); }, Qt::QueuedConnection);
}

void Tfrm_DCC_Chat::Beep(session::BeepKind kind) { engine_.Ui().Beep(kind); }

void Tfrm_DCC_Chat::ShowError(int number) {
    guard_.Run([&] { dialogs_->ShowError(this, number); });
}

}  // namespace velmok::dcc
