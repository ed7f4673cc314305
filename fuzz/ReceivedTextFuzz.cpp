// Feeds arbitrary bytes through the parsers added for UTF-8 peers, TLS ports,
// certificate fingerprints and nick completion: nothing crashes, and the
// conversions keep their size bounds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "config/Certificates.h"
#include "config/Profiles.h"
#include "session/Codec.h"
#include "session/Tls.h"
#include "ui/NickCompletion.h"

using namespace velmok;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);

    // Every input byte yields at most one two-byte character.
    const std::string shown = session::WireToSjis(input);
    if (session::IsUtf8Text(input) && shown.size() > input.size() * 2) std::abort();
    if (session::Utf8ToShiftJis(input).size() > input.size() * 2) std::abort();

    std::int32_t port = 0;
    config::PortToInteger(input, port);
    if (config::PortUsesTls(input) != (!input.empty() && input[0] == '+')) std::abort();
    if (config::PortUsesTls(config::PortWithTls(input, true)) != true) std::abort();

    session::CertificateReport report{input, {session::CertificateProblem::SelfSigned}};
    if (config::IsFingerprint(input) &&
        session::JudgeCertificate(report, input) != session::CertificateVerdict::Accepted)
        std::abort();
    session::CertificateQuestion(input, report, session::CertificateVerdict::Changed);

    ui::NickCompletion completion;
    const std::vector<std::string> members = {"@" + input, input, "+a", "b"};
    auto first = completion.Complete(input, members, false);
    if (first) completion.Complete(*first, members, true);
    return 0;
}
