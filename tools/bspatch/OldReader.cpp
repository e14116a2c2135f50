#include "OldReader.h"

#include <algorithm>

namespace bspatch {
namespace {

constexpr size_t kSumBuffer = 64 * 1024;
// A jump reads at least this much, from the 4 KB boundary below it: a
// page or two of the system's cache, and small seeks back stay inside.
constexpr size_t kJumpRead = 16 * 1024;
constexpr uint64_t kAlign = 4096;
// Runs of zero diff bytes at least this long are copied file to file (the
// bytes pass through memory once, not twice).
constexpr size_t kDirectCopy = 64 * 1024;

}  // namespace

OldReader::OldReader(ByteSource& file, size_t buffered)
    : file_(file),
      size_(file.Size()),
      // No larger than the file: a small one costs no more than itself.
      capacity_(static_cast<size_t>(
          std::clamp<uint64_t>(size_, 1, std::max<size_t>(buffered / kWindows, 1)))) {}

void OldReader::AddTo(int64_t position, uint8_t* data, size_t size) {
    Visit(
        position, size,
        [&](const uint8_t* old, size_t n) {
            for (size_t i = 0; i < n; ++i) {
                data[i] = static_cast<uint8_t>(data[i] + old[i]);
            }
            data += n;
        },
        [&](size_t n) { data += n; }, [](uint64_t, size_t) { return uint64_t{0}; });
}

void OldReader::WriteSum(int64_t position, size_t size, uint8_t add, ByteSink& out) {
    Visit(
        position, size,
        [&](const uint8_t* old, size_t n) {
            if (add == 0) {
                out.Write(old, n);
                return;
            }
            if (!sum_) {
                sum_ = std::make_unique_for_overwrite<uint8_t[]>(kSumBuffer);
            }
            while (n != 0) {
                size_t m = std::min(n, kSumBuffer);
                for (size_t i = 0; i < m; ++i) {
                    sum_[i] = static_cast<uint8_t>(old[i] + add);
                }
                out.Write(sum_.get(), m);
                old += m;
                n -= m;
            }
        },
        [&](size_t n) { out.WriteRun(add, n); },
        [&](uint64_t at, size_t n) { return add == 0 ? out.CopyFrom(file_, at, n) : 0; });
}

template <typename Inside, typename Outside, typename Direct>
void OldReader::Visit(int64_t position, size_t size, Inside inside, Outside outside,
                      Direct direct) {
    if (position < 0) {
        uint64_t below = static_cast<uint64_t>(-(position + 1)) + 1;
        size_t n = static_cast<size_t>(std::min<uint64_t>(below, size));
        outside(n);
        size -= n;
        position = 0;
    }
    uint64_t at = static_cast<uint64_t>(position);
    while (size != 0 && at < size_) {
        if (size >= kDirectCopy && !InWindow(at)) {
            const size_t n = static_cast<size_t>(direct(at, std::min<uint64_t>(size, size_ - at)));
            if (n != 0) {
                bytesRead_ += n;
                size -= n;
                at += n;
                continue;
            }
        }
        Window& window = WindowAt(at, size);
        size_t offset = static_cast<size_t>(at - window.start);
        size_t n = std::min(size, window.length - offset);
        inside(window.buffer.get() + offset, n);
        size -= n;
        at += n;
    }
    if (size != 0) {
        outside(size);
    }
}

bool OldReader::InWindow(uint64_t at) const {
    return std::any_of(std::begin(windows_), std::end(windows_),
                       [at](const Window& window) { return window.Holds(at); });
}

OldReader::Window& OldReader::WindowAt(uint64_t at, size_t want) {
    Window& last = windows_[lastWindow_];
    if (last.Holds(at)) {
        return last;  // most accesses: no need to look further, nor to count the use
    }
    Window& found = FindWindow(at, want);
    lastWindow_ = static_cast<int>(&found - windows_);
    return found;
}

OldReader::Window& OldReader::FindWindow(uint64_t at, size_t want) {
    Window* oldest = &windows_[0];
    for (Window& window : windows_) {
        if (window.Holds(at)) {
            window.lastUse = ++clock_;
            return window;
        }
        if (window.lastUse < oldest->lastUse) {
            oldest = &window;
        }
    }
    // Reading on where a window ends, or within a window's length after it:
    // a stream moving forward, which the whole window serves best.
    for (Window& window : windows_) {
        const uint64_t end = window.start + window.length;
        if (window.length != 0 && at >= end && at - end < capacity_) {
            Fill(window, at, capacity_);
            return window;
        }
    }
    // A jump: what the access needs, from the boundary below it.
    const uint64_t start = capacity_ >= 4 * kJumpRead ? at - at % kAlign : at;
    const uint64_t need = at - start + std::max<uint64_t>(want, kJumpRead);
    Fill(*oldest, start, static_cast<size_t>(std::min<uint64_t>(need, capacity_)));
    return *oldest;
}

void OldReader::Fill(Window& window, uint64_t start, size_t length) {
    if (!window.buffer) {
        window.buffer = std::make_unique_for_overwrite<uint8_t[]>(capacity_);
    }
    window.length = 0;  // until the read succeeded
    window.start = start;
    window.lastUse = ++clock_;
    length = static_cast<size_t>(std::min<uint64_t>(length, size_ - start));
    file_.ReadAt(start, window.buffer.get(), length);
    window.length = length;
    bytesRead_ += length;
}

}  // namespace bspatch
