#include "app/PatchMainForm.h"

#include <windows.h>

#include <cstring>
#include <vector>

#include "app/NameRules.h"
#include "app/PatchJobReport.h"
#include "app/PatchScriptWriter.h"
#include "process/EndPatchProgramAndTool.h"
#include "process/LaunchAndWait.h"
#include "rtl/Application.h"
#include "rtl/PathUtils.h"
#include "rtl/Synchronize.h"
#include "rtl/SysUtils.h"

TMainForm* MainForm = nullptr;

namespace {

// The window itself. Left and Top give way to the centring at show time.
struct WindowLayout {
    const char* caption;
    int left, top, clientWidth, clientHeight;
    TColor color;
    const char* fontName;
    int fontHeight;
};
constexpr WindowLayout kWindow = {
    "Brivok Patch by Wendral version 1.01", 364, 217, 458, 305, clBtnFace, "MS Sans Serif", -11,
};

enum class Kind { GroupBox, FilenameEdit, XPButton, ProgressBar };
// A tooltip shows when the control says so; the rest follow their parent.
enum class Hints { Parent, Shown };
using Handler = void (TMainForm::*)(TObject*);

constexpr char kImageFilter[] = "Ovru ISO image file (*.ISO)|*.ISO";
constexpr char kDiffFilter[] = "OVRU diff files (*.bsdiff)|*.bsdiff";
constexpr TAnchors kLT = akLeft | akTop;
constexpr TAnchors kLTR = akLeft | akTop | akRight;
constexpr TAnchors kTR = akTop | akRight;

// Size 0 keeps the class's default (the buttons' 73 x 21). A parent is
// named before its children. The event is OnChange of a field, OnClick of
// a button.
struct ControlLayout {
    const char* name;
    Kind kind;
    const char* parent;  // null: the window
    int left, top, width, height;
    TAnchors anchors;
    const char* caption;
    int tabOrder;
    const char* filter;
    bool directInput;
    bool enabled;
    const char* hint;
    Hints hints;
    Handler event;
};

// clang-format off
constexpr ControlLayout kControls[] = {
//   name               kind                parent          left top  width height anchors caption      tab filter        direct enabled hint     hints         event
    {"JvGroupBox1",     Kind::GroupBox,     nullptr,           32,  24, 393,  65,    kLTR,   "Original",  0, nullptr,      true,  true,   nullptr, Hints::Parent, nullptr},
    {"JvFilenameOld",   Kind::FilenameEdit, "JvGroupBox1",     16,  24, 361,  21,    kLTR,   nullptr,     0, kImageFilter, false, true,   "Hallo", Hints::Shown,  &TMainForm::JvFilenameOldChange},
    {"JvGroupBox2",     Kind::GroupBox,     nullptr,           32,  96, 393,  65,    kLTR,   "Diff file", 1, nullptr,      true,  true,   nullptr, Hints::Parent, nullptr},
    {"JvFilenamePatch", Kind::FilenameEdit, "JvGroupBox2",     16,  24, 361,  21,    kLTR,   nullptr,     0, kDiffFilter,  false, true,   nullptr, Hints::Parent, &TMainForm::JvFilenamePatchChange},
    {"JvGroupBox3",     Kind::GroupBox,     nullptr,           32, 168, 393,  65,    kLTR,   "Result",    2, nullptr,      true,  true,   nullptr, Hints::Parent, nullptr},
    {"JvFilenameNew",   Kind::FilenameEdit, "JvGroupBox3",     16,  24, 361,  21,    kLTR,   nullptr,     0, kImageFilter, false, true,   nullptr, Hints::Parent, &TMainForm::JvFilenameOldChange},
    {"JvXPButtonClose", Kind::XPButton,     nullptr,          352, 256,   0,   0,    kTR,    "Close",     3, nullptr,      true,  true,   nullptr, Hints::Parent, &TMainForm::JvXPButtonCloseClick},
    {"JvXPButtonPatch", Kind::XPButton,     nullptr,           32, 256,   0,   0,    kLT,    "Patch",     4, nullptr,      true,  false,  nullptr, Hints::Parent, &TMainForm::JvXPButtonPatchClick},
    {"ProgressBarPatch", Kind::ProgressBar, nullptr,          113, 258, 231,  17,    kLTR,   nullptr,     5, nullptr,      true,  true,   nullptr, Hints::Shown,  nullptr},
};
// clang-format on

constexpr char kRejectedDiff[] = "This patch file doesn't seems to be for ";
constexpr char kRejectedDiffCaption[] = "Brivok Patch";
constexpr char kBspatchName[] = "bspatch.exe";
constexpr char kJobCaption[] = "Brivok creator";

// The control of one layout row, owned by the form, with its kind's own
// settings and its event bound to the form's handler.
TWinControl* NewControl(TMainForm* form, const ControlLayout& row) {
    TNotifyEvent event;
    if (row.event != nullptr) {
        event = [form, handler = row.event](TObject* sender) { (form->*handler)(sender); };
    }
    switch (row.kind) {
        case Kind::GroupBox: {
            auto* box = new TJvGroupBox(form);
            box->SetCaption(row.caption);
            return box;
        }
        case Kind::FilenameEdit: {
            auto* field = new TJvFilenameEdit(form);
            field->SetFilter(row.filter);
            field->SetDirectInput(row.directInput);
            field->OnChange = event;
            return field;
        }
        case Kind::XPButton: {
            auto* button = new TJvXPButton(form);
            button->SetCaption(row.caption);
            button->OnClick = event;
            return button;
        }
        case Kind::ProgressBar: {
            // Shown while a job runs: at rest the window is as it always was.
            auto* bar = new TProgressBar(form);
            bar->SetVisible(false);
            return bar;
        }
    }
    return nullptr;
}

// The settings that every row has, in the order the window needs them: the
// bounds before the parent, the tab order and anchors once it has one.
void PlaceControl(TWinControl* control, const ControlLayout& row, TWinControl* parent) {
    control->SetName(row.name);
    control->SetEnabled(row.enabled);
    const int width = row.width > 0 ? row.width : control->Width();
    const int height = row.height > 0 ? row.height : control->Height();
    control->SetBounds(row.left, row.top, width, height);
    if (row.hint != nullptr) {
        control->SetHint(row.hint);
    }
    if (row.hints == Hints::Shown) {
        control->SetShowHint(true);
    }
    control->SetParent(parent);
    control->SetTabOrder(row.tabOrder);
    control->SetAnchors(row.anchors);
}

}  // namespace

