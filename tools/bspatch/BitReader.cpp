#include "BitReader.h"

#include <algorithm>

namespace bspatch {

BitReader::BitReader(const StreamRange& range, uint64_t bit, size_t bufferSize)
    : range_(range),
      nextFetch_(bit / 8),
      capacity_(std::max<size_t>(bufferSize, 8)),
      buffer_(std::make_unique_for_overwrite<uint8_t[]>(capacity_)) {
    int skip = static_cast<int>(bit % 8);
    if (skip != 0) {
        // The first byte's leading bits belong to what came before.
        Refill();
        if (count_ < skip) {
            Fail(Bzip2Fault::Truncated);
        }
        Skip(skip);
    }
}

bool BitReader::FillBuffer() {
    if (nextFetch_ >= range_.Bytes()) {
        return false;
    }
    size_t want = static_cast<size_t>(std::min<uint64_t>(capacity_, range_.Bytes() - nextFetch_));
    range_.source->ReadAt(range_.begin + nextFetch_, buffer_.get(), want);
    nextFetch_ += want;
    pos_ = 0;
    length_ = want;
    return true;
}

}  // namespace bspatch
