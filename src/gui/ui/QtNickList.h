#pragma once
// Filling the member lists of the channel windows.
#include <QObject>
#include <QTimer>
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

class QListWidget;

namespace velmok::ui {

// Shows members (captions as the record keeps them, in its order) in list,
// keeping the selection. One pass, however long the list. Members for whom
// isAway (given the bare nick) says so are shown greyed.
void FillNickList(QListWidget* list, const std::vector<std::string>& members,
                  const std::function<bool(const std::string& nick)>& isAway = {});

// Refreshes asked while a NAMES listing is still coming in are gathered and
// done once the lines at hand have been handled, instead of once per line.
class NickListRefresh : public QObject {
public:
    NickListRefresh(QObject* parent, std::function<void(int slot, int window)> refresh);
    void Later(int slot, int window);

private:
    std::function<void(int, int)> refresh_;
    std::set<std::pair<int, int>> pending_;
    QTimer timer_;
};

}  // namespace velmok::ui
