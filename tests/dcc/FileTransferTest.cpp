// DCC SEND in both directions against fake sockets: the offer, the
// stop-and-wait blocks and acknowledgements, and every way a transfer ends.
#include <sys/resource.h>

#include <csignal>
#include <deque>
#include <filesystem>

#include "config/Error.h"
#include "dcc/DccFixture.h"
#include "dcc/FileTransfer.h"

namespace velmok::dcc {
namespace {

using session::BeepKind;
using session::FakeClientSocket;

const std::string kWaiting = "\x90\xda\x91\xb1\x91\xd2\x82\xbf";  // 接続待ち
const std::string kConnecting = "\x90\xda\x91\xb1\x92\x86";       // 接続中
const std::string kSent = "\x91\x97\x90M\x8a\xae\x97\xb9";        // 送信完了
const std::string kReceived = "\x8e\xf3\x90M\x8a\xae\x97\xb9";    // 受信完了
const std::string kReceiverGone =
    "\x8e\xf3\x90M\x91\xa4\x82\xa9\x82\xe7\x90\xd8\x92\x66\x82\xb3\x82\xea\x82"
    "\xdc\x82\xb5\x82\xbd\x81\x42";  // 受信側から切断されました。
const std::string kSenderGone =
    "\x91\x97\x90M\x91\xa4\x82\xa9\x82\xe7\x90\xd8\x92\x66\x82\xb3\x82\xea\x82"
    "\xdc\x82\xb5\x82\xbd\x81\x42";  // 送信側から切断されました。
const std::string kConnectFailed =
    "\x90\xda\x91\xb1\x82\xc9\x8e\xb8\x94s\x82\xb5\x82\xdc\x82\xb5\x82\xbd\x81\x42";  // 接続に失敗しました。
const std::string kSocketError =
    "\x83\x5c\x83P\x83\x62\x83g\x83G\x83\x89\x81[\x82\xaa\x94\xad\x90\xb6\x82\xb5"
    "\x82\xdc\x82\xb5\x82\xbd\x81\x42(";                    // ソケットエラーが発生しました。(
const std::string kTestTxtSjis = "\x83\x65\x83X\x83g.txt";  // テスト.txt
const std::string kTestTxtJis = "\x1b$B%F%9%H\x1b(B.txt";

// The window as the transfer sees it: records what it is told and answers
// the file dialogs from a script.
struct RecordingView : TransferView {
    std::string caption, fileName, progressText, status;
    int range = -1, position = -1;
    bool finished = false, shown = false, closeRequested = false;
    std::vector<BeepKind> beeps;
    std::vector<int> errors;
    std::deque<std::optional<ChosenFile>> answers;  // for either dialog, in order
    std::vector<std::string> proposed;
    int dialogs = 0;

    void SetCaption(const std::string& c) override { caption = c; }
    void SetFileName(const std::string& p) override { fileName = p; }
    void SetRange(int maximum) override { range = maximum; }
    void SetProgress(int p, const std::string& text) override {
        position = p;
        progressText = text;
    }
    void SetStatus(const std::string& text) override { status = text; }
    void SetFinished(bool f) override { finished = f; }
    void ShowWindow() override { shown = true; }
    void CloseWindow() override { closeRequested = true; }
    void Beep(BeepKind kind) override { beeps.push_back(kind); }
    void ShowError(int number) override { errors.push_back(number); }
    std::optional<ChosenFile> ChooseFileToSend() override { return Answer(); }
    std::optional<ChosenFile> ChooseSaveFile(const std::string& name) override {
        proposed.push_back(name);
        return Answer();
    }
    std::optional<ChosenFile> Answer() {
        ++dialogs;
        if (answers.empty()) return std::nullopt;
        auto a = answers.front();
        answers.pop_front();
        return a;
    }
};

class FileTransferTest : public DccFixture {
protected:
    RecordingView view;
    FileTransfer transfer{engine, sockets, view};

