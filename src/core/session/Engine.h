#pragma once
#include <array>
#include <cstdint>
#include <ctime>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "config/Settings.h"
#include "session/ChannelNames.h"
#include "session/Clock.h"
#include "session/Frontend.h"
#include "session/IrcMessage.h"
#include "session/ServerFeatures.h"
#include "session/Socket.h"

namespace velmok::config {
struct ConnectionProfile;
}

namespace velmok::session {

constexpr int SlotCount = 3;
constexpr int WindowCount = 100;
constexpr int ServerWindow = -1;

// One server connection's settings and identity. Text is Shift-JIS.
struct ServerSession {
    bool InUse = false;
    std::string ServerName;
    std::int32_t Port = 0;
    bool Tls = false;  // the profile's port was written "+port"
    std::string Password;
    std::string Nick;
    std::string AwayNick;
    std::string UserName;
    std::string RealName;
    std::string AutoJoin;  // flag, channel, key; each followed by one blank
    bool Away = false;
};

// Copies a connection profile into a slot's session (the connection picker's OK).
void FillSession(const config::ConnectionProfile& profile, ServerSession& session);

// Channel mode letters in the order of ChannelRecord::ModeFlags.
inline constexpr char ModeLetters[8] = {'p', 's', 'm', 't', 'i', 'n', 'a', 'q'};

// One conversation window of a slot: a channel or a private conversation.
struct ChannelRecord {
    bool IsChannel = false;
    std::string Name;  // as received (wire form); empty = free
    std::string Topic;
    std::array<bool, 8> ModeFlags{};
    std::string Limit;
    std::string Key;
    bool NamesPending = false;
    bool OwnOp = false;
    // Member captions, status marks ("@", "+", the server's PREFIX) in front,
    // in the slot's MemberOrderOf order.
    std::vector<std::string> Members;
    // The connection dropped and comes back by itself: the window stays with
    // its text and waits for the rejoin (a private one for the welcome).
    bool Disconnected = false;

