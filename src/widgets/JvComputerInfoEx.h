// System-information component. The tool reads only the temporary-files
// folder of its Folders object; nothing else of the system is gathered.
#pragma once

#include <memory>
#include <string>

#include "rtl/Classes.h"

// Folders of the system, each computed when it is read.
class TJvSystemFolders : public TObject {
public:
    const char* ClassName() const override { return "TJvSystemFolders"; }

    // The temporary-files folder: TMP, else TEMP, else the current folder,
    // in its long form (empty when the folder does not exist), without a
    // trailing backslash while TrailingPathDelimiter is false.
    std::string Temp() const;

    // The value Temp starts from, before the long form: for messages that
    // must name a folder that turned out not to exist.
    std::string TempSource() const;

    bool TrailingPathDelimiter() const { return trailingPathDelimiter_; }

private:
    bool trailingPathDelimiter_ = false;  // never set by the tool
};

class TJvComputerInfoEx : public TComponent {
public:
    explicit TJvComputerInfoEx(TComponent* owner) : TComponent(owner) {}
    const char* ClassName() const override { return "TJvComputerInfoEx"; }

    // Created on first use and kept for the component's life.
    TJvSystemFolders* Folders();

private:
    std::unique_ptr<TJvSystemFolders> folders_;
};

// The long form of a path, as Temp makes it: a "::" shell path through the
// shell's desktop folder (kept as it is when the shell cannot parse it; empty
// when it names no file-system folder); any other through GetLongPathNameA
// (empty when the path does not exist). Exposed for its tests.
std::string LongPathForm(const std::string& path);
