#include "process/ImageNameMatch.h"

#include "rtl/PathUtils.h"

bool ImageNameMatches(const std::string& exeFile, const std::string& imageName) {
    const std::string wanted = UpperCaseAscii(imageName);
    return UpperCaseAscii(ExtractFileName(exeFile)) == wanted || UpperCaseAscii(exeFile) == wanted;
}
