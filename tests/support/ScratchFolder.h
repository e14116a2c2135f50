// A folder that a test makes for its files and removes again at its end,
// with the files in it.
#pragma once

#include <string>
#include <vector>

namespace support {

// The names of the files and folders that `pattern` (a path with wildcards)
// matches.
std::vector<std::string> FilesMatching(const std::string& pattern);
// Whether a file or folder `path` exists.
bool Exists(const std::string& path);

// `name` under the temporary-files folder, with this process's id added so
// that two runs side by side do not meet.
std::string TempFolder(const std::string& name);

class ScratchFolder {
public:
    // Makes the folder `path`, or takes it as an aborted run left it.
    explicit ScratchFolder(const std::string& path);
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    ~ScratchFolder();

    bool Made() const { return made_; }
    // With its trailing backslash.
    const std::string& Path() const { return path_; }
    // A file of the folder holding `bytes`; its path.
    std::string File(const std::string& name, const std::string& bytes = "") const;
    // A copy of the file `source` in the folder under `name`; its path.
    std::string Copy(const std::string& source, const std::string& name) const;

private:
    std::string path_;
    bool made_ = false;
};

}  // namespace support
