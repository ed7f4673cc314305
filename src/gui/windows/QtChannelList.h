#pragma once
#include <QWidget>
#include <memory>

#include "windows/ChannelList.h"

class QTreeView;
class QTimer;

namespace velmok::session {
class Engine;
}

namespace velmok::windows {

class ChannelListModel;

// The answer to LIST for one slot: channel, users and topic per row in the
// order received. The whole list moves in on one timer tick once complete.
class Tfrm_List : public QWidget {
    Q_OBJECT
public:
    Tfrm_List(QWidget* owner, session::Engine& engine, int slot);
    ~Tfrm_List() override;

    int SessionIndex;
    QTreeView* Liv_List;
    QTimer* Timer1;

    // List_List: the names as received, row for row.
    const std::vector<std::string>& List_List() const;
    int RowCount() const;

    void Timer1Timer();
    void Liv_ListDblClick();
    // Closed already, waiting to be destroyed: the slot has no list window.
    bool IsClosed() const { return closed_; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FormShow();

    session::Engine& engine_;
    ChannelListModel* model_;
    bool closed_ = false;
};

}  // namespace velmok::windows