    bool IsFree() const { return Name.empty(); }
};

enum class Queue { A, B, C };

// Automatic reconnection of a slot whose registered connection was dropped.
struct ReconnectState {
    bool Active = false;   // attempts go on until the user stops them or one registers
    bool Waiting = false;  // waiting for DueTick; false while an attempt is under way
    int Attempts = 0;      // attempts started since the drop
    std::uint32_t DueTick = 0;
    std::string Reason;  // why the last connection ended or failed (Shift-JIS)
    // Channels whose windows were open at the drop, with their keys (wire form).
    std::vector<std::pair<std::string, std::string>> Channels;
};

// Columns of the WHOIS table.
enum WhoisColumn {
    WhoisNick,
    WhoisAway,
    WhoisUser,
    WhoisHost,
    WhoisRealName,
    WhoisServerName,
    WhoisServerInfo,
    WhoisIRCOp,
    WhoisIdleTime,
    WhoisIdleMessage,
    WhoisChannels,
    WhoisIsShow,
    WhoisColumnCount
};

struct WhoisRow {
    int Slot = 0;  // the row caption, ServerIndex
    std::array<std::string, WhoisColumnCount> Col;
};

// Per-slot state beside the ServerSession.
struct SlotState {
    ServerSession Session;
    bool Registered = false;
    std::string ReceiveBuffer;
    bool DroppingLine = false;  // the rest of an overlong line is still arriving: skip to its LF
    std::string SavedNick;
    // Nick collisions during the registration in progress; each slot registers
    // on its own.
    int NickRetryCounter = 0;
    std::string SendQueueA;
    std::string SendQueueB;
    std::string SendQueueC;
    std::unique_ptr<ClientSocket> Socket;
    std::array<ChannelRecord, WindowCount> Channels;
    std::string WhoisedNicks;    // "<nick>" entries looked up in this protection period
    std::string ListText;        // channel list being received: name, users, topic, each + CR LF
    int ListState = 0;           // 0 no list window, 1 complete list waiting, 2 taken by the window
    bool ListReceiving = false;  // list replies have come in and their end has not
    bool ListDropped = false;    // the list window was closed while they came: skip to the end
    // The session as it was filled for the current connection, before the
    // server's names replaced ServerName: what a reconnection uses.
    ServerSession Profile;
    bool QuitSent = false;  // QUIT went out on this connection: its end was asked for
    ReconnectState Reconnect;
    bool CertificateRefused = false;  // the TLS handshake ended on our refusal
    CertificateReport RefusedCertificate;
    bool Dispatching = false;  // a dispatch of this slot is running (nested event loops)
    // Channels our JOIN lines asked for whose own JOIN has not come back yet
    // (wire form, oldest first): the window of such a JOIN is the user's doing.
    std::vector<std::string> JoinsAsked;
    CapabilityState Caps;
    ServerSupport Support;
    // Nicks known to be away (ASCII letters folded): away-notify, 301, WHO.
    std::set<std::string> AwayNicks;
    // Channels whose WHO we sent ourselves for their members' away states
    // (wire form): the replies are read, not shown.
    std::vector<std::string> WhoAsked;
    unsigned Resets = 0;  // counts ResetSession, so a running dispatch notices one
    // What the server reads, from velmok.ini when the slot connects; kept
    // through a drop, for the windows and DCC chats that stay.
    config::WireEncoding Encoding = config::WireEncoding::Iso2022Jp;
};

// The IRC session engine: three server slots, their queues, dispatcher,
// channels, CTCP, protection mode and reply stores. Plain C++; it reaches the
// window system only through Frontend, time only through Clock and the network
// only through SocketFactory.
class Engine {
public:
    Engine(Frontend& frontend, Clock& clock, SocketFactory& sockets, config::Settings& settings);
    ~Engine();
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    // ---- connection and line transport -----------------------------------
    // Opens the connection of a slot whose ServerSession has been filled.
    // Returns false when the host name does not resolve (error 4 shown).
    bool ConnectSession(int slot);
    void ClientSocketConnect(int slot);
    void ClientSocketRead(int slot);
    void ClientSocketDisconnect(int slot);
    void ClientSocketError(int slot, int& code);
    // One line, ending in CR LF; a CR, LF or NUL inside it is dropped.
    void SendNow(int slot, const std::string& text);
    // Appends line + CR LF + delay + ":" to the queue.
    void EnqueueLine(Queue queue, int slot, const std::string& line, int delaySeconds);
    // One tick of the send timer; returns the next interval in milliseconds.
    int DrainSendQueues();
    // keepWindows: the drop is followed by a reconnection, so the channel and
    // private windows stay (marked disconnected) instead of going.
    void ResetSession(int slot, bool keepWindows = false);
    void SendQuit(int slot);
    // The main window wants to close: QUIT to every registered slot. True when
    // no slot is registered and the window may close now.
    bool RequestClose();
    // The window has waited long enough for the servers to drop us after
    // QUIT: every slot still registered is reset as if its server had.
    void DropRegisteredSlots();
    // First slot not in use, or -1. A slot waiting to reconnect, whose windows
    // are kept for it, is taken only when no other is free.
    int FirstFreeSlot() const;
    bool AnyInUse() const;
    bool AnyRegistered() const;

    // ---- reconnecting after a drop ------------------------------------------
    // One tick of the reconnect timer (about once a second): starts the
    // attempts that are due.
    void CheckReconnects();
    // The slot waits for, or is making, an automatic reconnection.
    bool ReconnectPending(int slot) const { return slots_[slot].Reconnect.Active; }
    // The user stops the attempts (disconnect action, closing the server tab);
    // an attempt under way is dropped.
    void StopReconnect(int slot);
    // Seconds before attempt n (1-based): 5, 10, 30, 60, then 120.
    static int ReconnectDelay(int attempt);

    // ---- dispatcher -------------------------------------------------------
    // Takes every complete line off the slot's receive buffer and handles it.
    void DispatchReceived(int slot);
    // Handles one parsed line.
    void DispatchMessage(int slot, const IrcMessage& message);

    // ---- what the server announced and agreed to ----------------------------
    // Whether name is a channel's on that slot's server (its CHANTYPES).
    bool IsChannel(int slot, const std::string& name) const;
    // Whether the nick is known to be away (away-notify, 301, WHO, our own 306).
    bool IsAway(int slot, const std::string& nick) const;
    // The time the server put on the line being dispatched (server-time),
    // for everything shown while it is handled; none for lines without one.
    const std::optional<std::time_t>& LineTime() const { return lineTime_; }
    // The order of the slot's member lists.
    channels::MemberOrder MemberOrderOf(int slot) const { return {slots_[slot].Support.SortRanks()}; }
    // Reply 005: the PREFIX, CHANTYPES and CHANMODES the server announces.
    void ApplyIsupport(int slot, const IrcMessage& message);

