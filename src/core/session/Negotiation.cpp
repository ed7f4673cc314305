// IRCv3 capability negotiation (CAP LS 302, REQ, ACK, NAK, NEW, DEL, END) and
// the SASL login inside it (PLAIN, EXTERNAL). Servers that know none of it
// answer CAP with 421, or say nothing and welcome us: registration then goes
// on exactly as without it.
#include <array>
#include <string>
#include <vector>

#include "base/Texts.h"
#include "session/Codec.h"
#include "session/LineHandlers.h"

namespace velmok::session {

namespace {

const char* const CrLf = "\r\n";

// What we use, in the order we ask for it.
constexpr std::array<const char*, 5> kWanted = {"sasl", "multi-prefix", "server-time", "away-notify",
                                                "message-tags"};

// A server that answered CAP LS gets this long to finish the negotiation.
constexpr std::uint32_t kNegotiationTimeoutMs = 30000;

// AUTHENTICATE carries at most this many bytes of base64 a line.
constexpr std::size_t kAuthenticateChunk = 400;

std::string UpperAscii(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

std::vector<std::string> SplitBlanks(const std::string& text) {
    std::vector<std::string> words;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t blank = text.find(' ', pos);
        const std::size_t end = blank == std::string::npos ? text.size() : blank;
        if (end > pos) words.push_back(text.substr(pos, end - pos));
        pos = end + 1;
    }
    return words;
}

std::string Base64(const std::string& bytes) {
    static const char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::size_t n = std::min<std::size_t>(3, bytes.size() - i);
        std::uint32_t group = 0;
        for (std::size_t j = 0; j < 3; ++j)
            group = group << 8 | (j < n ? static_cast<unsigned char>(bytes[i + j]) : 0u);
        for (std::size_t j = 0; j < 4; ++j) out += j <= n ? digits[(group >> (18 - 6 * j)) & 63] : '=';
    }
    return out;
}

// Whether a mechanism list from "sasl=PLAIN,EXTERNAL" names ours; an empty
// list (servers before CAP 302 say no more than "sasl") may hold anything.
bool OffersMechanism(const std::string& list, const std::string& mechanism) {
    if (list.empty()) return true;
    std::size_t pos = 0;
    while (pos <= list.size()) {
        const std::size_t comma = std::min(list.find(',', pos), list.size());
        if (UpperAscii(list.substr(pos, comma - pos)) == mechanism) return true;
        pos = comma + 1;
    }
    return false;
}

// The name of a capability in an ACK, NAK, NEW or DEL list, without the
// modifiers and the value; removed: it was taken away ("-name").
std::string CapabilityName(std::string word, bool* removed = nullptr) {
    if (removed) *removed = !word.empty() && word[0] == '-';
    while (!word.empty() && (word[0] == '-' || word[0] == '~' || word[0] == '=')) word.erase(0, 1);
    return word.substr(0, word.find('='));
}

// The text a SASL numeric ends with: the server's reason.
const std::string& Reason(const IrcMessage& m) {
    for (int i = 16; i > 2; --i)
        if (!m[i].empty()) return m[i];
    return m[2];
}

}  // namespace

// ---- the engine's side ------------------------------------------------------------

void Engine::StartNegotiation(int slot) {
    SlotState& s = slots_[slot];
    // What opening the connection found out about the client certificate stays.
    std::string certificateProblem = std::move(s.Caps.CertificateProblem);
    s.Caps = CapabilityState{};
    if (!settings_.Capabilities) return;
    s.Caps.CertificateProblem = std::move(certificateProblem);
    const ServerSession& profile = s.Profile;
    s.Caps.Sasl = settings_.Sasl.Find(profile.ServerName, profile.Port, profile.Tls).Mechanism;
    s.Caps.Step = CapabilityState::Phase::Listing;
    s.Caps.StartTick = clock_.Tick();
    SendNow(slot, std::string("CAP LS 302") + CrLf);
}

