// Connection, registration and paced sending of the three server slots.
#include "session/Engine.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "base/Texts.h"
#include "config/Profiles.h"
#include "session/Codec.h"
#include "session/Transport.h"

namespace velmok::session {

namespace {

const char* const CrLf = "\r\n";
const char* const DroppedLine =
    "\x92\xb7\x82\xb7\x82\xac\x82\xe9\x8ds\x82\xf0\x8e\xcc\x82\xc4\x82\xdc\x82\xb5\x82\xbd (";  // 長すぎる行を捨てました
                                                                                                // (
const char* const Bytes = " \x83o\x83\x43\x83g)";                        //  バイト)
const char* const BytesOrMore = " \x83o\x83\x43\x83g\x88\xc8\x8f\xe3)";  //  バイト以上)

// Longest delay a queue entry may ask for; keeps the interval arithmetic sane
// when a queue string has been damaged.
constexpr int MaxQueueDelay = 3600;

std::string* QueueOf(SlotState& s, Queue queue) {
    switch (queue) {
        case Queue::A:
            return &s.SendQueueA;
        case Queue::B:
            return &s.SendQueueB;
        case Queue::C:
            return &s.SendQueueC;
    }
    return &s.SendQueueA;
}

// Takes the first entry off a queue string: the line with its CR LF, and the
// delay that follows it. A damaged entry (no LF, no number) still leaves the
// queue shorter, so the timer can never spin on it.
void TakeEntry(std::string& queue, std::string& line, int& delay) {
    std::size_t lf = queue.find('\n');
    if (lf == std::string::npos) {
        line = queue + CrLf;
        queue.clear();
        delay = 1;
        return;
    }
    line = queue.substr(0, lf + 1);
    queue.erase(0, lf + 1);
    std::size_t colon = queue.find(':');
    std::string number = queue.substr(0, colon);
    queue.erase(0, colon == std::string::npos ? queue.size() : colon + 1);
    bool valid = !number.empty() && number.size() <= 9 &&
                 std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; });
    delay = valid ? std::min(std::stoi(number), MaxQueueDelay) : 1;
}

}  // namespace

bool IsNumericAddress(const std::string& text) {
    int parts = 0;
    std::size_t pos = 0;
    while (true) {
        std::size_t dot = text.find('.', pos);
        std::string part = text.substr(pos, dot == std::string::npos ? std::string::npos : dot - pos);
        if (part.empty() || part.size() > 3) return false;
        for (char c : part)
            if (c < '0' || c > '9') return false;
        if (std::stoi(part) > 255) return false;
        ++parts;
        if (dot == std::string::npos) break;
        pos = dot + 1;
    }
    return parts == 4;
}

Engine::Engine(Frontend& frontend, Clock& clock, SocketFactory& sockets, config::Settings& settings)
    : frontend_(frontend), clock_(clock), sockets_(sockets), settings_(settings) {}

Engine::~Engine() = default;

// ---- slot lookup and socket events ------------------------------------------

int Engine::SlotOf(const ClientSocket* socket) const {
    for (int i = 0; i < SlotCount; ++i)
        if (slots_[i].Session.InUse && slots_[i].Socket.get() == socket) return i;
    return -1;
}

// Events of a socket that no longer belongs to a slot in use (a late event of
// a connection already reset) are dropped: they must not touch another slot.
void Engine::BindSocket(int slot) {
    ClientSocket* socket = slots_[slot].Socket.get();
    socket->onConnect = [this, socket] {
        int s = SlotOf(socket);
        if (s >= 0) ClientSocketConnect(s);
    };
    socket->onRead = [this, socket] {
        int s = SlotOf(socket);
        if (s >= 0) ClientSocketRead(s);
    };
    socket->onDisconnect = [this, socket] {
        int s = SlotOf(socket);
        if (s >= 0) ClientSocketDisconnect(s);
    };
    socket->onError = [this, socket](int& code) {
        int s = SlotOf(socket);
        if (s >= 0) ClientSocketError(s, code);
    };
    socket->onCertificate = [this, socket](const CertificateReport& report) {
        int s = SlotOf(socket);
        return s >= 0 && CheckCertificate(s, report);
    };
}

// A socket may be retired from inside its own event handler, and a nested
// event loop (the DCC question) may run timers while a dispatch is under way;
// so retired sockets are only destroyed when no dispatch is on the stack.
static bool NoDispatchRunning(const std::array<SlotState, SlotCount>& slots) {
    return std::none_of(slots.begin(), slots.end(), [](const SlotState& s) { return s.Dispatching; });
}

