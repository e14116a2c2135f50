// The base of the component library's non-visual components (the thread job
// component and its dialog). Portable.
#pragma once

#include "rtl/Classes.h"

class TJvComponent : public TComponent {
public:
    using TComponent::TComponent;
    const char* ClassName() const override { return "TJvComponent"; }
};
