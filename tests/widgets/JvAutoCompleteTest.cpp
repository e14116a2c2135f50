// The shell's auto-completion of the combo edits: the identifiers, the
// edits' own string source, and the calls on the shell's objects, observed
// through recording objects handed in where the shell's would be made.
#include <objbase.h>
#include <shldisp.h>
#include <shlobj.h>
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "rtl/Forms.h"
#include "support/FormFixture.h"
#include "widgets/JvAutoComplete.h"
#include "widgets/JvToolEdit.h"

namespace {

TEST(AutoCompleteIdentifiers, AreTheShellsOwn) {
    const std::pair<GUID, const wchar_t*> cases[] = {
        {kClsidAutoComplete, L"{00BB2763-6A77-11D0-A535-00C04FD7D062}"},
        {kIidIAutoComplete, L"{00BB2762-6A77-11D0-A535-00C04FD7D062}"},
        {kIidIAutoComplete2, L"{EAC04BC0-3791-11D2-BB95-0060977B464C}"},
        {kClsidACLMulti, L"{00BB2765-6A77-11D0-A535-00C04FD7D062}"},
        {kIidIObjMgr, L"{00BB2761-6A77-11D0-A535-00C04FD7D062}"},
        {kClsidACListISF, L"{03C036F1-A186-11D0-824A-00AA005B4383}"},
        {kIidIACList2, L"{470141A0-5186-11D2-BBB6-0060977B464C}"},
        {kClsidACLHistory, L"{00BB2764-6A77-11D0-A535-00C04FD7D062}"},
        {kClsidACLMRU, L"{6756A641-DE71-11D0-831B-00AA005B4383}"},
        {kIidIUnknown, L"{00000000-0000-0000-C000-000000000046}"},
    };
    for (const auto& [guid, expected] : cases) {
        wchar_t text[40] = {};
        StringFromGUID2(guid, text, 40);
        EXPECT_STREQ(text, expected);
    }
}

// --- the string source

class SourceTest : public ::testing::Test {
protected:
    void SetUp() override {
        CoInitialize(nullptr);
        items_ = std::make_shared<TAutoCompleteItems>(
            TAutoCompleteItems{"alpha", "beta", "\xE9t\xE9"});  // "été" in code page 1252
        source_ = TAutoCompleteSource::Create(items_);
    }
    void TearDown() override {
        source_->Release();
        CoUninitialize();
    }

    // Next, with the strings it delivers read and freed.
    HRESULT Next(ULONG count, std::vector<std::wstring>& out, ULONG* fetched) {
        std::vector<LPOLESTR> strings(count + 1, nullptr);
        const HRESULT result = source_->Next(count, strings.data(), fetched);
        out.clear();
        for (LPOLESTR text : strings) {
            if (text != nullptr) {
                out.emplace_back(text);
                CoTaskMemFree(text);
            }
        }
        return result;
    }

