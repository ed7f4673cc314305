#include "ui/QtNickList.h"

#include <QBrush>
#include <QColor>
#include <QListWidget>
#include <QSet>
#include <QStringList>

#include "platform/QtText.h"
#include "session/ChannelNames.h"

namespace velmok::ui {

namespace {

// Nicks are nearly always ASCII, which needs no converter.
QString Shown(const std::string& caption) {
    for (unsigned char c : caption)
        if (c >= 0x80) return platform::FromSjis(caption);
    return QString::fromLatin1(caption.data(), static_cast<qsizetype>(caption.size()));
}

}  // namespace

void FillNickList(QListWidget* list, const std::vector<std::string>& members,
                  const std::function<bool(const std::string&)>& isAway) {
    QSet<QString> selected;
    for (const QListWidgetItem* item : list->selectedItems()) selected.insert(item->text());
    QStringList texts;
    texts.reserve(static_cast<qsizetype>(members.size()));
    for (const std::string& m : members) texts.append(Shown(m));
    list->setUpdatesEnabled(false);
    list->clear();
    // One insertion of all rows; item by item the view would relayout for each.
    list->addItems(texts);
    if (isAway) {
        const QBrush grey(QColor(128, 128, 128));
        for (int row = 0; row < list->count(); ++row)
            if (isAway(session::channels::CaptionNick(members[static_cast<std::size_t>(row)])))
                list->item(row)->setForeground(grey);
    }
    if (!selected.isEmpty()) {
        for (int row = 0; row < list->count(); ++row) {
            QListWidgetItem* item = list->item(row);
            if (selected.contains(item->text())) item->setSelected(true);
        }
    }
    list->setUpdatesEnabled(true);
}

NickListRefresh::NickListRefresh(QObject* parent, std::function<void(int, int)> refresh)
    : QObject(parent), refresh_(std::move(refresh)) {
    timer_.setSingleShot(true);
    timer_.setInterval(0);
    connect(&timer_, &QTimer::timeout, this, [this] {
        const auto pending = std::move(pending_);
        pending_.clear();
        for (const auto& [slot, window] : pending) refresh_(slot, window);
    });
}

void NickListRefresh::Later(int slot, int window) {
    pending_.insert({slot, window});
    if (!timer_.isActive()) timer_.start();
}

}  // namespace velmok::ui
