// Where a control sits: its parent and children, bounds and anchors, and
// its place in the tab order.
#include "rtl/Controls.h"

#include <algorithm>
#include <utility>
#include <vector>

void TWinControl::SetParent(TWinControl* parent) {
    if (parent == parent_) {
        return;
    }
    if (parent_ != nullptr) {
        std::erase(parent_->controls_, this);
    }
    parent_ = parent;
    if (parent_ == nullptr) {
        return;
    }
    parent_->controls_.push_back(this);
    if (handle_ != nullptr) {
        ::SetParent(handle_, parent_->handle_);
    } else if (parent_->handle_ != nullptr) {
        CreateHandle();
    }
    UpdateAnchorRules();
    ScaleForPPI(parent_->currentPPI_);
}

TWinControl* TWinControl::Outermost() {
    TWinControl* control = this;
    while (control->parent_ != nullptr) {
        control = control->parent_;
    }
    return control;
}

TForm* TWinControl::ParentForm() {
    return Outermost()->AsForm();
}

void TWinControl::OnSize(WPARAM kind) {
    ReadBoundsFromWindow();
    if (kind != SIZE_MINIMIZED && !scaling_) {
        AlignControls();
    }
}

void TWinControl::ReadBoundsFromWindow() {
    if (handle_ == nullptr) {
        return;
    }
    RECT rect{};
    GetWindowRect(handle_, &rect);
    if (parent_ != nullptr && parent_->handle_ != nullptr) {
        MapWindowPoints(nullptr, parent_->handle_, reinterpret_cast<POINT*>(&rect), 2);
    }
    left_ = rect.left;
    top_ = rect.top;
    width_ = rect.right - rect.left;
    height_ = rect.bottom - rect.top;
}

void TWinControl::SetBounds(int left, int top, int width, int height) {
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    if (handle_ != nullptr) {
        SetWindowPos(handle_, nullptr, left, top, width, height,
                     SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
    }
    UpdateAnchorRules();
}

RECT TWinControl::ClientRect() const {
    RECT rect{0, 0, width_, height_};
    if (handle_ != nullptr) {
        GetClientRect(handle_, &rect);
    }
    return rect;
}

int TWinControl::ClientWidth() const {
    return ClientRect().right;
}

int TWinControl::ClientHeight() const {
    return ClientRect().bottom;
}

void TWinControl::SetAnchors(TAnchors anchors) {
    anchors_ = anchors;
    UpdateAnchorRules();
}

void TWinControl::UpdateAnchorRules() {
    if (parent_ == nullptr) {
        return;
    }
    rightGap_ = parent_->ClientWidth() - (left_ + width_);
    bottomGap_ = parent_->ClientHeight() - (top_ + height_);
}

void TWinControl::AlignControls() {
    const int clientWidth = ClientWidth();
    const int clientHeight = ClientHeight();
    for (TWinControl* child : controls_) {
        int left = child->left_;
        int top = child->top_;
        int width = child->width_;
        int height = child->height_;
        if ((child->anchors_ & akRight) != 0) {
            if ((child->anchors_ & akLeft) != 0) {
                width = clientWidth - left - child->rightGap_;
            } else {
                left = clientWidth - width - child->rightGap_;
            }
        }
        if ((child->anchors_ & akBottom) != 0) {
            if ((child->anchors_ & akTop) != 0) {
                height = clientHeight - top - child->bottomGap_;
            } else {
                top = clientHeight - height - child->bottomGap_;
            }
        }
        // No lower limit: a narrow parent lets the controls overlap.
        width = std::max(width, 0);
        height = std::max(height, 0);
        if (left == child->left_ && top == child->top_ && width == child->width_ &&
            height == child->height_) {
            continue;
        }
        child->left_ = left;
        child->top_ = top;
        child->width_ = width;
        child->height_ = height;
        if (child->handle_ != nullptr) {
            SetWindowPos(child->handle_, nullptr, left, top, width, height,
                         SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
        }
    }
}

void TWinControl::ScaleForPPI(int ppi) {
    if (ppi > 0 && ppi != currentPPI_) {
        ChangeScale(ppi, currentPPI_);
    }
}

void TWinControl::ChangeScale(int newPPI, int oldPPI) {
    const bool outerScaling = std::exchange(scaling_, true);
    currentPPI_ = newPPI;
    // The parent first: a child's distances to the edges are measured in
    // the parent's new client area.
    ScaleOwnBounds(newPPI, oldPPI);
    for (TWinControl* child : std::vector<TWinControl*>(controls_)) {
        child->ChangeScale(newPPI, oldPPI);
    }
    scaling_ = outerScaling;
}

void TWinControl::ScaleOwnBounds(int newPPI, int oldPPI) {
    const ScalableBounds scaled = ScaleBounds({left_, top_, width_, height_}, newPPI, oldPPI);
    SetBounds(scaled.left, scaled.top, scaled.width, scaled.height);
}

int TWinControl::TabOrder() const {
    if (parent_ == nullptr) {
        return -1;
    }
    const auto& siblings = parent_->controls_;
    return static_cast<int>(std::find(siblings.begin(), siblings.end(), this) - siblings.begin());
}

void TWinControl::SetTabOrder(int order) {
    if (parent_ == nullptr) {
        return;
    }
    auto& siblings = parent_->controls_;
    std::erase(siblings, this);
    order = std::clamp(order, 0, static_cast<int>(siblings.size()));
    siblings.insert(siblings.begin() + order, this);
}
