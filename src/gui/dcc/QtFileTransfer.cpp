#include "dcc/QtFileTransfer.h"

#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <utility>

#include "platform/QtDialogs.h"
#include "platform/QtText.h"
#include "session/Engine.h"

namespace velmok::dcc {

using platform::FromSjis;

namespace {

// How often the fallback step and the progress display run.
constexpr int kTimerInterval = 100;
// The progress widgets are redrawn at most this often while data flows.
constexpr int kProgressInterval = 50;

std::optional<ChosenFile> Chosen(const std::string& path) {
    if (path.empty()) return std::nullopt;
    return ChosenFile{path, platform::ToSjis(QFileInfo(platform::FromLocalPath(path)).fileName())};
}

}  // namespace

Tfrm_DCC_Send::Tfrm_DCC_Send(session::Engine& engine, session::SocketFactory& sockets,
                             platform::Dialogs* dialogs)
    : QWidget(nullptr, Qt::Window | Qt::MSWindowsFixedSizeDialogHint),
      engine_(engine),
      dialogs_(dialogs),
      transfer_(engine, sockets, *this) {
    setObjectName(QStringLiteral("Tfrm_DCC_Send"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("DCC SEND"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    Lbl_FileName = new QLabel(this);
    Lbl_FileName->setObjectName(QStringLiteral("Lbl_FileName"));
    Lbl_FileName->setWordWrap(true);
    Lbl_FileName->setFixedHeight(2 * Lbl_FileName->fontMetrics().lineSpacing() + 2);
    Lbl_FileName->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Lbl_Progress = new QLabel(this);
    Lbl_Progress->setObjectName(QStringLiteral("Lbl_Progress"));
    Lbl_Progress->setAlignment(Qt::AlignCenter);
    ProgressBar = new QProgressBar(this);
    ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
    ProgressBar->setTextVisible(false);
    ProgressBar->setRange(0, 0);
    ProgressBar->setValue(0);
    Btn_OK = new QPushButton(QStringLiteral("OK"), this);
    Btn_OK->setObjectName(QStringLiteral("Btn_OK"));
    Btn_Cancel = new QPushButton(QStringLiteral("キャンセル"), this);
    Btn_Cancel->setObjectName(QStringLiteral("Btn_Cancel"));
    connect(Btn_OK, &QPushButton::clicked, this, &Tfrm_DCC_Send::Btn_OKClick);
    connect(Btn_Cancel, &QPushButton::clicked, this, &Tfrm_DCC_Send::Btn_OKClick);
    layout->addWidget(Lbl_FileName);
    layout->addWidget(Lbl_Progress);
    layout->addWidget(ProgressBar);
    // Both buttons sit in the same place; one of them is shown at a time.
    auto* buttons = new QHBoxLayout();
    buttons->addStretch(1);
    buttons->addWidget(Btn_OK);
    buttons->addWidget(Btn_Cancel);
    buttons->addStretch(1);
    layout->addLayout(buttons);
    Btn_OK->hide();
    setFixedSize(360, 150);

    Timer = new QTimer(this);
    Timer->setObjectName(QStringLiteral("Timer"));
    Timer->setInterval(kTimerInterval);
    connect(Timer, &QTimer::timeout, this, &Tfrm_DCC_Send::TimerTimer);
    sinceShown_.start();
}

Tfrm_DCC_Send::~Tfrm_DCC_Send() = default;

void Tfrm_DCC_Send::Btn_OKClick() { close(); }

void Tfrm_DCC_Send::closeEvent(QCloseEvent* event) {
    if (guard_.Hold()) return event->ignore();
    Timer->stop();
    transfer_.FormClose();
    event->accept();
}

void Tfrm_DCC_Send::TimerTimer() {
    transfer_.Poll();
    ShowPendingProgress();
    const FileTransfer::Phase phase = transfer_.State();
    if (phase != FileTransfer::Phase::Waiting && phase != FileTransfer::Phase::Connecting &&
        phase != FileTransfer::Phase::Transferring)
        Timer->stop();
}

void Tfrm_DCC_Send::ShowPendingProgress() {
    if (pendingPosition_) ProgressBar->setValue(*pendingPosition_);
    if (pendingText_) Lbl_Progress->setText(FromSjis(*pendingText_));
    pendingPosition_.reset();
    pendingText_.reset();
    sinceShown_.restart();
}

// ---- TransferView ---------------------------------------------------------------------

void Tfrm_DCC_Send::SetCaption(const std::string& caption) { setWindowTitle(FromSjis(caption)); }

void Tfrm_DCC_Send::SetFileName(const std::string& path) {
    Lbl_FileName->setText(QFile::decodeName(path.c_str()));
}

void Tfrm_DCC_Send::SetRange(int maximum) { ProgressBar->setRange(0, maximum); }

void Tfrm_DCC_Send::SetProgress(int position, const std::string& text) {
    pendingPosition_ = position;
    pendingText_ = text;
    if (sinceShown_.elapsed() >= kProgressInterval) ShowPendingProgress();
}

void Tfrm_DCC_Send::SetStatus(const std::string& text) {
    pendingText_.reset();
    ShowPendingProgress();
    Lbl_Progress->setText(FromSjis(text));
}

void Tfrm_DCC_Send::SetFinished(bool finished) {
    Btn_OK->setVisible(finished);
    Btn_Cancel->setVisible(!finished);
}

void Tfrm_DCC_Send::ShowWindow() {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - rect().center());
    }
    show();
    raise();
    Timer->start();
}

void Tfrm_DCC_Send::CloseWindow() {
    QMetaObject::invokeMethod(
        this, [this] { close(); }, Qt::QueuedConnection);
}

void Tfrm_DCC_Send::Beep(session::BeepKind kind) { engine_.Ui().Beep(kind); }

void Tfrm_DCC_Send::ShowError(int number) {
    guard_.Run([&] { dialogs_->ShowError(this, number); });
}

// A window closed while its dialog was up takes the answer for a cancel.
std::optional<ChosenFile> Tfrm_DCC_Send::ChooseFileToSend() {
    if (!fileToSend_.empty()) return Chosen(std::exchange(fileToSend_, {}));
    std::string path;
    if (!guard_.Run([&] { path = dialogs_->OpenFileName(this); })) return std::nullopt;
    return Chosen(path);
}

std::optional<ChosenFile> Tfrm_DCC_Send::ChooseSaveFile(const std::string& proposedName) {
    std::string path;
    if (!guard_.Run([&] { path = dialogs_->SaveFileName(this, proposedName); })) return std::nullopt;
    return Chosen(path);
}

}  // namespace velmok::dcc
