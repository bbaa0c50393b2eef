#include "data/OrderList.h"

#include <algorithm>
#include <bit>

void OrderList::rebuildTree() {
    tree_.assign(chunks_.size() + 1, 0);
    for (std::size_t i = 1; i <= chunks_.size(); ++i) {
        tree_[i] += chunks_[i - 1].size();
        const std::size_t parent = i + (i & -i);
        if (parent <= chunks_.size())
            tree_[parent] += tree_[i];
    }
}

void OrderList::grow(std::size_t chunk, long delta) {
    for (std::size_t i = chunk + 1; i < tree_.size(); i += i & -i)
        tree_[i] = std::size_t(long(tree_[i]) + delta);
}

std::size_t OrderList::startOf(std::size_t chunk) const {
    std::size_t sum = 0;
    for (std::size_t i = chunk; i > 0; i -= i & -i)
        sum += tree_[i];
    return sum;
}

// Descends the tree to the chunk holding the index; the caller keeps index < size().
OrderList::Place OrderList::locate(std::size_t index) const {
    std::size_t at = 0;
    std::size_t rest = index;
    for (std::size_t step = std::bit_floor(chunks_.size()); step > 0; step /= 2) {
        const std::size_t next = at + step;
        if (next < tree_.size() && tree_[next] <= rest) {
            at = next;
            rest -= tree_[next];
        }
    }
    return {at, rest};
}

void OrderList::push_back(std::uint32_t slot) {
    insert(size_, slot);
}

void OrderList::insert(std::size_t index, std::uint32_t slot) {
    if (chunks_.empty()) {
        chunks_.push_back({slot});
        rebuildTree();
        size_ = 1;
        return;
    }
    // The end belongs to the last chunk; any other place to the chunk holding it.
    Place p = index == size_ ? Place{chunks_.size() - 1, chunks_.back().size()} : locate(index);
    std::vector<std::uint32_t>& chunk = chunks_[p.chunk];
    chunk.insert(chunk.begin() + std::ptrdiff_t(p.offset), slot);
    ++size_;
    if (chunk.size() <= ChunkLimit) {
        grow(p.chunk, 1);
        return;
    }
    std::vector<std::uint32_t> upper(chunk.begin() + std::ptrdiff_t(chunk.size() / 2), chunk.end());
    chunk.resize(chunk.size() / 2);
    chunks_.insert(chunks_.begin() + std::ptrdiff_t(p.chunk + 1), std::move(upper));
    rebuildTree();
}

void OrderList::erase(std::size_t index) {
    const Place p = locate(index);
    std::vector<std::uint32_t>& chunk = chunks_[p.chunk];
    chunk.erase(chunk.begin() + std::ptrdiff_t(p.offset));
    --size_;
    if (!chunk.empty()) {
        grow(p.chunk, -1);
        return;
    }
    chunks_.erase(chunks_.begin() + std::ptrdiff_t(p.chunk));
    rebuildTree();
}

void OrderList::clear() {
    chunks_ = {};
    tree_ = {};
    size_ = 0;
}

void OrderList::assign(const std::vector<std::uint32_t>& slots) {
    chunks_.clear();
    // Chunks half full leave room for insertions before the next split.
    constexpr std::size_t Fill = ChunkLimit / 2;
    for (std::size_t at = 0; at < slots.size(); at += Fill) {
        const std::size_t end = std::min(slots.size(), at + Fill);
        chunks_.emplace_back(slots.begin() + std::ptrdiff_t(at),
                             slots.begin() + std::ptrdiff_t(end));
    }
    size_ = slots.size();
    rebuildTree();
}

std::vector<std::uint32_t> OrderList::toVector() const {
    std::vector<std::uint32_t> slots;
    slots.reserve(size_);
    for (const auto& chunk : chunks_)
        slots.insert(slots.end(), chunk.begin(), chunk.end());
    return slots;
}

std::size_t OrderList::find(std::uint32_t slot) const {
    std::size_t start = 0;
    for (const auto& chunk : chunks_) {
        const auto it = std::find(chunk.begin(), chunk.end(), slot);
        if (it != chunk.end())
            return start + std::size_t(it - chunk.begin());
        start += chunk.size();
    }
    return size_;
}
