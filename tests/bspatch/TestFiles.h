// Helpers of the bspatch tests: scratch folders, files, data, tools.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace bspatch_test {

using Bytes = std::vector<uint8_t>;

// A fresh folder under the build tree's temporary area, removed with its
// contents at destruction.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    std::string Path(const std::string& name) const { return path_ + "/" + name; }
    const std::string& Root() const { return path_; }
    // Names in the folder, sorted.
    std::vector<std::string> List() const;

private:
    std::string path_;
};

Bytes ReadFile(const std::string& path);
void WriteFile(const std::string& path, const Bytes& data);

Bytes RandomBytes(size_t size, uint32_t seed);
Bytes Join(std::initializer_list<Bytes> parts);
Bytes TextBytes(size_t size, uint32_t seed);  // words and lines, compressible

// Runs a shell command line; returns its exit status. Output of the command
// is captured into `output` when given (stdout and stderr together).
int RunShell(const std::string& commandLine, std::string* output = nullptr);
std::string Quote(const std::string& text);

// bzip2 via libbz2 (test data only).
Bytes Bzip2(const Bytes& data, int level);

// Appends one patch integer (8 bytes, sign and magnitude).
void PutOffset(Bytes& out, int64_t value);

struct Triple {
    int64_t add, copy, seek;
};

// A BSDIFF40 patch from its parts, the blocks compressed with libbz2.
Bytes BuildPatch(const std::vector<Triple>& triples, const Bytes& diff, const Bytes& extra,
                 int64_t newSize);

// A BSDIFF40 patch from its three blocks as they are (already compressed).
Bytes AssemblePatch(const Bytes& control, const Bytes& diff, const Bytes& extra, int64_t newSize);

// The control block of these triples, uncompressed.
Bytes ControlBlock(const std::vector<Triple>& triples);

}  // namespace bspatch_test
