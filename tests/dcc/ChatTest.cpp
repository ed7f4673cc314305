// DCC CHAT against fake sockets: the offer, every connection event, lines in
// both directions and the input field.
#include "dcc/Chat.h"
#include "dcc/DccFixture.h"

namespace velmok::dcc {
namespace {

using session::BeepKind;
using session::FakeClientSocket;
using Lines = std::vector<std::string>;

const std::string kWaiting =
    "\x82\xa9\x82\xe7\x82\xcc\x90\xda\x91\xb1\x91\xd2\x82\xbf\x81\x45\x81\x45\x81\x45";
const std::string kConnecting = "\x82\xd6\x90\xda\x91\xb1\x92\x86\x81\x45\x81\x45\x81\x45";  // へ接続中・・・
const std::string kPeerConnected =
    "\x82\xa9\x82\xe7\x90\xda\x91\xb1\x82\xaa\x8a\xae\x97\xb9\x82\xb5\x82\xdc\x82\xb5\x82\xbd\x81\x42";
const std::string kWeConnected =
    "\x82\xd6\x90\xda\x91\xb1\x82\xaa\x8a\xae\x97\xb9\x82\xb5\x82\xdc\x82\xb5\x82\xbd\x81\x42";
const std::string kGone = "\x82\xa9\x82\xe7\x90\xd8\x92\x66\x82\xb3\x82\xea\x82\xdc\x82\xb5\x82\xbd\x81\x42";
const std::string kCannotConnect =
    "\x82\xd6\x90\xda\x91\xb1\x82\xf0\x8am\x97\xa7\x82\xc5\x82\xab\x82\xdc\x82\xb9\x82\xf1\x81\x42";
const std::string kSocketError =
    "\x83\x5c\x83P\x83\x62\x83g\x83G\x83\x89\x81[\x82\xaa\x94\xad\x90\xb6\x82\xb5"
    "\x82\xdc\x82\xb5\x82\xbd\x81\x42(";
const std::string kHelloSjis = "\x82\xb1\x82\xf1\x82\xc9\x82\xbf\x82\xcd";  // こんにちは
const std::string kHelloJis = "\x1b$B$3$s$K$A$O\x1b(B";

struct RecordingChatView : ChatView {
    std::string caption;
    std::vector<ui::StyledLine> lines;
    bool inputEnabled = false, shown = false, closeRequested = false;
    std::vector<BeepKind> beeps;
    std::vector<int> errors;

    void SetCaption(const std::string& c) override { caption = c; }
    void AppendLine(const ui::StyledLine& line) override { lines.push_back(line); }
    void EnableInput(bool enabled) override { inputEnabled = enabled; }
    void ShowWindow() override { shown = true; }
    void CloseWindow() override { closeRequested = true; }
    void Beep(BeepKind kind) override { beeps.push_back(kind); }
    void ShowError(int number) override { errors.push_back(number); }

    // Texts without the time stamp, which the fake clock holds at 12:34.
    Lines Texts() const {
        Lines out;
        for (const auto& l : lines) {
            EXPECT_EQ(l.text.substr(0, 6), "12:34 ");
            out.push_back(l.text.substr(6));
        }
        return out;
    }
    // The pieces of the last line set in an overlay font.
    Lines Marked(ui::Overlay overlay) const {
        Lines out;
        for (const ui::Run& r : lines.back().runs)
            if (r.style.overlay == overlay) out.push_back(lines.back().text.substr(r.begin, r.end - r.begin));
        return out;
    }
};

class ChatTest : public DccFixture {
protected:
    RecordingChatView view;
    Chat chat{engine, sockets, view};

