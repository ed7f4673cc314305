// The end of a connection, automatic reconnection after a drop, and the
// certificate check of TLS connections.
#include <string>

#include "base/Texts.h"
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
            return texts::EndServerClosed;
        case SocketError::ConnectionAborted:
            return texts::EndAborted;
        case SocketError::ConnectionReset:
            return texts::EndReset;
        case SocketError::TimedOut:
            return texts::EndTimedOut;
        case SocketError::ConnectionRefused:
            return texts::EndRefused;
        case SocketError::HostUnreachable:
            return texts::EndUnreachable;
        case SocketError::HostNotFound:
            return texts::EndHostNotFound;
        case SocketError::TlsFailed:
            return texts::EndTlsFailed;
        default:
            return texts::EndOtherError + std::to_string(code);
    }
}

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
    // The windows stay while the connection comes back by itself.
    ResetSession(slot, reconnect);

    // While the window waits for the servers to drop us, a failing connection
    // counts as dropped; otherwise the close would wait for ever.
    if (Closing && (code == 0 || wasRegistered)) {
        frontend_.RequestClose();
        return;
    }
    if (reconnect) {
        // No message box for the drop: the desk stays usable while the
        // client reconnects, and every window says what happened.
        ScheduleReconnect(slot, EndReason(code), !wasRegistered);
        if (wasRegistered) AnnounceDrop(slot);
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
                             texts::ReconnectFailed + reason + texts::ReconnectReasonEnd +
                                 std::to_string(delay) + texts::ReconnectSecondsLater,
                             false);
    frontend_.SetReconnectTimer(true);
}

void Engine::AnnounceDrop(int slot) {
    const SlotState& s = slots_[slot];
    const std::string line = texts::ConnectionLost + s.Reconnect.Reason + texts::ReconnectReasonEnd +
                             std::to_string(ReconnectDelay(s.Reconnect.Attempts + 1)) +
                             texts::ReconnectSecondsLater;
    frontend_.RenderLine(slot, ServerWindow, FontKind::Error, line, false);
    for (int w = 0; w < WindowCount; ++w)
        if (s.Channels[w].Disconnected) frontend_.RenderLine(slot, w, FontKind::Error, line, false);
}

void Engine::RemoveWindows(int slot) {
    SlotState& s = slots_[slot];
    for (int w = 0; w < WindowCount; ++w) {
        if (s.Channels[w].IsFree()) continue;
        frontend_.RemoveWindow(slot, w);
        s.Channels[w] = ChannelRecord{};
    }
}

bool Engine::ReattachWindow(int slot, const std::string& channel) {
    const int window = FindChannel(slot, channel);
    if (window < 0 || !slots_[slot].Channels[window].Disconnected) return false;
    TakeJoinAsked(slot, channel);
    slots_[slot].Channels[window].Disconnected = false;
    frontend_.SetWindowConnected(slot, window, true);
    return true;
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
    const char* cause = r.Attempts == 1 ? texts::ReconnectDropped : texts::ReconnectFailed;
    frontend_.RenderLine(slot, ServerWindow, FontKind::Server,
                         texts::ReconnectAttempt + std::to_string(r.Attempts) + texts::ReconnectAttemptEnd +
                             s.Session.ServerName + ":" + port + " " + cause + r.Reason +
                             texts::ReconnectReasonEnd,
                         false);
    if (!OpenConnection(slot, true)) ScheduleReconnect(slot, EndReason(SocketError::HostNotFound), true);
}

void Engine::StopReconnect(int slot) {
    SlotState& s = slots_[slot];
    if (!s.Reconnect.Active) return;
    s.Reconnect = ReconnectState{};
    if (s.Session.InUse && !s.Registered) ResetSession(slot);
    // Given up: the windows kept for the reconnection go, as at any other end.
    if (!s.Registered) RemoveWindows(slot);
    frontend_.RenderLine(slot, ServerWindow, FontKind::Server, texts::ReconnectStopped, false);
    UpdateReconnectTimer();
}

void Engine::RejoinChannels(int slot) {
    SlotState& s = slots_[slot];
    if (!s.Reconnect.Active) return;
    const auto channels = std::move(s.Reconnect.Channels);
    s.Reconnect = ReconnectState{};
    UpdateReconnectTimer();
    // A private conversation goes on at once; a channel waits for its JOIN.
    for (int w = 0; w < WindowCount; ++w) {
        ChannelRecord& record = s.Channels[w];
        if (!record.Disconnected || record.IsChannel) continue;
        record.Disconnected = false;
        frontend_.SetWindowConnected(slot, w, true);
    }
    // The profile's auto-join list has just been queued, as the user wrote it;
    // a channel it already reaches is not asked twice.
    std::vector<std::string> autoJoined;
    for (const config::AutoJoinChannel& c : config::ReadAutoJoin(s.Session.AutoJoin))
        if (c.Ticked) autoJoined.push_back(ToWire(slot, c.Name));
    for (const auto& [name, key] : channels) {
        bool joined = false;
        for (const std::string& typed : autoJoined) joined = joined || channels::JoinReaches(typed, name);
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
    ResetSession(slot, held.Active);
    UpdateReconnectTimer();

    const bool accepted = frontend_.AskYesNo(CertificateQuestion(host, report, verdict));
    // The slot may have been taken, or the window closed, meanwhile.
    if (!accepted || s.Session.InUse || Closing || !settings_.Certificates.Accept(host, report.Fingerprint)) {
        if (held.Active) {
            if (!s.Session.InUse) RemoveWindows(slot);
            frontend_.RenderLine(slot, ServerWindow, FontKind::Server, texts::ReconnectStopped, false);
        }
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
