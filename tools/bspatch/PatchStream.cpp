#include "PatchStream.h"

#include <algorithm>
#include <cstring>

namespace bspatch {

PatchStream::PatchStream(ByteSource& source, uint64_t begin, uint64_t end, std::string label,
                         DecodePool* pool, const PatchStreamOptions& options)
    : decoder_(source, begin, end, options.threaded ? pool : nullptr, options.lookahead),
      label_(std::move(label)),
      pieceSize_(std::max<size_t>(options.pieceSize, 1)) {
    decoder_.Start();  // both streams decode from the first moment
}

Bzip2Piece PatchStream::Next(size_t maxBytes) {
    try {
        return decoder_.Next(std::min(maxBytes, pieceSize_));
    } catch (const Bzip2Error& e) {
        throw PatchError(ExitCode::CorruptPatch, label_ + " block at offset " +
                                                     std::to_string(e.Offset()) + ": " + e.what());
    }
}

bool PatchStream::ReadExact(uint8_t* out, size_t size) {
    while (size != 0) {
        Bzip2Piece piece = Next(size);
        if (piece.size == 0) {
            return false;
        }
        if (piece.data != nullptr) {
            std::memcpy(out, piece.data, piece.size);
        } else {
            std::memset(out, piece.fill, piece.size);
        }
        out += piece.size;
        size -= piece.size;
    }
    return true;
}

}  // namespace bspatch
