#include "support/FormFixture.h"

#include "support/TestApplication.h"
#include "support/WindowDriver.h"

namespace support {

void FormFixture::MakeForm(int width, int height, int left, int top) {
    EnsureApplication();
    PointerAway();
    form_ = std::make_unique<TForm>(nullptr);
    form_->SetClientSize(width, height);
    form_->SetBounds(left, top, form_->Width(), form_->Height());
}

void FormFixture::ShowForm() {
    form_->Show();
    ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(form_->Handle()) != FALSE; }))
        << "the form did not show";
    UpdateWindow(form_->Handle());
    Application->ProcessMessages();
}

void FormFixture::PointerAway() {
    ReleaseCapture();
    Application->ProcessMessages();
    SetCursorPos(0, 0);
    Application->ProcessMessages();
    if (form_ == nullptr) {
        return;
    }
    EXPECT_TRUE(WaitFor([&] {
        for (TWinControl* control : form_->AllControls()) {
            if (control->MouseInControl()) {
                return false;
            }
        }
        return true;
    })) << "a control still takes the pointer as over it";
}

void FormFixture::ReleaseKeys() {
    BYTE keys[256]{};
    SetKeyboardState(keys);
}

void FormFixture::TearDown() {
    PointerAway();
    ReleaseKeys();
    form_.reset();
}

}  // namespace support
