#include <gtest/gtest.h>
#include <sys/socket.h>

#include <QTcpServer>
#include <QTcpSocket>
#include <algorithm>
#include <string>
#include <vector>

#include "platform/QtDirectSocket.h"
#include "platform/QtSockets.h"
#include "support/NgircdServer.h"
#include "support/QtWait.h"

namespace velmok::platform {
namespace {

using test::SpinFor;
using test::WaitUntil;

TEST(MapSocketErrorTest, GivesTheNumbersTheLogicTellsApart) {
    EXPECT_EQ(MapSocketError(QAbstractSocket::AddressInUseError, false), 10048);
    EXPECT_EQ(MapSocketError(QAbstractSocket::ConnectionRefusedError, false), 10061);
    EXPECT_EQ(MapSocketError(QAbstractSocket::SocketTimeoutError, false), 10060);
    EXPECT_EQ(MapSocketError(QAbstractSocket::HostNotFoundError, false), 11001);
    EXPECT_EQ(MapSocketError(QAbstractSocket::NetworkError, true), 10053);
    EXPECT_EQ(MapSocketError(QAbstractSocket::NetworkError, false), 10065);
    EXPECT_EQ(MapSocketError(QAbstractSocket::UnknownSocketError, true), 10054);
}

TEST(MapSocketErrorTest, APeersCloseIsNoErrorOnceConnected) {
    EXPECT_EQ(MapSocketError(QAbstractSocket::RemoteHostClosedError, true), 0);
    // Closed before the connection came up: that attempt failed.
    EXPECT_EQ(MapSocketError(QAbstractSocket::RemoteHostClosedError, false), 10053);
    // A reset is the connection aborted, whenever it comes.
    EXPECT_EQ(MapSocketError(QAbstractSocket::RemoteHostClosedError, true, true), 10053);
}

// Records every event of one client socket in order.
struct Recorder {
    std::vector<std::string> events;
    std::string bytes;
    std::vector<int> errors;

    void Watch(session::ClientSocket& socket, bool readOnEvent = true) {
        socket.onConnect = [this] { events.push_back("connect"); };
        socket.onRead = [this, &socket, readOnEvent] {
            events.push_back("read");
            if (readOnEvent) bytes += socket.ReceiveText();
        };
        socket.onDisconnect = [this] { events.push_back("disconnect"); };
        socket.onError = [this](int& code) {
            events.push_back("error");
            errors.push_back(code);
            code = 0;
        };
    }
};

// A listening QtServerSocket on an ephemeral port whose first accepted
// connection is kept, plus what arrived on it.
struct Listener {
    QtServerSocket server;
    session::ClientSocket* peer = nullptr;
    std::string bytes;
    int connects = 0;
    int disconnects = 0;

