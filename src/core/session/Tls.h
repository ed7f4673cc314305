// How the engine judges a TLS server's certificate, and what it tells the
// user when it does not trust one.
#pragma once
#include <string>

#include "session/Socket.h"

namespace velmok::session {

enum class CertificateVerdict {
    Trusted,    // the system vouches for it
    Accepted,   // the user accepted exactly this certificate for the host before
    Untrusted,  // problems, and nothing accepted for the host
    Changed,    // problems, and the user had accepted a different certificate
};

// acceptedFingerprint: what the user accepted for the host, empty for nothing.
CertificateVerdict JudgeCertificate(const CertificateReport& report, const std::string& acceptedFingerprint);

// One problem as a short Shift-JIS phrase ("自己署名の証明書です").
std::string CertificateProblemText(CertificateProblem problem);

// The Shift-JIS question shown for a refused certificate: host, reasons,
// SHA-256 fingerprint, and whether to accept it for that host.
std::string CertificateQuestion(const std::string& host, const CertificateReport& report,
                                CertificateVerdict verdict);

}  // namespace velmok::session