bool Engine::ConnectSession(int slot) {
    if (NoDispatchRunning(slots_)) retired_.clear();
    SlotState& s = slots_[slot];
    // A connection the user asks for replaces the automatic ones of the slot.
    if (s.Reconnect.Active) {
        s.Reconnect = ReconnectState{};
        UpdateReconnectTimer();
        // The windows kept for it belong to the connection given up.
        RemoveWindows(slot);
    }
    s.Profile = s.Session;
    return OpenConnection(slot, false);
}

// Also called from inside socket events (a certificate accepted, an attempt
// started in a nested event loop), so it never frees retired sockets.
bool Engine::OpenConnection(int slot, bool quiet) {
    SlotState& s = slots_[slot];
    s.QuitSent = false;
    s.CertificateRefused = false;
    if (s.Socket) {
        s.Socket->Close();
        retired_.push_back(std::move(s.Socket));
    }
    s.Socket = sockets_.CreateClient();
    BindSocket(slot);

    const std::string& name = s.Session.ServerName;
    if (IsNumericAddress(name)) {
        s.Socket->SetHost("");
        s.Socket->SetAddress(name);
    } else {
        s.Socket->SetHost(name);
        s.Socket->SetAddress("");
        if (!sockets_.LookupHost(name)) {
            if (!quiet) frontend_.ShowError(4);
            frontend_.EnableAction(Action::FileConnect, true);
            s.Socket.reset();  // never opened, no event can be pending
            return false;
        }
    }
    s.Socket->SetPort(s.Session.Port);
    s.Socket->SetTls(s.Session.Tls);
    // A login by certificate needs it in the handshake already.
    s.Caps = CapabilityState{};
    s.Encoding = settings_.Encodings.Find(s.Profile.ServerName, s.Profile.Port, s.Profile.Tls);
    const config::SaslChoice sasl = settings_.Sasl.Find(s.Profile.ServerName, s.Profile.Port, s.Profile.Tls);
    if (settings_.Capabilities && sasl.Mechanism == SaslMechanism::External && !sasl.Certificate.empty() &&
        !s.Socket->SetClientCertificate(sasl.Certificate))
        s.Caps.CertificateProblem = texts::SaslCertificateUnreadable;
    s.Socket->Open();
    s.Session.InUse = true;
    return true;
}

void Engine::ClientSocketConnect(int slot) {
    SlotState& s = slots_[slot];
    s.SendQueueA.clear();
    s.SendQueueB.clear();
    s.SendQueueC.clear();
    s.ReceiveBuffer.clear();
    s.DroppingLine = false;
    s.JoinsAsked.clear();
    ++s.Resets;
    s.SavedNick.clear();

    s.Support = ServerSupport{};
    s.AwayNicks.clear();
    s.WhoAsked.clear();

    std::string remote = s.Socket->RemoteHost();
    if (!remote.empty()) s.Session.ServerName = remote;

    // CAP LS first; PASS, NICK and USER follow at once, so a server that does
    // not know CAP registers us as it always has.
    StartNegotiation(slot);
    // A PLAIN login carries the password; it is not sent as PASS as well.
    if (!s.Session.Password.empty() && s.Caps.Sasl != SaslMechanism::Plain)
        SendNow(slot, "PASS " + ToWire(slot, s.Session.Password) + CrLf);
    SendNow(slot, "NICK " + s.Session.Nick + CrLf);
    SendNow(slot, "USER " + s.Session.UserName + " 0 * :" + ToWire(slot, s.Session.RealName) + CrLf);

    frontend_.ServerConnected(slot, s.Session.ServerName, !s.Reconnect.Active);

    LocalAddress = s.Socket->LocalAddress();
    LocalHost = s.Socket->LocalHost();

    std::tm now = clock_.LocalTime();
    char stamp[16];
    std::snprintf(stamp, sizeof stamp, "%02d%02d", now.tm_min % 100, now.tm_sec % 100);
    PingStamp = stamp;

    frontend_.EnableInput(true);
    // The input line is open from here on; what the user types during the
    // registration goes out paced like everything else.
    frontend_.SetSendTimer(true);
}

