// The captioned frame around a group of controls.
#pragma once

#include "rtl/StdCtrls.h"

class TJvGroupBox : public TCustomGroupBox {
public:
    explicit TJvGroupBox(TComponent* owner) : TCustomGroupBox(owner) {}
    const char* ClassName() const override { return "TJvGroupBox"; }
};
