#include "PatchStream.h"

#include <algorithm>
#include <string>

namespace bspatch {

PatchStream::PatchStream(ByteSource& source, uint64_t begin, uint64_t end, std::string label,
                         const PatchStreamOptions& options)
    : decoder_(source, begin, end), label_(std::move(label)), options_(options) {
    options_.chunkSize = std::max<size_t>(options_.chunkSize, 1);
    options_.depth = std::max<size_t>(options_.depth, 1);
    if (options_.threaded) {
        for (size_t i = 0; i < options_.depth; ++i) {
            free_.push_back(MakeChunk(options_.chunkSize));
        }
        worker_ = std::thread([this] { Work(); });
    } else {
        current_ = MakeChunk(options_.chunkSize);
    }
}

PatchStream::~PatchStream() {
    if (worker_.joinable()) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stop_ = true;
        }
        changed_.notify_all();
        worker_.join();
    }
}

void PatchStream::FillChunk(Chunk& chunk) {
    chunk.size = 0;
    while (chunk.size < chunk.capacity) {
        size_t got = decoder_.Read(chunk.data.get() + chunk.size, chunk.capacity - chunk.size);
        if (got == 0) {
            break;
        }
        chunk.size += got;
    }
}

void PatchStream::Work() {
    for (;;) {
        Chunk chunk;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            changed_.wait(lock, [this] { return stop_ || !free_.empty(); });
            if (stop_) {
                return;
            }
            chunk = std::move(free_.back());
            free_.pop_back();
        }
        std::exception_ptr failure;
        try {
            FillChunk(chunk);
        } catch (...) {
            failure = std::current_exception();
        }
        bool last = failure || chunk.size < chunk.capacity;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (chunk.size != 0) {
                filled_.push_back(std::move(chunk));
            }
            if (last) {
                failure_ = failure;
                workerDone_ = true;
            }
        }
        changed_.notify_all();
        if (last) {
            return;
        }
    }
}

void PatchStream::Rethrow(std::exception_ptr failure) const {
    try {
        std::rethrow_exception(failure);
    } catch (const Bzip2Error& e) {
        throw PatchError(ExitCode::CorruptPatch, label_ + " block at offset " +
                                                     std::to_string(e.Offset()) + ": " + e.what());
    }
}

std::span<uint8_t> PatchStream::Next(size_t maxBytes) {
    if (readPos_ == current_.size && !ended_) {
        if (!options_.threaded) {
            try {
                FillChunk(current_);
            } catch (...) {
                ended_ = true;
                current_.size = 0;  // nothing of the failed chunk is handed out
                readPos_ = 0;
                Rethrow(std::current_exception());
            }
            readPos_ = 0;
            ended_ = current_.size == 0;
        } else {
            std::unique_lock<std::mutex> lock(mutex_);
            if (current_.data) {
                free_.push_back(std::move(current_));
                current_ = Chunk{};
                changed_.notify_all();
            }
            changed_.wait(lock, [this] { return !filled_.empty() || workerDone_; });
            readPos_ = 0;
            if (!filled_.empty()) {
                current_ = std::move(filled_.front());
                filled_.pop_front();
            } else {
                ended_ = true;
                if (failure_) {
                    std::exception_ptr failure = failure_;
                    lock.unlock();
                    Rethrow(failure);
                }
            }
        }
    }
    size_t n = std::min(maxBytes, current_.size - readPos_);
    std::span<uint8_t> piece(current_.data.get() + readPos_, n);
    readPos_ += n;
    return piece;
}

bool PatchStream::ReadExact(uint8_t* out, size_t size) {
    while (size != 0) {
        std::span<uint8_t> piece = Next(size);
        if (piece.empty()) {
            return false;
        }
        std::copy(piece.begin(), piece.end(), out);
        out += piece.size();
        size -= piece.size();
    }
    return true;
}

}  // namespace bspatch