void Engine::ClientSocketRead(int slot) {
    SlotState& s = slots_[slot];
    if (!s.Socket) return;
    LastReceiveTick = clock_.Tick();
    std::string bytes = s.Socket->ReceiveText();
    if (s.DroppingLine) {
        // The rest of a line already dropped for its length.
        const std::size_t lf = bytes.find('\n');
        if (lf == std::string::npos) return;
        bytes.erase(0, lf + 1);
        s.DroppingLine = false;
    }
    s.ReceiveBuffer += bytes;
    // A peer that never ends its line must not make the buffer grow for ever.
    if (TrimPendingLine(s.ReceiveBuffer)) {
        s.DroppingLine = true;
        NoticeDroppedLine(slot, MaxPendingLine + 1, true);
    }
    DispatchReceived(slot);
}

void Engine::NoticeDroppedLine(int slot, std::size_t size, bool unfinished) {
    frontend_.RenderLine(slot, ServerWindow, FontKind::Error,
                         DroppedLine + std::to_string(size) + (unfinished ? BytesOrMore : Bytes), false);
}

void Engine::ClientSocketDisconnect(int slot) { ConnectionEnded(slot, 0); }

void Engine::ClientSocketError(int slot, int& code) {
    const int reported = code;
    code = 0;
    ConnectionEnded(slot, reported);
}

// ---- text for the wire ----------------------------------------------------------

config::WireEncoding Engine::Encoding(int slot) const {
    return slot >= 0 && slot < SlotCount ? slots_[slot].Encoding : config::WireEncoding::Iso2022Jp;
}

std::string Engine::ToWire(int slot, const std::string& sjis) const {
    return SjisToWire(sjis, Encoding(slot));
}

std::string Engine::AsSent(int slot, const std::string& sjis) const {
    return Encoding(slot) == config::WireEncoding::Utf8 ? sjis : WidenKana(sjis);
}

// ---- sending ----------------------------------------------------------------

// A QUIT of ours, whoever asked for it (the disconnect action, closing the
// window, a typed /quit, a trigger), means the end that follows was wanted.
static bool IsQuitLine(const std::string& text) {
    if (text.size() < 4) return false;
    for (int i = 0; i < 4; ++i)
        if ((text[i] & ~0x20) != "QUIT"[i]) return false;
    return text.size() == 4 || text[4] == ' ' || text[4] == '\r' || text[4] == '\n';
}

// Every call sends one line. Bytes from peers end up in some of them (the
// token of a PING, nicks and channel names in queued commands); a CR, LF or
// NUL among them would end the line early at the server and let the rest pass
// as a command of its own. Only the closing CR LF stays.
void Engine::SendNow(int slot, const std::string& text) {
    SlotState& s = slots_[slot];
    if (!s.Socket) return;
    if (IsQuitLine(text)) s.QuitSent = true;
    NoteJoinSent(slot, text);
    const bool closed = text.size() >= 2 && text.compare(text.size() - 2, 2, CrLf) == 0;
    std::string line;
    line.reserve(text.size());
    for (std::size_t i = 0; i < text.size() - (closed ? 2 : 0); ++i)
        if (text[i] != '\r' && text[i] != '\n' && text[i] != '\0') line += text[i];
    if (closed) line += CrLf;
    s.Socket->SendText(line);
}

void Engine::EnqueueLine(Queue queue, int slot, const std::string& line, int delaySeconds) {
    *QueueOf(slots_[slot], queue) += line + CrLf + std::to_string(delaySeconds) + ":";
}

int Engine::DrainSendQueues() {
    if (NoDispatchRunning(slots_)) retired_.clear();
    CheckNegotiationTimeouts();
    int nextInterval = 1000;
    for (int slot = 0; slot < SlotCount; ++slot) {
        SlotState& s = slots_[slot];
        std::string* queue = !s.SendQueueA.empty()   ? &s.SendQueueA
                             : !s.SendQueueB.empty() ? &s.SendQueueB
                             : !s.SendQueueC.empty() ? &s.SendQueueC
                                                     : nullptr;
        if (!queue) continue;
        std::string line;
        int delay = 0;
        TakeEntry(*queue, line, delay);
        if (delay == 0) {
            // A CTCP PING request: the payload carries the moment it leaves.
            line.erase(line.size() >= 2 ? line.size() - 2 : 0);
            line +=
                PingStamp + std::to_string(static_cast<std::int32_t>(clock_.Tick())) + PingStamp + "\x01\r\n";
            delay = 2;
        }
        nextInterval = std::max(nextInterval, delay * 1000);
        SendNow(slot, line);
    }
    return nextInterval;
}

