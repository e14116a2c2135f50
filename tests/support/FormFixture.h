// The fixture of the tests that build a form of their own: the application
// made once, a form of the test's size and place, shown on request, controls
// added in one line, and the pointer and the keys left as the next test
// needs them: the pointer off every window of ours, every key up.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <utility>

#include "rtl/Application.h"
#include "rtl/Forms.h"

namespace support {

class FormFixture : public ::testing::Test {
protected:
    // The form, not shown yet, with a client area of `width` x `height` at
    // (left, top) on the screen; the pointer is moved away first.
    void MakeForm(int width, int height, int left = 40, int top = 40);
    // Shows the form and waits until it shows (a form that does not fails
    // the test), then paints it and handles what showing left queued.
    void ShowForm();

    // A control of type T on `parent`, owned by the form; `args` follow
    // the owner in T's constructor.
    template <typename T, typename... Args>
    T* Add(TWinControl* parent, int left, int top, int width, int height, Args&&... args) {
        auto* control = new T(form_.get(), std::forward<Args>(args)...);
        control->SetBounds(left, top, width, height);
        control->SetParent(parent);
        return control;
    }

    // Ends any capture, lets the queued pointer moves arrive, puts the
    // pointer off every window of ours and waits until no control of the
    // form takes it as over it: Wine routes a queued move by where the
    // pointer is when it is read, so a move left over would reach the next
    // window at the same place.
    void PointerAway();
    // Every key of this thread's keyboard state up.
    static void ReleaseKeys();

    void TearDown() override;

    std::unique_ptr<TForm> form_;
};

}  // namespace support
