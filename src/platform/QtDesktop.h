#pragma once
#include <QString>

namespace velmok::platform {

// Opens a URL with the desktop's default handler; failures are ignored.
void OpenUrl(const QString& url);

}  // namespace velmok::platform
