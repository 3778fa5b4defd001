#include "controls/grid/grid_axis.h"

#include <algorithm>

void CGridAxis::Invalidate(int from) { validUpTo_ = std::min(validUpTo_, from); }

void CGridAxis::SetSize(int index, int size) {
    if (sizes_[static_cast<size_t>(index)] != size) {
        sizes_[static_cast<size_t>(index)] = size;
        Invalidate(index);
    }
}

void CGridAxis::Resize(int count, int size) {
    sizes_.resize(static_cast<size_t>(count), size);
    Invalidate(count);
    starts_.resize(static_cast<size_t>(count) + 1);
}

void CGridAxis::Insert(int index, int size) {
    sizes_.insert(sizes_.begin() + index, size);
    starts_.resize(sizes_.size() + 1);
    Invalidate(index);
}

void CGridAxis::Erase(int index) {
    sizes_.erase(sizes_.begin() + index);
    starts_.resize(sizes_.size() + 1);
    Invalidate(index);
}

int64_t CGridAxis::Start(int index) const {
    if (index > validUpTo_) {
        for (int i = validUpTo_; i < index; ++i)
            starts_[static_cast<size_t>(i) + 1] = starts_[static_cast<size_t>(i)] + sizes_[static_cast<size_t>(i)];
        validUpTo_ = index;
    }
    return starts_[static_cast<size_t>(index)];
}

int CGridAxis::IndexAfter(int from, int64_t offset) const {
    const int count = Count();
    if (from >= count)
        return count;
    const int64_t target = Start(from) + offset;
    Start(count);
    // The first i >= from with starts_[i + 1] > target.
    auto first = starts_.begin() + from + 1, last = starts_.begin() + count + 1;
    return static_cast<int>(std::upper_bound(first, last, target) - starts_.begin()) - 1;
}

int CGridAxis::IndexReaching(int from, int last, int64_t amount) const {
    if (from >= last)
        return from;
    const int64_t target = Start(from) + amount;
    Start(last);
    // The first i in [from, last] with starts_[i] >= target.
    auto begin = starts_.begin() + from, end = starts_.begin() + last + 1;
    auto found = std::lower_bound(begin, end, target);
    return found == end ? last : static_cast<int>(found - starts_.begin());
}