    std::shared_ptr<TAutoCompleteItems> items_;
    TAutoCompleteSource* source_ = nullptr;
};

TEST_F(SourceTest, NextDeliversFromTheIndexOnAndSaysWhenItRanShort) {
    std::vector<std::wstring> got;
    ULONG fetched = 99;
    EXPECT_EQ(Next(2, got, &fetched), S_OK);
    EXPECT_EQ(fetched, 2u);
    EXPECT_EQ(got, (std::vector<std::wstring>{L"alpha", L"beta"}));
    EXPECT_EQ(Next(2, got, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 1u);
    EXPECT_EQ(got, std::vector<std::wstring>{L"\u00e9t\u00e9"});
    EXPECT_EQ(Next(1, got, nullptr), S_FALSE) << "no place for the count is allowed";
    EXPECT_TRUE(got.empty());
    EXPECT_EQ(source_->Next(1, nullptr, &fetched), E_FAIL);
}

TEST_F(SourceTest, TheStringsComeFromTheTaskAllocator) {
    LPOLESTR text = nullptr;
    ASSERT_EQ(source_->Next(1, &text, nullptr), S_OK);
    IMalloc* allocator = nullptr;
    ASSERT_EQ(CoGetMalloc(1, &allocator), S_OK);
    const int owned = allocator->DidAlloc(text);
    EXPECT_EQ(allocator->GetSize(text), (5u + 1) * sizeof(WCHAR));
    allocator->Release();
    CoTaskMemFree(text);
    if (owned == -1) {
        GTEST_SKIP() << "this allocator cannot tell its own blocks (DidAlloc -1)";
    }
    EXPECT_EQ(owned, 1);
}

TEST_F(SourceTest, SkipResetAndClone) {
    using Action = HRESULT (*)(TAutoCompleteSource*);
    const std::tuple<const char*, Action, HRESULT, ULONG> steps[] = {
        {"skip 2", [](TAutoCompleteSource* s) { return s->Skip(2); }, S_OK, 2},
        {"skip 1 to the end", [](TAutoCompleteSource* s) { return s->Skip(1); }, S_FALSE, 3},
        {"reset", [](TAutoCompleteSource* s) { return s->Reset(); }, S_OK, 0},
        {"skip 0", [](TAutoCompleteSource* s) { return s->Skip(0); }, S_OK, 0},
        {"skip far", [](TAutoCompleteSource* s) { return s->Skip(0xFFFFFFFFu); }, S_FALSE, 3},
        {"skip far again", [](TAutoCompleteSource* s) { return s->Skip(0xFFFFFFFEu); }, S_FALSE, 3},
    };
    for (const auto& [name, action, result, index] : steps) {
        SCOPED_TRACE(name);
        EXPECT_EQ(action(source_), result);
        EXPECT_EQ(source_->Index(), index);
    }
    source_->Reset();
    source_->Skip(1);
    IEnumString* copy = nullptr;
    ASSERT_EQ(source_->Clone(&copy), S_OK);
    LPOLESTR text = nullptr;
    ASSERT_EQ(copy->Next(1, &text, nullptr), S_OK);
    EXPECT_STREQ(text, L"beta") << "the copy starts where the original stood";
    CoTaskMemFree(text);
    EXPECT_EQ(source_->Index(), 1u) << "and moves on its own";
    copy->Release();
    EXPECT_EQ(source_->Clone(nullptr), E_POINTER);
}

TEST_F(SourceTest, ItKeepsTheItemsAliveAfterTheEditWentAndAnswersOnlyItsInterfaces) {
    items_.reset();  // the edit is gone; the shell still holds the source
    std::vector<std::wstring> got;
    EXPECT_EQ(Next(3, got, nullptr), S_OK);
    EXPECT_EQ(got.size(), 3u);
    void* object = nullptr;
    EXPECT_EQ(source_->QueryInterface(IID_IEnumString, &object), S_OK);
    static_cast<IUnknown*>(object)->Release();
    EXPECT_EQ(source_->QueryInterface(IID_IDispatch, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
}

// --- the calls on the shell's objects

// What the recording objects were asked, in order, and which are alive.
struct Journal {
    std::vector<std::string> lines;
    std::map<IUnknown*, std::string> names;
    int alive = 0;
    std::string NameOf(IUnknown* object) const {
        if (object == nullptr) {
            return "null";
        }
        auto found = names.find(object);
        if (found != names.end()) {
            return found->second;
        }
        IEnumString* strings = nullptr;
        if (SUCCEEDED(
                object->QueryInterface(IID_IEnumString, reinterpret_cast<void**>(&strings)))) {
            strings->Release();
            return "string source";
        }
        return "unknown";
    }
};

enum class Kind { AutoComplete, Multi, List, FileList };

// One object for every class of the shell; it answers the interfaces of its
// kind and logs what it is asked.
class Recorder final : public IAutoComplete2, public IObjMgr, public IACList2 {
public:
    Recorder(Journal& journal, Kind kind, std::string name)
        : journal_(journal), kind_(kind), name_(std::move(name)) {
        ++journal_.alive;
        journal_.names[Identity()] = name_;
    }

    IUnknown* Identity() { return static_cast<IAutoComplete2*>(this); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        *object = nullptr;
        if (IsEqualIID(iid, IID_IUnknown)) {
            *object = Identity();
        } else if (kind_ == Kind::AutoComplete &&
                   (IsEqualIID(iid, kIidIAutoComplete) || IsEqualIID(iid, kIidIAutoComplete2))) {
            *object = static_cast<IAutoComplete2*>(this);
        } else if (kind_ == Kind::Multi && IsEqualIID(iid, kIidIObjMgr)) {
            *object = static_cast<IObjMgr*>(this);
        } else if (kind_ == Kind::FileList && IsEqualIID(iid, kIidIACList2)) {
            *object = static_cast<IACList2*>(this);
        }
        if (*object == nullptr) {
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) {
            journal_.lines.push_back("release " + name_);
            journal_.names.erase(Identity());
            --journal_.alive;
            delete this;
        }
        return left;
    }

    HRESULT STDMETHODCALLTYPE Init(HWND window, IUnknown* source, LPCWSTR key,
                                   LPCWSTR quick) override {
        journal_.lines.push_back("Init " + std::string(IsWindow(window) ? "window" : "no window") +
                                 " " + journal_.NameOf(source) +
                                 (key == nullptr && quick == nullptr ? "" : " with key"));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Enable(WINBOOL) override { return S_OK; }
    // IAutoComplete2 and IACList2 both: the same signature.
    HRESULT STDMETHODCALLTYPE SetOptions(DWORD flags) override {
        char line[64];
        snprintf(line, sizeof line, "%s SetOptions 0x%lx", name_.c_str(),
                 static_cast<unsigned long>(flags));
        journal_.lines.push_back(line);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetOptions(DWORD* flags) override {
        *flags = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Append(IUnknown* object) override {
        journal_.lines.push_back("Append " + journal_.NameOf(object));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Remove(IUnknown* object) override {
        journal_.lines.push_back("Remove " + journal_.NameOf(object));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Expand(PCWSTR) override { return S_OK; }

private:
    ~Recorder() = default;
    Journal& journal_;
    Kind kind_;
    std::string name_;
    ULONG references_ = 1;
};

class AutoCompleteBindingTest : public support::FormFixture {
protected:
    void SetUp() override { MakeForm(420, 100); }

    // Hands out recording objects; the classes in `missing_` are refused
    // as Wine refuses the history and recently-used lists.
    TShellObjectFactory Factory() {
        return [this](const CLSID& classId, const IID& iid, void** object) -> HRESULT {
            const std::tuple<const CLSID&, Kind, const char*> classes[] = {
                {kClsidAutoComplete, Kind::AutoComplete, "AutoComplete"},
                {kClsidACLMulti, Kind::Multi, "Multi"},
                {kClsidACListISF, Kind::FileList, "FileSystem"},
                {kClsidACLHistory, Kind::List, "History"},
                {kClsidACLMRU, Kind::List, "MRU"},
            };
            for (const auto& [id, kind, className] : classes) {
                if (!IsEqualCLSID(classId, id)) {
                    continue;
                }
                if (missing_.count(className) != 0) {
                    return REGDB_E_CLASSNOTREG;
                }
                const std::string name = className + std::to_string(++made_[className]);
                journal_.lines.push_back("create " + name);
                auto* recorder = new Recorder(journal_, kind, name);
                const HRESULT result = recorder->QueryInterface(iid, object);
                recorder->Release();
                return result;
            }
            return REGDB_E_CLASSNOTREG;
        };
    }

    // A field of type T on the form, its window made when `shown`.
    template <typename T>
    T* Make(bool shown = true) {
        auto* field = new T(form_.get());
        field->ShellObjectFactory = Factory();
        field->SetBounds(16, 24, 361, 21);
        if (shown) {
            field->SetParent(form_.get());
        }
        return field;
    }

    std::vector<std::string> Take() { return std::exchange(journal_.lines, {}); }

    Journal journal_;
    std::map<std::string, int> made_;
    std::set<std::string> missing_;
};

TEST_F(AutoCompleteBindingTest, AnEditWithoutOptionsBindsNothingUntilItGetsSome) {
    TJvCustomComboEdit* edit = Make<TJvCustomComboEdit>();
    EXPECT_EQ(Take(), std::vector<std::string>{}) << "no object with empty options";
    edit->SetAutoCompleteOptions(acoAutoSuggest | acoAutoAppend);
    EXPECT_EQ(Take(), (std::vector<std::string>{"create AutoComplete1", "Init window string source",
                                                "AutoComplete1 SetOptions 0x3"}));
    // The empty set switches the options off and keeps the object.
    edit->SetAutoCompleteOptions(0);
    EXPECT_EQ(Take(), std::vector<std::string>{"AutoComplete1 SetOptions 0x0"});
    edit->SetAutoCompleteOptions(0);
    EXPECT_EQ(Take(), std::vector<std::string>{}) << "the same set again: nothing";
    delete edit;
    EXPECT_EQ(journal_.alive, 0);
}

TEST_F(AutoCompleteBindingTest, AFileFieldFeedsTheMultiSourceFromTheFileSystem) {
    TJvFilenameEdit* field = Make<TJvFilenameEdit>(false);
    EXPECT_EQ(Take(), std::vector<std::string>{}) << "nothing before the window exists";
    field->SetParent(form_.get());
    EXPECT_EQ(Take(), (std::vector<std::string>{"create AutoComplete1", "create Multi1",
                                                "Init window Multi1", "create FileSystem1",
                                                "Append FileSystem1", "FileSystem1 SetOptions 0x10",
                                                "AutoComplete1 SetOptions 0x1"}));

    const std::pair<TJvAutoCompleteFileOptions, std::vector<std::string>> changes[] = {
        {acfFileSystem | acfFileSysDirs,
         {"FileSystem1 SetOptions 0x30", "AutoComplete1 SetOptions 0x1"}},
        {acfURLHistory | acfURLMRU,
         {"create MRU1", "Append MRU1", "create History1", "Append History1", "Remove FileSystem1",
          "release FileSystem1", "AutoComplete1 SetOptions 0x1"}},
        {acfURLMRU | acfFileSysDirs,
         {"Remove History1", "release History1", "create FileSystem2", "Append FileSystem2",
          "FileSystem2 SetOptions 0x30", "AutoComplete1 SetOptions 0x1"}},
    };
    for (const auto& [options, calls] : changes) {
        SCOPED_TRACE(options);
        field->SetAutoCompleteFileOptions(options);
        EXPECT_EQ(Take(), calls);
    }
    delete field;
    EXPECT_EQ(journal_.alive, 0) << "every object released with the field";
}

TEST_F(AutoCompleteBindingTest, ANewWindowGetsNewObjectsFedWithTheListsHeld) {
    TJvFilenameEdit* field = Make<TJvFilenameEdit>();
    field->SetAutoCompleteFileOptions(acfFileSystem | acfURLMRU);
    Take();
    // A new button width makes the window anew.
    field->SetButtonWidth(30);
    // The old objects go when their windows do, which may be at once or
    // when the new ones replace them: their releases are left out.
    std::vector<std::string> calls = Take();
    std::erase_if(calls, [](const std::string& line) { return line.rfind("release", 0) == 0; });
    EXPECT_EQ(calls, (std::vector<std::string>{"create AutoComplete2", "create Multi2",
                                               "Append MRU1", "Append FileSystem1",
                                               "Init window Multi2", "FileSystem1 SetOptions 0x10",
                                               "AutoComplete2 SetOptions 0x1"}));
    EXPECT_EQ(journal_.alive, 4) << "AutoComplete2, Multi2, MRU1 and FileSystem1";
    delete field;
    EXPECT_EQ(journal_.alive, 0);
}

TEST_F(AutoCompleteBindingTest, MissingClassesLeaveTheFeatureOffSilently) {
    missing_ = {"History", "MRU"};
    TJvFilenameEdit* field = Make<TJvFilenameEdit>();
    Take();
    field->SetAutoCompleteFileOptions(acfFileSystem | acfURLHistory | acfURLMRU);
    EXPECT_EQ(Take(), (std::vector<std::string>{"FileSystem1 SetOptions 0x10",
                                                "AutoComplete1 SetOptions 0x1"}));
    delete field;
    Take();

    missing_ = {"AutoComplete"};
    field = Make<TJvFilenameEdit>();
    EXPECT_EQ(Take(), std::vector<std::string>{}) << "no object, no source, no list";
    EXPECT_EQ(field->AutoCompleteObject(), nullptr);
    field->SetFileName("C:\\a.iso");
    EXPECT_EQ(field->FileName(), "C:\\a.iso") << "the field works as without";
    delete field;
    EXPECT_EQ(journal_.alive, 0);
}

TEST_F(AutoCompleteBindingTest, WithTheSystemsObjectsTheFieldIsBoundWhereTheShellHasThem) {
    IUnknown* probe = nullptr;
    CoInitialize(nullptr);
    const bool available = SUCCEEDED(
        CreateShellObject(kClsidAutoComplete, kIidIUnknown, reinterpret_cast<void**>(&probe)));
    if (probe != nullptr) {
        probe->Release();
    }
    auto* field = new TJvFilenameEdit(form_.get());
    field->SetBounds(16, 24, 361, 21);
    field->SetParent(form_.get());
    EXPECT_EQ(field->AutoCompleteObject() != nullptr, available);
    field->SetAutoCompleteFileOptions(acfFileSysDirs | acfURLHistory | acfURLMRU);
    field->SetFileName("C:\\windows\\win.ini");
    EXPECT_EQ(field->FileName(), "C:\\windows\\win.ini");
    delete field;
    CoUninitialize();
    if (!available) {
        GTEST_SKIP() << "the shell's auto-completion class is not registered here";
    }
}

}  // namespace
