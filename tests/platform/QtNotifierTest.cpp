// Desktop notifications against a notification service of our own on a
// private bus (dbus-daemon), spoken to as the desktop's would be.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QTemporaryDir>
#include <fstream>

#include "platform/QtNotifier.h"
#include "support/ChildProcess.h"
#include "support/QtWait.h"

namespace velmok::platform {
namespace {

const QString kPath = QStringLiteral("/org/freedesktop/Notifications");

// The service's side: records each Notify as "replaces|title|body|first action".
class FakeNotifications : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    QStringList shown;

public slots:
    QStringList GetCapabilities() { return {QStringLiteral("body-markup"), QStringLiteral("actions")}; }
    uint Notify(const QString&, uint replaces, const QString&, const QString& title, const QString& body,
                const QStringList& actions, const QVariantMap&, int) {
        shown << QStringLiteral("%1|%2|%3|%4").arg(replaces).arg(title, body, actions.value(0));
        return replaces != 0 ? replaces : static_cast<uint>(40 + shown.size());
    }
};

TEST(QtNotifierTest, NotifiesReplacesPerConversationAndReportsTheClick) {
    if (::access("/usr/bin/dbus-daemon", X_OK) != 0) GTEST_SKIP() << "dbus-daemon is not installed";
    QTemporaryDir dir;
    const std::string config = dir.filePath(QStringLiteral("bus.conf")).toStdString();
    const std::string address = dir.filePath(QStringLiteral("address")).toStdString();
    // The test's folder may hold blanks, which a bus address cannot.
    std::ofstream(config)
        << "<busconfig><type>session</type><listen>unix:tmpdir=/tmp</listen><policy "
           "context=\"default\"><allow send_destination=\"*\"/><allow receive_sender=\"*\"/>"
           "<allow own=\"*\"/></policy></busconfig>";
    test::ChildProcess daemon;
    daemon.Start({"/usr/bin/dbus-daemon", "--nofork", "--print-address", "--config-file=" + config}, {},
                 address);
    ASSERT_TRUE(test::ChildProcess::WaitForText(address, "\n", 10000));
    const std::string text = test::ChildProcess::ReadFile(address);
    const QString bus = QString::fromStdString(text.substr(0, text.find('\n')));
    FakeNotifications fake;
    std::vector<int> clicked;
    {
        QDBusConnection service = QDBusConnection::connectToBus(bus, QStringLiteral("service"));
        QDBusConnection client = QDBusConnection::connectToBus(bus, QStringLiteral("client"));
        ASSERT_TRUE(service.registerObject(kPath, &fake, QDBusConnection::ExportAllSlots));
        ASSERT_TRUE(service.registerService(QStringLiteral("org.freedesktop.Notifications")));
        QtNotifier notifier(client);
        notifier.onClicked = [&](int key) { clicked.push_back(key); };
        auto emitSignal = [&](const char* name, uint id, const QVariant& second) {
            QDBusMessage m = QDBusMessage::createSignal(
                kPath, QStringLiteral("org.freedesktop.Notifications"), QString::fromLatin1(name));
            service.send(m << id << second);
            test::SpinFor(150);
        };
        auto show = [&](int key, const char* body) {
            notifier.Show(key, QStringLiteral("#a (srv)"), QString::fromUtf8(body));
            const qsizetype before = fake.shown.size();
            EXPECT_TRUE(test::WaitUntil([&] { return fake.shown.size() > before; }, 5000));
            test::SpinFor(100);  // the id comes back
        };
        show(3, "<bob> velmo & 日本語");  // at once: it waits for the capabilities
        show(3, "again");
        show(4, "hi");
        emitSignal("ActionInvoked", 43, QStringLiteral("default"));
        emitSignal("ActionInvoked", 41, QStringLiteral("other"));
        emitSignal("NotificationClosed", 41, QVariant::fromValue(2u));
        show(3, "third");
        // Nobody serving notifications, or no bus at all: nothing fails or waits.
        service.unregisterService(QStringLiteral("org.freedesktop.Notifications"));
        notifier.Show(5, QStringLiteral("t"), QStringLiteral("b"));
        QtNotifier(QDBusConnection(QStringLiteral("no-such-bus")))
            .Show(1, QStringLiteral("t"), QStringLiteral("b"));
        test::SpinFor(200);
    }
    QDBusConnection::disconnectFromBus(QStringLiteral("service"));
    QDBusConnection::disconnectFromBus(QStringLiteral("client"));
    // The service reads markup: "<nick>" is escaped. A conversation's bubble
    // is updated, not stacked, until it is closed.
    EXPECT_EQ(fake.shown, (QStringList{QStringLiteral("0|#a (srv)|&lt;bob&gt; velmo &amp; 日本語|default"),
                                       QStringLiteral("41|#a (srv)|again|default"),
                                       QStringLiteral("0|#a (srv)|hi|default"),
                                       QStringLiteral("0|#a (srv)|third|default")}));
    EXPECT_EQ(clicked, std::vector<int>{4});
}

}  // namespace
}  // namespace velmok::platform

#include "QtNotifierTest.moc"