    // ---- text for the wire ----------------------------------------------------
    // What the slot's server reads; ISO-2022-JP for a slot out of range.
    config::WireEncoding Encoding(int slot) const;
    // Shift-JIS text as the slot's server reads it: everything the client
    // writes for a server (typed lines, commands, messages, names, DCC chats
    // with its users) goes through here.
    std::string ToWire(int slot, const std::string& sjis) const;
    // The own text as the slot's server passes it on, for the echo: half-width
    // katakana widened on ISO-2022-JP, as typed on UTF-8.
    std::string AsSent(int slot, const std::string& sjis) const;

    // ---- channels and members --------------------------------------------
    int FindChannel(int slot, const std::string& name) const;
    // byUser: the user's own action opens it, so it becomes the slot's active
    // tab; a window others opened (a stranger's message, a JOIN nobody here
    // asked for) is built in the background with its tab marked. A private
    // window opened while UserOpening is set counts as the user's.
    int OpenChannelTab(int slot, const std::string& name, bool byUser = false);
    void CloseChannelTab(int slot, const std::string& name);
    void AddNames(int slot, const std::string& names, const std::string& channel);
    void EndOfNames(int slot, const std::string& channel);
    void AddMember(int slot, const std::string& channel, const std::string& nick);
    void RemoveMember(int slot, const std::string& channel, const std::string& nick);
    void GiveOp(int slot, const std::string& channel, const std::string& nick);
    void TakeOp(int slot, const std::string& channel, const std::string& nick);
    // A member mode with a mark (MODE +o, +h, +v... as PREFIX names them)
    // set or taken: the member's caption gains or loses that mark.
    void SetMemberMark(int slot, const std::string& channel, const std::string& nick, char mark, bool on);
    // away-notify, 301, WHO replies: the member lists showing nick are redrawn.
    void SetAway(int slot, const std::string& nick, bool away);
    void MemberQuit(int slot, const std::string& nick, const std::string& message);
    void MemberNick(int slot, const std::string& oldNick, const std::string& newNick);
    void ApplyChannelModes(int slot, const IrcMessage& message);
    std::string ApplyModeChange(int slot, const IrcMessage& message);
    void SetTopic(int slot, const std::string& channel, const std::string& topic);
    // selected: captions selected in the active channel window's member list.
    void QueueMemberCommand(int slot, const std::vector<std::string>& selected, const std::string& command,
                            const std::string& parameter, int delay);
    // channel: the channel whose member list the selection was made in (wire
    // form), whatever window is active by the time the batch is asked for.
    void QueueModeBatch(int slot, const std::string& channel, const std::vector<std::string>& selected,
                        const std::string& mode);
    // Replies to the WHO of a ban by host; true when the line is consumed.
    bool HandleWhoReply(int slot, const IrcMessage& message);  // 352
    bool HandleEndOfWho(int slot, const IrcMessage& message);  // 315

    // ---- CTCP -----------------------------------------------------------------
    void HandleCtcpQuery(int slot, const IrcMessage& message);
    void HandleCtcpReply(int slot, const IrcMessage& message);
    // To each selected member, or with none selected to channel (wire form).
    void QueueCtcpRequest(int slot, const std::string& channel, const std::vector<std::string>& selected,
                          const std::string& command);

    // ---- protection mode ------------------------------------------------------
    void CountEvent(int slot, const std::string& nick);
    bool IsOn() const { return ProtectionMode; }
    void Toggle();

    // ---- reply stores ---------------------------------------------------------
    WhoisRow& WhoisRowFor(int slot, const std::string& nick);
    // Index of the row of (slot, nick), or -1.
    int FindWhoisRow(int slot, const std::string& nick) const;
    void HandleWhoisReply(int slot, const IrcMessage& message);   // 301 311 312 313 317 319
    void HandleEndOfWhois(int slot, const IrcMessage& message);   // 318
    void HandleEndOfWhowas(int slot, const IrcMessage& message);  // 369
    void HandleListEntry(int slot, const IrcMessage& message);    // 322
    bool HandleListEnd(int slot, const IrcMessage& message);      // 323; true when consumed
    bool HandleBanEntry(int slot, const IrcMessage& message);     // 367; true when hidden
    bool HandleBanEnd(int slot, const IrcMessage& message);       // 368; true when hidden
    // The slot's connection is gone: what was being collected for it can
    // never be completed.
    void DropCollectedReplies(int slot);

