// The tool's one window: three file fields in their frames, Patch and
// Close, and the rules that tie the fields together.
#pragma once

#include <memory>
#include <string>

#include "app/PatchProgress.h"
#include "jobs/JvThread.h"
#include "process/LaunchOutcome.h"
#include "rtl/ComCtrls.h"
#include "rtl/Forms.h"
#include "widgets/JvComputerInfoEx.h"
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
    // How far a patch run is; hidden while none runs.
    TProgressBar* ProgressBarPatch = nullptr;
    TJvComputerInfoEx* JvComputerInfoEx1 = nullptr;
    TJvThread* JvThreadRunBatch = nullptr;
    TXPManifest* XPManifest1 = nullptr;

    // Ends every bspatch.exe, then every copy of the tool, this one too.
    void JvXPButtonCloseClick(TObject* Sender);
    // Writes the patch script into the work folder and starts the job that
    // runs it; does nothing while a job runs.
    void JvXPButtonPatchClick(TObject* Sender);
    void FormCreate(TObject* Sender);
    // Patch is enabled exactly when all three fields hold a name.
    void JvFilenameOldChange(TObject* Sender);
    // The enable rule, then: a diff file whose name does not begin with the
    // old image's base name is refused; otherwise the new image's name is
    // derived from the two.
    void JvFilenamePatchChange(TObject* Sender);
    // On the job's worker thread: runs the script hidden and waits for it,
    // with Patch disabled meanwhile.
    void JvThreadRunBatchExecute(TObject* Sender, void* Params);
    // On the main thread after the job: tells the user how it went.
    void JvThreadRunBatchFinish(TObject* Sender);

    // Where bspatch.exe lies (set once by FormCreate), and the script and
    // work folder of the last Patch click.
    std::string BspatchPath;
    std::string ScriptPath;
    std::string WorkFolder;

private:
    void CreateControls();
    void CreateComponents();
    // Patch's state changes of the job go through the main thread, which
    // skips them once the window is closing.
    void SetPatchEnabledFromJob(bool enabled);
    TWinControl* FindControl(const char* name) const;

    // How the running or last job's script ended: reset and written by the
    // worker, read on the main thread once the job's end is delivered.
    LaunchOutcome jobOutcome_;
    // The old image that the running or last job's script names, taken at
    // its Patch click; read on the main thread at the job's end.
    std::string jobOldName_;
    // Set when the window starts closing; only the main thread reads and
    // writes it.
    bool closing_ = false;
    // Shows a run's progress on ProgressBarPatch and the task-bar button.
    std::unique_ptr<PatchProgress> progress_;
};

extern TMainForm* MainForm;
