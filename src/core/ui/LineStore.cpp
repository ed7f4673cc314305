#include "ui/LineStore.h"

#include <cstring>
#include <new>

namespace velmok::ui {

namespace {

// Block layout: u32 length, u16 run count, u8 flags, u8 unused; then per run
// u32 start, u32 length, u8 style; then one padding byte when needed so that
// two-byte text starts at an even offset; then the text.
constexpr std::size_t kHeader = 8;
constexpr std::size_t kRunBytes = 9;
constexpr unsigned char kWide = 1;

std::size_t TextOffsetFor(std::size_t runs) {
    const std::size_t offset = kHeader + runs * kRunBytes;
    return offset + (offset & 1);
}

template <typename T>
T Load(const unsigned char* p) {
    T value;
    std::memcpy(&value, p, sizeof value);
    return value;
}

template <typename T>
void Store(unsigned char* p, T value) {
    std::memcpy(p, &value, sizeof value);
}

}  // namespace

StoredLine::StoredLine(std::string_view latin1, const std::vector<ViewRun>& runs) {
    Build(latin1.data(), latin1.size(), false, runs);
}

StoredLine::StoredLine(std::u16string_view text, const std::vector<ViewRun>& runs) {
    bool narrow = true;
    for (char16_t c : text) narrow = narrow && c < 0x100;
    if (!narrow) {
        Build(text.data(), text.size(), true, runs);
        return;
    }
    std::string bytes(text.size(), '\0');
    for (std::size_t i = 0; i < text.size(); ++i) bytes[i] = static_cast<char>(text[i]);
    Build(bytes.data(), bytes.size(), false, runs);
}

void StoredLine::Build(const void* text, std::size_t length, bool wide, const std::vector<ViewRun>& runs) {
    const std::size_t count = std::min<std::size_t>(runs.size(), 0xFFFF);
    const std::size_t offset = TextOffsetFor(count);
    const std::size_t size = offset + length * (wide ? 2 : 1);
    auto* block = static_cast<unsigned char*>(std::malloc(size));
    if (block == nullptr) throw std::bad_alloc();
    block_.reset(block);
    Store(block, static_cast<std::uint32_t>(length));
    Store(block + 4, static_cast<std::uint16_t>(count));
    block[6] = wide ? kWide : 0;
    block[7] = 0;
    unsigned char* run = block + kHeader;
    for (std::size_t i = 0; i < count; ++i, run += kRunBytes) {
        Store(run, static_cast<std::uint32_t>(std::max(0, runs[i].start)));
        Store(run + 4, static_cast<std::uint32_t>(std::max(0, runs[i].length)));
        run[8] = static_cast<unsigned char>(runs[i].style);
    }
    if (offset > kHeader + count * kRunBytes) block[offset - 1] = 0;
    if (length > 0) std::memcpy(block + offset, text, length * (wide ? 2 : 1));
}

std::size_t StoredLine::Length() const { return block_ ? Load<std::uint32_t>(block_.get()) : 0; }

bool StoredLine::Wide() const { return block_ && (block_.get()[6] & kWide) != 0; }

std::size_t StoredLine::RunCount() const { return block_ ? Load<std::uint16_t>(block_.get() + 4) : 0; }

std::size_t StoredLine::TextOffset() const { return TextOffsetFor(RunCount()); }

std::string_view StoredLine::Narrow() const {
    if (!block_ || Wide()) return {};
    return {reinterpret_cast<const char*>(block_.get() + TextOffset()), Length()};
}

std::u16string_view StoredLine::WideText() const {
    if (!block_ || !Wide()) return {};
    return {reinterpret_cast<const char16_t*>(block_.get() + TextOffset()), Length()};
}

ViewRun StoredLine::RunAt(std::size_t index) const {
    const unsigned char* run = block_.get() + kHeader + index * kRunBytes;
    return ViewRun{static_cast<int>(Load<std::uint32_t>(run)), static_cast<int>(Load<std::uint32_t>(run + 4)),
                   run[8]};
}

std::size_t StoredLine::BlockSize() const { return block_ ? TextOffset() + Length() * (Wide() ? 2 : 1) : 0; }

}  // namespace velmok::ui
