// The program and PatchFiles against patches made by Debian's bsdiff and
// damaged ones.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <random>

#include "BsPatch.h"
#include "Bzip2Streams.h"
#include "TestFiles.h"

using namespace bspatch;
using namespace bspatch_test;

namespace {

const std::string kBspatch = BSPATCH_EXE;

// Edits as an updated image has them: changed bytes, insertions, deletions.
Bytes Edited(Bytes data, uint32_t seed, int edits) {
    std::mt19937 random(seed);
    for (int i = 0; i < edits && !data.empty(); ++i) {
        const auto at = data.begin() + static_cast<ptrdiff_t>(random() % data.size());
        const auto upTo = [&](uint32_t most) {
            return at + std::min<ptrdiff_t>(data.end() - at, 1 + random() % most);
        };
        const auto kind = random() % 3;
        if (kind == 0) {
            std::generate(at, upTo(64), [&] { return static_cast<uint8_t>(random()); });
        } else if (kind == 1) {
            const Bytes inserted = RandomBytes(1 + random() % 300, random());
            data.insert(at, inserted.begin(), inserted.end());
        } else {
            data.erase(at, upTo(200));
        }
    }
    return data;
}

// Makes PATCH from OLD and NEW with Debian's bsdiff.
void MakePatch(const std::string& oldPath, const std::string& newPath,
               const std::string& patchPath) {
    std::string output;
    ASSERT_EQ(RunShell("bsdiff " + Quote(oldPath) + " " + Quote(newPath) + " " + Quote(patchPath),
                       &output),
              0)
        << output;
}

// The seeks of a patch's control block, decoded with libbz2.
std::vector<int64_t> Seeks(const Bytes& patch) {
    const auto control = patch.begin() + 32;
    bool whole = false;
    const Bytes triples = LibraryOutputBeforeError(
        Bytes(control, control + static_cast<ptrdiff_t>(DecodeOffset(patch.data() + 8))), &whole);
    EXPECT_TRUE(whole);
    std::vector<int64_t> seeks;
    for (size_t at = 0; at + 24 <= triples.size(); at += 24) {
        seeks.push_back(DecodeOffset(triples.data() + at + 16));
    }
    return seeks;
}

// PatchFiles from the folder's old file to `out`.
PatchResult Patch(const ScratchDir& dir, const PatchOptions& options, const char* out = "new",
                  const char* patch = "patch") {
    return PatchFiles(dir.Path("old"), dir.Path(out), dir.Path(patch), options);
}

int RunBspatch(const std::string& args, std::string* output) {
    return RunShell(Quote(kBspatch) + " " + args, output);
}

// The quoted paths of OLD, NEW and PATCH in the folder.
std::string Args(const ScratchDir& dir, const char* oldName, const char* out, const char* patch) {
    return Quote(dir.Path(oldName)) + " " + Quote(dir.Path(out)) + " " + Quote(dir.Path(patch));
}

// What the file takes on the disc, in bytes; -1 when it cannot be told.
int64_t Allocated(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 ? int64_t{info.st_blocks} * 512 : -1;
}

// Two small ISO images whose trees differ by a few files.
void MakeIsoPair(const ScratchDir& dir, Bytes& oldIso, Bytes& newIso) {
    namespace fs = std::filesystem;
    const std::string a = dir.Path("treeA"), b = dir.Path("treeB");
    fs::create_directories(a + "/docs");
    fs::create_directories(a + "/bin");
    for (int i = 0; i < 6; ++i) {
        WriteFile(a + "/docs/page" + std::to_string(i) + ".txt",
                  TextBytes(20000 + i * 3000, 100 + i));
        WriteFile(a + "/bin/blob" + std::to_string(i), RandomBytes(30000, 200 + i));
    }
    fs::copy(a, b, fs::copy_options::recursive);
    WriteFile(b + "/docs/page2.txt", Edited(ReadFile(b + "/docs/page2.txt"), 7, 20));
    WriteFile(b + "/bin/blob4", Edited(ReadFile(b + "/bin/blob4"), 8, 10));
    WriteFile(b + "/bin/added", RandomBytes(12000, 300));
    fs::remove(b + "/docs/page5.txt");
    for (const char* tree : {"treeA", "treeB"}) {
        std::string output;
        ASSERT_EQ(
            RunShell("xorriso -as mkisofs -quiet -V BRIVOK -o " +
                         Quote(dir.Path(std::string(tree) + ".iso")) + " " + Quote(dir.Path(tree)),
                     &output),
            0)
            << output;
    }
    oldIso = ReadFile(dir.Path("treeA.iso"));
    newIso = ReadFile(dir.Path("treeB.iso"));
}

}  // namespace

