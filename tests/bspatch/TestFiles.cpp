#include "TestFiles.h"

#include <bzlib.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sys/wait.h>

namespace bspatch_test {

ScratchDir::ScratchDir() {
    std::string base = std::filesystem::temp_directory_path() / "bspatch-test-XXXXXX";
    std::vector<char> name(base.begin(), base.end());
    name.push_back('\0');
    if (mkdtemp(name.data()) == nullptr) {
        throw std::runtime_error("mkdtemp failed");
    }
    path_ = name.data();
}

ScratchDir::~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::vector<std::string> ScratchDir::List() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path_)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

Bytes ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& path, const Bytes& data) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data.data()),
              static_cast<std::streamsize>(data.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + path);
    }
}

Bytes RandomBytes(size_t size, uint32_t seed) {
    std::mt19937 random(seed);
    Bytes data(size);
    for (auto& b : data) {
        b = static_cast<uint8_t>(random());
    }
    return data;
}

Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

Bytes TextBytes(size_t size, uint32_t seed) {
    static const char* const kWords[] = {"patch", "image",  "block",  "stream", "old",  "new",
                                         "the",   "of",     "and",    "a",      "byte", "file",
                                         "ISO",   "Brivok", "offset", "seek",   "copy", "add"};
    std::mt19937 random(seed);
    Bytes data;
    while (data.size() < size) {
        const char* word = kWords[random() % (sizeof kWords / sizeof *kWords)];
        data.insert(data.end(), word, word + std::strlen(word));
        data.push_back(random() % 11 == 0 ? '\n' : ' ');
    }
    data.resize(size);
    return data;
}

int RunShell(const std::string& commandLine, std::string* output) {
    std::string line = commandLine + " 2>&1";
    // Closed also when appending throws; the end takes it back for its status.
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(line.c_str(), "r"), pclose);
    if (pipe == nullptr) {
        return -1;
    }
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe.get())) > 0) {
        if (output != nullptr) {
            output->append(buffer, n);
        }
    }
    int status = pclose(pipe.release());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Quote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

Bytes Bzip2(const Bytes& data, int level) {
    unsigned int capacity = static_cast<unsigned int>(data.size() + data.size() / 100 + 600);
    Bytes out(capacity);
    static char empty = 0;  // libbz2 refuses a null source even for no bytes
    int rc = BZ2_bzBuffToBuffCompress(
        reinterpret_cast<char*>(out.data()), &capacity,
        data.empty() ? &empty : const_cast<char*>(reinterpret_cast<const char*>(data.data())),
        static_cast<unsigned int>(data.size()), level, 0, 0);
    if (rc != BZ_OK) {
        throw std::runtime_error("BZ2_bzBuffToBuffCompress failed");
    }
    out.resize(capacity);
    return out;
}

void PutOffset(Bytes& out, int64_t value) {
    const uint64_t magnitude = value < 0 ? (uint64_t{0} - static_cast<uint64_t>(value)) | 1ull << 63
                                         : static_cast<uint64_t>(value);
    for (int i = 0; i < 8; ++i) {
        out.push_back(static_cast<uint8_t>(magnitude >> (8 * i)));
    }
}

Bytes ControlBlock(const std::vector<Triple>& triples) {
    Bytes control;
    for (const Triple& t : triples) {
        PutOffset(control, t.add);
        PutOffset(control, t.copy);
        PutOffset(control, t.seek);
    }
    return control;
}

Bytes AssemblePatch(const Bytes& control, const Bytes& diff, const Bytes& extra, int64_t newSize) {
    Bytes header = {'B', 'S', 'D', 'I', 'F', 'F', '4', '0'};
    PutOffset(header, static_cast<int64_t>(control.size()));
    PutOffset(header, static_cast<int64_t>(diff.size()));
    PutOffset(header, newSize);
    return Join({header, control, diff, extra});
}

Bytes BuildPatch(const std::vector<Triple>& triples, const Bytes& diff, const Bytes& extra,
                 int64_t newSize) {
    return AssemblePatch(Bzip2(ControlBlock(triples), 9), Bzip2(diff, 9), Bzip2(extra, 9), newSize);
}

}  // namespace bspatch_test
