// Which places of a picture list are in use: a freed place is handed out
// again before the list grows. Portable.
#pragma once

#include <vector>

class GlyphSlots {
public:
    // The first free place, or a new one at the end.
    int Allocate();
    // Frees a place; nothing for one that is not in use.
    void Free(int slot);
    bool InUse(int slot) const;
    int UsedCount() const { return used_; }
    // Places handed out so far, used or freed.
    int Size() const { return static_cast<int>(slots_.size()); }

private:
    std::vector<bool> slots_;
    int used_ = 0;
};
