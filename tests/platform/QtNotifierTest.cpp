// Desktop notifications against a notification service of our own on a
// private bus (dbus-daemon), spoken to as the desktop's would be.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariantMap>
#include <fstream>

#include "platform/QtNotifier.h"
#include "support/ChildProcess.h"
#include "support/QtWait.h"

namespace velmok::platform {
namespace {

// The service's side: records each Notify and answers as a desktop would.
class FakeNotifications : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    struct Shown {
        uint replaces;
        QString title, body;
        QStringList actions;
    };
    std::vector<Shown> shown;
    int capabilityCalls = 0;

public slots:
    QStringList GetCapabilities() {
        ++capabilityCalls;
        return {QStringLiteral("body"), QStringLiteral("body-markup"), QStringLiteral("actions")};
    }
    uint Notify(const QString&, uint replaces, const QString&, const QString& title, const QString& body,
                const QStringList& actions, const QVariantMap&, int) {
        shown.push_back({replaces, title, body, actions});
        return replaces != 0 ? replaces : static_cast<uint>(40 + shown.size());
    }
};

class QtNotifierTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (::access("/usr/bin/dbus-daemon", X_OK) != 0) GTEST_SKIP() << "dbus-daemon is not installed";
        ASSERT_TRUE(dir.isValid());
        const std::string config = dir.filePath(QStringLiteral("bus.conf")).toStdString();
        // The folder of the test may hold blanks, which a bus address cannot.
        std::ofstream(config) << "<busconfig><type>session</type><listen>unix:tmpdir=/tmp</listen><policy "
                                 "context=\"default\"><allow send_destination=\"*\"/>"
                                 "<allow receive_sender=\"*\"/><allow own=\"*\"/></policy></busconfig>";
        const std::string address = dir.filePath(QStringLiteral("address")).toStdString();
        daemon.Start({"/usr/bin/dbus-daemon", "--nofork", "--print-address", "--config-file=" + config}, {},
                     address, dir.filePath(QStringLiteral("errors")).toStdString());
        ASSERT_TRUE(test::ChildProcess::WaitForText(address, "\n", 10000))
            << test::ChildProcess::ReadFile(dir.filePath(QStringLiteral("errors")).toStdString());
        std::string text = test::ChildProcess::ReadFile(address);
        text.erase(text.find('\n'));
        const QString bus = QString::fromStdString(text);
        service = std::make_unique<QDBusConnection>(
            QDBusConnection::connectToBus(bus, QStringLiteral("fake-service")));
        ASSERT_TRUE(service->isConnected());
        ASSERT_TRUE(service->registerObject(QStringLiteral("/org/freedesktop/Notifications"), &fake,
                                            QDBusConnection::ExportAllSlots));
        ASSERT_TRUE(service->registerService(QStringLiteral("org.freedesktop.Notifications")));
        client =
            std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(bus, QStringLiteral("client")));
        ASSERT_TRUE(client->isConnected());
    }
    void TearDown() override {
        // Every handle first: a connection closed while one still refers to it
        // is dropped unclosed, which libdbus takes for a fault.
        service.reset();
        client.reset();
        QDBusConnection::disconnectFromBus(QStringLiteral("fake-service"));
        QDBusConnection::disconnectFromBus(QStringLiteral("client"));
    }
    void Emit(const char* signal, uint id, const QVariant& second) {
        QDBusMessage m = QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/Notifications"),
                                                    QStringLiteral("org.freedesktop.Notifications"),
                                                    QString::fromLatin1(signal));
        m << id << second;
        service->send(m);
    }

    QTemporaryDir dir;
    test::ChildProcess daemon;
    FakeNotifications fake;
    std::unique_ptr<QDBusConnection> service, client;
};

TEST_F(QtNotifierTest, NotifiesReplacesPerConversationAndReportsTheClick) {
    QtNotifier notifier(*client);
    ASSERT_TRUE(test::WaitUntil([&] { return fake.capabilityCalls == 1; }, 5000));
    test::SpinFor(100);
    std::vector<int> clicked;
    notifier.onClicked = [&](int key) { clicked.push_back(key); };

    notifier.Show(3, QStringLiteral("#a (srv)"), QStringLiteral("<bob> velmo & 日本語"));
    ASSERT_TRUE(test::WaitUntil([&] { return fake.shown.size() == 1; }, 5000));
    EXPECT_EQ(fake.shown[0].replaces, 0u);
    EXPECT_EQ(fake.shown[0].title, QStringLiteral("#a (srv)"));
    EXPECT_EQ(fake.shown[0].body, QStringLiteral("&lt;bob&gt; velmo &amp; 日本語"))
        << "the service reads markup";
    EXPECT_EQ(fake.shown[0].actions.value(0), QStringLiteral("default"));
    test::SpinFor(100);  // the id comes back

    notifier.Show(3, QStringLiteral("#a (srv)"), QStringLiteral("again"));
    notifier.Show(4, QStringLiteral("bob (srv)"), QStringLiteral("hi"));
    ASSERT_TRUE(test::WaitUntil([&] { return fake.shown.size() == 3; }, 5000));
    EXPECT_EQ(fake.shown[1].replaces, 41u) << "the conversation's bubble is updated, not stacked";
    EXPECT_EQ(fake.shown[2].replaces, 0u);
    test::SpinFor(100);

    Emit("ActionInvoked", 43, QStringLiteral("default"));
    Emit("ActionInvoked", 41, QStringLiteral("other"));
    ASSERT_TRUE(test::WaitUntil([&] { return !clicked.empty(); }, 5000));
    test::SpinFor(100);
    EXPECT_EQ(clicked, std::vector<int>{4});

    // Once closed, the next line of that conversation gets a new bubble.
    Emit("NotificationClosed", 41, QVariant::fromValue(2u));
    test::SpinFor(200);
    notifier.Show(3, QStringLiteral("#a (srv)"), QStringLiteral("third"));
    ASSERT_TRUE(test::WaitUntil([&] { return fake.shown.size() == 4; }, 5000));
    EXPECT_EQ(fake.shown[3].replaces, 0u);
}

TEST_F(QtNotifierTest, NobodyServingNotificationsOrNoBusAtAllIsNoFault) {
    service.reset();
    QDBusConnection::disconnectFromBus(QStringLiteral("fake-service"));
    QtNotifier notifier(*client);
    notifier.Show(1, QStringLiteral("t"), QStringLiteral("b"));
    test::SpinFor(200);
    QtNotifier none(QDBusConnection(QStringLiteral("no-such-bus")));
    EXPECT_FALSE(none.Connected());
    none.Show(1, QStringLiteral("t"), QStringLiteral("b"));
    EXPECT_TRUE(fake.shown.empty());
}

}  // namespace
}  // namespace velmok::platform

#include "QtNotifierTest.moc"