void Engine::ChooseCapabilities(int slot) {
    CapabilityState& caps = slots_[slot].Caps;
    const char* mechanism = config::MechanismName(caps.Sasl);
    std::vector<std::string> names;
    for (const char* name : kWanted) {
        const auto offered = caps.Offered.find(name);
        const bool sasl = std::string(name) == "sasl";
        if (sasl && caps.Sasl == SaslMechanism::None) continue;
        if (offered == caps.Offered.end()) {
            if (sasl) SaslFailed(slot, texts::SaslNotOffered);
            continue;
        }
        if (sasl && !caps.CertificateProblem.empty()) {
            SaslFailed(slot, caps.CertificateProblem);
            continue;
        }
        if (sasl && !OffersMechanism(offered->second, mechanism)) {
            SaslFailed(slot, std::string(texts::SaslMechanismMissing) + mechanism);
            continue;
        }
        if (!caps.Has(name)) names.push_back(name);
    }
    if (names.empty()) {
        FinishNegotiation(slot);
        return;
    }
    caps.Step = CapabilityState::Phase::Requesting;
    RequestCapabilities(slot, names);
}

void Engine::RequestCapabilities(int slot, const std::vector<std::string>& names) {
    std::string list;
    for (const std::string& name : names) list += (list.empty() ? "" : " ") + name;
    ++slots_[slot].Caps.Requests;
    SendNow(slot, "CAP REQ :" + list + CrLf);
}

void Engine::AfterRequests(int slot) {
    CapabilityState& caps = slots_[slot].Caps;
    if (caps.Step != CapabilityState::Phase::Requesting || caps.Requests > 0) return;
    if (caps.Sasl != SaslMechanism::None && !caps.SaslFinished) {
        if (!caps.Has("sasl")) {
            SaslFailed(slot, texts::SaslRefused);
            FinishNegotiation(slot);
            return;
        }
        caps.Step = CapabilityState::Phase::Authenticating;
        SendNow(slot, std::string("AUTHENTICATE ") + config::MechanismName(caps.Sasl) + CrLf);
        return;
    }
    FinishNegotiation(slot);
}

void Engine::FinishNegotiation(int slot) {
    CapabilityState& caps = slots_[slot].Caps;
    if (caps.Step == CapabilityState::Phase::Off) return;
    caps.Step = CapabilityState::Phase::Off;
    if (caps.EndSent || slots_[slot].Registered) return;
    caps.EndSent = true;
    SendNow(slot, std::string("CAP END") + CrLf);
}

void Engine::SaslFailed(int slot, const std::string& reason) {
    CapabilityState& caps = slots_[slot].Caps;
    if (caps.SaslFinished) return;
    caps.SaslFinished = true;
    frontend_.Beep(BeepKind::Warning);
    if (settings_.Error_Check) frontend_.MarkTab(slot, ServerWindow);
    frontend_.RenderLine(slot, ServerWindow, FontKind::Error,
                         texts::SaslLoginFailed + reason + texts::SaslReasonEnd, false);
    if (caps.Step == CapabilityState::Phase::Authenticating) FinishNegotiation(slot);
}

void Engine::CheckNegotiationTimeouts() {
    for (int slot = 0; slot < SlotCount; ++slot) {
        SlotState& s = slots_[slot];
        if (s.Caps.Step == CapabilityState::Phase::Off || s.Registered) continue;
        if (clock_.Tick() - s.Caps.StartTick < kNegotiationTimeoutMs) continue;
        if (s.Caps.Sasl != SaslMechanism::None) SaslFailed(slot, texts::SaslNoAnswer);
        FinishNegotiation(slot);
    }
}

// ---- the dispatcher's handlers ------------------------------------------------------

Outcome LineHandlers::Cap(Line& line) {
    Engine& engine = line.engine;
    const IrcMessage& m = line.m;
    CapabilityState& caps = line.State().Caps;
    const std::string sub = UpperAscii(m[3]);
    if (sub == "LS" || sub == "NEW") {
        // "CAP * LS * :a b" says that more lines of the list follow.
        const bool more = sub == "LS" && m[4] == "*";
        std::vector<std::string> added;
        for (const std::string& word : SplitBlanks(more ? m[5] : m[4])) {
            const std::size_t equals = word.find('=');
            const std::string name = word.substr(0, equals);
            caps.Offered[name] = equals == std::string::npos ? std::string() : word.substr(equals + 1);
            added.push_back(name);
        }
        if (sub == "LS" && !more && caps.Step == CapabilityState::Phase::Listing) {
            engine.ChooseCapabilities(line.slot);
        } else if (sub == "NEW" && caps.Step == CapabilityState::Phase::Off) {
            // Offered later (a module loaded): taken up as far as we use it.
            // A login is for the registration only.
            std::vector<std::string> names;
            for (const char* name : kWanted)
                if (std::string(name) != "sasl" && !caps.Has(name) &&
                    std::count(added.begin(), added.end(), name))
                    names.push_back(name);
            if (!names.empty()) engine.RequestCapabilities(line.slot, names);
        }
    } else if (sub == "ACK" || sub == "NAK") {
        const std::vector<std::string> words = SplitBlanks(m[4]);
        if (caps.Requests > 0) --caps.Requests;
        if (sub == "ACK") {
            for (const std::string& word : words) {
                bool removed = false;
                const std::string name = CapabilityName(word, &removed);
                if (removed)
                    caps.Enabled.erase(name);
                else if (!name.empty())
                    caps.Enabled.insert(name);
            }
        } else if (words.size() > 1) {
            // The whole request is refused for one name the server will not
            // give: ask for each alone.
            for (const std::string& word : words)
                engine.RequestCapabilities(line.slot, {CapabilityName(word)});
        }
        engine.AfterRequests(line.slot);
    } else if (sub == "DEL") {
        for (const std::string& word : SplitBlanks(m[4])) {
            const std::string name = CapabilityName(word);
            caps.Offered.erase(name);
            caps.Enabled.erase(name);
        }
    }
    return Outcome::Stop;  // the negotiation is ours, not the user's
}

