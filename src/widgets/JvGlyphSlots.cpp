#include "widgets/JvGlyphSlots.h"

int GlyphSlots::Allocate() {
    int slot = 0;
    while (slot < Size() && slots_[static_cast<std::size_t>(slot)]) {
        ++slot;
    }
    if (slot == Size()) {
        slots_.push_back(true);
    } else {
        slots_[static_cast<std::size_t>(slot)] = true;
    }
    ++used_;
    return slot;
}

void GlyphSlots::Free(int slot) {
    if (!InUse(slot)) {
        return;
    }
    slots_[static_cast<std::size_t>(slot)] = false;
    --used_;
}

bool GlyphSlots::InUse(int slot) const {
    return slot >= 0 && slot < Size() && slots_[static_cast<std::size_t>(slot)];
}
