#include "app/PatchScript.h"

#include <algorithm>
#include <array>
#include <utility>

#include "rtl/PathUtils.h"

namespace {

constexpr size_t kFrameTextWidth = 71;  // between "REM ## " and "##"

// The banner, lines 1 to 29. Line 18's text fills its frame exactly, so that
// "PURPOSE." is followed by two blanks and the frame's "##".
enum class Kind { kPlain, kBorder, kEmptyFrame, kFramed, kFramedLowerM };
struct BannerLine {
    Kind kind;
    const char* text;
};
// clang-format off
constexpr std::array<BannerLine, 29> kBanner = {{
    /*  1 */ {Kind::kPlain, "@ECHO OFF"},
    /*  2 */ {Kind::kBorder, ""},
    /*  3 */ {Kind::kEmptyFrame, ""},
    /*  4 */ {Kind::kFramed, "This batch file is created by Brivok Patch"},
    /*  5 */ {Kind::kEmptyFrame, ""},
    /*  6 */ {Kind::kFramed, "Main function:"},
    /*  7 */ {Kind::kFramedLowerM, "Patch an .ISO file with a .bsdiff file"},
    /*  8 */ {Kind::kEmptyFrame, ""},
    /*  9 */ {Kind::kFramed, "Runs bspatch.exe on the three files that were chosen in the tool."},
    /* 10 */ {Kind::kEmptyFrame, ""},
    /* 11 */ {Kind::kFramed, "How it was made:"},
    /* 12 */ {Kind::kFramed, "Written by Brivok Patch at the click on its Patch button, and written"},
    /* 13 */ {Kind::kFramed, "anew at every click: changes made by hand here do not last. The tool"},
    /* 14 */ {Kind::kFramed, "runs it in a hidden console and waits until bspatch.exe has ended."},
    /* 15 */ {Kind::kEmptyFrame, ""},
    /* 16 */ {Kind::kFramed, "No warranty:"},
    /* 17 */ {Kind::kFramed, "This script and the tool come as they are, without warranty of any"},
    /* 18 */ {Kind::kFramed, "kind, nor any of MERCHANTABILITY or FITNESS FOR A PARTICULAR PURPOSE.  "},
    /* 19 */ {Kind::kFramed, "Keep a copy of the old image until the new one has been checked."},
    /* 20 */ {Kind::kEmptyFrame, ""},
    /* 21 */ {Kind::kFramed, "What it does:"},
    /* 22 */ {Kind::kFramed, "It changes to the folder of Brivok Patch, where bspatch.exe must be,"},
    /* 23 */ {Kind::kFramed, "and calls it with the old image, the new image and the diff file, in"},
    /* 24 */ {Kind::kFramed, "that order. The new image is written by bspatch.exe."},
    /* 25 */ {Kind::kEmptyFrame, ""},
    /* 26 */ {Kind::kFramed, "Contact: the Brivok Patch team, patch@brivok.example"},
    /* 27 */ {Kind::kEmptyFrame, ""},
    /* 28 */ {Kind::kBorder, ""},
    /* 29 */ {Kind::kPlain, ""},
}};
// clang-format on

std::string BannerText(const BannerLine& line) {
    switch (line.kind) {
        case Kind::kBorder:
            return "REM " + std::string(kFrameWidth - 4, '#');
        case Kind::kEmptyFrame:
            return FramedLine("");
        case Kind::kFramed:
            return FramedLine(line.text);
        // Line 7 has always read "REm"; cmd takes it as REM all the same.
        case Kind::kFramedLowerM:
            return "REm" + FramedLine(line.text).substr(3);
        case Kind::kPlain:
            break;
    }
    return line.text;
}

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

// A name as one argument of the call line. Backslashes before a quote escape
// it for the program that reads its command line (a folder's name ends in
// one): doubled, they stand for themselves and the quote closes the name.
std::string QuotedArgument(const std::string& name) {
    const std::size_t trailing = name.size() - (name.find_last_not_of('\\') + 1);
    return Quoted(name + std::string(trailing, '\\'));
}

}  // namespace

std::string FramedLine(std::string_view text) {
    std::string line = "REM ## ";
    line += text.substr(0, kFrameTextWidth);
    line.resize(line.size() + kFrameTextWidth - std::min(text.size(), kFrameTextWidth), ' ');
    return line + "##";
}

std::string DoublePercentSigns(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    for (char c : text) {
        result += c;
        if (c == '%') {
            result += '%';
        }
    }
    return result;
}

std::vector<std::string> PatchScriptLines(const PatchScriptNames& names,
                                          const CodePageConverter& toOem) {
    std::vector<std::string> lines;
    lines.reserve(kPatchScriptLineCount);
    for (const BannerLine& line : kBanner) {
        lines.push_back(BannerText(line));
    }
    // "/D" changes the drive too, and the quotes keep "&" and blanks in the
    // folder from being read as command syntax.
    const std::string cd = "CD /D " + Quoted(ExtractFilePath(names.BspatchPath));
    const std::string call = Quoted(ExtractFileName(names.BspatchPath)) + " " +
                             QuotedArgument(names.oldName) + " " + QuotedArgument(names.newName) +
                             " " + QuotedArgument(names.diffName);
    lines.push_back(toOem(DoublePercentSigns(cd)));
    lines.push_back(toOem(DoublePercentSigns(call)));
    return lines;
}

std::string PatchScriptText(const PatchScriptNames& names, const CodePageConverter& toOem) {
    std::string text;
    for (const std::string& line : PatchScriptLines(names, toOem)) {
        text += line;
        text += kLineEnd;
    }
    return text;
}

std::string WorkFolderFor(const std::string& tempFolder) {
    // The first character is taken as it is: a network path gives "\", whose
    // work folder cannot be made, and writing the script then fails.
    return tempFolder.substr(0, 1) + kWorkFolderName;
}
