// DCC between two engines on a real ngircd: the offer travels through the
// server, the user's yes is answered by the test doubles, the data goes
// straight between the two over 127.0.0.1.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <memory>

#include "dcc/QtChat.h"
#include "dcc/QtDccWindows.h"
#include "dcc/QtFileTransfer.h"
#include "support/qt/EngineClient.h"
#include "support/qt/ScriptedDialogs.h"

namespace velmok::dcc {
namespace {

// One side: its engine's accepted offers open DCC windows, as the main window does.
struct Side {
    test::ScriptedDialogs dialogs;
    std::unique_ptr<DccWindows> windows;

    void Attach(test::EngineClient& client) {
        windows = std::make_unique<DccWindows>(client.engine, nullptr, &dialogs);
        client.ui.yesNoAnswer = true;
        client.ui.onReceiveFile = [this](const session::RecordingFrontend::FileOffer& o) {
            windows->ReceiveFile(o.slot, o.sender, o.fileName, o.address, o.port, o.size);
        };
        client.ui.onAcceptChat = [this](const session::RecordingFrontend::ChatOffer& o) {
            windows->AcceptChat(o.slot, o.sender, o.address, o.port);
        };
    }
};

// The text of a chat view's last line without its time stamp.
QString LastText(const Tfrm_DCC_Chat* w) {
    const widgets::QtMessageView* view = w->Rich_DCC_Chat;
    return view->LineCount() > 0 ? view->LineText(view->LineCount() - 1).mid(6) : QString();
}

void Type(Tfrm_DCC_Chat* w, const QString& text) {
    w->memo_InputMessage->insertPlainText(text);
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(w->memo_InputMessage, &enter);
}

class DccNgircdTest : public test::TwoClientsTest {
protected:
    QTemporaryDir dir;
    Side a, b;

    void SetUp() override {
        QApplication::setQuitOnLastWindowClosed(false);
        test::TwoClientsTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        a.Attach(*alice);
        b.Attach(*bob);
    }
    void TearDown() override {
        a.windows.reset();
        b.windows.reset();
        QCoreApplication::processEvents();
    }
    std::string Native(const QString& name) const {
        return QFile::encodeName(QDir(dir.path()).filePath(name)).toStdString();
    }
};

TEST_F(DccNgircdTest, AMegabyteFileArrivesByteForByte) {
    QByteArray data(1024 * 1024, '\0');
    for (int i = 0; i < data.size(); ++i) data[i] = static_cast<char>((i * 31) ^ (i >> 10));
    QFile source(QDir(dir.path()).filePath(QStringLiteral("写真.jpg")));
    ASSERT_TRUE(source.open(QIODevice::WriteOnly));
    source.write(data);
    source.close();
    a.dialogs.openFiles = {Native(QStringLiteral("写真.jpg"))};
    // Saved under the Japanese names a Japanese desktop gives its folders.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("ダウンロード")));
    b.dialogs.saveFiles = {Native(QStringLiteral("ダウンロード/資料.pdf"))};

    a.windows->OfferFile(0, "bob");
    ASSERT_TRUE(Wait([&] { return b.windows->SendWindows().size() == 1; })) << server.Log();
    // bob was asked, and his save dialog proposed the name in Shift-JIS.
    ASSERT_EQ(bob->ui.fileOffers.size(), 1u);
    EXPECT_EQ(bob->ui.fileOffers[0].fileName, "\x1b$B<L??\x1b(B.jpg");
    EXPECT_EQ(bob->ui.fileOffers[0].size, 1024u * 1024u);
    EXPECT_EQ(b.dialogs.proposedNames, std::vector<std::string>{"\x8e\xca\x90^.jpg"});

    Tfrm_DCC_Send* sending = a.windows->SendWindows()[0];
    Tfrm_DCC_Send* receiving = b.windows->SendWindows()[0];
    EXPECT_EQ(sending->windowTitle(), QStringLiteral("DCC SEND to bob"));
    EXPECT_EQ(receiving->windowTitle(), QStringLiteral("DCC SEND from alice"));
    EXPECT_EQ(sending->Lbl_FileName->text(), QDir(dir.path()).filePath(QStringLiteral("写真.jpg")));
    ASSERT_TRUE(Wait([&] {
        return sending->Lbl_Progress->text() == QStringLiteral("送信完了") &&
               receiving->Lbl_Progress->text() == QStringLiteral("受信完了");
    })) << sending->Lbl_Progress->text().toStdString()
        << " / " << receiving->Lbl_Progress->text().toStdString();
    for (Tfrm_DCC_Send* w : {sending, receiving}) {
        EXPECT_TRUE(w->Btn_OK->isVisible());
        EXPECT_FALSE(w->Btn_Cancel->isVisible());
        EXPECT_EQ(w->ProgressBar->value(), w->ProgressBar->maximum());
    }
    EXPECT_EQ(alice->ui.Count("Beep Information") + bob->ui.Count("Beep Information"), 2);
    QFile received(QDir(dir.path()).filePath(QStringLiteral("ダウンロード/資料.pdf")));
    ASSERT_TRUE(received.open(QIODevice::ReadOnly));
    EXPECT_TRUE(received.readAll() == data);
    received.close();

    // OK closes the window; the finished file stays.
    receiving->Btn_OK->click();
    ASSERT_TRUE(Wait([&] { return b.windows->SendWindows().empty(); }));
    EXPECT_TRUE(received.exists());
}

TEST_F(DccNgircdTest, AJapaneseChatLineEachWay) {
    a.windows->OfferChat(0, "bob");
    ASSERT_TRUE(Wait([&] { return b.windows->ChatWindows().size() == 1; })) << server.Log();
    Tfrm_DCC_Chat* offering = a.windows->ChatWindows()[0];
    Tfrm_DCC_Chat* accepting = b.windows->ChatWindows()[0];
    ASSERT_TRUE(Wait([&] { return offering->Logic().Connected() && accepting->Logic().Connected(); }));

    Type(offering, QStringLiteral("こんにちは、ボブさん"));
    ASSERT_TRUE(Wait([&] { return LastText(accepting) == QStringLiteral("<alice> こんにちは、ボブさん"); }))
        << LastText(accepting).toStdString();
    EXPECT_EQ(LastText(offering), QStringLiteral("<alice> こんにちは、ボブさん"));

    Type(accepting, QStringLiteral("はい、元気です"));
    ASSERT_TRUE(Wait([&] { return LastText(offering) == QStringLiteral("<bob> はい、元気です"); }))
        << LastText(offering).toStdString();
    EXPECT_EQ(LastText(accepting), QStringLiteral("<bob> はい、元気です"));
}

}  // namespace
}  // namespace velmok::dcc
