#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "MainWindowFixture.h"
#include "inputbox/PromptBoxes.h"
#include "inputbox/QtInputBox.h"

namespace velmok::inputbox {

namespace {

using ui::MainWindowFixture;

class InputBox : public MainWindowFixture {
protected:
    // Runs a modal action; `drive` gets the dialog while it is open. A dialog
    // the script leaves open is cancelled so the test never hangs.
    void WithModalBox(const std::function<void()>& action, const std::function<void(Tfrm_InputBox*)>& drive) {
        bool driven = false;
        QTimer::singleShot(0, [&] {
            QPointer<Tfrm_InputBox> box = form->findChild<Tfrm_InputBox*>();
            if (!box) return;
            driven = true;
            drive(box);
            if (box && box->isVisible()) {
                box->state.RefuseNextClose = false;
                box->reject();
            }
        });
        action();
        EXPECT_TRUE(driven);
    }
};

}  // namespace

TEST_F(InputBox, WrongKeyReplyOpensAModelessKeyPrompt) {
    Start();
    session::FakeClientSocket* s = Register(0);
    Engine().Slot(0).SendQueueA.clear();
    s->Deliver(":srv 475 me #c :Cannot join channel (+k)\r\n");

    QPointer<Tfrm_InputBox> box = form->findChild<Tfrm_InputBox*>();
    ASSERT_TRUE(box);
    EXPECT_TRUE(box->isVisible());
    EXPECT_FALSE(box->isModal());
    EXPECT_EQ(box->windowTitle(), QStringLiteral("JOIN #c"));
    EXPECT_EQ(box->state.Kind, 5);
    EXPECT_EQ(box->state.AuxText, "#c");
    EXPECT_EQ(box->Lbl_InputBox1->text(), QStringLiteral("Key："));
    EXPECT_FALSE(box->Edit_InputBox1->isHidden());
    EXPECT_TRUE(box->Cmb_InputBox->isHidden());

    // An empty key is refused with message 12 and the prompt stays.
    box->BitBtn_OK->click();
    EXPECT_EQ(dialogs.errors, std::vector<int>{12});
    ASSERT_TRUE(box);
    EXPECT_TRUE(box->isVisible());
    EXPECT_TRUE(Engine().Slot(0).SendQueueA.empty());

    // A key the wire cannot carry whole is refused, naming the characters;
    // the input method's wave dash is the JIS one.
    box->Edit_InputBox1->setText(QStringLiteral("p€w"));
    box->BitBtn_OK->click();
    EXPECT_EQ(dialogs.messages,
              std::vector<QString>{QStringLiteral("送信できない文字が含まれています：U+20AC")});
    EXPECT_TRUE(Engine().Slot(0).SendQueueA.empty());
    box->Edit_InputBox1->setText(QStringLiteral("p〜w"));
    box->BitBtn_OK->click();
    EXPECT_EQ(Engine().Slot(0).SendQueueA, "JOIN #c :p\x1b$B!A\x1b(Bw\r\n2:");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(box);  // closed and gone
}

TEST_F(InputBox, CancelAfterARefusedOkClosesThePrompt) {
    Start();
    session::FakeClientSocket* s = Register(0);
    s->Deliver(":srv 475 me #c :Cannot join channel (+k)\r\n");
    QPointer<Tfrm_InputBox> box = form->findChild<Tfrm_InputBox*>();
    ASSERT_TRUE(box);
    box->BitBtn_OK->click();
    ASSERT_EQ(dialogs.errors.size(), 1u);
    box->BitBtn_Cancel->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(box && box->isVisible());
}

TEST_F(InputBox, ServerPromptsAreOnePerChannelAndFewInAllAndCloseWithTheWindow) {
    Start();
    session::FakeClientSocket* s = Register(0);
    auto boxes = [&] {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return form->findChildren<Tfrm_InputBox*>();
    };
    // A repeated prompt for the same channel (any letter case) brings the
    // open box forward and updates it.
    for (const char* channel : {"#c", "#C", "#c"})
        s->Deliver(std::string(":srv 475 me ") + channel + " :key\r\n");
    ASSERT_EQ(boxes().size(), 1);
    s->Deliver(":bob!u@h INVITE me :#c\r\n");
    ASSERT_EQ(boxes().size(), 1);
    EXPECT_EQ(boxes()[0]->windowTitle(), QStringLiteral("INVITE From bob"));
    EXPECT_EQ(boxes()[0]->state.Kind, 1);

    // A flood of prompts for other channels opens only a few boxes.
    for (int i = 0; i < 50; ++i) s->Deliver(":srv 475 me #d" + std::to_string(i) + " :key\r\n");
    EXPECT_EQ(static_cast<std::size_t>(boxes().size()), PromptBoxes::MaxOpen);
    // Past that, an invitation is only a line; an answered box makes room.
    s->Deliver(":eve!u@h INVITE me :#z\r\n");
    EXPECT_EQ(static_cast<std::size_t>(boxes().size()), PromptBoxes::MaxOpen);
    boxes()[0]->BitBtn_Cancel->click();
    EXPECT_EQ(static_cast<std::size_t>(boxes().size()), PromptBoxes::MaxOpen - 1);
    s->Deliver(":eve!u@h INVITE me :#z\r\n");
    EXPECT_EQ(static_cast<std::size_t>(boxes().size()), PromptBoxes::MaxOpen);

    // Closing the main window takes every box with it, a refused one too.
    boxes()[0]->BitBtn_OK->click();  // empty key: refused, the box stays
    s->FireDisconnect();
    form->close();
    EXPECT_TRUE(boxes().isEmpty());
}

TEST_F(InputBox, JoinRefusesABlankThenQueuesTheCorrectedChannel) {
    Start();
    Register(0);
    Engine().Slot(0).SendQueueA.clear();
    bool stayedOpen = false;
    bool closed = false;
    WithModalBox([&] { form->ActionNamed(QStringLiteral("CommandJoin"))->trigger(); },
                 [&](Tfrm_InputBox* box) {
                     EXPECT_EQ(box->windowTitle(), QStringLiteral("JOIN"));
                     EXPECT_EQ(box->state.Kind, 1);
                     EXPECT_FALSE(box->Cmb_InputBox->isHidden());
                     EXPECT_FALSE(box->Edit_InputBox2->isHidden());
                     box->Cmb_InputBox->setEditText(QStringLiteral("#a b"));
                     box->BitBtn_OK->click();
                     stayedOpen = box->isVisible();
                     box->Cmb_InputBox->setEditText(QStringLiteral("#ab"));
                     box->Edit_InputBox2->setText(QStringLiteral("k"));
                     box->BitBtn_OK->click();
                     closed = !box->isVisible();
                 });
    EXPECT_EQ(dialogs.errors, std::vector<int>{24});
    EXPECT_TRUE(stayedOpen);
    EXPECT_TRUE(closed);
    EXPECT_EQ(Engine().Slot(0).SendQueueA, "JOIN #ab k\r\n2:");
}

TEST_F(InputBox, ChoosingAJoinEntryFillsItsKeyFromTheAutoJoinLine) {
    Start();
    Engine().Session(0).AutoJoin = "0 #x kx 0 #y ky ";
    Register(0);
    Engine().Slot(0).SendQueueA.clear();
    QString key;
    int entries = 0;
    WithModalBox([&] { form->CommandJoinClick(); },
                 [&](Tfrm_InputBox* box) {
                     entries = box->Cmb_InputBox->count();
                     box->Cmb_InputBox->setCurrentIndex(1);
                     key = box->Edit_InputBox2->text();
                     box->BitBtn_OK->click();
                 });
    EXPECT_EQ(entries, 2);
    EXPECT_EQ(key, QStringLiteral("ky"));
    EXPECT_EQ(Engine().Slot(0).SendQueueA, "JOIN #y ky\r\n2:");
}

TEST_F(InputBox, AJoinKeyGoesOnlyToTheChannelItWasGivenFor) {
    Start();
    Engine().Session(0).AutoJoin = "1 #one k1 1 #two k2 ";
    Register(0);
    Engine().Slot(0).SendQueueA.clear();
    QString keyOnEntry;
    WithModalBox([&] { form->CommandJoinClick(); },
                 [&](Tfrm_InputBox* box) {
                     // The box completes "#t" to "#two"; the "x" typed next leaves no entry.
                     QApplication::setActiveWindow(box);
                     box->Cmb_InputBox->setFocus();
                     QTest::keyClicks(box->Cmb_InputBox->lineEdit(), QStringLiteral("#t"));
                     keyOnEntry = box->Edit_InputBox2->text();
                     QTest::keyClicks(box->Cmb_InputBox->lineEdit(), QStringLiteral("x"));
                     box->BitBtn_OK->click();
                 });
    EXPECT_EQ(keyOnEntry, QStringLiteral("k2"));
    EXPECT_EQ(Engine().Slot(0).SendQueueA, "JOIN #tx \r\n2:");
}

}  // namespace velmok::inputbox
