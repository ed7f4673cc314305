#include "ui/Attention.h"

#include "base/Common.h"

namespace velmok::ui {

namespace {

bool IsDigit(std::string_view text, std::size_t i) {
    return i < text.size() && text[i] >= '0' && text[i] <= '9';
}

std::size_t SkipColourNumbers(std::string_view text, std::size_t i) {
    if (!IsDigit(text, i)) return i;
    i += IsDigit(text, i + 1) ? 2 : 1;
    if (i < text.size() && text[i] == ',' && IsDigit(text, i + 1)) i += IsDigit(text, i + 2) ? 3 : 2;
    return i;
}

// The line without the attribute and colour codes a desktop cannot show,
// cut on a character boundary.
std::string PlainBody(std::string_view text) {
    std::string body;
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        const std::size_t len = base::IsSjisLead(c) && i + 1 < text.size() &&
                                        base::IsSjisTrail(static_cast<unsigned char>(text[i + 1]))
                                    ? 2
                                    : 1;
        if (body.size() + len > kNotificationBodyLimit) {
            body += "...";
            break;
        }
        if (c >= 0x20) body.append(text.substr(i, len));
        i += len;
        // A colour code takes its numbers with it: 0x03, up to two digits, and
        // a comma with up to two more.
        if (c == 0x03) i = SkipColourNumbers(text, i);
    }
    return body;
}

}  // namespace

std::optional<Notification> NotificationFor(const AttentionLine& line) {
    if (line.windowActive || (line.keywordHits == 0 && !line.toMe)) return std::nullopt;
    Notification n;
    n.title = line.windowName.empty()
                  ? std::string(line.serverName)
                  : std::string(line.windowName) + " (" + std::string(line.serverName) + ")";
    n.body = PlainBody(line.text);
    return n;
}

}  // namespace velmok::ui
