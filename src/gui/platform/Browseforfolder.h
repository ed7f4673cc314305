#pragma once
#include <string>

class QWidget;

namespace velmok::platform {

// Lets the user pick a folder, owned by `owner`. Returns its full path in the
// file system's encoding, or an empty string when the user cancels.
std::string BrowseForFolder(QWidget* owner);

}  // namespace velmok::platform
