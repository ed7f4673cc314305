// CTCP queries and replies as a peer sends them (any bytes between and around
// the 0x01 marks), and the DCC offers they carry.
#include "FuzzSupport.h"
#include "session/DccOffer.h"

using namespace velmok::session;
using velmok::fuzz::EngineRig;

namespace {

// An offer that is taken can be connected to, and says the same when we
// write it out again.
void CheckOffer(bool isSend, const std::string& fields) {
    const auto offer = velmok::session::ParseOffer(isSend, fields);
    if (!offer) return;
    FUZZ_CHECK(offer->Port >= 1 && offer->Port <= 65535);
    FUZZ_CHECK(offer->Address != "0.0.0.0");
    const auto number = velmok::session::AddressNumber(offer->Address);
    FUZZ_CHECK(number.has_value());
    const std::string line =
        isSend ? velmok::session::SendOfferLine("p", offer->FileName, *number, offer->Port, offer->Size)
               : velmok::session::ChatOfferLine("p", *number, offer->Port);
    const std::string prefix = isSend ? "PRIVMSG p :\x01"
                                        "DCC SEND "
                                      : "PRIVMSG p :\x01"
                                        "DCC CHAT ";
    FUZZ_CHECK(line.compare(0, prefix.size(), prefix) == 0);
    const std::string again = line.substr(prefix.size(), line.size() - prefix.size() - 3);
    const auto reparsed = velmok::session::ParseOffer(isSend, again);
    FUZZ_CHECK(reparsed && reparsed->FileName == offer->FileName && reparsed->Address == offer->Address &&
               reparsed->Port == offer->Port && reparsed->Size == offer->Size);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    velmok::fuzz::Bytes in(data, size);
    const std::uint8_t mode = in.Byte();
    const std::string body = in.Rest();
    CheckOffer(true, body);
    CheckOffer(false, body);

    EngineRig rig;
    rig.ui.yesNoAnswer = (mode & 1) != 0;
    rig.settings.ReplyFinger = rig.settings.ReplyUserInfo = (mode & 2) != 0;
    rig.settings.UserInfoMessage = "\x8f\xee\x95\xf1";  // 情報
    rig.Start((mode & 4) ? 3 : 2);

    IrcMessage m;
    m[0] = (mode & 8) ? "p" : "srv";
    m.FullPrefix = m[0] + "!u@h";
    m[1] = (mode & 16) ? "NOTICE" : "PRIVMSG";
    m[2] = (mode & 32) ? "#a" : "n";
    m[3] = body;
    // A reply to our own CTCP PING needs a request in flight.
    if (mode & 64) rig.engine.QueueCtcpRequest(0, "", {"p"}, "PING");
    rig.engine.DrainSendQueues();
    rig.clock.Advance(250);
    rig.engine.LastReceiveTick = rig.clock.tick;
    rig.engine.DispatchMessage(0, m);
    for (const auto& offer : rig.ui.fileOffers) FUZZ_CHECK(offer.port >= 1 && offer.port <= 65535);
    for (const auto& offer : rig.ui.chatOffers) FUZZ_CHECK(offer.port >= 1 && offer.port <= 65535);
    EngineRig::CheckWire(rig.socket->TakeSent());
    return 0;
}
