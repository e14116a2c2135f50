// The two programs as built, read back from their files: what Windows takes
// from them before they run (the manifest: the execution level that keeps
// the elevation prompt away, the systems they know; the version). Wine asks
// for no elevation, so only the files themselves can show it.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "res/ResourceBytes.h"
#include "support/WindowDriver.h"

namespace {

#define VERSION_TEXT "1.0.1.0"
const WORD kVersion[] = {1, 0, 1, 0};

// Both programs run with the rights of whoever starts them and know every
// system from Vista to 10 and 11.
std::vector<std::string> AsInvokerFromVistaTo11() {
    std::vector<std::string> lines = {
        "{asm.v2}trustInfo/security/requestedPrivileges/requestedExecutionLevel"
        " level=asInvoker uiAccess=false"};
    for (const char* id : {"e2011457-1546-43c5-a5fe-008deee3d3f0",     // Vista
                           "35138b9a-5d96-4fbd-8e2d-a2440225f93a",     // 7
                           "4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38",     // 8
                           "1f676c76-80e1-4239-95bb-83d0f6d0da78",     // 8.1
                           "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a"}) {  // 10 and 11
        lines.push_back("{compatibility.v1}compatibility/application/supportedOS Id={" +
                        std::string(id) + "}");
    }
    return lines;
}

struct Program {
    const char* unixPath;
    std::vector<std::string> ownElements;  // besides AsInvokerFromVistaTo11()
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

std::string ManifestOf(const Program& program) {
    const std::string path = support::WindowsPathOfUnix(program.unixPath);
    const std::unique_ptr<std::remove_pointer_t<HMODULE>, decltype(&FreeLibrary)> module(
        LoadLibraryExA(path.c_str(), nullptr,
                       LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE),
        &FreeLibrary);
    return module ? support::ResourceBytes(module.get(), MAKEINTRESOURCEA(1), RT_MANIFEST)
                  : std::string();
}

// A manifest read back as lines, one per element that says something
// (attributes, text, or no children), sorted, so that a test can compare
// every element with a table. A line is the element's path below the root
// (the root's own line is its name), a namespace in braces where it changes
// from the parent's ("urn:schemas-microsoft-com:" left out), the attributes
// sorted as name=value, then the text in double quotes. Malformed XML gives
// the single line "malformed: ...".
std::vector<std::string> ManifestElements(const std::string& xml) {
    struct Element {
        std::string name;  // as written, with its prefix
        std::string path;
        std::string ns;
        std::map<std::string, std::string> prefixes;  // in scope; "" is the default namespace
        std::vector<std::string> attributes;
        std::string text;
        bool hasChildren = false;
    };
    // A tag, or a comment or declaration (no name) to pass over.
    static const std::regex kToken(
        R"re(<!--[\s\S]*?-->|<\?[\s\S]*?\?>|<(/?)([\w:.-]+)((?:\s+[\w:.-]+\s*=\s*(?:"[^"]*"|'[^']*'))*)\s*(/?)>)re");
    static const std::regex kAttribute(R"re(([\w:.-]+)\s*=\s*(?:"([^"]*)"|'([^']*)'))re");
    static const std::regex kEdgeSpace(R"(^\s+|\s+$)");
    const auto trimmed = [](const std::string& text) {
        return std::regex_replace(text, kEdgeSpace, "");
    };
    std::vector<Element> open;
    std::vector<std::string> lines;
    size_t end = 0;
    for (std::sregex_iterator it(xml.begin(), xml.end(), kToken), last; it != last; ++it) {
        const std::smatch& tag = *it;
        const std::string between = xml.substr(end, tag.position() - end);
        if (between.find_first_of("<>") != std::string::npos ||
            (open.empty() && !trimmed(between).empty())) {
            return {"malformed: stray text at " + std::to_string(end)};
        }
        end = tag.position() + tag.length();
        if (!open.empty()) {
            open.back().text += between;
        }
        if (!tag[2].matched) {
            continue;
        }
        if (tag[1].length() == 0) {
            Element element;
            element.name = tag[2];
            if (!open.empty()) {
                element.prefixes = open.back().prefixes;
            }
            const std::string attributes = tag[3];
            for (std::sregex_iterator at(attributes.begin(), attributes.end(), kAttribute);
                 at != last; ++at) {
                const std::string key = (*at)[1];
                const std::string value = (*at)[2].matched ? (*at)[2] : (*at)[3];
                if (key == "xmlns" || key.starts_with("xmlns:")) {
                    element.prefixes[key == "xmlns" ? "" : key.substr(6)] = value;
                } else {
                    element.attributes.push_back(key + "=" + value);
                }
            }
            std::ranges::sort(element.attributes);
            const size_t colon = element.name.find(':');
            const std::string prefix =
                colon == std::string::npos ? "" : element.name.substr(0, colon);
            const auto ns = element.prefixes.find(prefix);
            element.ns = ns == element.prefixes.end() ? "?" + prefix : ns->second;
            element.path = open.size() >= 2 ? open.back().path + "/" : "";
            if (element.ns != (open.empty() ? "" : open.back().ns)) {
                const std::string_view microsoft = "urn:schemas-microsoft-com:";
                element.path.append("{")
                    .append(element.ns.starts_with(microsoft) ? element.ns.substr(microsoft.size())
                                                              : element.ns)
                    .append("}");
            }
            element.path += element.name.substr(colon + 1);
            if (!open.empty()) {
                open.back().hasChildren = true;
            }
            open.push_back(std::move(element));
        } else if (open.empty() || open.back().name != tag[2]) {
            return {"malformed: </" + tag[2].str() + "> closes nothing open"};
        }
        if (tag[1].length() > 0 || tag[4].length() > 0) {  // the element ends here
            const Element& element = open.back();
            std::string line = element.path;
            for (const std::string& attribute : element.attributes) {
                line += " " + attribute;
            }
            const std::string text = trimmed(element.text);
            if (!element.attributes.empty() || !text.empty() || !element.hasChildren) {
                lines.push_back(text.empty() ? line : line + " \"" + text + "\"");
            }
            open.pop_back();
        }
    }
    if (!open.empty() || !trimmed(xml.substr(end)).empty()) {
        return {"malformed: an element left open or text after the root"};
    }
    std::ranges::sort(lines);
    return lines;
}

// The value at `query` in a version resource, at least `least` long; null
// when it has none.
const void* VersionValue(std::vector<char>& info, const std::string& query, UINT least = 0) {
    void* value = nullptr;
    UINT length = 0;
    return !info.empty() && VerQueryValueA(info.data(), query.c_str(), &value, &length) &&
                   length >= least
               ? value
               : nullptr;
}

}  // namespace

TEST(BuiltPrograms, ManifestsHoldExactlyTheseElements) {
    for (const Program& program : kPrograms) {
        SCOPED_TRACE(program.unixPath);
        std::vector<std::string> expected = program.ownElements;
        const std::vector<std::string> common = AsInvokerFromVistaTo11();
        expected.insert(expected.end(), common.begin(), common.end());
        std::ranges::sort(expected);
        EXPECT_EQ(ManifestElements(ManifestOf(program)), expected);
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
        const std::unique_ptr<void, decltype(&ReleaseActCtx)> context(CreateActCtxA(&request),
                                                                      &ReleaseActCtx);
        ASSERT_NE(context.get(), INVALID_HANDLE_VALUE) << "error " << GetLastError();

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
        const std::string path = support::WindowsPathOfUnix(program.unixPath);
        DWORD ignored = 0;
        std::vector<char> info(GetFileVersionInfoSizeA(path.c_str(), &ignored));
        if (info.empty() ||
            !GetFileVersionInfoA(path.c_str(), 0, static_cast<DWORD>(info.size()), info.data())) {
            info.clear();
        }
        const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(
            VersionValue(info, "\\", sizeof(VS_FIXEDFILEINFO)));
        ASSERT_NE(fixed, nullptr) << "no version resource";
        // Its strings in its own translation.
        const auto* translation = static_cast<const WORD*>(
            VersionValue(info, "\\VarFileInfo\\Translation", 2 * sizeof(WORD)));
        char strings[64] = {};
        if (translation != nullptr) {
            wsprintfA(strings, "\\StringFileInfo\\%04x%04x\\", translation[0], translation[1]);
        }
        const auto string = [&](const char* key) -> std::string {
            const void* value =
                translation ? VersionValue(info, strings + std::string(key)) : nullptr;
            return value != nullptr ? static_cast<const char*>(value) : "<missing>";
        };
        EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
        EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(kVersion[1], kVersion[0]));
        EXPECT_EQ(fixed->dwFileVersionLS, MAKELONG(kVersion[3], kVersion[2]));
        EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
        EXPECT_EQ(fixed->dwProductVersionLS, fixed->dwFileVersionLS);
        EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
        EXPECT_EQ(fixed->dwFileFlags & fixed->dwFileFlagsMask, 0u) << "no debug or pre-release";
        EXPECT_EQ(string("FileVersion"), VERSION_TEXT);
        EXPECT_EQ(string("ProductVersion"), VERSION_TEXT);
        EXPECT_EQ(string("ProductName"), "Brivok Patch");
        EXPECT_EQ(string("FileDescription"), program.description);
        EXPECT_EQ(string("OriginalFilename"), program.fileName);
    }
}
