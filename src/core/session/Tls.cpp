#include "session/Tls.h"

#include <algorithm>

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
            return "\x97L\x8c\xf8\x8a\xfa\x8c\xc0\x82\xaa\x90\xd8\x82\xea\x82\xc4\x82\xa2\x82\xdc\x82\xb7";  // 有効期限が切れています
        case CertificateProblem::NotYetValid:
            return "\x82\xdc\x82\xbe\x97L\x8c\xf8\x82\xc9\x82\xc8\x82\xc1\x82\xc4\x82\xa2\x82\xdc\x82\xb9\x82"
                   "\xf1";  // まだ有効になっていません
        case CertificateProblem::WrongHost:
            return "\x83z\x83X\x83g\x96\xbc\x82\xaa\x88\xea\x92v\x82\xb5\x82\xdc\x82\xb9\x82\xf1";  // ホスト名が一致しません
        case CertificateProblem::SelfSigned:
            return "\x8e\xa9\x8c\xc8\x8f\x90\x96\xbc\x82\xcc\x8f\xd8\x96\xbe\x8f\x91\x82\xc5\x82\xb7";  // 自己署名の証明書です
        case CertificateProblem::UntrustedIssuer:
            return "\x90M\x97\x8a\x82\xc5\x82\xab\x82\xc8\x82\xa2\x94\xad\x8ds\x8e\xd2\x82\xcc\x8f\xd8\x96"
                   "\xbe"
                   "\x8f\x91\x82\xc5\x82\xb7";  // 信頼できない発行者の証明書です
        case CertificateProblem::Revoked:
            return "\x8e\xb8\x8c\xf8\x82\xb5\x82\xbd\x8f\xd8\x96\xbe\x8f\x91\x82\xc5\x82\xb7";  // 失効した証明書です
        case CertificateProblem::Other:
            break;
    }
    return "\x8f\xd8\x96\xbe\x8f\x91\x82\xc9\x96\xe2\x91\xe8\x82\xaa\x82\xa0\x82\xe8\x82\xdc\x82\xb7";  // 証明書に問題があります
}

std::string CertificateQuestion(const std::string& host, const CertificateReport& report,
                                CertificateVerdict verdict) {
    // サーバの証明書を確認できません。
    std::string text =
        "\x83T\x81[\x83o\x82\xcc\x8f\xd8\x96\xbe\x8f\x91\x82\xf0\x8am\x94\x46\x82\xc5\x82\xab\x82\xdc\x82\xb9"
        "\x82\xf1\x81\x42\n";
    text += "\x83z\x83X\x83g\x81\x46" + host + "\n";  // ホスト：
    if (verdict == CertificateVerdict::Changed)
        // 前回受け入れた証明書から変わっています。
        text +=
            "\x91O\x89\xf1\x8e\xf3\x82\xaf\x93\xfc\x82\xea\x82\xbd\x8f\xd8\x96\xbe\x8f\x91\x82\xa9\x82\xe7"
            "\x95"
            "\xcf\x82\xed\x82\xc1\x82\xc4\x82\xa2\x82\xdc\x82\xb7\x81\x42\n";
    std::vector<CertificateProblem> problems = report.Problems;
    if (problems.empty()) problems.push_back(CertificateProblem::Other);
    for (std::size_t i = 0; i < problems.size(); ++i) {
        // The same problem may be reported for several certificates of the chain.
        if (std::find(problems.begin(), problems.begin() + static_cast<long>(i), problems[i]) !=
            problems.begin() + static_cast<long>(i))
            continue;
        text += "\x97\x9d\x97R\x81\x46" + CertificateProblemText(problems[i]) + "\n";  // 理由：
    }
    text += "SHA-256\x81\x46" + report.Fingerprint + "\n\n";
    // この証明書を受け入れて接続しますか？
    text +=
        "\x82\xb1\x82\xcc\x8f\xd8\x96\xbe\x8f\x91\x82\xf0\x8e\xf3\x82\xaf\x93\xfc\x82\xea\x82\xc4\x90\xda\x91"
        "\xb1\x82\xb5\x82\xdc\x82\xb7\x82\xa9\x81H";
    return text;
}

}  // namespace velmok::session
