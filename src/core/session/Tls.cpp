#include "session/Tls.h"

#include <algorithm>

#include "base/Texts.h"

namespace velmok::session {

CertificateVerdict JudgeCertificate(const CertificateReport& report, const std::string& acceptedFingerprint) {
    if (report.Problems.empty()) return CertificateVerdict::Trusted;
    if (acceptedFingerprint.empty()) return CertificateVerdict::Untrusted;
    // A report without a fingerprint can never match what was accepted.
    if (!report.Fingerprint.empty() && report.Fingerprint == acceptedFingerprint)
        return CertificateVerdict::Accepted;
    return CertificateVerdict::Changed;
}

std::string CertificateProblemText(CertificateProblem problem) {
    switch (problem) {
        case CertificateProblem::Expired:
            return texts::CertExpired;
        case CertificateProblem::NotYetValid:
            return texts::CertNotYetValid;
        case CertificateProblem::WrongHost:
            return texts::CertWrongHost;
        case CertificateProblem::SelfSigned:
            return texts::CertSelfSigned;
        case CertificateProblem::UntrustedIssuer:
            return texts::CertUntrustedIssuer;
        case CertificateProblem::Revoked:
            return texts::CertRevoked;
        case CertificateProblem::Other:
            break;
    }
    return texts::CertOtherProblem;
}

std::string CertificateQuestion(const std::string& host, const CertificateReport& report,
                                CertificateVerdict verdict) {
    std::string text = texts::CertCannotVerify;
    text += texts::CertHost + host + "\n";
    if (verdict == CertificateVerdict::Changed) text += texts::CertChanged;
    std::vector<CertificateProblem> problems = report.Problems;
    if (problems.empty()) problems.push_back(CertificateProblem::Other);
    for (std::size_t i = 0; i < problems.size(); ++i) {
        // The same problem may be reported for several certificates of the chain.
        if (std::find(problems.begin(), problems.begin() + static_cast<long>(i), problems[i]) !=
            problems.begin() + static_cast<long>(i))
            continue;
        text += texts::CertReason + CertificateProblemText(problems[i]) + "\n";
    }
    text += texts::CertFingerprint + report.Fingerprint + "\n\n";
    text += texts::CertAskAccept;
    return text;
}

}  // namespace velmok::session
