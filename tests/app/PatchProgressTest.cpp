// A patch run's progress in process: a recording list of ours stands in for
// the task-bar button, and the reports go into the run's channel through
// bspatch's own view of it.
#include "app/PatchProgress.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ProgressMapping.h"
#include "support/FormFixture.h"
#include "support/WindowDriver.h"

namespace {

using bspatch::ProgressPhase;

// The task-bar list's calls that show progress, as "state N" and "value D
// of T"; the rest it refuses. It lives on the test's stack.
class RecordingTaskBarList : public ITaskbarList3 {
public:
    std::vector<std::string> calls;
    HWND window = nullptr;  // of the last call

    HRESULT STDMETHODCALLTYPE SetProgressState(HWND hwnd, TBPFLAG state) override {
        window = hwnd;
        calls.push_back("state " + std::to_string(state));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetProgressValue(HWND hwnd, ULONGLONG done,
                                               ULONGLONG total) override {
        window = hwnd;
        calls.push_back("value " + std::to_string(done) + " of " + std::to_string(total));
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE HrInit() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE AddTab(HWND) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DeleteTab(HWND) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ActivateTab(HWND) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetActiveAlt(HWND) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE MarkFullscreenWindow(HWND, WINBOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RegisterTab(HWND, HWND) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE UnregisterTab(HWND) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetTabOrder(HWND, HWND) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetTabActive(HWND, HWND, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ThumbBarAddButtons(HWND, UINT, LPTHUMBBUTTON) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE ThumbBarUpdateButtons(HWND, UINT, LPTHUMBBUTTON) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE ThumbBarSetImageList(HWND, HIMAGELIST) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetOverlayIcon(HWND, HICON, LPCWSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetThumbnailTooltip(HWND, LPCWSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetThumbnailClip(HWND, RECT*) override { return E_NOTIMPL; }
};

std::string ChannelName() {
    char name[256] = {};
    GetEnvironmentVariableA(bspatch::kProgressVariable, name, sizeof name);
    return name;
}

class PatchProgressTest : public support::FormFixture {
protected:
    // The presenter on a bar of the form, with `list` (null: none) for the
    // shell's task-bar list.
    void Make(RecordingTaskBarList* list) {
        MakeForm(260, 40);
        bar_ = Add<TProgressBar>(form_.get(), 10, 10, 231, 17);
        bar_->SetVisible(false);
        ShowForm();
        progress_ = std::make_unique<PatchProgress>(bar_, form_->Handle(),
                                                    [list] { return ComPtr<ITaskbarList3>(list); });
    }
    void TearDown() override {
        progress_.reset();
        FormFixture::TearDown();
    }

    bool Marquee() const { return (GetWindowLongA(bar_->Handle(), GWL_STYLE) & PBS_MARQUEE) != 0; }
    LRESULT Shown(UINT message) const { return SendMessageA(bar_->Handle(), message, 0, 0); }

    TProgressBar* bar_ = nullptr;
    std::unique_ptr<PatchProgress> progress_;
};

TEST_F(PatchProgressTest, TheBarTheTipAndTheButtonFollowTheReportsOfARun) {
    RecordingTaskBarList list;
    Make(&list);
    progress_->Start();
    EXPECT_TRUE(IsWindowVisible(bar_->Handle()) && Marquee());
    const std::string name = ChannelName();
    {
        const bspatch::ProgressMapping channel(name.c_str());
        ASSERT_NE(channel.Block(), nullptr) << "'" << name << "'";
        bspatch::ProgressBlock& block = *channel.Block();
        struct Step {
            bspatch::ProgressReport report;  // written, then read at `ms`
            uint64_t ms;
            bool marquee;
            LRESULT position;
            const char* tip;
        };
        // clang-format off
        const Step steps[] = {
            {{ProgressPhase::Starting, 0, 0},                            1000, true,  0,    ""},
            {{ProgressPhase::Patching, 4300000000, 1200000000},          1100, false, 279,  "1.20 GB of 4.30 GB"},
            {{ProgressPhase::Patching, 4300000000, 1500000000},          4100, false, 348,  "1.50 GB of 4.30 GB, about 30 seconds left"},
            // Never back, whatever the block says.
            {{ProgressPhase::Patching, 4300000000, 1000000000},          4200, false, 348,  "1.00 GB of 4.30 GB"},
            {{ProgressPhase::Done,     4300000000, 4300000000},          4300, false, 1000, "4.30 GB of 4.30 GB"},
        };
        // clang-format on
        for (const Step& step : steps) {
            SCOPED_TRACE(step.tip);
            bspatch::WriteProgress(block, step.report);
            progress_->Update(step.ms);
            EXPECT_EQ(Marquee(), step.marquee);
            EXPECT_EQ(Shown(PBM_GETPOS), step.position);
            EXPECT_EQ(bar_->Hint(), step.tip);
        }
    }
    progress_->Finish(false);
    EXPECT_TRUE(IsWindowVisible(bar_->Handle())) << "until the end box is confirmed";
    EXPECT_EQ(ChannelName(), "") << "released at the end of the job";
    EXPECT_FALSE(bspatch::ProgressMapping(name.c_str()).Block());
    progress_->Dismiss();
    EXPECT_FALSE(IsWindowVisible(bar_->Handle()));
    EXPECT_EQ(list.calls,
              (std::vector<std::string>{"state 1", "state 2", "value 279 of 1000",
                                        "value 348 of 1000", "value 1000 of 1000", "state 0"}));
    EXPECT_EQ(list.window, form_->Handle());
}

TEST_F(PatchProgressTest, AFailedRunIsInItsErrorStateUntilItsBoxIsConfirmed) {
    RecordingTaskBarList list;
    for (RecordingTaskBarList* shell : {&list, static_cast<RecordingTaskBarList*>(nullptr)}) {
        SCOPED_TRACE(shell != nullptr ? "a task-bar list" : "none");
        Make(shell);
        progress_->Start();
        {
            const bspatch::ProgressMapping channel(ChannelName().c_str());
            ASSERT_NE(channel.Block(), nullptr);
            bspatch::WriteProgress(*channel.Block(), {ProgressPhase::Patching, 1000, 250});
            EXPECT_TRUE(support::WaitFor([&] { return Shown(PBM_GETPOS) == 250; }))
                << "the timer reads the channel";
            bspatch::WriteProgress(*channel.Block(), {ProgressPhase::Failed, 1000, 300});
        }
        progress_->Finish(true);
        // Red where the system's bar has states; Wine 8's has none (PBM_GETSTATE
        // answers PBST_NORMAL whatever was set).
        EXPECT_EQ(bar_->State(), TProgressBarState::pbsError);
        EXPECT_EQ(Shown(PBM_GETPOS), 300) << "where it stopped";
        EXPECT_TRUE(IsWindowVisible(bar_->Handle()));
        progress_->Dismiss();
        EXPECT_FALSE(IsWindowVisible(bar_->Handle()));
        TearDown();
    }
    EXPECT_EQ(list.calls, (std::vector<std::string>{"state 1", "state 2", "value 250 of 1000",
                                                    "value 300 of 1000", "state 4", "state 0"}));
}

}  // namespace