    // Offers the file at name (shown to the peer as shownName) to bob.
    void Offer(const std::string& name, const std::string& shownName) {
        view.answers.push_back(ChosenFile{Path(name), shownName});
        transfer.OfferFile("bob");
    }
    // Accepts bob's offer of size bytes into the file saveAs.
    FakeClientSocket* Receive(std::uint32_t size, const std::string& saveAs = "in.bin") {
        view.answers.push_back(ChosenFile{Path(saveAs), saveAs});
        transfer.ReceiveFile("bob", "in.bin", "127.0.0.1", 5000, size);
        FakeClientSocket* socket = sockets.Last();
        socket->FireConnect();
        return socket;
    }
    session::FakeServerSocket* Listener() { return sockets.servers.back(); }
};

TEST_F(FileTransferTest, SendsInBlocksOfAtMost1024AndActsOnTheLatestCompleteAcknowledgement) {
    const std::string data = Pattern(3000);
    Put("out.bin", data);
    sockets.takenPorts = {10000, 10001, 10002};
    Offer("out.bin", kTestTxtSjis);
    EXPECT_EQ(view.caption, "DCC SEND to bob");
    EXPECT_EQ(view.fileName, Path("out.bin"));
    EXPECT_TRUE(view.shown);
    EXPECT_EQ(view.range, 1500);
    EXPECT_EQ(view.status, kWaiting);
    EXPECT_EQ(transfer.ListeningPort(), 10003);
    // At once on the slot's connection, not through the paced queues.
    EXPECT_EQ(irc->TakeSent(),
              "PRIVMSG bob :\x01"
              "DCC SEND " +
                  kTestTxtJis + " 3232235786 10003 3000\x01\r\n");
    EXPECT_TRUE(engine.Slot(0).SendQueueA.empty());

    FakeClientSocket* peer = Listener()->Accept();
    EXPECT_EQ(peer->TakeSent(), data.substr(0, 1024));
    Listener()->DeliverTo(peer, Ack(1024).substr(0, 3));  // a split acknowledgement
    EXPECT_EQ(peer->TakeSent(), "");
    Listener()->DeliverTo(peer, Ack(1024).substr(3));
    EXPECT_EQ(peer->TakeSent(), data.substr(1024, 1024));
    EXPECT_EQ(view.progressText, "1024/3000");
    EXPECT_EQ(view.position, 512);

    // A second peer during the transfer is dropped and changes nothing.
    FakeClientSocket* intruder = Listener()->Accept();
    EXPECT_TRUE(intruder->closed);
    EXPECT_EQ(intruder->TakeSent(), "");
    Listener()->DeliverTo(intruder, Ack(3000));
    EXPECT_EQ(transfer.State(), FileTransfer::Phase::Transferring);

    // A stale total and the current one in a single read: the latest counts.
    Listener()->DeliverTo(peer, Ack(1024) + Ack(2048));
    EXPECT_EQ(peer->TakeSent(), data.substr(2048));
    EXPECT_EQ(transfer.ByteCount(), 3000u);
    EXPECT_TRUE(view.beeps.empty());
    Listener()->DeliverTo(peer, Ack(3000));
    EXPECT_EQ(view.status, kSent);
    EXPECT_TRUE(view.finished);
    EXPECT_FALSE(transfer.FileOpen());
    EXPECT_EQ(view.beeps, std::vector<BeepKind>{BeepKind::Information});

    // The receiver leaving afterwards changes nothing.
    Listener()->DisconnectClient(peer);
    EXPECT_EQ(view.status, kSent);
    EXPECT_EQ(view.beeps.size(), 1u);
    EXPECT_TRUE(view.errors.empty());
}

TEST_F(FileTransferTest, ReceivesAcknowledgingEachReadAndStoresNoMoreThanTheAnnouncedSize) {
    // The offered name is proposed in Shift-JIS; a place that cannot be
    // written to brings the error and the dialog back.
    view.answers.push_back(ChosenFile{dir, "folder"});
    view.answers.push_back(ChosenFile{Path("in.bin"), "in.bin"});
    transfer.ReceiveFile("bob", kTestTxtJis, "127.0.0.1", 5000, 3000);
    EXPECT_EQ(view.proposed, (std::vector<std::string>{kTestTxtSjis, "folder"}));
    EXPECT_EQ(view.errors, std::vector<int>{28});
    EXPECT_EQ(view.caption, "DCC SEND from bob");
    EXPECT_EQ(view.fileName, Path("in.bin"));
    EXPECT_EQ(view.status, kConnecting);
    EXPECT_EQ(view.range, 1500);
    FakeClientSocket* socket = sockets.Last();
    EXPECT_EQ(socket->address, "127.0.0.1");
    EXPECT_EQ(socket->port, 5000);
    EXPECT_EQ(socket->openCount, 1);

    const std::string data = Pattern(3000);
    socket->FireConnect();
    socket->Deliver(data.substr(0, 1024));
    EXPECT_EQ(socket->TakeSent(), Ack(1024));
    EXPECT_EQ(view.progressText, "1024/3000");
    socket->Deliver(data.substr(1024, 1000));
    socket->Deliver(data.substr(2024, 24));
    EXPECT_EQ(socket->TakeSent(), Ack(2024) + Ack(2048));
    socket->Deliver(data.substr(2048) + "EXTRA");
    EXPECT_EQ(socket->TakeSent(), Ack(3000));
    EXPECT_EQ(view.status, kReceived);
    EXPECT_TRUE(view.finished);
    EXPECT_TRUE(socket->closed);
    EXPECT_EQ(view.beeps, std::vector<BeepKind>{BeepKind::Information});
    EXPECT_EQ(Get("in.bin"), data);

    // A finished download stays when the window closes.
    transfer.FormClose();
    EXPECT_EQ(Get("in.bin"), data);
}

TEST_F(FileTransferTest, SizesUpTo4GiBMinusOneCountWhole) {
    FakeClientSocket* socket = Receive(4294967295u);
    EXPECT_EQ(view.range, 2147483647);
    socket->Deliver("0123456789");
    EXPECT_EQ(view.progressText, "10/4294967295");
    EXPECT_EQ(socket->TakeSent(), Ack(10));
    EXPECT_EQ(transfer.State(), FileTransfer::Phase::Transferring);
}

TEST_F(FileTransferTest, AnEmptyFileCompletesOnBothSidesWithoutData) {
    Put("empty", "");
    Offer("empty", "empty");
    FakeClientSocket* peer = Listener()->Accept();
    EXPECT_EQ(view.status, kSent);
    EXPECT_EQ(peer->TakeSent(), "");

    RecordingView receiving;
    FileTransfer download(engine, sockets, receiving);
    receiving.answers.push_back(ChosenFile{Path("got"), "got"});
    download.ReceiveFile("bob", "empty", "127.0.0.1", 5000, 0);
    sockets.Last()->FireConnect();
    EXPECT_EQ(receiving.status, kReceived);
    EXPECT_EQ(sockets.Last()->TakeSent(), "");
    download.FormClose();
    EXPECT_TRUE(Exists("got"));
    EXPECT_EQ(Get("got"), "");
}

TEST_F(FileTransferTest, AnUnfinishedDownloadStaysUntilTheWindowClosesAndIsThenDeleted) {
    struct Ending {
        const char* what;
        std::function<void(FakeClientSocket*)> end;
        std::string status;
    };
    const std::vector<Ending> endings = {
        {"the sender closes cleanly", [](FakeClientSocket* s) { s->FireDisconnect(); }, kSenderGone},
        {"the connection breaks", [](FakeClientSocket* s) { EXPECT_EQ(s->FireError(10053), 0); },
         kSenderGone},
        {"the user cancels", [](FakeClientSocket*) {}, ""},
    };
    for (const Ending& e : endings) {
        SCOPED_TRACE(e.what);
        RecordingView v;
        FileTransfer download(engine, sockets, v);
        v.answers.push_back(ChosenFile{Path("part.bin"), "part.bin"});
        download.ReceiveFile("bob", "part.bin", "127.0.0.1", 5000, 3000);
        FakeClientSocket* socket = sockets.Last();
        socket->FireConnect();
        socket->Deliver(Pattern(1024));
        e.end(socket);
        if (!e.status.empty()) {
            EXPECT_EQ(v.status, e.status);
            EXPECT_FALSE(v.finished);
            EXPECT_EQ(v.beeps, std::vector<BeepKind>{BeepKind::Information});
            EXPECT_TRUE(download.FileOpen());
            EXPECT_TRUE(Exists("part.bin"));
        }
        download.FormClose();
        EXPECT_FALSE(Exists("part.bin"));
    }

    // A failure before any data says the connection failed.
    RecordingView v;
    FileTransfer download(engine, sockets, v);
    v.answers.push_back(ChosenFile{Path("never.bin"), "never.bin"});
    download.ReceiveFile("bob", "never.bin", "127.0.0.1", 5000, 10);
    EXPECT_EQ(sockets.Last()->FireError(10061), 0);
    EXPECT_EQ(v.status, kConnectFailed);
    download.FormClose();
    EXPECT_FALSE(Exists("never.bin"));
}

// Lets no file of this process grow past limit bytes, as a full disk would.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t limit) : oldSignal_(std::signal(SIGXFSZ, SIG_IGN)) {
        ::getrlimit(RLIMIT_FSIZE, &old_);
        rlimit lower = old_;
        lower.rlim_cur = limit;
        ::setrlimit(RLIMIT_FSIZE, &lower);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldSignal_);
    }

