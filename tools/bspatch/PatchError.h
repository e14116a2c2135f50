// The failures of a patch run and the exit code of each class. Portable.
#pragma once

#include <stdexcept>
#include <string>

namespace bspatch {

// One exit code per class of failure; the README lists them.
enum class ExitCode {
    Ok = 0,
    Usage = 1,         // wrong arguments, or NEW names the same file as OLD
    Io = 2,            // a file could not be opened, read, written or renamed
    CorruptPatch = 3,  // the patch breaks the format or its own checks
};

// A failure with its one-line message ("PATH: problem"), without the
// program's name, which main puts in front.
class PatchError : public std::runtime_error {
public:
    PatchError(ExitCode code, const std::string& message)
        : std::runtime_error(message), code_(code) {}
    ExitCode Code() const { return code_; }

private:
    ExitCode code_;
};

}  // namespace bspatch
