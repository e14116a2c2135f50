// Marks a form that goes with the application manifest asking for the
// themed common controls; it does nothing itself.
#pragma once

#include "rtl/Classes.h"

class TXPManifest : public TComponent {
public:
    explicit TXPManifest(TComponent* owner) : TComponent(owner) {}
    const char* ClassName() const override { return "TXPManifest"; }
};