// ---- reset, quit, close ---------------------------------------------------------

void Engine::ResetSession(int slot, bool keepWindows) {
    SlotState& s = slots_[slot];
    ServerSession& session = s.Session;
    session.ServerName.clear();
    session.Password.clear();
    session.Nick.clear();
    session.UserName.clear();
    session.RealName.clear();
    session.Port = 0;
    session.Tls = false;
    session.Away = false;
    s.NickRetryCounter = 0;

    frontend_.EnableAction(Action::FileConnect, true);
    for (Action a :
         {Action::NickWhois, Action::NickPriv, Action::NickMode, Action::NickKick, Action::NickCtcp})
        frontend_.EnableAction(a, false);
    frontend_.EnableAction(Action::FileDisConnect, false);
    frontend_.EnableAction(Action::CommandAway, false);

    s.SendQueueA.clear();
    s.SendQueueB.clear();
    s.SendQueueC.clear();
    // What is left unread belongs to the dead connection; a dispatch still
    // running further up the stack must not go on with it.
    s.ReceiveBuffer.clear();
    s.DroppingLine = false;
    s.JoinsAsked.clear();
    s.Caps = CapabilityState{};
    s.WhoAsked.clear();
    ++s.Resets;
    s.Registered = false;
    session.InUse = false;
    if (s.Socket) {
        s.Socket->Close();
        retired_.push_back(std::move(s.Socket));
    }

    DropCollectedReplies(slot);

    if (keepWindows) {
        for (int w = 0; w < WindowCount; ++w) {
            ChannelRecord& record = s.Channels[w];
            if (record.IsFree()) continue;
            // Who is in the channel is known again from the NAMES of the rejoin.
            record.Members.clear();
            record.NamesPending = false;
            record.OwnOp = false;
            if (record.Disconnected) continue;
            record.Disconnected = true;
            frontend_.MembersChanged(slot, w);
            frontend_.SetWindowConnected(slot, w, false);
        }
    } else {
        RemoveWindows(slot);
    }

    frontend_.ServerDisconnected(slot);
    frontend_.SetSendTimer(AnyInUse());
}

void Engine::SendQuit(int slot) {
    std::string line = "QUIT";
    if (!settings_.QuitMessage.empty()) line += " :" + ToWire(slot, settings_.QuitMessage);
    SendNow(slot, line + CrLf);
}

bool Engine::RequestClose() {
    // Closing the window ends every automatic reconnection.
    for (SlotState& s : slots_) s.Reconnect = ReconnectState{};
    UpdateReconnectTimer();
    for (int slot = 0; slot < SlotCount; ++slot) {
        if (!slots_[slot].Registered) continue;
        Closing = true;
        SendQuit(slot);
    }
    return !AnyRegistered();
}

void Engine::DropRegisteredSlots() {
    for (int slot = 0; slot < SlotCount; ++slot)
        if (slots_[slot].Registered) ResetSession(slot);
}

int Engine::FirstFreeSlot() const {
    for (int i = 0; i < SlotCount; ++i)
        if (!slots_[i].Session.InUse && !slots_[i].Reconnect.Active) return i;
    for (int i = 0; i < SlotCount; ++i)
        if (!slots_[i].Session.InUse) return i;
    return -1;
}

bool Engine::AnyInUse() const {
    return std::any_of(slots_.begin(), slots_.end(), [](const SlotState& s) { return s.Session.InUse; });
}

bool Engine::AnyRegistered() const {
    return std::any_of(slots_.begin(), slots_.end(), [](const SlotState& s) { return s.Registered; });
}

void FillSession(const config::ConnectionProfile& profile, ServerSession& session) {
    session.ServerName = profile.Host;
    std::int32_t port = 0;
    // Profiles reaching the picker have passed ProfileCheck; a port that still
    // fails to convert becomes 0 rather than a stale value from the last use.
    session.Port = config::PortToInteger(profile.Port, port) ? port : 0;
    session.Tls = config::PortUsesTls(profile.Port);
    session.Password = profile.Password;
    session.Nick = profile.Nick;
    session.AwayNick = profile.AwayNick;
    session.UserName = profile.UserName;
    session.RealName = profile.RealName;
    session.AutoJoin = profile.AutoJoin;
}

}  // namespace velmok::session
