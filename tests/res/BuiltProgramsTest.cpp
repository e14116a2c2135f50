// The two programs as built, read back from their files: what Windows takes
// from them before they run (the manifest: the execution level that keeps
// the elevation prompt away, the systems they know; the version). Wine asks
// for no elevation, so only the files themselves can show it.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "res/ManifestElements.h"
#include "res/ResourceBytes.h"
#include "support/WindowDriver.h"

namespace {

#define VERSION_TEXT "1.0.1.0"
const WORD kVersion[] = {1, 0, 1, 0};

// Both programs run with the rights of whoever starts them and know every
// system from Vista to 10 and 11.
const std::vector<std::string> kAsInvokerFromVistaTo11 = {
    "{asm.v2}trustInfo/security/requestedPrivileges/requestedExecutionLevel"
    " level=asInvoker uiAccess=false",
    "{compatibility.v1}compatibility/application/supportedOS"
    " Id={e2011457-1546-43c5-a5fe-008deee3d3f0}",  // Vista
    "{compatibility.v1}compatibility/application/supportedOS"
    " Id={35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  // 7
    "{compatibility.v1}compatibility/application/supportedOS"
    " Id={4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  // 8
    "{compatibility.v1}compatibility/application/supportedOS"
    " Id={1f676c76-80e1-4239-95bb-83d0f6d0da78}",  // 8.1
    "{compatibility.v1}compatibility/application/supportedOS"
    " Id={8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  // 10 and 11
};

struct Program {
    const char* unixPath;
    std::vector<std::string> ownElements;  // besides kAsInvokerFromVistaTo11
    const char* description;
    const char* fileName;
};

const Program kPrograms[] = {
    {BRIVOK_TOOL_EXE,
     {
         "{asm.v1}assembly manifestVersion=1.0",
         "assemblyIdentity name=Brivok.BrivokPatch processorArchitecture=* type=win32"
         " version=" VERSION_TEXT,
         "description \"Brivok Patch\"",
         "dependency/dependentAssembly/assemblyIdentity language=*"
         " name=Microsoft.Windows.Common-Controls processorArchitecture=*"
         " publicKeyToken=6595b64144ccf1df type=win32 version=6.0.0.0",
         "{asm.v3}application/windowsSettings"
         "/{http://schemas.microsoft.com/SMI/2005/WindowsSettings}dpiAware \"true\"",
         "{asm.v3}application/windowsSettings"
         "/{http://schemas.microsoft.com/SMI/2016/WindowsSettings}dpiAwareness"
         " \"PerMonitorV2, System\"",
     },
     "Brivok Patch",
     "BrivokPatch.exe"},
    {BRIVOK_BSPATCH_EXE,
     {
         "{asm.v1}assembly manifestVersion=1.0",
         "assemblyIdentity name=Brivok.bspatch processorArchitecture=* type=win32"
         " version=" VERSION_TEXT,
         "description \"Brivok Patch bsdiff patcher\"",
     },
     "Brivok Patch bsdiff patcher",
     "bspatch.exe"},
};

struct ModuleDeleter {
    void operator()(HMODULE module) const { FreeLibrary(module); }
};
struct ActCtxDeleter {
    void operator()(HANDLE context) const { ReleaseActCtx(context); }
};

std::string ManifestOf(const Program& program) {
    const std::string path = support::WindowsPathOfUnix(program.unixPath);
    std::unique_ptr<std::remove_pointer_t<HMODULE>, ModuleDeleter> module(LoadLibraryExA(
        path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    return module ? support::ResourceBytes(module.get(), MAKEINTRESOURCEA(1), RT_MANIFEST)
                  : std::string();
}

// The program's version resource, and one of its strings in its own
// translation ("<missing>" when it has none).
class VersionInfo {
public:
    explicit VersionInfo(const std::string& path) {
        DWORD ignored = 0;
        const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
        info_.resize(size);
        if (size == 0 || !GetFileVersionInfoA(path.c_str(), 0, size, info_.data())) {
            info_.clear();
        }
    }

    const VS_FIXEDFILEINFO* Fixed() {
        void* fixed = nullptr;
        UINT length = 0;
        return !info_.empty() && VerQueryValueA(info_.data(), "\\", &fixed, &length) &&
                       length >= sizeof(VS_FIXEDFILEINFO)
                   ? static_cast<const VS_FIXEDFILEINFO*>(fixed)
                   : nullptr;
    }

    std::string String(const char* key) {
        WORD* translation = nullptr;
        UINT length = 0;
        if (info_.empty() ||
            !VerQueryValueA(info_.data(), "\\VarFileInfo\\Translation",
                            reinterpret_cast<void**>(&translation), &length) ||
            length < 2 * sizeof(WORD)) {
            return "<missing>";
        }
        char query[128];
        wsprintfA(query, "\\StringFileInfo\\%04x%04x\\%s", translation[0], translation[1], key);
        char* value = nullptr;
        return VerQueryValueA(info_.data(), query, reinterpret_cast<void**>(&value), &length)
                   ? value
                   : "<missing>";
    }

private:
    std::vector<char> info_;
};

// The lines of `lines` that `others` lacks, one per line (both sorted).
std::string LinesNotIn(const std::vector<std::string>& lines,
                       const std::vector<std::string>& others) {
    std::vector<std::string> left;
    std::ranges::set_difference(lines, others, std::back_inserter(left));
    std::string text;
    for (const std::string& line : left) {
        text += "\n  " + line;
    }
    return text;
}

}  // namespace

TEST(BuiltPrograms, ManifestsHoldExactlyTheseElements) {
    for (const Program& program : kPrograms) {
        SCOPED_TRACE(program.unixPath);
        std::vector<std::string> expected = program.ownElements;
        expected.insert(expected.end(), kAsInvokerFromVistaTo11.begin(),
                        kAsInvokerFromVistaTo11.end());
        std::ranges::sort(expected);
        const std::vector<std::string> found = support::ManifestElements(ManifestOf(program));
        const std::string missing = LinesNotIn(expected, found);
        const std::string unexpected = LinesNotIn(found, expected);
        EXPECT_TRUE(missing.empty() && unexpected.empty())
            << "missing:" << missing << "\nunexpected:" << unexpected;
    }
}

TEST(BuiltPrograms, LoaderTakesTheirExecutionLevelAndSystems) {
    // The loader's own reading of the manifests: an element in the wrong
    // namespace or place is ignored there, whatever the text says.
    for (const Program& program : kPrograms) {
        SCOPED_TRACE(program.unixPath);
        const std::string path = support::WindowsPathOfUnix(program.unixPath);
        ACTCTXA request = {};
        request.cbSize = sizeof request;
        request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
        request.lpSource = path.c_str();
        request.lpResourceName = MAKEINTRESOURCEA(1);
        HANDLE created = CreateActCtxA(&request);
        ASSERT_NE(created, INVALID_HANDLE_VALUE) << "error " << GetLastError();
        std::unique_ptr<void, ActCtxDeleter> context(created);

        ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION level = {};
        ASSERT_TRUE(QueryActCtxW(0, context.get(), nullptr, RunlevelInformationInActivationContext,
                                 &level, sizeof level, nullptr));
        EXPECT_EQ(level.RunLevel, ACTCTX_RUN_LEVEL_AS_INVOKER);
        EXPECT_EQ(level.UiAccess, 0u);
        // Only the count: Wine's element record is longer than the SDK's.
        DWORD compatibility[64] = {};
        ASSERT_TRUE(QueryActCtxW(0, context.get(), nullptr,
                                 CompatibilityInformationInActivationContext, compatibility,
                                 sizeof compatibility, nullptr));
        EXPECT_EQ(compatibility[0], 5u) << "supported systems";
    }
}

TEST(BuiltPrograms, VersionResourceIsTheProducts) {
    for (const Program& program : kPrograms) {
        SCOPED_TRACE(program.unixPath);
        VersionInfo info(support::WindowsPathOfUnix(program.unixPath));
        const VS_FIXEDFILEINFO* fixed = info.Fixed();
        ASSERT_NE(fixed, nullptr) << "no version resource";
        EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
        EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(kVersion[1], kVersion[0]));
        EXPECT_EQ(fixed->dwFileVersionLS, MAKELONG(kVersion[3], kVersion[2]));
        EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
        EXPECT_EQ(fixed->dwProductVersionLS, fixed->dwFileVersionLS);
        EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
        EXPECT_EQ(fixed->dwFileFlags & fixed->dwFileFlagsMask, 0u) << "no debug or pre-release";
        EXPECT_EQ(info.String("FileVersion"), VERSION_TEXT);
        EXPECT_EQ(info.String("ProductVersion"), VERSION_TEXT);
        EXPECT_EQ(info.String("ProductName"), "Brivok Patch");
        EXPECT_EQ(info.String("FileDescription"), program.description);
        EXPECT_EQ(info.String("OriginalFilename"), program.fileName);
    }
}