private:
    rlimit old_{};
    void (*oldSignal_)(int);
};

TEST_F(FileTransferTest, AFullDiskEndsTheDownloadWithTheWriteErrorAndNoMoreAcknowledgements) {
    const std::string data = Pattern(1 << 20);
    std::string acks;
    {
        FileSizeLimit full(100 * 1024);
        FakeClientSocket* socket = Receive(static_cast<std::uint32_t>(data.size()));
        for (std::size_t at = 0; at < data.size() && !socket->closed; at += 1024) {
            socket->Deliver(data.substr(at, 1024));
            acks += socket->TakeSent();
        }
        EXPECT_TRUE(socket->closed);
    }
    EXPECT_EQ(transfer.State(), FileTransfer::Phase::Broken);
    EXPECT_EQ(view.status, config::ErrorText(29));
    EXPECT_FALSE(view.finished);
    EXPECT_LT(acks.size(), data.size() / 1024 * 4);
    transfer.FormClose();
    EXPECT_FALSE(Exists("in.bin"));
}

TEST_F(FileTransferTest, ASenderWaitsOnASilentPeerAndReportsHowTheConnectionEnded) {
    const std::string data = Pattern(3000);
    Put("out.bin", data);
    Offer("out.bin", "out.bin");
    FakeClientSocket* peer = Listener()->Accept();
    EXPECT_EQ(peer->TakeSent().size(), 1024u);
    for (int i = 0; i < 50; ++i) transfer.Poll();
    Listener()->DeliverTo(peer, Ack(0));
    EXPECT_EQ(peer->TakeSent(), "");
    EXPECT_EQ(transfer.State(), FileTransfer::Phase::Transferring);
    EXPECT_FALSE(view.closeRequested);

    EXPECT_EQ(peer->FireError(10060), 0);
    EXPECT_EQ(view.status, kSocketError + "10060)");
    EXPECT_FALSE(transfer.FileOpen());
    EXPECT_EQ(view.beeps, std::vector<BeepKind>{BeepKind::Information});

    // An aborted connection and a close before the end both say the receiver went.
    for (const bool reset : {true, false}) {
        RecordingView v;
        FileTransfer again(engine, sockets, v);
        v.answers.push_back(ChosenFile{Path("out.bin"), "out.bin"});
        again.OfferFile("bob");
        session::FakeServerSocket* listener = sockets.servers.back();
        FakeClientSocket* p = listener->Accept();
        if (reset) {
            EXPECT_EQ(p->FireError(10053), 0);
        } else {
            listener->DisconnectClient(p);
        }
        EXPECT_EQ(v.status, kReceiverGone);
        EXPECT_FALSE(v.finished);
        EXPECT_FALSE(again.FileOpen());
    }
}

