// The Open and Save dialogs with a picture preview: a box beside the file
// list shows the bitmap that is selected.
#pragma once

#include <windows.h>

#include <commdlg.h>

#include "rtl/Dialogs.h"

class TOpenPictureDialog : public TOpenDialog {
public:
    explicit TOpenPictureDialog(TComponent* owner);
    const char* ClassName() const override { return "TOpenPictureDialog"; }

protected:
    BOOL Show(OPENFILENAMEA& dialog) override;
};

class TSavePictureDialog : public TSaveDialog {
public:
    explicit TSavePictureDialog(TComponent* owner);
    const char* ClassName() const override { return "TSavePictureDialog"; }

protected:
    BOOL Show(OPENFILENAMEA& dialog) override;
};
