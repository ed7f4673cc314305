// The lines a message view keeps: compact in memory, bounded in number, and
// each tied to the style table it was written with.
#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

namespace velmok::ui {

// A styled run of a shown line: characters [start, start + length) in the
// style with that index of the line's style table.
struct ViewRun {
    int start = 0;
    int length = 0;
    int style = 0;  // 0..255
    bool operator==(const ViewRun&) const = default;
};

// One shown line in a single heap block: a small header, the runs and the
// text, one byte a character when every character is below U+0100 (nearly
// every line: the time stamp, nicks and ASCII chatter), else two. A long
// session keeps tens of thousands of these per view, so a few bytes a line
// matter more than any cost of reading them back.
class StoredLine {
public:
    StoredLine() = default;
    StoredLine(std::string_view latin1, const std::vector<ViewRun>& runs);
    StoredLine(std::u16string_view text, const std::vector<ViewRun>& runs);

    std::size_t Length() const;
    bool Wide() const;
    // The text as Latin-1 bytes (when not Wide) or UTF-16 (when Wide); the
    // other view is empty.
    std::string_view Narrow() const;
    std::u16string_view WideText() const;
    std::size_t RunCount() const;
    ViewRun RunAt(std::size_t index) const;
    // Bytes of the heap block, header and runs included.
    std::size_t BlockSize() const;

private:
    struct Free {
        void operator()(unsigned char* p) const { std::free(p); }
    };
    void Build(const void* text, std::size_t length, bool wide, const std::vector<ViewRun>& runs);
    std::size_t TextOffset() const;
    std::unique_ptr<unsigned char, Free> block_;
};

// At most Limit() lines, oldest first. Lines are numbered from the first one
// ever appended, so a number stays valid while its line is kept. Each line
// shows in the style table that was current when it was appended: tables are
// kept per stretch of lines, not per line.
template <typename Table>
class LineStore {
public:
    static constexpr std::size_t kDefaultLimit = 10000;

    std::size_t Limit() const { return limit_; }
    // Drops the oldest lines beyond the new limit (at least 1); returns how many.
    std::size_t SetLimit(std::size_t limit) {
        limit_ = std::max<std::size_t>(1, limit);
        return Trim();
    }
    // The table of the lines appended from now on.
    void SetTable(std::shared_ptr<const Table> table) { current_ = std::move(table); }

    // Appends; returns how many of the oldest lines went to make room.
    std::size_t Append(StoredLine line) {
        const std::uint64_t number = first_ + lines_.size();
        if (tables_.empty() || tables_.back().second != current_) tables_.emplace_back(number, current_);
        lines_.push_back(std::move(line));
        return Trim();
    }
    void Clear() {
        first_ += lines_.size();
        lines_.clear();
        tables_.clear();
    }

    std::size_t Size() const { return lines_.size(); }
    bool Empty() const { return lines_.empty(); }
    // Number of the oldest line kept.
    std::uint64_t First() const { return first_; }
    // By position among the lines kept, 0 the oldest.
    const StoredLine& At(std::size_t index) const { return lines_[index]; }
    const Table* TableOf(std::size_t index) const {
        const std::uint64_t number = first_ + index;
        auto it = std::upper_bound(tables_.begin(), tables_.end(), number,
                                   [](std::uint64_t n, const auto& entry) { return n < entry.first; });
        return it == tables_.begin() ? nullptr : std::prev(it)->second.get();
    }
    // Style tables still referred to (the current one aside).
    std::size_t TableCount() const { return tables_.size(); }

private:
    std::size_t Trim() {
        std::size_t dropped = 0;
        while (lines_.size() > limit_) {
            lines_.pop_front();
            ++first_;
            ++dropped;
        }
        while (tables_.size() > 1 && tables_[1].first <= first_) tables_.erase(tables_.begin());
        return dropped;
    }

    std::deque<StoredLine> lines_;
    std::uint64_t first_ = 0;
    std::size_t limit_ = kDefaultLimit;
    std::shared_ptr<const Table> current_;
    // (number of the first line, table) for each stretch of lines still kept.
    std::vector<std::pair<std::uint64_t, std::shared_ptr<const Table>>> tables_;
};

}  // namespace velmok::ui
