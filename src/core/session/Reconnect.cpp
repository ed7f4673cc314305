// The end of a connection, automatic reconnection after a drop, and the
// certificate check of TLS connections.
#include <string>

#include "config/Profiles.h"
#include "session/ChannelNames.h"
#include "session/Codec.h"
#include "session/Engine.h"
#include "session/Tls.h"

namespace velmok::session {

namespace {

constexpr int TlsErrorMessage = 38;  // "TLSの接続を確立できません。"

// Why a connection ended or could not be made, for the server view.
std::string EndReason(int code) {
    switch (code) {
        case 0:
            return "\x83T\x81[\x83o\x82\xaa\x90\xda\x91\xb1\x82\xf0\x95\xc2\x82\xb6\x82\xdc\x82\xb5\x82\xbd";  // サーバが接続を閉じました
        case SocketError::ConnectionAborted:
            return "\x90\xda\x91\xb1\x82\xaa\x92\x86\x92\x66\x82\xb3\x82\xea\x82\xdc\x82\xb5\x82\xbd";  // 接続が中断されました
        case SocketError::ConnectionReset:
            return "\x90\xda\x91\xb1\x82\xaa\x83\x8a\x83Z\x83\x62\x83g\x82\xb3\x82\xea\x82\xdc\x82\xb5\x82"
                   "\xbd";  // 接続がリセットされました
        case SocketError::TimedOut:
            return "\x83^\x83\x43\x83\x80\x83\x41\x83\x45\x83g\x82\xb5\x82\xdc\x82\xb5\x82\xbd";  // タイムアウトしました
        case SocketError::ConnectionRefused:
            return "\x90\xda\x91\xb1\x82\xf0\x8b\x91\x94\xdb\x82\xb3\x82\xea\x82\xdc\x82\xb5\x82\xbd";  // 接続を拒否されました
        case SocketError::HostUnreachable:
            return "\x83z\x83X\x83g\x82\xc9\x93\x9e\x92\x42\x82\xc5\x82\xab\x82\xdc\x82\xb9\x82\xf1";  // ホストに到達できません
        case SocketError::HostNotFound:
            return "Host\x82\xaa\x8c\xa9\x82\xc2\x82\xa9\x82\xe8\x82\xdc\x82\xb9\x82\xf1";  // Hostが見つかりません
        case SocketError::TlsFailed:
            return "TLS\x82\xcc\x90\xda\x91\xb1\x82\xc9\x8e\xb8\x94s\x82\xb5\x82\xdc\x82\xb5\x82\xbd";  // TLSの接続に失敗しました
        default:
            return "\x83G\x83\x89\x81[ " + std::to_string(code);  // エラー
    }
}

const char* const DroppedOpen =
    "\x90\xd8\x92\x66\x82\xb3\x82\xea\x82\xdc\x82\xb5\x82\xbd\x81i";  // 切断されました（
const char* const FailedOpen =
    "\x8d\xc4\x90\xda\x91\xb1\x82\xc5\x82\xab\x82\xdc\x82\xb9\x82\xf1\x82\xc5\x82\xb5\x82\xbd\x81i";  // 再接続できませんでした（
const char* const ReasonClose = "\x81j\x81\x42";  // ）。
const char* const SecondsLater =
    "\x95\x62\x8c\xe3\x82\xc9\x8d\xc4\x90\xda\x91\xb1\x82\xb5\x82\xdc\x82\xb7\x81\x42";  // 秒後に再接続します。
const char* const AttemptOpen =
    "\x8d\xc4\x90\xda\x91\xb1\x82\xb5\x82\xc4\x82\xa2\x82\xdc\x82\xb7\x81i";  // 再接続しています（
const char* const AttemptClose = "\x89\xf1\x96\xda\x81j\x81\x46";             // 回目）：
const char* const Stopped =
    "\x8d\xc4\x90\xda\x91\xb1\x82\xf0\x92\x86\x8e~\x82\xb5\x82\xdc\x82\xb5\x82\xbd\x81\x42";  // 再接続を中止しました。

}  // namespace

int Engine::ReconnectDelay(int attempt) {
    static constexpr int delays[] = {5, 10, 30, 60, 120};
    if (attempt < 1) attempt = 1;
    return delays[attempt > 5 ? 4 : attempt - 1];
}

void Engine::ConnectionEnded(int slot, int code) {
    SlotState& s = slots_[slot];
    if (code == SocketError::CertificateRejected && s.CertificateRefused) {
        AskAboutCertificate(slot);
        return;
    }
    const bool wasRegistered = s.Registered;
    // Only an end nobody asked for brings the connection back: not our QUIT,
    // not the window closing, and not when the user turned it off.
    const bool reconnect =
        settings_.AutoReconnect && !Closing && !s.QuitSent && (wasRegistered || s.Reconnect.Active);
    if (reconnect && wasRegistered) {
        s.Reconnect = ReconnectState{};
        s.Reconnect.Active = true;
        for (const ChannelRecord& record : s.Channels)
            if (!record.IsFree() && record.IsChannel)
                s.Reconnect.Channels.emplace_back(record.Name, record.Key);
    } else if (!reconnect && s.Reconnect.Active) {
        // Turned off, or the window closing, while an attempt was under way.
        s.Reconnect = ReconnectState{};
        UpdateReconnectTimer();
    }
    ResetSession(slot);

    // While the window waits for the servers to drop us, a failing connection
    // counts as dropped; otherwise the close would wait for ever.
    if (Closing && (code == 0 || wasRegistered)) {
        frontend_.RequestClose();
        return;
    }
    if (reconnect) {
        ScheduleReconnect(slot, EndReason(code), !wasRegistered);
        if (wasRegistered) frontend_.ShowError(2);
        return;
    }
    if (code == 0 || wasRegistered)
        frontend_.ShowError(2);
    else
        frontend_.ShowError(code == SocketError::TlsFailed ? TlsErrorMessage : 1);
}

void Engine::ScheduleReconnect(int slot, const std::string& reason, bool announce) {
    ReconnectState& r = slots_[slot].Reconnect;
    r.Active = true;
    r.Waiting = true;
    r.Reason = reason;
    const int delay = ReconnectDelay(r.Attempts + 1);
    r.DueTick = clock_.Tick() + static_cast<std::uint32_t>(delay) * 1000u;
    if (announce)
        frontend_.RenderLine(slot, ServerWindow, FontKind::Error,
                             FailedOpen + reason + ReasonClose + std::to_string(delay) + SecondsLater, false);
    frontend_.SetReconnectTimer(true);
}

void Engine::CheckReconnects() {
    const std::uint32_t now = clock_.Tick();
    for (int slot = 0; slot < SlotCount; ++slot) {
        const SlotState& s = slots_[slot];
        if (!s.Reconnect.Active || !s.Reconnect.Waiting || s.Session.InUse) continue;
        if (static_cast<std::int32_t>(now - s.Reconnect.DueTick) < 0) continue;
        StartReconnectAttempt(slot);
    }
    UpdateReconnectTimer();
}

void Engine::StartReconnectAttempt(int slot) {
    SlotState& s = slots_[slot];
    ReconnectState& r = s.Reconnect;
    r.Waiting = false;
    ++r.Attempts;
    s.Session = s.Profile;
    s.Session.InUse = false;
    const std::string port = (s.Session.Tls ? "+" : "") + std::to_string(s.Session.Port);
    // The first attempt follows the drop, the others a failed attempt.
    const char* cause = r.Attempts == 1 ? DroppedOpen : FailedOpen;
    frontend_.RenderLine(slot, ServerWindow, FontKind::Server,
                         AttemptOpen + std::to_string(r.Attempts) + AttemptClose + s.Session.ServerName +
                             ":" + port + " " + cause + r.Reason + ReasonClose,
                         false);
    if (!OpenConnection(slot, true)) ScheduleReconnect(slot, EndReason(SocketError::HostNotFound), true);
}

void Engine::StopReconnect(int slot) {
    SlotState& s = slots_[slot];
    if (!s.Reconnect.Active) return;
    s.Reconnect = ReconnectState{};
    if (s.Session.InUse && !s.Registered) ResetSession(slot);
    frontend_.RenderLine(slot, ServerWindow, FontKind::Server, Stopped, false);
    UpdateReconnectTimer();
}

void Engine::RejoinChannels(int slot) {
    SlotState& s = slots_[slot];
    if (!s.Reconnect.Active) return;
    const auto channels = std::move(s.Reconnect.Channels);
    s.Reconnect = ReconnectState{};
    UpdateReconnectTimer();
    // The profile's auto-join list has just been queued; those are not asked twice.
    std::vector<std::string> autoJoined;
    for (const config::AutoJoinChannel& c : config::ReadAutoJoin(s.Session.AutoJoin))
        if (c.Ticked) autoJoined.push_back(SjisToJis(c.Name));
    for (const auto& [name, key] : channels) {
        bool joined = false;
        for (const std::string& other : autoJoined) joined = joined || channels::SameName(name, other);
        if (!joined) EnqueueLine(Queue::A, slot, "JOIN " + name + (key.empty() ? "" : " " + key), 2);
    }
}

void Engine::UpdateReconnectTimer() {
    bool any = false;
    for (const SlotState& s : slots_) any = any || s.Reconnect.Active;
    frontend_.SetReconnectTimer(any);
}

// ---- certificates of TLS connections ------------------------------------------

bool Engine::CheckCertificate(int slot, const CertificateReport& report) {
    SlotState& s = slots_[slot];
    const CertificateVerdict verdict =
        JudgeCertificate(report, settings_.Certificates.Find(s.Profile.ServerName));
    if (verdict == CertificateVerdict::Trusted || verdict == CertificateVerdict::Accepted) return true;
    s.CertificateRefused = true;
    s.RefusedCertificate = report;
    return false;
}

void Engine::AskAboutCertificate(int slot) {
    SlotState& s = slots_[slot];
    const CertificateReport report = s.RefusedCertificate;
    const std::string host = s.Profile.ServerName;
    const CertificateVerdict verdict = JudgeCertificate(report, settings_.Certificates.Find(host));
    // No attempt may start while the question is open.
    ReconnectState held = s.Reconnect;
    s.Reconnect = ReconnectState{};
    ResetSession(slot);
    UpdateReconnectTimer();

    const bool accepted = frontend_.AskYesNo(CertificateQuestion(host, report, verdict));
    // The slot may have been taken, or the window closed, meanwhile.
    if (!accepted || s.Session.InUse || Closing || !settings_.Certificates.Accept(host, report.Fingerprint)) {
        if (held.Active) frontend_.RenderLine(slot, ServerWindow, FontKind::Server, Stopped, false);
        return;
    }
    held.Waiting = false;
    s.Reconnect = held;
    s.Session = s.Profile;
    s.Session.InUse = false;
    if (!OpenConnection(slot, held.Active) && held.Active)
        ScheduleReconnect(slot, EndReason(SocketError::HostNotFound), true);
    UpdateReconnectTimer();
}

}  // namespace velmok::session