TEST(RoundTrip, OutputEqualsTheNewFile) {
    ScratchDir dir;
    const Bytes text = TextBytes(200000, 11);
    const Bytes random = RandomBytes(300000, 12);
    const Bytes halfA = RandomBytes(150000, 13), halfB = TextBytes(150000, 14);
    Bytes oldIso, newIso;
    MakeIsoPair(dir, oldIso, newIso);
    struct Case {
        const char* name;
        Bytes oldData, newData;
    };
    const Case cases[] = {
        {"random with edits", random, Edited(random, 1, 40)},
        {"text with edits", text, Edited(text, 2, 60)},
        {"executables ls to dir", ReadFile("/usr/bin/ls"), ReadFile("/usr/bin/dir")},
        {"executables bsdiff to bspatch", ReadFile("/usr/bin/bsdiff"),
         ReadFile("/usr/bin/bspatch")},
        {"ISO images", oldIso, newIso},
        {"empty old", {}, text},
        {"empty new", text, {}},
        {"both empty", {}, {}},
        {"one byte each", {0x41}, {0x42}},
        {"one byte to text", {0x41}, TextBytes(1000, 15)},
        {"unrelated", RandomBytes(5000, 16), RandomBytes(7000, 17)},
        {"long runs", Bytes(400000, 0), Join({Bytes(200000, 0), Bytes(300000, 0xFF)})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_FALSE(c.name[0] == 'e' && c.name[1] == 'x' && c.oldData.empty())
            << "system executable missing";
        WriteFile(dir.Path("old"), c.oldData);
        WriteFile(dir.Path("new"), c.newData);
        if (c.oldData.empty() || c.newData.empty()) {
            // Debian's bsdiff cannot map an empty file; this is the patch it
            // would write: the new file from the extra block, or nothing.
            const int64_t size = std::ssize(c.newData);
            const std::vector<Triple> triples(size == 0 ? 0 : 1, Triple{0, size, 0});
            WriteFile(dir.Path("patch"), BuildPatch(triples, {}, c.newData, size));
        } else {
            MakePatch(dir.Path("old"), dir.Path("new"), dir.Path("patch"));
        }
        std::string output;
        EXPECT_EQ(RunBspatch(Args(dir, "old", "out", "patch"), &output), 0) << output;
        EXPECT_EQ(output, "");
        EXPECT_TRUE(ReadFile(dir.Path("out")) == c.newData);
        std::filesystem::remove(dir.Path("out"));
    }
}

TEST(RoundTrip, LargeNegativeSeeks) {
    // The new file is the old one's halves swapped: the patch reads the
    // second half, then seeks back to the start.
    ScratchDir dir;
    const Bytes first = RandomBytes(400000, 21), second = RandomBytes(400000, 22);
    WriteFile(dir.Path("old"), Join({first, second}));
    const Bytes newData = Join({Edited(second, 3, 5), Edited(first, 4, 5)});
    WriteFile(dir.Path("new"), newData);
    MakePatch(dir.Path("old"), dir.Path("new"), dir.Path("patch"));
    std::vector<int64_t> seeks = Seeks(ReadFile(dir.Path("patch")));
    EXPECT_LT(*std::min_element(seeks.begin(), seeks.end()), -300000);
    for (bool threaded : {true, false}) {
        SCOPED_TRACE(threaded);
        const PatchResult result = Patch(dir, {.streams = {.threaded = threaded}}, "out");
        EXPECT_EQ(result.code, ExitCode::Ok) << result.message;
        EXPECT_TRUE(ReadFile(dir.Path("out")) == newData);
    }
}

TEST(RoundTrip, BadCrcInOneBlockWritesNothingWhileLaterBlocksDecode) {
    // The extra block is a stream of four bzip2 blocks, the second with a
    // wrong CRC; the blocks after it decode on the workers, but the patch
    // is refused and nothing is left beside NEW.
    ScratchDir dir;
    std::vector<BlockBits> blocks = {
        LibraryBlock(RandomBytes(90000, 61), 1), LibraryBlock(TextBytes(80000, 62), 1),
        LibraryBlock(RandomBytes(90000, 63), 1), LibraryBlock(TextBytes(30000, 64), 1)};
    blocks[1].bits.Set(48, 32, blocks[1].crc ^ 0x80u);
    const Bytes extra = StreamOf(1, blocks);
    const int64_t newSize = 290000;
    const Bytes patch =
        AssemblePatch(Bzip2(ControlBlock({{0, newSize, 0}}), 9), Bzip2({}, 9), extra, newSize);
    WriteFile(dir.Path("old"), TextBytes(1000, 65));
    WriteFile(dir.Path("patch"), patch);
    const uint64_t extraStart = patch.size() - extra.size();
    const std::string expected = dir.Path("patch") + ": corrupt extra block at offset " +
                                 std::to_string(extraStart + BlockStarts(blocks)[2] / 8) +
                                 ": bzip2 block CRC mismatch";
    for (size_t workers : {1, 2, 3}) {
        SCOPED_TRACE(workers);
        const PatchResult result = Patch(dir, {.streams = {}, .workers = workers});
        EXPECT_EQ(result.code, ExitCode::CorruptPatch);
        EXPECT_EQ(result.message, expected);
        EXPECT_EQ(dir.List(), (std::vector<std::string>{"old", "patch"}));
    }
}

TEST(RoundTrip, LongZeroRunsBecomeHoles) {
    ScratchDir dir;
    // Where the file system keeps no holes, there is nothing to see.
    WriteFile(dir.Path("probe"), {});
    std::filesystem::resize_file(dir.Path("probe"), 16 << 20);
    ASSERT_GE(Allocated(dir.Path("probe")), 0);
    if (Allocated(dir.Path("probe")) > (1 << 20)) {
        GTEST_SKIP() << "the temporary folder's file system has no holes";
    }
    std::filesystem::remove(dir.Path("probe"));
    // Zeros from the extra block in the middle and at the end, and from the
    // diff block past the old file's end.
    const Bytes head = TextBytes(10000, 71), middle = RandomBytes(5000, 72);
    const Bytes extra = Join({head, Bytes(2 << 20, 0), middle, Bytes(1 << 20, 0)});
    const int64_t copied = static_cast<int64_t>(extra.size());
    const std::vector<Triple> triples = {{0, copied, 2000}, {1 << 20, 0, 0}};
    const Bytes newData = Join({extra, Bytes(1 << 20, 0)});
    WriteFile(dir.Path("old"), TextBytes(1000, 73));
    WriteFile(dir.Path("patch"),
              BuildPatch(triples, Bytes(1 << 20, 0), extra, static_cast<int64_t>(newData.size())));
    for (size_t workers : {1, 2}) {
        SCOPED_TRACE(workers);
        const PatchResult result = Patch(dir, {.streams = {}, .workers = workers});
        ASSERT_EQ(result.code, ExitCode::Ok) << result.message;
        EXPECT_TRUE(ReadFile(dir.Path("new")) == newData);
        EXPECT_GE(Allocated(dir.Path("new")), 0);
        EXPECT_LT(Allocated(dir.Path("new")), 1 << 20) << "the zeros were written";
    }
}

TEST(RoundTrip, AWatchedRunEndsDoneWithEveryByteOrFailed) {
    ScratchDir dir;
    const Bytes oldData = RandomBytes(300000, 81), newData = Edited(oldData, 82, 30);
    WriteFile(dir.Path("old"), oldData);
    WriteFile(dir.Path("new"), newData);
    MakePatch(dir.Path("old"), dir.Path("new"), dir.Path("patch"));
    const int64_t size = static_cast<int64_t>(newData.size());
    struct Case {
        const char* what;
        const char* patch;
        ProgressReport last;
    };
    const Case cases[] = {
        {"patched", "patch", {ProgressPhase::Done, uint64_t(size), uint64_t(size)}},
        {"not a patch", "old", {ProgressPhase::Failed, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ProgressBlock block;
        InitProgressBlock(block);
        Patch(dir, {.streams = {}, .progress = &block}, "out", c.patch);
        EXPECT_EQ(ReadProgress(block), c.last);
    }
}

TEST(CommandLine, EachClassOfFailureHasItsCodeAndMessage) {
    ScratchDir dir;
    WriteFile(dir.Path("old"), TextBytes(3000, 31));
    WriteFile(dir.Path("new"), TextBytes(3100, 32));
    MakePatch(dir.Path("old"), dir.Path("new"), dir.Path("patch"));
    WriteFile(dir.Path("notpatch"), TextBytes(100, 33));
    std::filesystem::create_hard_link(dir.Path("old"), dir.Path("oldlink"));
    std::filesystem::create_symlink(dir.Path("old"), dir.Path("oldsym"));
    const Bytes oldBefore = ReadFile(dir.Path("old"));
    const std::string o = Quote(dir.Path("old"));
    const std::string missing = "bspatch: " + dir.Path("nothing") + ": No such file or directory\n";
    const auto same = [&](const char* name) {
        return "bspatch: " + dir.Path(name) +
               ": is the same file as the old image; refusing to overwrite it\n";
    };
    struct Case {
        const char* name;
        std::string args;
        int code;
        std::string message;
    };
    const Case cases[] = {
        {"no arguments", "", 1, "usage: bspatch OLD NEW PATCH\n"},
        {"four arguments", o + " a b c", 1, "usage: bspatch OLD NEW PATCH\n"},
        {"missing old", Args(dir, "nothing", "out", "patch"), 2, missing},
        {"missing patch", Args(dir, "old", "out", "nothing"), 2, missing},
        {"patch is a folder", o + " " + Quote(dir.Path("out")) + " " + Quote(dir.Root()), 2,
         "bspatch: " + dir.Root() + ": not a regular file\n"},
        {"new in a missing folder", Args(dir, "old", "no/out", "patch"), 2,
         "bspatch: " + dir.Path("no/out") +
             ": cannot create a temporary file beside it: No such file or directory\n"},
        {"new is old", Args(dir, "old", "old", "patch"), 1, same("old")},
        {"new is a hard link to old", Args(dir, "old", "oldlink", "patch"), 1, same("oldlink")},
        {"new is a symbolic link to old", Args(dir, "old", "oldsym", "patch"), 1, same("oldsym")},
        {"not a patch", Args(dir, "old", "out", "notpatch"), 3,
         "bspatch: " + dir.Path("notpatch") + ": corrupt header: not a BSDIFF40 patch\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string output;
        EXPECT_EQ(RunBspatch(c.args, &output), c.code);
        EXPECT_EQ(output, c.message);
        EXPECT_FALSE(std::filesystem::exists(dir.Path("out")));
    }
    EXPECT_TRUE(ReadFile(dir.Path("old")) == oldBefore);
    EXPECT_EQ(dir.List(),
              (std::vector<std::string>{"new", "notpatch", "old", "oldlink", "oldsym", "patch"}));
}

class BrokenPatch : public ::testing::Test {
protected:
    void SetUp() override {
        oldData_ = TextBytes(6000, 41);
        newData_ = Edited(oldData_, 42, 12);
        WriteFile(dir_.Path("old"), oldData_);
        WriteFile(dir_.Path("want"), newData_);
        MakePatch(dir_.Path("old"), dir_.Path("want"), dir_.Path("good"));
        good_ = ReadFile(dir_.Path("good"));
        std::filesystem::remove(dir_.Path("want"));
        WriteFile(dir_.Path("new"), kSentinel);
    }

    // Applies `patch`; on failure checks the class, the message's file name,
    // and that NEW and the folder are as they were.
    void Check(const Bytes& patch, bool mayApply) {
        WriteFile(dir_.Path("patch"), patch);
        const PatchResult result = Patch(dir_, {.streams = {.threaded = threaded_}});
        if (result.code == ExitCode::Ok && mayApply) {
            ASSERT_TRUE(ReadFile(dir_.Path("new")) == newData_) << "applied to a wrong result";
            WriteFile(dir_.Path("new"), kSentinel);
            return;
        }
        EXPECT_EQ(result.code, ExitCode::CorruptPatch) << result.message;
        EXPECT_EQ(result.message.rfind(dir_.Path("patch") + ": ", 0), 0u) << result.message;
        EXPECT_TRUE(ReadFile(dir_.Path("new")) == kSentinel) << "NEW was changed";
        EXPECT_EQ(dir_.List(), kFiles);
    }

    bool threaded_ = false;  // decode the diff and extra blocks on threads
    const Bytes kSentinel = {'k', 'e', 'e', 'p'};
    const std::vector<std::string> kFiles = {"good", "new", "old", "patch"};  // and nothing else
    ScratchDir dir_;
    Bytes oldData_, newData_, good_;
};

TEST_F(BrokenPatch, EveryTruncationFailsCleanly) {
    ASSERT_GT(good_.size(), 100u);
    for (size_t length = 0; length < good_.size() && !HasFailure(); ++length) {
        SCOPED_TRACE(length);
        Check(Bytes(good_.begin(), good_.begin() + static_cast<ptrdiff_t>(length)), false);
    }
}

TEST_F(BrokenPatch, TruncatedPatchThroughTheProgram) {
    for (size_t length : {size_t{0}, size_t{20}, good_.size() / 2, good_.size() - 1}) {
        SCOPED_TRACE(length);
        WriteFile(dir_.Path("patch"),
                  Bytes(good_.begin(), good_.begin() + static_cast<ptrdiff_t>(length)));
        std::string output;
        EXPECT_EQ(RunBspatch(Args(dir_, "old", "new", "patch"), &output), 3);
        EXPECT_EQ(output.rfind("bspatch: " + dir_.Path("patch") + ": corrupt ", 0), 0u) << output;
        EXPECT_EQ(std::count(output.begin(), output.end(), '\n'), 1) << output;
        EXPECT_TRUE(ReadFile(dir_.Path("new")) == kSentinel);
        EXPECT_EQ(dir_.List(), kFiles);
    }
}

TEST_F(BrokenPatch, RandomCorruptionsFailCleanlyOrChangeNothing) {
    threaded_ = true;  // the truncations run inline; these on the worker threads
    std::mt19937 random(51);
    for (int round = 0; round < 400 && !HasFailure(); ++round) {
        SCOPED_TRACE(round);
        Bytes patch = good_;
        int changes = 1 + static_cast<int>(random() % 3);
        for (int i = 0; i < changes; ++i) {
            patch[random() % patch.size()] = static_cast<uint8_t>(random());
        }
        Check(patch, true);
    }
}
