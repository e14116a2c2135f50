// The combo edit's binding to the shell's auto-completion: the object on
// the edit window, its options and the base's string source.
#include "widgets/JvToolEdit.h"

#include <shldisp.h>

HRESULT TJvCustomComboEdit::MakeShellObject(const CLSID& classId, const IID& interfaceId,
                                            void** object) const {
    *object = nullptr;
    return ShellObjectFactory ? ShellObjectFactory(classId, interfaceId, object)
                              : CreateShellObject(classId, interfaceId, object);
}

void TJvCustomComboEdit::SetAutoCompleteOptions(TJvAutoCompleteOptions options) {
    if (autoCompleteOptions_ == options) {
        return;
    }
    autoCompleteOptions_ = options;
    if (!autoComplete_) {
        AttachAutoComplete();
    }
    ApplyAutoCompleteOptions();
}

void TJvCustomComboEdit::AttachAutoComplete() {
    if (Handle() == nullptr || autoCompleteOptions_ == 0) {
        return;
    }
    autoComplete_.Reset();
    ComPtr<IAutoComplete> object;
    if (FAILED(MakeShellObject(kClsidAutoComplete, kIidIAutoComplete,
                               reinterpret_cast<void**>(object.Put()))) ||
        !object) {
        return;
    }
    autoCompleteSource_ = CreateAutoCompleteSource();
    // Without a source there is nothing to bind; the object stays for its
    // options.
    if (autoCompleteSource_) {
        object->Init(Handle(), autoCompleteSource_.Get(), nullptr, nullptr);
    }
    autoComplete_.Reset(object.Detach());
}

void TJvCustomComboEdit::ApplyAutoCompleteOptions() {
    if (Handle() == nullptr) {
        return;
    }
    ComPtr<IAutoComplete2> object = autoComplete_.As<IAutoComplete2>(kIidIAutoComplete2);
    if (object) {
        object->SetOptions(AutoCompleteFlags(autoCompleteOptions_));
    }
}

ComPtr<IUnknown> TJvCustomComboEdit::CreateAutoCompleteSource() {
    IEnumString* source = TAutoCompleteSource::Create(autoCompleteItems_, 0);
    return ComPtr<IUnknown>(source);
}
