// A component's references to components that it does not own: it watches
// each one (FreeNotification) and clears the reference when that one goes,
// so that no reference outlives its component. Portable.
#pragma once

#include <vector>

#include "rtl/Classes.h"

// Points `reference`, a member of `holder`, at `target` (null for none): the
// holder stops watching the previous component and watches the new one.
// False, and nothing done, when `target` is already the one.
template <typename T>
bool SetComponentReference(TComponent& holder, T*& reference, T* target) {
    if (target == reference) {
        return false;
    }
    if (reference != nullptr) {
        holder.RemoveFreeNotification(reference);
    }
    reference = target;
    if (reference != nullptr) {
        holder.FreeNotification(reference);
    }
    return true;
}

// For the holder's Notification: clears `reference` when `component` is the
// one going. True when it did.
template <typename T>
bool ClearComponentReference(T*& reference, TComponent* component, TOperation operation) {
    // Compared as components: one that is being destroyed is no longer a T
    // by its dynamic type.
    if (operation != TOperation::opRemove || reference == nullptr ||
        static_cast<TComponent*>(reference) != component) {
        return false;
    }
    reference = nullptr;
    return true;
}

// The same for a list of references: the component going leaves the list.
template <typename T>
void ClearComponentReference(std::vector<T*>& references, TComponent* component,
                             TOperation operation) {
    if (operation != TOperation::opRemove) {
        return;
    }
    std::erase_if(references, [component](T* reference) {
        return static_cast<TComponent*>(reference) == component;
    });
}
