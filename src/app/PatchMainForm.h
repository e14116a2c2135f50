// The tool's one window: three file fields in their frames, Patch and
// Close, and the rules that tie the fields together.
#pragma once

#include <string>

#include "rtl/Forms.h"
#include "widgets/JvGroupBox.h"
#include "widgets/JvToolEdit.h"
#include "widgets/JvXPButtons.h"
#include "widgets/XPMan.h"

class TMainForm : public TForm {
public:
    explicit TMainForm(TComponent* owner);
    ~TMainForm() override;

    const char* ClassName() const override { return "TMainForm"; }

    // Owned by the window, made from its layout.
    TJvGroupBox* JvGroupBox1 = nullptr;
    TJvGroupBox* JvGroupBox2 = nullptr;
    TJvGroupBox* JvGroupBox3 = nullptr;
    TJvFilenameEdit* JvFilenameOld = nullptr;
    TJvFilenameEdit* JvFilenamePatch = nullptr;
    TJvFilenameEdit* JvFilenameNew = nullptr;
    TJvXPButton* JvXPButtonClose = nullptr;
    TJvXPButton* JvXPButtonPatch = nullptr;
    TXPManifest* XPManifest1 = nullptr;

    void JvXPButtonCloseClick(TObject* Sender);
    void JvXPButtonPatchClick(TObject* Sender);
    void FormCreate(TObject* Sender);
    // Patch is enabled exactly when all three fields hold a name.
    void JvFilenameOldChange(TObject* Sender);
    // The enable rule, then: a diff file whose name does not begin with the
    // old image's base name is refused; otherwise the new image's name is
    // derived from the two.
    void JvFilenamePatchChange(TObject* Sender);

    // Where bspatch.exe lies (set once by FormCreate), and the script and
    // work folder of the last Patch click.
    std::string BspatchPath;
    std::string ScriptPath;
    std::string WorkFolder;

private:
    void CreateControls();
    TWinControl* FindControl(const char* name) const;
};

extern TMainForm* MainForm;