TEST_F(FileTransferTest, OffersNothingItCannotSend) {
    // Cancelled: the window closes without a word.
    transfer.OfferFile("bob");
    EXPECT_TRUE(view.closeRequested);
    EXPECT_TRUE(view.errors.empty());
    EXPECT_FALSE(view.shown);

    struct Case {
        const char* what;
        std::string path;
        int error;
    };
    // 4 GiB does not fit the protocol's count; a sparse file takes no disk space.
    std::filesystem::path huge = Path("huge.iso");
    std::ofstream(huge).close();
    std::filesystem::resize_file(huge, 4294967296ull);
    const std::vector<Case> cases = {
        {"4 GiB", huge.string(), 30}, {"a folder", dir, 30}, {"a missing file", Path("gone"), 30}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RecordingView v;
        FileTransfer t(engine, sockets, v);
        v.answers.push_back(ChosenFile{c.path, "x"});
        t.OfferFile("bob");
        EXPECT_EQ(v.errors, std::vector<int>{c.error});
        EXPECT_TRUE(v.closeRequested);
        EXPECT_FALSE(v.shown);
    }
    EXPECT_EQ(irc->TakeSent(), "");

    // Every port taken.
    Put("small", "x");
    for (int p = 10000; p <= 10100; ++p) sockets.takenPorts.insert(p);
    RecordingView v;
    FileTransfer t(engine, sockets, v);
    v.answers.push_back(ChosenFile{Path("small"), "small"});
    t.OfferFile("bob");
    EXPECT_EQ(v.errors, std::vector<int>{3});
    EXPECT_TRUE(v.closeRequested);
    EXPECT_EQ(irc->TakeSent(), "");
}

TEST_F(FileTransferTest, WithAUtf8ServersUserTheFileNameTravelsInUtf8) {
    settings.Encodings.Set("127.0.0.2", "6667", config::WireEncoding::Utf8);
    FakeClientSocket* utf8Irc = Register(1, "me", "127.0.0.2");
    Put("out.bin", "abc");
    transfer.SessionIndex = 1;
    Offer("out.bin", kTestTxtSjis);
    EXPECT_EQ(utf8Irc->TakeSent(),
              "PRIVMSG bob :\x01"
              "DCC SEND \xe3\x83\x86\xe3\x82\xb9\xe3\x83\x88.txt 2130706433 10000 3\x01\r\n");
}

}  // namespace
}  // namespace velmok::dcc