    // ---- event triggers -----------------------------------------------------------
    void RunEventTriggers(int slot, const std::string& prefix, const IrcMessage& message);

    // ---- state, read by the windows and tests -------------------------------------
    SlotState& Slot(int slot) { return slots_[slot]; }
    const SlotState& Slot(int slot) const { return slots_[slot]; }
    ServerSession& Session(int slot) { return slots_[slot].Session; }
    ChannelRecord& Channel(int slot, int window) { return slots_[slot].Channels[window]; }
    Frontend& Ui() { return frontend_; }
    Clock& Time() { return clock_; }
    config::Settings& Config() { return settings_; }
    const config::Settings& Config() const { return settings_; }

    // Program-wide state.
    std::uint32_t LastReceiveTick = 0;
    std::string PingStamp = "0000";
    std::string LocalAddress;
    std::string LocalHost;
    bool Closing = false;
    bool ProtectionMode = false;
    std::uint32_t FloodTick = 0;
    std::int32_t FloodCount = 0;
    bool UserOpening = false;
    std::string PendingBans;
    std::string BanListBuffer;
    std::string BanListReply;
    std::int32_t BanListRequests = 0;
    std::vector<WhoisRow> Liv_Whois;
    std::string OsName;  // for the CTCP VERSION reply; empty when unknown

private:
    friend struct LineHandlers;
    // ---- capability negotiation and SASL ----------------------------------
    // CAP LS 302, when the setting asks for it; before PASS, NICK and USER.
    void StartNegotiation(int slot);
    // The whole LS list is in: ask for what we use of it.
    void ChooseCapabilities(int slot);
    void RequestCapabilities(int slot, const std::vector<std::string>& names);
    // Every REQ is answered: the login, or CAP END.
    void AfterRequests(int slot);
    // CAP END, once, while the negotiation is under way.
    void FinishNegotiation(int slot);
    // The login failed: one Error line (reason in wire form), and registration goes on.
    void SaslFailed(int slot, const std::string& reason);
    // A server that answers LS and then stalls must not hold the registration.
    void CheckNegotiationTimeouts();
    void BindSocket(int slot);
    // One short notice in the server window for a line dropped for its length.
    void NoticeDroppedLine(int slot, std::size_t size, bool unfinished);
    // ConnectSession without touching the reconnection state; quiet: an
    // automatic attempt, whose failures are lines rather than message boxes.
    bool OpenConnection(int slot, bool quiet);
    // The connection of a slot ended (code 0: the server closed it).
    void ConnectionEnded(int slot, int code);
    // announce: say so in the server view (a failed attempt; the drop itself
    // has its message box, and the attempt line repeats the reason).
    void ScheduleReconnect(int slot, const std::string& reason, bool announce);
    void StartReconnectAttempt(int slot);
    // The line in the server window and in every kept window that says the
    // connection was lost, why, and when it comes back.
    void AnnounceDrop(int slot);
    // Removes every channel and private window of the slot.
    void RemoveWindows(int slot);
    // The own JOIN of a channel whose window was kept through a drop: the
    // window takes it up again. False when there is no such window.
    bool ReattachWindow(int slot, const std::string& channel);
    // After the welcome reply of a reconnection: JOIN the channels again.
    void RejoinChannels(int slot);
    bool CheckCertificate(int slot, const CertificateReport& report);
    void AskAboutCertificate(int slot);
    void UpdateReconnectTimer();
    // An outgoing line: a JOIN notes the channels it asks for.
    void NoteJoinSent(int slot, const std::string& line);
    // Whether a JOIN of channel was asked for; the note is used up.
    bool TakeJoinAsked(int slot, const std::string& channel);
    int SlotOf(const ClientSocket* socket) const;

    Frontend& frontend_;
    Clock& clock_;
    SocketFactory& sockets_;
    config::Settings& settings_;
    std::array<SlotState, SlotCount> slots_;
    std::optional<std::time_t> lineTime_;
    // Sockets closed inside their own events; freed at a safe moment.
    std::vector<std::unique_ptr<ClientSocket>> retired_;
};

}  // namespace velmok::session
