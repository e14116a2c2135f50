// libFuzzer target of the bzip2 decoder: the input is one stream.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "Bzip2Decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    bspatch::MemorySource source({data, size});
    bspatch::Bzip2Decoder decoder(source, 0, size);
    std::vector<uint8_t> out(1 << 16);
    // A few blocks of long runs can expand a small input a thousandfold;
    // stop after 64 MB so that sessions stay quick.
    try {
        for (size_t total = 0; total < (64u << 20);) {
            size_t n = decoder.Read(out.data(), out.size());
            if (n == 0) {
                break;
            }
            total += n;
        }
    } catch (const bspatch::Bzip2Error&) {
    }
    return 0;
}
