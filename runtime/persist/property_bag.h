// Stored properties: what a control's ReadProperties/WriteProperties see, and an in-memory bag that holds
// them for a stream, a storage or a container's form.
#pragma once
#include "services/color.h"
#include "com/com.h"
#include "persist/persist_format.h"

#include <ocidl.h>

#include <string>
#include <vector>

// A control's view of the container's storage: values come back converted to the default's type, a key
// that is absent gives the default, and a value equal to its default is not written.
class PropertyBag {
public:
    explicit PropertyBag(IPropertyBag* bag) : bag_(bag) {}

    HRESULT ReadProperty(const wchar_t* key, const Variant& defaultValue, Variant& value);
    HRESULT WriteProperty(const wchar_t* key, const Variant& value, const Variant& defaultValue);

    HRESULT Read(const wchar_t* key, OleColor defaultValue, OleColor& value);
    HRESULT Read(const wchar_t* key, short defaultValue, short& value);
    HRESULT Read(const wchar_t* key, LONG defaultValue, LONG& value);
    HRESULT Read(const wchar_t* key, bool defaultValue, bool& value);
    HRESULT Read(const wchar_t* key, std::wstring_view defaultValue, std::wstring& value);
    HRESULT Read(const wchar_t* key, IFont* defaultValue, ComPtr<IFont>& value);

    HRESULT Write(const wchar_t* key, OleColor value, OleColor defaultValue);
    HRESULT Write(const wchar_t* key, short value, short defaultValue);
    HRESULT Write(const wchar_t* key, LONG value, LONG defaultValue);
    HRESULT Write(const wchar_t* key, bool value, bool defaultValue);
    HRESULT Write(const wchar_t* key, std::wstring_view value, std::wstring_view defaultValue);
    HRESULT Write(const wchar_t* key, IFont* value, IFont* defaultValue);

private:
    IPropertyBag* bag_;
};

// An IPropertyBag over a list of entries; keys are found without regard to case. Objects are kept as their
// class and saved bytes, so that a list can go through a stream and come back as the same kind of object.
class MemoryPropertyBag final : public IPropertyBag {
public:
    static HRESULT Create(std::vector<persist::Entry> entries, MemoryPropertyBag** out);

    const std::vector<persist::Entry>& entries() const { return entries_; }

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&refs_); }
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP Read(LPCOLESTR name, VARIANT* value, IErrorLog* log) override;
    STDMETHODIMP Write(LPCOLESTR name, VARIANT* value) override;

private:
    explicit MemoryPropertyBag(std::vector<persist::Entry> entries) : entries_(std::move(entries)) {}
    LONG refs_ = 1;
    std::vector<persist::Entry> entries_;
};

// The value as an entry of the persisted form, and back.
HRESULT EntryFromVariant(const wchar_t* key, const VARIANT& value, persist::Entry& entry);
HRESULT VariantFromEntry(const persist::Entry& entry, VARIANT* value);
