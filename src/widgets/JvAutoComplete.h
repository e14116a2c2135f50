// The shell's auto-completion as the combo edits use it: the identifiers of
// its classes and interfaces, the maker of its objects, and the edits' own
// string source over a list of items.
#pragma once

#include <windows.h>

#include <objidl.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// The shell's classes, all created in-process.
constexpr CLSID kClsidAutoComplete = {
    0x00BB2763, 0x6A77, 0x11D0, {0xA5, 0x35, 0x00, 0xC0, 0x4F, 0xD7, 0xD0, 0x62}};
constexpr CLSID kClsidACLMulti = {
    0x00BB2765, 0x6A77, 0x11D0, {0xA5, 0x35, 0x00, 0xC0, 0x4F, 0xD7, 0xD0, 0x62}};
constexpr CLSID kClsidACListISF = {
    0x03C036F1, 0xA186, 0x11D0, {0x82, 0x4A, 0x00, 0xAA, 0x00, 0x5B, 0x43, 0x83}};
constexpr CLSID kClsidACLHistory = {
    0x00BB2764, 0x6A77, 0x11D0, {0xA5, 0x35, 0x00, 0xC0, 0x4F, 0xD7, 0xD0, 0x62}};
constexpr CLSID kClsidACLMRU = {
    0x6756A641, 0xDE71, 0x11D0, {0x83, 0x1B, 0x00, 0xAA, 0x00, 0x5B, 0x43, 0x83}};
// And the interfaces asked of them.
constexpr IID kIidIAutoComplete = {
    0x00BB2762, 0x6A77, 0x11D0, {0xA5, 0x35, 0x00, 0xC0, 0x4F, 0xD7, 0xD0, 0x62}};
constexpr IID kIidIAutoComplete2 = {
    0xEAC04BC0, 0x3791, 0x11D2, {0xBB, 0x95, 0x00, 0x60, 0x97, 0x7B, 0x46, 0x4C}};
constexpr IID kIidIObjMgr = {
    0x00BB2761, 0x6A77, 0x11D0, {0xA5, 0x35, 0x00, 0xC0, 0x4F, 0xD7, 0xD0, 0x62}};
constexpr IID kIidIACList2 = {
    0x470141A0, 0x5186, 0x11D2, {0xBB, 0xB6, 0x00, 0x60, 0x97, 0x7B, 0x46, 0x4C}};
constexpr IID kIidIUnknown = {
    0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// Makes one of the shell's objects as the interface asked for; a new
// reference in *object, or a failure code and null.
using TShellObjectFactory =
    std::function<HRESULT(const CLSID& classId, const IID& interfaceId, void** object)>;
// The system's: CoCreateInstance, in-process.
HRESULT CreateShellObject(const CLSID& classId, const IID& interfaceId, void** object);

using TAutoCompleteItems = std::vector<std::string>;

// A string enumerator over a combo edit's items. It shares the items with
// the edit, so that a shell object that keeps it longer than the edit lives
// reads a list that still exists.
class TAutoCompleteSource final : public IEnumString {
public:
    // A new source with one reference, at `index`.
    static TAutoCompleteSource* Create(std::shared_ptr<const TAutoCompleteItems> items,
                                       ULONG index = 0);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // Up to `count` items from the current index on, each a new wide string
    // from CoTaskMemAlloc; S_OK when all were delivered, else S_FALSE.
    HRESULT STDMETHODCALLTYPE Next(ULONG count, LPOLESTR* strings, ULONG* fetched) override;
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override;
    HRESULT STDMETHODCALLTYPE Reset() override;
    HRESULT STDMETHODCALLTYPE Clone(IEnumString** copy) override;

    ULONG Index() const { return index_; }

private:
    TAutoCompleteSource(std::shared_ptr<const TAutoCompleteItems> items, ULONG index);
    ~TAutoCompleteSource() = default;
    ULONG ItemCount() const { return static_cast<ULONG>(items_->size()); }

    std::atomic<ULONG> references_{1};
    std::shared_ptr<const TAutoCompleteItems> items_;
    ULONG index_;
};
