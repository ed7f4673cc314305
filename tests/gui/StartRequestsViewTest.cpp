// What the window does with links and --connect numbers from outside: the
// editor for a first profile, and errors a user sees even without a terminal.
#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QTimer>

#include "config/QtConnectEditor.h"
#include "gui/MainWindowFixture.h"
#include "platform/QtDesktop.h"
#include "ui/QtStartRequests.h"

namespace velmok::ui {
namespace {

class StartRequestsViewTest : public MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        sockets.resolvable = {"irc.example.net"};
    }
    void StartWith(QtStartRequests*& requests) {
        Start();
        view = std::make_unique<QtStartRequests>(*form);
        view->report = [this](const std::string& line) { reported.push_back(line); };
        requests = view.get();
    }
    std::unique_ptr<QtStartRequests> view;
    std::vector<std::string> reported;
};

TEST_F(StartRequestsViewTest, WithoutAProfileTheEditorOpensFilledInAndTheLinkConnectsAfterOk) {
    QtStartRequests* requests = nullptr;
    StartWith(requests);
    QString host, port, channel;
    QTimer::singleShot(0, [&] {
        auto* editor = qobject_cast<config::Tfrm_Connection*>(QApplication::activeModalWidget());
        ASSERT_NE(editor, nullptr);
        host = editor->Edit_Host->text();
        port = editor->Edit_Port->text();
        channel = editor->Edit_Channel->text();
        editor->Edit_Nick->setText(QStringLiteral("velmo"));
        editor->Edit_User->setText(QStringLiteral("vu"));
        editor->Edit_RealName->setText(QStringLiteral("Real"));
        editor->Btn_ConnectionoList_AddClick();
        editor->Btn_OKClick();
    });
    requests->OpenLink("irc://irc.example.net:6670/%E3%83%86%E3%82%B9%E3%83%88,k");
    EXPECT_EQ(host, QStringLiteral("irc.example.net"));
    EXPECT_EQ(port, QStringLiteral("6670"));
    EXPECT_EQ(channel, QStringLiteral("#テスト"));
    EXPECT_TRUE(ReadFile(QStringLiteral("Connections")).startsWith("irc.example.net\r\n6670\r\n"));
    ASSERT_NE(sockets.Last(), nullptr) << "the link connects once the profile exists";
    EXPECT_EQ(sockets.Last()->host, "irc.example.net");
    EXPECT_EQ(sockets.Last()->port, 6670);
    EXPECT_EQ(Engine().Session(0).Nick, "velmo");
    EXPECT_EQ(Engine().Session(0).AutoJoin, "1 #\x83\x65\x83\x58\x83\x67 k ");
    EXPECT_TRUE(dialogs.errors.empty());
}

TEST_F(StartRequestsViewTest, LinksThatCannotBeUsedAreShownAndReported) {
    WriteFile(QStringLiteral("Connections"), "h\r\n6667\r\n\r\nvelmo\r\n\r\nvu\r\nReal\r\n\r\n");
    QtStartRequests* requests = nullptr;
    StartWith(requests);
    requests->OpenLink("irc://irc.example.net:99999/#c");
    EXPECT_EQ(dialogs.errors, (std::vector<int>{16}));
    ASSERT_EQ(reported.size(), 1u);
    EXPECT_EQ(reported[0].rfind("irc://irc.example.net:99999/#c: ", 0), 0u);
    EXPECT_EQ(sockets.Last(), nullptr);

    // ircs:// connects with TLS, on 6697 unless the link names a port.
    requests->OpenLink("ircs://irc.example.net/#c0");
    ASSERT_NE(sockets.Last(), nullptr);
    EXPECT_TRUE(sockets.Last()->tls);
    EXPECT_EQ(sockets.Last()->port, 6697);

    for (int i = 1; i < 3; ++i) requests->OpenLink("irc://irc.example.net/#c" + std::to_string(i));
    EXPECT_FALSE(sockets.Last()->tls);
    requests->OpenLink("irc://irc.example.net/#more");
    EXPECT_EQ(dialogs.errors.back(), kNoFreeSlot);
    EXPECT_EQ(Engine().Session(2).AutoJoin, "1 #c2  ");
}

TEST_F(StartRequestsViewTest, ConnectNumbersReportInReadableText) {
    WriteFile(QStringLiteral("Connections"), "h\r\n6667\r\n\r\n-bad\r\n\r\nvu\r\nReal\r\n\r\n");
    QtStartRequests* requests = nullptr;
    StartWith(requests);
    requests->ConnectNumbers({1, 2});
    ASSERT_EQ(reported.size(), 2u);
    EXPECT_EQ(reported[0],
              "profile 1 was dropped when the settings were read: field Nick fails its check: "
              "Nickの先頭に数字または-は使用できません。");
    EXPECT_EQ(reported[1], "profile 2: no such profile; Connections holds 1");
}

// The window icon is built into the program at every installed size.
TEST(ApplicationIcon, EveryShippedSizeIsThereAndDrawn) {
    const QIcon icon = platform::ApplicationIcon();
    ASSERT_FALSE(icon.isNull());
    for (int size : platform::kIconSizes) {
        const QImage image = icon.pixmap(QSize(size, size)).toImage();
        EXPECT_EQ(image.size(), QSize(size, size)) << size;
        // Opaque in the middle, transparent in the rounded corner.
        EXPECT_EQ(qAlpha(image.pixel(size / 2, size / 2)), 255) << size;
        EXPECT_LT(qAlpha(image.pixel(0, 0)), 128) << size;
    }
}

}  // namespace
}  // namespace velmok::ui
