// What the tests of Label3D, Splitter and TrayArea share: properties read by name, saving to and loading
// from a property bag, the extender a container gave a control, and pixels read back from a window.
#pragma once
#include "class_table.h"
#include "com_test_support.h"
#include "persist/property_bag.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace test {

inline Variant Dispatch(IDispatch* object) {
    Variant v;
    v.put()->vt = VT_DISPATCH;
    v.get()->pdispVal = object;
    if (object) object->AddRef();
    return v;
}

inline ComPtr<MemoryPropertyBag> Bag(const std::vector<std::pair<const wchar_t*, Variant>>& values = {}) {
    std::vector<persist::Entry> entries;
    for (const auto& [key, value] : values) {
        persist::Entry entry;
        EXPECT_EQ(EntryFromVariant(key, *value.get(), entry), S_OK) << Narrow(key);
        entries.push_back(std::move(entry));
    }
    ComPtr<MemoryPropertyBag> bag;
    EXPECT_EQ(MemoryPropertyBag::Create(std::move(entries), &bag), S_OK);
    return bag;
}

inline ComPtr<MemoryPropertyBag> Saved(IUnknown* object) {
    ComPtr<IPersistPropertyBag> persist;
    EXPECT_EQ(object->QueryInterface(IID_PPV_ARGS(&persist)), S_OK);
    auto bag = Bag();
    EXPECT_EQ(persist->Save(bag.Get(), TRUE, TRUE), S_OK);
    return bag;
}

inline HRESULT Load(IUnknown* object, IPropertyBag* bag) {
    ComPtr<IPersistPropertyBag> persist;
    RETURN_IF_FAILED(object->QueryInterface(IID_PPV_ARGS(&persist)));
    return persist->Load(bag, nullptr);
}

inline HRESULT InitNew(IUnknown* object) {
    ComPtr<IPersistPropertyBag> persist;
    RETURN_IF_FAILED(object->QueryInterface(IID_PPV_ARGS(&persist)));
    return persist->InitNew();
}

// The keys a save wrote, less the extent the container keeps beside them.
inline std::vector<std::wstring> Keys(MemoryPropertyBag* bag) {
    std::vector<std::wstring> keys;
    for (const auto& e : bag->entries()) {
        std::wstring key(e.key.begin(), e.key.end());
        if (key != L"_ExtentX" && key != L"_ExtentY") keys.push_back(key);
    }
    return keys;
}

// A stored value as the bag gives it back.
inline Variant Stored(MemoryPropertyBag* bag, const wchar_t* key) {
    Variant v;
    EXPECT_EQ(bag->Read(key, v.put(), nullptr), S_OK) << Narrow(key);
    return v;
}

// What the container offers the control as its extender (Move, Refresh, Left, Width...).
inline ComPtr<IDispatch> ExtenderOf(IUnknown* control) {
    ComPtr<IOleObject> ole;
    ComPtr<IOleClientSite> site;
    ComPtr<IOleControlSite> controlSite;
    ComPtr<IDispatch> extender;
    if (SUCCEEDED(control->QueryInterface(IID_PPV_ARGS(&ole))) && SUCCEEDED(ole->GetClientSite(&site)) && site &&
        SUCCEEDED(site.As(&controlSite)))
        controlSite->GetExtendedControl(&extender);
    return extender;
}

// What a control registers (toolbox bitmap, status flags) and what its object reports.
inline void ExpectClass(IUnknown* control, const CLSID& clsid, const wchar_t* name, int bitmap, DWORD status) {
    const ControlClass* row = nullptr;
    for (size_t i = 0; i < ControlClassCount; ++i)
        if (*ControlClasses[i].clsid == clsid) row = &ControlClasses[i];
    ASSERT_NE(row, nullptr);
    EXPECT_STREQ(row->name, name);
    EXPECT_EQ(row->toolboxBitmap, bitmap);
    EXPECT_EQ(row->miscStatus, status);
    ComPtr<IOleObject> ole;
    ASSERT_EQ(control->QueryInterface(IID_PPV_ARGS(&ole)), S_OK);
    DWORD reported = 0;
    EXPECT_EQ(ole->GetMiscStatus(DVASPECT_CONTENT, &reported), S_OK);
    EXPECT_EQ(reported, status);
}

inline void Settle() {
    for (int round = 0; round < 3; ++round) {
        DoEvents();
        Sleep(1);
    }
}

} // namespace test
