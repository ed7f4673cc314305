#include "windows/QtChannelList.h"

#include <QAbstractTableModel>
#include <QCloseEvent>
#include <QHeaderView>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

#include "platform/QtText.h"

namespace velmok::windows {

using platform::FromSjis;

// The rows as one table. Texts are decoded only for the rows on screen, so a
// list of tens of thousands of channels costs one pass over the bytes.
class ChannelListModel : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    ChannelListData data_;

    void Replace(ChannelListData& data) {
        beginResetModel();
        std::swap(data_, data);
        endResetModel();
    }
    int rowCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : static_cast<int>(data_.rows.size());
    }
    int columnCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : 3; }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount({})) return {};
        const ChannelListRow& row = data_.rows[static_cast<std::size_t>(index.row())];
        switch (index.column()) {
            case 0:
                return FromSjis(row.caption);
            case 1:
                return FromSjis(row.users);
            default:
                return FromSjis(row.topic);
        }
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
        static const char* titles[] = {"Channel", "Users", "Topic"};
        return section >= 0 && section < 3 ? QString::fromLatin1(titles[section]) : QVariant();
    }
};

Tfrm_List::Tfrm_List(QWidget* owner, session::Engine& engine, int slot)
    : QWidget(owner, Qt::Window), SessionIndex(slot), engine_(engine), model_(new ChannelListModel(this)) {
    setObjectName(QStringLiteral("Tfrm_List"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(560, 360);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    Liv_List = new QTreeView(this);
    Liv_List->setObjectName(QStringLiteral("Liv_List"));
    Liv_List->setModel(model_);
    Liv_List->setRootIsDecorated(false);
    Liv_List->setItemsExpandable(false);
    // Every row is one line high: the view need not measure them all.
    Liv_List->setUniformRowHeights(true);
    Liv_List->setSelectionBehavior(QAbstractItemView::SelectRows);
    Liv_List->setSelectionMode(QAbstractItemView::SingleSelection);
    Liv_List->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Liv_List->setSortingEnabled(false);
    Liv_List->header()->setStretchLastSection(false);
    layout->addWidget(Liv_List);
    connect(Liv_List, &QTreeView::doubleClicked, this, &Tfrm_List::Liv_ListDblClick);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, &Tfrm_List::Timer1Timer);
    Timer1->start();
}

Tfrm_List::~Tfrm_List() = default;

const std::vector<std::string>& Tfrm_List::List_List() const { return model_->data_.names; }

int Tfrm_List::RowCount() const { return model_->rowCount({}); }

void Tfrm_List::FormShow() {
    Liv_List->setColumnWidth(0, 142);
    Liv_List->setColumnWidth(1, 45);
    Liv_List->setColumnWidth(2, 350);
    setWindowTitle(FromSjis(ChannelListCaption(engine_, SessionIndex)));
}

void Tfrm_List::showEvent(QShowEvent* event) {
    FormShow();
    QWidget::showEvent(event);
}

void Tfrm_List::Timer1Timer() {
    if (closed_) return;
    ChannelListData data;
    if (!TakeChannelList(engine_, SessionIndex, data)) return;
    model_->Replace(data);
    show();
    if (isMinimized()) showNormal();
}

void Tfrm_List::Liv_ListDblClick() {
    const QModelIndexList rows = Liv_List->selectionModel()->selectedRows();
    if (rows.isEmpty()) return;
    const int row = rows.first().row();
    const std::vector<std::string>& names = List_List();
    if (row >= 0 && row < static_cast<int>(names.size()))
        JoinListedChannel(engine_, SessionIndex, names[static_cast<std::size_t>(row)]);
}

void Tfrm_List::closeEvent(QCloseEvent* event) {
    if (!closed_) {
        closed_ = true;
        Timer1->stop();
        ChannelListClosed(engine_, SessionIndex);
    }
    QWidget::closeEvent(event);
}

}  // namespace velmok::windows