Outcome LineHandlers::Authenticate(Line& line) {
    Engine& engine = line.engine;
    SlotState& s = line.State();
    if (s.Caps.Step != CapabilityState::Phase::Authenticating || line.m[2] != "+") return Outcome::Stop;
    if (s.Caps.Sasl == SaslMechanism::External) {
        engine.SendNow(line.slot, std::string("AUTHENTICATE +") + CrLf);
        return Outcome::Stop;
    }
    // PLAIN: the account twice (as who we log in and as whom), then the password.
    const std::string& account = s.Session.UserName;
    const std::string payload = Base64(account + std::string(1, '\0') + account + std::string(1, '\0') +
                                       engine.ToWire(line.slot, s.Session.Password));
    for (std::size_t at = 0; at < payload.size(); at += kAuthenticateChunk)
        engine.SendNow(line.slot, "AUTHENTICATE " + payload.substr(at, kAuthenticateChunk) + CrLf);
    // A payload that fills its last line exactly is ended by an empty one.
    if (payload.size() % kAuthenticateChunk == 0)
        engine.SendNow(line.slot, std::string("AUTHENTICATE +") + CrLf);
    return Outcome::Stop;
}

Outcome LineHandlers::SaslInformation(Line& line) {  // 900, 901
    line.show = {FontKind::Server, line.Config().Server_Check, false};
    return Outcome::ShowAsIs;
}

Outcome LineHandlers::SaslSuccess(Line& line) {  // 903, 907
    CapabilityState& caps = line.State().Caps;
    caps.SaslFinished = true;
    if (caps.Step == CapabilityState::Phase::Authenticating) line.engine.FinishNegotiation(line.slot);
    line.show = {FontKind::Server, line.Config().Server_Check, false};
    return Outcome::ShowAsIs;
}

Outcome LineHandlers::SaslFailure(Line& line) {  // 902, 904, 905, 906
    Engine& engine = line.engine;
    CapabilityState& caps = line.State().Caps;
    if (caps.Sasl == SaslMechanism::None || caps.SaslFinished) return Outcome::Show;
    engine.SaslFailed(line.slot, WireToSjis(Reason(line.m)));
    engine.FinishNegotiation(line.slot);
    return Outcome::Stop;
}

Outcome LineHandlers::SaslMechanisms(Line& line) {  // 908: the 904 that follows says it
    return line.State().Caps.Sasl == SaslMechanism::None ? Outcome::Show : Outcome::Stop;
}

Outcome LineHandlers::UnknownCommand(Line& line) {  // 421, 451
    Engine& engine = line.engine;
    CapabilityState& caps = line.State().Caps;
    const std::string command = UpperAscii(line.m[3]);
    if (command == "CAP" && caps.Step != CapabilityState::Phase::Off) {
        // A server from before capabilities: it registers us on NICK and USER.
        if (caps.Sasl != SaslMechanism::None) engine.SaslFailed(line.slot, texts::SaslNotOffered);
        caps.Step = CapabilityState::Phase::Off;
        return Outcome::Stop;
    }
    if (command == "AUTHENTICATE" && caps.Step == CapabilityState::Phase::Authenticating) {
        engine.SaslFailed(line.slot, texts::SaslNotOffered);
        return Outcome::Stop;
    }
    return Outcome::Show;
}

}  // namespace velmok::session