    // Offers a chat to bob and lets him connect.
    FakeClientSocket* Offered() {
        chat.OfferChat("bob");
        return sockets.servers.back()->Accept();
    }
    void Receive(FakeClientSocket* peer, const std::string& bytes) {
        sockets.servers.back()->DeliverTo(peer, bytes);
    }
};

TEST_F(ChatTest, OfferingListensSendsTheOfferAndTakesOnePeerAtATime) {
    chat.OfferChat("bob");
    EXPECT_EQ(view.caption, "DCC CHAT to bob");
    EXPECT_TRUE(view.shown);
    EXPECT_EQ(irc->TakeSent(),
              "PRIVMSG bob :\x01"
              "DCC CHAT chat 3232235786 10000\x01\r\n");
    EXPECT_EQ(view.Texts(), Lines{"bob" + kWaiting});
    EXPECT_FALSE(view.inputEnabled);

    session::FakeServerSocket* listener = sockets.servers.back();
    FakeClientSocket* peer = listener->Accept();
    EXPECT_TRUE(chat.Connected());
    EXPECT_TRUE(view.inputEnabled);
    EXPECT_EQ(view.Texts().back(), "bob" + kPeerConnected);

    // A second peer is dropped without a word.
    FakeClientSocket* second = listener->Accept();
    EXPECT_TRUE(second->closed);
    listener->DeliverTo(second, "intruder\r\n");
    EXPECT_EQ(view.lines.size(), 2u);

    // Once the peer has gone, the next connection is the peer.
    listener->DisconnectClient(peer);
    EXPECT_EQ(view.Texts().back(), "bob" + kGone);
    EXPECT_FALSE(view.inputEnabled);
    FakeClientSocket* again = listener->Accept();
    EXPECT_FALSE(again->closed);
    EXPECT_TRUE(chat.Connected());

    EXPECT_EQ(again->FireError(10053), 0);
    EXPECT_EQ(view.Texts().back(), "bob" + kGone);
    listener->Accept()->FireError(10054);
    EXPECT_EQ(view.Texts().back(), kSocketError + "10054)");
    EXPECT_FALSE(chat.Connected());
    EXPECT_FALSE(view.closeRequested);
}

TEST_F(ChatTest, OfferingFailsClearlyWithoutAPortOrAServerConnection) {
    for (int p = 10000; p <= 10100; ++p) sockets.takenPorts.insert(p);
    chat.OfferChat("bob");
    EXPECT_EQ(view.errors, std::vector<int>{3});
    EXPECT_TRUE(view.closeRequested);

    sockets.takenPorts.clear();
    engine.ResetSession(0);
    RecordingChatView v;
    Chat offline(engine, sockets, v);
    offline.OfferChat("bob");
    EXPECT_EQ(v.errors, std::vector<int>{1});
    EXPECT_TRUE(v.closeRequested);
}

TEST_F(ChatTest, AcceptingConnectsAndReportsEveryOutgoingEvent) {
    chat.AcceptChat("bob", "127.0.0.1", 5000);
    EXPECT_EQ(view.caption, "DCC CHAT from bob");
    FakeClientSocket* socket = sockets.Last();
    EXPECT_EQ(socket->address, "127.0.0.1");
    EXPECT_EQ(socket->port, 5000);
    EXPECT_EQ(socket->openCount, 1);
    EXPECT_EQ(socket->FireError(10061), 0);
    EXPECT_EQ(view.Texts(), (Lines{"bob" + kConnecting, "bob" + kCannotConnect}));
    EXPECT_FALSE(view.inputEnabled);
    EXPECT_FALSE(view.closeRequested);

    for (const bool byError : {false, true}) {
        RecordingChatView v;
        Chat c(engine, sockets, v);
        c.AcceptChat("bob", "127.0.0.1", 5000);
        sockets.Last()->FireConnect();
        EXPECT_EQ(v.Texts().back(), "bob" + kWeConnected);
        EXPECT_TRUE(v.inputEnabled);
        if (byError) {
            EXPECT_EQ(sockets.Last()->FireError(10054), 0);
        } else {
            sockets.Last()->FireDisconnect();
        }
        EXPECT_EQ(v.Texts().back(), "bob" + kGone);
        EXPECT_FALSE(v.inputEnabled);
        EXPECT_FALSE(c.Connected());
    }
}

TEST_F(ChatTest, LinesTravelInIso2022JpAndWholeWhateverTheReads) {
    FakeClientSocket* peer = Offered();
    view.lines.clear();
    chat.SendChatLine(kHelloSjis);
    EXPECT_EQ(peer->TakeSent(), kHelloJis + "\r\n");
    EXPECT_EQ(view.Texts(), Lines{"<me> " + kHelloSjis});

    Receive(peer, "abc\r\ndef");
    EXPECT_EQ(view.Texts().back(), "<bob> abc");
    Receive(peer, "\r\n\r\n");
    EXPECT_EQ(view.Texts().back(), "<bob> def");
    const std::size_t shown = view.lines.size();
    Receive(peer, "\r\n\r\n");
    EXPECT_EQ(view.lines.size(), shown);

    // Split inside the escape sequence, then inside a character.
    Receive(peer, kHelloJis.substr(0, 2));
    Receive(peer, kHelloJis.substr(2, 5));
    EXPECT_EQ(view.lines.size(), shown);
    Receive(peer, kHelloJis.substr(7) + "\r\n");
    EXPECT_EQ(view.Texts().back(), "<bob> " + kHelloSjis);

    // What never got its line end is shown when the peer goes.
    Receive(peer, "bye");
    sockets.servers.back()->DisconnectClient(peer);
    const Lines texts = view.Texts();
    EXPECT_EQ(Lines(texts.end() - 2, texts.end()), (Lines{"<bob> bye", "bob" + kGone}));

    // The chat goes on after the server connection has gone: our lines keep our nick.
    FakeClientSocket* next = sockets.servers.back()->Accept();
    engine.ResetSession(0);
    chat.SendChatLine("still here");
    EXPECT_EQ(next->TakeSent(), "still here\r\n");
    EXPECT_EQ(view.Texts().back(), "<me> still here");
    // A chat with a user of a server that reads UTF-8 is in UTF-8.
    settings.Encodings.Set("127.0.0.2", "6667", config::WireEncoding::Utf8);
    Register(1, "me", "127.0.0.2");
    chat.SessionIndex = 1;
    chat.SendChatLine(kHelloSjis);
    EXPECT_EQ(next->TakeSent(), "\xe3\x81\x93\xe3\x82\x93\xe3\x81\xab\xe3\x81\xa1\xe3\x81\xaf\r\n");
}

TEST_F(ChatTest, TheInputFieldSendsPastedLinesAndRecallsTheLastTwenty) {
    FakeClientSocket* peer = Offered();
    const ui::InputChange change = chat.InputChanged("one\r\ntwo\r\nthr");
    EXPECT_EQ(peer->TakeSent(), "one\r\ntwo\r\n");
    EXPECT_TRUE(change.replace);
    EXPECT_EQ(change.remainder, "thr");
    EXPECT_TRUE(chat.InputChanged("\r\n").replace);
    EXPECT_EQ(chat.InputChanged("\r\n").remainder, "");
    EXPECT_FALSE(chat.InputEnter(""));
    EXPECT_EQ(peer->TakeSent(), "");

    for (int i = 3; i <= 21; ++i) EXPECT_TRUE(chat.InputEnter("line" + std::to_string(i)));
    EXPECT_EQ(chat.History().Lines().size(), 20u);
    EXPECT_EQ(chat.History().Lines().front(), "two");
    EXPECT_EQ(chat.InputUp(), "line21");
    for (int i = 0; i < 18; ++i) chat.InputUp();
    EXPECT_EQ(chat.InputUp(), "two");
    EXPECT_EQ(chat.InputUp(), std::nullopt);
    EXPECT_EQ(chat.InputDown(), "line3");
    for (int i = 0; i < 18; ++i) chat.InputDown();
    EXPECT_EQ(chat.InputDown(), "");
    EXPECT_EQ(chat.InputDown(), std::nullopt);
}

TEST_F(ChatTest, ReceivedLinesMarkUrlsAndKeywordsAndBeepPerKeyword) {
    settings.Keywords = {"abc"};
    settings.Beep = 48;
    FakeClientSocket* peer = Offered();

    Receive(peer, "abcabc\r\n");
    EXPECT_EQ(view.Marked(ui::Overlay::Keyword), Lines{"abc"});
    EXPECT_EQ(view.beeps, std::vector<BeepKind>{BeepKind::Warning});
    Receive(peer, "abc abc\r\n");
    EXPECT_EQ(view.Marked(ui::Overlay::Keyword), (Lines{"abc", "abc"}));
    EXPECT_EQ(view.beeps.size(), 3u);

    Receive(peer, "see HtTp://x.y/a?b=c now\r\n");
    EXPECT_EQ(view.Marked(ui::Overlay::URL), Lines{"HtTp://x.y/a?b=c"});
    // Control bytes are shown as they came, not taken as attributes.
    Receive(peer,
            "\x02"
            "bold\x02\r\n");
    EXPECT_EQ(view.Texts().back(),
              "<bob> \x02"
              "bold\x02");
    EXPECT_EQ(view.lines.back().runs.size(), 1u);

    // Our own lines, the status lines, and received ones with the setting off: no keywords.
    chat.SendChatLine("abc");
    EXPECT_TRUE(view.Marked(ui::Overlay::Keyword).empty());
    settings.KeywordDCC = false;
    Receive(peer, "abc\r\n");
    EXPECT_TRUE(view.Marked(ui::Overlay::Keyword).empty());
    EXPECT_EQ(view.beeps.size(), 3u);
    for (const auto& line : view.lines) {
        for (const auto& run : line.runs) {
            if (run.style.overlay == ui::Overlay::None) {
                EXPECT_EQ(run.style.base, session::FontKind::DCC);
            }
        }
    }
}

}  // namespace
}  // namespace velmok::dcc