TMainForm::TMainForm(TComponent* owner) : TForm(owner) {
    SetName("MainForm");
    SetCaption(kWindow.caption);
    SetBounds(kWindow.left, kWindow.top, Width(), Height());
    SetClientSize(kWindow.clientWidth, kWindow.clientHeight);
    SetColor(kWindow.color);
    SetFont(kWindow.fontName, kWindow.fontHeight);
    SetPosition(TPosition::poDesktopCenter);
    OnCreate = [this](TObject* sender) { FormCreate(sender); };
    CreateControls();
    CreateComponents();
    const bool application = Application != nullptr && Application->Handle() != nullptr;
    progress_ = std::make_unique<PatchProgress>(ProgressBarPatch,
                                                application ? Application->Handle() : Handle());
    DoCreate();
}

TMainForm::~TMainForm() {
    // A running job keeps the process alive until it ends, but the window
    // goes now, and the job touches none of its controls any more. The
    // component is destroyed while the controls still exist, so that even a
    // late request of the job finds them.
    closing_ = true;
    progress_.reset();
    if (Handle() != nullptr) {
        ShowWindow(Handle(), SW_HIDE);
    }
    delete JvThreadRunBatch;
    JvThreadRunBatch = nullptr;
    if (MainForm == this) {
        MainForm = nullptr;
    }
}

void TMainForm::CreateComponents() {
    JvComputerInfoEx1 = new TJvComputerInfoEx(this);
    JvComputerInfoEx1->SetName("JvComputerInfoEx1");

    JvThreadRunBatch = new TJvThread(this);
    JvThreadRunBatch->SetName("JvThreadRunBatch");
    JvThreadRunBatch->SetExclusive(true);
    JvThreadRunBatch->SetRunOnCreate(true);
    JvThreadRunBatch->SetFreeOnTerminate(true);
    JvThreadRunBatch->OnExecute = [this](TObject* sender, void* params) {
        JvThreadRunBatchExecute(sender, params);
    };
    JvThreadRunBatch->OnFinish = [this](TObject* sender) { JvThreadRunBatchFinish(sender); };

    XPManifest1 = new TXPManifest(this);
    XPManifest1->SetName("XPManifest1");
}

void TMainForm::CreateControls() {
    for (const ControlLayout& row : kControls) {
        TWinControl* control = NewControl(this, row);
        TWinControl* parent = row.parent != nullptr ? FindControl(row.parent) : this;
        PlaceControl(control, row, parent);
    }
    JvGroupBox1 = dynamic_cast<TJvGroupBox*>(FindControl("JvGroupBox1"));
    JvGroupBox2 = dynamic_cast<TJvGroupBox*>(FindControl("JvGroupBox2"));
    JvGroupBox3 = dynamic_cast<TJvGroupBox*>(FindControl("JvGroupBox3"));
    JvFilenameOld = dynamic_cast<TJvFilenameEdit*>(FindControl("JvFilenameOld"));
    JvFilenamePatch = dynamic_cast<TJvFilenameEdit*>(FindControl("JvFilenamePatch"));
    JvFilenameNew = dynamic_cast<TJvFilenameEdit*>(FindControl("JvFilenameNew"));
    JvXPButtonClose = dynamic_cast<TJvXPButton*>(FindControl("JvXPButtonClose"));
    JvXPButtonPatch = dynamic_cast<TJvXPButton*>(FindControl("JvXPButtonPatch"));
    ProgressBarPatch = dynamic_cast<TProgressBar*>(FindControl("ProgressBarPatch"));
}