    int Open() {
        server.SetPort(0);
        server.onClientConnect = [this](session::ClientSocket& c) {
            ++connects;
            peer = &c;
        };
        server.onClientRead = [this](session::ClientSocket& c) { bytes += c.ReceiveText(); };
        server.onClientDisconnect = [this](session::ClientSocket&) {
            ++disconnects;
            peer = nullptr;
        };
        EXPECT_EQ(server.Open(), 0);
        return server.ListeningPort();
    }
};

template <typename Socket = QtClientSocket>
std::unique_ptr<Socket> Client(int port) {
    auto client = std::make_unique<Socket>();
    client->SetAddress("127.0.0.1");
    client->SetPort(port);
    return client;
}

// Both kinds of outgoing connection keep the same promises.
template <typename Socket>
class ClientSocketTest : public ::testing::Test {};
using ClientKinds = ::testing::Types<QtClientSocket, QtDirectSocket>;
TYPED_TEST_SUITE(ClientSocketTest, ClientKinds);

TYPED_TEST(ClientSocketTest, ConnectReadDisconnectArriveInOrder) {
    Listener listener;
    const int port = listener.Open();
    auto client = Client<TypeParam>(port);
    Recorder rec;
    rec.Watch(*client);
    client->Open();
    EXPECT_TRUE(rec.events.empty()) << "Open must not raise events itself";

    ASSERT_TRUE(WaitUntil([&] { return listener.peer && !rec.events.empty(); }, 5000));
    EXPECT_EQ(rec.events, std::vector<std::string>{"connect"});
    EXPECT_EQ(listener.server.ActiveConnections(), 1);
    EXPECT_EQ(client->LocalAddress(), "127.0.0.1");
    EXPECT_EQ(client->RemoteAddress(), "127.0.0.1");
    EXPECT_FALSE(client->LocalHost().empty());

    listener.peer->SendText("PING :irc.test\r\n");
    listener.peer->Close();  // orderly close right after the last line
    ASSERT_TRUE(WaitUntil([&] { return rec.events.size() >= 3; }, 5000));
    SpinFor(50);
    EXPECT_EQ(rec.events, (std::vector<std::string>{"connect", "read", "disconnect"}));
    EXPECT_EQ(rec.bytes, "PING :irc.test\r\n");
    EXPECT_TRUE(rec.errors.empty());
    // Closing an accepted connection drops it from the listener's list.
    EXPECT_EQ(listener.server.ActiveConnections(), 0);
}

// Resets the connection instead of closing it: the kernel sends RST.
void ResetConnection(QTcpSocket* socket) {
    const linger hard{1, 0};
    ASSERT_EQ(
        ::setsockopt(static_cast<int>(socket->socketDescriptor()), SOL_SOCKET, SO_LINGER, &hard, sizeof hard),
        0);
    socket->abort();
}

TYPED_TEST(ClientSocketTest, APeersResetIsConnectionAbortedOnBothKindsOfConnection) {
    // Our outgoing connection, reset by the peer.
    QTcpServer raw;
    ASSERT_TRUE(raw.listen(QHostAddress::LocalHost, 0));
    auto client = Client<TypeParam>(raw.serverPort());
    Recorder rec;
    rec.Watch(*client);
    client->Open();
    ASSERT_TRUE(WaitUntil([&] { return raw.hasPendingConnections() && !rec.events.empty(); }, 5000));
    QTcpSocket* peer = raw.nextPendingConnection();
    peer->write("data");
    peer->flush();
    ASSERT_TRUE(WaitUntil([&] { return rec.bytes == "data"; }, 5000));
    ResetConnection(peer);
    ASSERT_TRUE(WaitUntil([&] { return !rec.errors.empty(); }, 5000));
    SpinFor(50);
    EXPECT_EQ(rec.events, (std::vector<std::string>{"connect", "read", "error"}));
    EXPECT_EQ(rec.errors, std::vector<int>{10053});

    // A connection accepted by our listening socket, reset by the peer.
    Listener listener;
    std::vector<int> clientErrors;
    listener.server.onClientError = [&](session::ClientSocket&, int& code) {
        clientErrors.push_back(code);
        code = 0;
    };
    QTcpSocket incoming;
    incoming.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(listener.Open()));
    ASSERT_TRUE(WaitUntil([&] { return listener.peer != nullptr; }, 5000));
    ResetConnection(&incoming);
    ASSERT_TRUE(WaitUntil([&] { return !clientErrors.empty(); }, 5000));
    SpinFor(50);
    EXPECT_EQ(clientErrors, std::vector<int>{10053});
    EXPECT_EQ(listener.disconnects, 0);
    EXPECT_EQ(listener.server.ActiveConnections(), 0);
}

TYPED_TEST(ClientSocketTest, PartialAndSeveralLinesPerReadArriveIntact) {
    Listener listener;
    auto client = Client<TypeParam>(listener.Open());
    Recorder rec;
    rec.Watch(*client);
    client->Open();
    ASSERT_TRUE(WaitUntil([&] { return listener.peer != nullptr; }, 5000));

    std::string sent;
    const std::vector<std::string> pieces = {":a PRIVMSG #c :one\r\n:a PRIVMSG #c :tw", "o\r\n",
                                             ":a PRIVMSG #c :\x1b$B$\"\x1b(B\r\n",
                                             std::string("\0\xff\r", 3)};
    for (const auto& piece : pieces) {
        listener.peer->SendText(piece);
        sent += piece;
        SpinFor(20);
    }
    // Far more than the client holds unread: the rest waits in TCP and comes
    // on the following read events, in order.
    std::string big(6 << 20, 'x');
    listener.peer->SendText(big);
    sent += big;
    ASSERT_TRUE(WaitUntil([&] { return rec.bytes.size() >= sent.size(); }, 20000));
    EXPECT_TRUE(rec.bytes == sent);
    EXPECT_GT(std::count(rec.events.begin(), rec.events.end(), "read"), pieces.size() + 1);

    // And the other way round, into the listener's connection.
    client->SendText("NICK a\r\nUSER");
    client->SendBuf(" u 0 * :r\r\n", 11);
    ASSERT_TRUE(WaitUntil([&] { return listener.bytes.size() >= 22; }, 5000));
    EXPECT_EQ(listener.bytes, "NICK a\r\nUSER u 0 * :r\r\n");
}

TEST(QtSocketsTest, ImmediateModeKeepsEveryByteInOrderWhenTheSystemTakesOnlyPart) {
    QtServerSocket server(SocketMode::Immediate);
    session::ClientSocket* peer = nullptr;
    std::string atServer;
    server.onClientConnect = [&](session::ClientSocket& c) { peer = &c; };
    server.onClientRead = [&](session::ClientSocket& c) { atServer += c.ReceiveText(); };
    server.SetPort(0);
    ASSERT_EQ(server.Open(), 0);
    // The factory's outgoing connections are the direct kind.
    auto client = QtSocketFactory(SocketMode::Immediate).CreateClient();
    client->SetAddress("127.0.0.1");
    client->SetPort(server.ListeningPort());
    Recorder rec;
    rec.Watch(*client);
    client->Open();
    ASSERT_TRUE(WaitUntil([&] { return peer && !rec.events.empty(); }, 5000));

    // Far more than the system buffers hold, in pieces sent without a pause:
    // some go straight out, the rest queue behind them.
    std::string sent;
    for (int i = 0; i < 200; ++i) {
        std::string piece(131072 + i, static_cast<char>('a' + i % 26));
        piece[0] = static_cast<char>(i);
        client->SendText(piece);
        peer->SendBuf(piece.data(), static_cast<int>(piece.size()));
        sent += piece;
    }
    ASSERT_TRUE(
        WaitUntil([&] { return atServer.size() >= sent.size() && rec.bytes.size() >= sent.size(); }, 10000));
    EXPECT_TRUE(atServer == sent);
    EXPECT_TRUE(rec.bytes == sent);
}

TYPED_TEST(ClientSocketTest, BytesLeftUnreadAtThePeersCloseCanStillBeTaken) {
    Listener listener;
    auto client = Client<TypeParam>(listener.Open());
    Recorder rec;
    rec.Watch(*client, /*readOnEvent=*/false);
    client->Open();
    ASSERT_TRUE(WaitUntil([&] { return listener.peer != nullptr; }, 5000));
    listener.peer->SendText("last words\r\n");
    listener.peer->Close();
    ASSERT_TRUE(WaitUntil([&] { return !rec.events.empty() && rec.events.back() == "disconnect"; }, 5000));
    EXPECT_EQ(client->ReceiveText(), "last words\r\n");
}

TYPED_TEST(ClientSocketTest, AnOwnerThatReadsLateGetsEveryByteAndIsNotToldOverAndOver) {
    Listener listener;
    auto client = Client<TypeParam>(listener.Open());
    Recorder rec;
    rec.Watch(*client, /*readOnEvent=*/false);
    client->Open();
    ASSERT_TRUE(WaitUntil([&] { return listener.peer && !rec.events.empty(); }, 5000));
    std::string sent(3 << 20, '\0');
    for (std::size_t i = 0; i < sent.size(); ++i) sent[i] = static_cast<char>(i * 7 + i / 4093);
    listener.peer->SendText(sent);
    SpinFor(300);
    // What waits unread is announced as it comes, then TCP holds the peer back.
    EXPECT_LT(std::count(rec.events.begin(), rec.events.end(), "read"), 200);
    std::string got;
    ASSERT_TRUE(WaitUntil(
        [&] {
            got += client->ReceiveText();
            return got.size() >= sent.size();
        },
        10000));
    EXPECT_TRUE(got == sent);
}

TYPED_TEST(ClientSocketTest, ReceiveBufTakesAtMostNAndSaysWhenNothingWaits) {
    Listener listener;
    auto client = Client<TypeParam>(listener.Open());
    bool connected = false;
    int reads = 0;
    client->onConnect = [&] { connected = true; };
    client->onRead = [&] { ++reads; };
    client->Open();
    ASSERT_TRUE(WaitUntil([&] { return connected && listener.peer; }, 5000));

    char buffer[16];
    EXPECT_EQ(client->ReceiveBuf(buffer, sizeof buffer), -1);
    listener.peer->SendText("0123456789");
    ASSERT_TRUE(WaitUntil([&] { return reads > 0; }, 5000));
    ASSERT_EQ(client->ReceiveBuf(buffer, 4), 4);
    EXPECT_EQ(std::string(buffer, 4), "0123");
    ASSERT_EQ(client->ReceiveBuf(buffer, sizeof buffer), 6);
    EXPECT_EQ(std::string(buffer, 6), "456789");
    EXPECT_EQ(client->ReceiveBuf(buffer, sizeof buffer), -1);
    EXPECT_EQ(client->ReceiveText(), "");
}

TYPED_TEST(ClientSocketTest, ClosedPortGivesConnectionRefused) {
    auto client = Client<TypeParam>(test::NgircdServer::FreePort());
    Recorder rec;
    rec.Watch(*client);
    client->Open();
    ASSERT_TRUE(WaitUntil([&] { return !rec.events.empty(); }, 5000));
    SpinFor(50);
    EXPECT_EQ(rec.events, std::vector<std::string>{"error"});
    EXPECT_EQ(rec.errors, std::vector<int>{10061});
}

TYPED_TEST(ClientSocketTest, HostNameIsResolvedAndConnects) {
    Listener listener;
    const int port = listener.Open();
    TypeParam client;
    client.SetHost("localhost");
    client.SetPort(port);
    Recorder rec;
    rec.Watch(client);
    client.Open();
    ASSERT_TRUE(WaitUntil([&] { return !rec.events.empty(); }, 5000));
    EXPECT_EQ(rec.events, std::vector<std::string>{"connect"});
    // Loopback has a name in every hosts file; any name is fine, never the address.
    EXPECT_NE(client.RemoteHost(), "127.0.0.1");
}

TYPED_TEST(ClientSocketTest, CloseRaisesNoEventOnEitherSide) {
    Listener listener;
    auto client = Client<TypeParam>(listener.Open());
    Recorder rec;
    rec.Watch(*client);
    client->Open();
    ASSERT_TRUE(WaitUntil([&] { return listener.peer && !rec.events.empty(); }, 5000));

    client->SendText("QUIT\r\n");
    client->Close();
    // The line queued before Close still reaches the peer, then it sees the close.
    ASSERT_TRUE(WaitUntil([&] { return listener.disconnects == 1; }, 5000));
    EXPECT_EQ(listener.bytes, "QUIT\r\n");
    EXPECT_EQ(rec.events, std::vector<std::string>{"connect"});
    EXPECT_FALSE(client->IsConnected());

    // Closing while the connect is still under way is silent too.
    auto second = Client<TypeParam>(listener.server.ListeningPort());
    Recorder rec2;
    rec2.Watch(*second);
    second->Open();
    second->Close();
    SpinFor(200);
    EXPECT_TRUE(rec2.events.empty());
}

TYPED_TEST(ClientSocketTest, WhatTheSystemHadNotTakenAtCloseStillReachesThePeer) {
    Listener listener;
    auto client = Client<TypeParam>(listener.Open());
    Recorder rec;
    rec.Watch(*client);
    client->Open();
    ASSERT_TRUE(WaitUntil([&] { return listener.peer && !rec.events.empty(); }, 5000));
    // The peer cannot read before the loop runs: most of this waits with us.
    std::string sent(24 << 20, '\0');
    for (std::size_t i = 0; i < sent.size(); ++i) sent[i] = static_cast<char>(i % 251);
    client->SendText(sent);
    client->Close();
    ASSERT_TRUE(WaitUntil([&] { return listener.disconnects == 1; }, 10000));
    EXPECT_TRUE(listener.bytes == sent) << listener.bytes.size();
}

TYPED_TEST(ClientSocketTest, DeletingTheSocketInsideItsOwnEventIsSafe) {
    Listener listener;
    auto client = Client<TypeParam>(listener.Open());
    bool deleted = false;
    client->onConnect = [&] {
        client.reset();
        deleted = true;
    };
    client.get()->Open();
    ASSERT_TRUE(WaitUntil([&] { return deleted; }, 5000));
    ASSERT_TRUE(WaitUntil([&] { return listener.disconnects == 1; }, 5000));
}

TEST(QtServerSocketTest, TakenPortGivesAddressInUse) {
    QtServerSocket first;
    first.SetPort(0);
    ASSERT_EQ(first.Open(), 0);
    QtServerSocket second;
    second.SetPort(first.ListeningPort());
    EXPECT_EQ(second.Open(), 10048);
    EXPECT_EQ(second.ListeningPort(), 0);
}

TEST(QtServerSocketTest, ListenEventComesFromTheLoopAndCloseEndsEveryConnection) {
    QtServerSocket server;
    int listens = 0;
    server.onListen = [&] { ++listens; };
    server.SetPort(0);
    ASSERT_EQ(server.Open(), 0);
    EXPECT_EQ(listens, 0);
    ASSERT_TRUE(WaitUntil([&] { return listens == 1; }, 2000));
    const int port = server.ListeningPort();

    std::vector<std::unique_ptr<QtClientSocket>> clients;
    std::vector<Recorder> recs(2);
    for (auto& rec : recs) {
        clients.push_back(Client(port));
        rec.Watch(*clients.back());
        clients.back()->Open();
    }
    ASSERT_TRUE(WaitUntil([&] { return server.ActiveConnections() == 2; }, 5000));
    ASSERT_NE(server.Connection(0), nullptr);
    EXPECT_EQ(server.Connection(2), nullptr);
    EXPECT_EQ(server.Connection(-1), nullptr);

    server.Close();
    EXPECT_EQ(server.ActiveConnections(), 0);
    ASSERT_TRUE(WaitUntil(
        [&] {
            return !recs[0].events.empty() && recs[0].events.back() == "disconnect" &&
                   recs[1].events.back() == "disconnect";
        },
        5000));
    // Nobody listens any more.
    auto late = Client(port);
    Recorder lateRec;
    lateRec.Watch(*late);
    late->Open();
    ASSERT_TRUE(WaitUntil([&] { return !lateRec.events.empty(); }, 5000));
    EXPECT_EQ(lateRec.errors, std::vector<int>{10061});
}

TEST(QtServerSocketTest, ANewPeerAfterTheFirstLeftBecomesConnectionZero) {
    Listener listener;
    const int port = listener.Open();
    auto first = Client(port);
    first->Open();
    ASSERT_TRUE(WaitUntil([&] { return listener.peer != nullptr; }, 5000));
    first->Close();
    ASSERT_TRUE(WaitUntil([&] { return listener.disconnects == 1; }, 5000));
    EXPECT_EQ(listener.server.ActiveConnections(), 0);

    auto second = Client(port);
    second->Open();
    second->onConnect = [&] { second->SendText("second"); };
    ASSERT_TRUE(WaitUntil([&] { return listener.bytes == "second"; }, 5000));
    ASSERT_EQ(listener.server.ActiveConnections(), 1);
    EXPECT_EQ(listener.server.Connection(0), listener.peer);
}

TEST(QtSocketFactoryTest, LooksUpNamesAndTakesDottedAddressesAsTheyAre) {
    QtSocketFactory factory;
    EXPECT_TRUE(factory.LookupHost("127.0.0.1"));
    EXPECT_TRUE(factory.LookupHost("localhost"));
    EXPECT_FALSE(factory.LookupHost(""));
    EXPECT_NE(dynamic_cast<QtClientSocket*>(factory.CreateClient().get()), nullptr);
    EXPECT_NE(dynamic_cast<QtServerSocket*>(factory.CreateServer().get()), nullptr);
}

}  // namespace
}  // namespace velmok::platform
