#pragma once
// The sizes along one axis of the grid (row heights or column widths) with
// running sums, so that "where does row r start" and "which row holds this
// offset" cost a lookup, not a walk over every row. Sums are rebuilt lazily
// from the first size that changed; appending keeps what was summed.
#include <cstddef>
#include <cstdint>
#include <vector>

class CGridAxis {
public:
    int Count() const { return static_cast<int>(sizes_.size()); }
    int Size(int index) const { return sizes_[static_cast<size_t>(index)]; }
    void SetSize(int index, int size);
    void Resize(int count, int size);
    void Insert(int index, int size);
    void Erase(int index);
    void Clear() { Resize(0, 0); }

    // The sum of the sizes of [0, index).
    int64_t Start(int index) const;
    // The sum of the sizes of [from, to).
    int64_t Sum(int from, int to) const { return Start(to) - Start(from); }
    // The first index in [from, count) whose end, counted from the start of
    // from, lies beyond offset (the index holding offset); count when none.
    int IndexAfter(int from, int64_t offset) const;
    // The first index in [from, last] at which the sizes of [from, index)
    // reach at least amount; last when they never do.
    int IndexReaching(int from, int last, int64_t amount) const;

private:
    void Invalidate(int from);
    std::vector<int> sizes_;
    mutable std::vector<int64_t> starts_{0}; // starts_[i] = sum of sizes [0, i), valid up to validUpTo_
    mutable int validUpTo_ = 0;
};