TWinControl* TMainForm::FindControl(const char* name) const {
    for (int i = 0; i < ComponentCount(); ++i) {
        if (Component(i)->Name() == name) {
            return dynamic_cast<TWinControl*>(Component(i));
        }
    }
    return nullptr;
}

void TMainForm::FormCreate(TObject* /*Sender*/) {
    char path[MAX_PATH + 1] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    BspatchPath = ExtractFilePath(path) + kBspatchName;
}

void TMainForm::JvFilenameOldChange(TObject* /*Sender*/) {
    // Read in this order, stopping at the first empty field.
    const bool allNamed = !JvFilenameOld->FileName().empty() &&
                          !JvFilenameNew->FileName().empty() &&
                          !JvFilenamePatch->FileName().empty();
    JvXPButtonPatch->SetEnabled(allNamed);
}

void TMainForm::JvFilenamePatchChange(TObject* Sender) {
    JvFilenameOldChange(Sender);
    const std::string diffPath = JvFilenamePatch->FileName();
    if (diffPath.empty()) {
        return;
    }
    const std::string oldPath = JvFilenameOld->FileName();
    if (!DiffMatchesImage(oldPath, diffPath)) {
        Application->MessageBox(kRejectedDiff + oldPath, kRejectedDiffCaption, MB_ICONSTOP | MB_OK);
        // Runs this handler once more, nested: the empty field disables Patch.
        JvFilenamePatch->Clear();
        return;
    }
    JvFilenameNew->SetFileName(DeriveNewImageName(oldPath, diffPath));
}

void TMainForm::JvXPButtonCloseClick(TObject* /*Sender*/) {
    EndPatchProgramAndTool(BspatchPath);
}

void TMainForm::JvXPButtonPatchClick(TObject* /*Sender*/) {
    // cmd reads a batch file by offset while it runs it: rewriting the
    // script under a running job would make it execute a mixture of both.
    if (JvThreadRunBatch->OneThreadIsRunning()) {
        return;
    }
    TJvSystemFolders* folders = JvComputerInfoEx1->Folders();
    const PatchScriptLocation location = LocatePatchScript(folders->Temp(), folders->TempSource());
    WorkFolder = location.WorkFolder;
    ScriptPath = location.ScriptPath;
    const PatchScriptNames names = {BspatchPath, JvFilenameOld->FileName(),
                                    JvFilenameNew->FileName(), JvFilenamePatch->FileName()};
    WritePatchScript(ScriptPath, names);
    // The end message names the image that this script patches, whatever
    // the field holds by then.
    jobOldName_ = names.oldName;
    // The script inherits the channel's name, so it is made first.
    progress_->Start();
    try {
        JvThreadRunBatch->Execute(this);
    } catch (...) {
        progress_->Dismiss();
        throw;
    }
}

void TMainForm::SetPatchEnabledFromJob(bool enabled) {
    Synchronize([this, enabled] {
        if (!closing_) {
            JvXPButtonPatch->SetEnabled(enabled);
        }
    });
}

void TMainForm::JvThreadRunBatchExecute(TObject* /*Sender*/, void* /*Params*/) {
    // First of all: a handler that fails before its launch must not be
    // reported with an earlier run's outcome.
    jobOutcome_ = {};
    SetPatchEnabledFromJob(false);
    Application->ProcessMessages();
    // No click rewrites ScriptPath while a job runs.
    LaunchAndWait(ScriptPath, "", SW_HIDE, true, 0, &jobOutcome_);
    SetPatchEnabledFromJob(true);
}

void TMainForm::JvThreadRunBatchFinish(TObject* /*Sender*/) {
    if (closing_) {
        return;
    }
    const PatchJobReport report = ReportPatchJob(jobOldName_, jobOutcome_);
    progress_->Finish(report.end != PatchJobEnd::Patched);
    UINT icon = MB_ICONSTOP;
    if (report.end == PatchJobEnd::Patched) {
        icon = MB_ICONINFORMATION;
    } else if (report.end == PatchJobEnd::Unknown) {
        icon = MB_ICONWARNING;
    }
    Application->MessageBox(report.text, kJobCaption, MB_OK | icon);
    progress_->Dismiss();
}
