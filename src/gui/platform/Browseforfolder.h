#pragma once
#include <string>

class QWidget;

namespace velmok::platform {

// Lets the user pick a folder, owned by `owner`. Returns its full path as
// Shift-JIS, or an empty string when the user cancels.
std::string BrowseForFolder(QWidget* owner);

}  // namespace velmok::platform
