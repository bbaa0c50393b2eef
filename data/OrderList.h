#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// A sequence of record slots that takes an insertion or removal anywhere in logarithmic time
// plus a short copy, where a plain vector moves everything behind the place: the word table's
// row and sort orders, into which an import inserts every pair at its own place.
//
// The slots lie in chunks of at most ChunkLimit; a Fenwick tree over the chunk sizes finds the
// chunk of a position. A chunk that fills up is split in two, an emptied one is dropped, and
// only then is the tree rebuilt.
class OrderList {
public:
    OrderList() = default;
    explicit OrderList(const std::vector<std::uint32_t>& slots) { assign(slots); }

    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }

    std::uint32_t operator[](std::size_t index) const {
        const Place p = locate(index);
        return chunks_[p.chunk][p.offset];
    }

    void push_back(std::uint32_t slot);
    void insert(std::size_t index, std::uint32_t slot);
    void erase(std::size_t index);
    void clear();
    void assign(const std::vector<std::uint32_t>& slots);
    std::vector<std::uint32_t> toVector() const;

    // The position of a slot, or size() when it is not there.
    std::size_t find(std::uint32_t slot) const;

    // The first position whose slot does not satisfy the predicate, for a sequence in which
    // every slot satisfying it comes before every slot that does not (as std::partition_point).
    template <typename Predicate>
    std::size_t partitionPoint(Predicate predicate) const {
        // The first chunk whose last slot fails holds the point; the chunks before it pass.
        std::size_t low = 0;
        std::size_t high = chunks_.size();
        while (low < high) {
            const std::size_t middle = (low + high) / 2;
            if (predicate(chunks_[middle].back()))
                low = middle + 1;
            else
                high = middle;
        }
        if (low == chunks_.size())
            return size_;
        const std::vector<std::uint32_t>& chunk = chunks_[low];
        std::size_t first = 0;
        std::size_t last = chunk.size();
        while (first < last) {
            const std::size_t middle = (first + last) / 2;
            if (predicate(chunk[middle]))
                first = middle + 1;
            else
                last = middle;
        }
        return startOf(low) + first;
    }

    static constexpr std::size_t ChunkLimit = 512;

private:
    struct Place {
        std::size_t chunk;
        std::size_t offset;
    };

    Place locate(std::size_t index) const;
    std::size_t startOf(std::size_t chunk) const;
    void grow(std::size_t chunk, long delta);
    void rebuildTree();

    std::vector<std::vector<std::uint32_t>> chunks_;
    std::vector<std::size_t> tree_; // Fenwick tree over chunk sizes, 1-based
    std::size_t size_ = 0;
};
