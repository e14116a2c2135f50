#include "widgets/JvAutoComplete.h"

#include <objbase.h>

#include <new>

HRESULT CreateShellObject(const CLSID& classId, const IID& interfaceId, void** object) {
    return CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER, interfaceId, object);
}

TAutoCompleteSource* TAutoCompleteSource::Create(std::shared_ptr<const TAutoCompleteItems> items,
                                                 ULONG index) {
    return new (std::nothrow) TAutoCompleteSource(std::move(items), index);
}

TAutoCompleteSource::TAutoCompleteSource(std::shared_ptr<const TAutoCompleteItems> items,
                                         ULONG index)
    : items_(items ? std::move(items) : std::make_shared<const TAutoCompleteItems>()),
      index_(index) {}

HRESULT TAutoCompleteSource::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IEnumString)) {
        *object = static_cast<IEnumString*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG TAutoCompleteSource::AddRef() {
    return ++references_;
}

ULONG TAutoCompleteSource::Release() {
    const ULONG left = --references_;
    if (left == 0) {
        delete this;
    }
    return left;
}

HRESULT TAutoCompleteSource::Next(ULONG count, LPOLESTR* strings, ULONG* fetched) {
    if (strings == nullptr) {
        return E_FAIL;
    }
    ULONG delivered = 0;
    while (delivered < count && index_ < ItemCount()) {
        const std::string& item = (*items_)[index_];
        const int length =
            MultiByteToWideChar(CP_ACP, 0, item.data(), static_cast<int>(item.size()), nullptr, 0);
        auto* text = static_cast<LPOLESTR>(
            CoTaskMemAlloc((static_cast<SIZE_T>(length) + 1) * sizeof(WCHAR)));
        if (text == nullptr) {
            return E_OUTOFMEMORY;
        }
        MultiByteToWideChar(CP_ACP, 0, item.data(), static_cast<int>(item.size()), text, length);
        text[length] = L'\0';
        strings[delivered++] = text;
        ++index_;
    }
    if (fetched != nullptr) {
        *fetched = delivered;
    }
    return delivered == count ? S_OK : S_FALSE;
}

HRESULT TAutoCompleteSource::Skip(ULONG count) {
    // In 64 bits: a huge count must not wrap the index round.
    const unsigned long long target = static_cast<unsigned long long>(index_) + count;
    if (target < ItemCount()) {
        index_ = static_cast<ULONG>(target);
        return S_OK;
    }
    index_ = ItemCount();
    return S_FALSE;
}

HRESULT TAutoCompleteSource::Reset() {
    index_ = 0;
    return S_OK;
}

HRESULT TAutoCompleteSource::Clone(IEnumString** copy) {
    if (copy == nullptr) {
        return E_POINTER;
    }
    *copy = Create(items_, index_);
    return *copy != nullptr ? S_OK : E_UNEXPECTED;
}
