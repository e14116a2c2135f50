#include "rtl/Classes.h"

#include <algorithm>

TComponent::TComponent(TComponent* owner) : owner_(owner) {
    if (owner_ != nullptr) {
        owner_->Insert(this);
    }
}

TComponent::~TComponent() {
    destroying_ = true;
    // Partners first, so that nobody is told about us after we are half gone.
    while (!freeNotifies_.empty()) {
        TComponent* partner = freeNotifies_.back();
        freeNotifies_.pop_back();
        std::erase(partner->freeNotifies_, this);
        partner->Notification(this, TOperation::opRemove);
    }
    DestroyComponents();
    if (owner_ != nullptr) {
        owner_->Remove(this);
    }
}

void TComponent::DestroyComponents() {
    while (!components_.empty()) {
        // The child unlinks itself from components_ in its destructor.
        delete components_.back();
    }
}

void TComponent::FreeNotification(TComponent* component) {
    if (component == nullptr || component == this) {
        return;
    }
    if (std::find(freeNotifies_.begin(), freeNotifies_.end(), component) == freeNotifies_.end()) {
        freeNotifies_.push_back(component);
        component->freeNotifies_.push_back(this);
    }
}

void TComponent::RemoveFreeNotification(TComponent* component) {
    if (component == nullptr) {
        return;
    }
    std::erase(freeNotifies_, component);
    std::erase(component->freeNotifies_, this);
}

void TComponent::Notification(TComponent* /*component*/, TOperation /*operation*/) {}

void TComponent::Insert(TComponent* component) {
    components_.push_back(component);
    for (TComponent* sibling : components_) {
        sibling->Notification(component, TOperation::opInsert);
    }
}

void TComponent::Remove(TComponent* component) {
    std::erase(components_, component);
    // Siblings and the owner learn that a component went away.
    for (TComponent* sibling : components_) {
        sibling->Notification(component, TOperation::opRemove);
    }
    Notification(component, TOperation::opRemove);
}
