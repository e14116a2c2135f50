#include "app/NameRules.h"

#include "rtl/PathUtils.h"

namespace {

// The version in the old name and the "-to-" separator in the diff name.
constexpr size_t kVersionWidth = 5;
constexpr size_t kSeparatorWidth = 4;

}  // namespace

bool DiffMatchesImage(const std::string& oldPath, const std::string& diffPath) {
    const std::string oldBase = ExtractBaseName(oldPath);
    const std::string diffBase = ExtractBaseName(diffPath);
    return diffBase.compare(0, oldBase.size(), oldBase) == 0;
}

std::string DeriveNewImageName(const std::string& oldPath, const std::string& diffPath) {
    const std::string oldBase = ExtractBaseName(oldPath);
    const std::string diffBase = ExtractBaseName(diffPath);
    const size_t length = oldBase.size();

    std::string name = ExtractFilePath(oldPath);
    if (length > kVersionWidth) {
        name += oldBase.substr(0, length - kVersionWidth);
    }
    // The new version starts after the old base and the separator.
    const size_t newVersionStart = length + kSeparatorWidth;
    if (diffBase.size() > newVersionStart) {
        name += diffBase.substr(newVersionStart);
    }
    return name + ".iso";
}
