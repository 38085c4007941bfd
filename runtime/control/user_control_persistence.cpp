// Saved properties: a new control, a property bag, a stream in the saved-properties format, a storage.
#include "control/user_control.h"

#include "persist/persist_format.h"

#include <optional>
#include <utility>
#include <vector>

STDMETHODIMP UserControl::GetClassID(CLSID* clsid) {
    if (!clsid) return E_POINTER;
    *clsid = clsid_;
    return S_OK;
}

STDMETHODIMP UserControl::InitNew() {
    if (persistInitialized_) return E_UNEXPECTED;
    persistInitialized_ = true;
    initialized_ = true;
    ComPtr<IUnknown> keepAlive(Identity());
    return NoThrow([&] { return InitProperties(); });
}

HRESULT UserControl::LoadFromBag(IPropertyBag* bag) {
    persistInitialized_ = true;
    initialized_ = true;
    ComPtr<IUnknown> keepAlive(Identity());
    return NoThrow([&] {
        PropertyBag properties(bag);
        LONG cx = extent_.cx, cy = extent_.cy;
        RETURN_IF_FAILED(properties.Read(L"_ExtentX", cx, cx));
        RETURN_IF_FAILED(properties.Read(L"_ExtentY", cy, cy));
        if (cx >= 0 && cy >= 0) {
            extent_ = {cx, cy};
            ApplyExtent();
        }
        HRESULT hr = ReadProperties(properties);
        dirty_ = false;
        return hr;
    });
}

HRESULT UserControl::SaveToBag(IPropertyBag* bag) {
    EnsureInitialized();
    ComPtr<IUnknown> keepAlive(Identity());
    return NoThrow([&] {
        Variant cx = Variant::I4(extent_.cx), cy = Variant::I4(extent_.cy);
        RETURN_IF_FAILED(bag->Write(L"_ExtentX", cx.get()));
        RETURN_IF_FAILED(bag->Write(L"_ExtentY", cy.get()));
        PropertyBag properties(bag);
        return WriteProperties(properties);
    });
}

STDMETHODIMP UserControl::Load(IPropertyBag* bag, IErrorLog*) {
    if (!bag) return E_POINTER;
    if (persistInitialized_) return E_UNEXPECTED;
    return LoadFromBag(bag);
}

STDMETHODIMP UserControl::Save(IPropertyBag* bag, BOOL clearDirty, BOOL) {
    if (!bag) return E_POINTER;
    RETURN_IF_FAILED(SaveToBag(bag));
    if (clearDirty) dirty_ = false;
    return S_OK;
}

HRESULT UserControl::LoadStream(IStream* stream) {
    return NoThrow([&] {
        uint8_t header[persist::kHeaderSize];
        ULONG read = 0;
        RETURN_IF_FAILED(stream->Read(header, sizeof header, &read));
        if (read != sizeof header) return STG_E_READFAULT;
        std::optional<size_t> size = persist::EncodedSize(header, sizeof header);
        if (!size || *size < sizeof header) return STG_E_INVALIDHEADER;
        std::vector<uint8_t> bytes(header, header + sizeof header);
        bytes.resize(*size);
        ULONG rest = static_cast<ULONG>(*size - sizeof header);
        if (rest) {
            RETURN_IF_FAILED(stream->Read(bytes.data() + sizeof header, rest, &read));
            if (read != rest) return STG_E_READFAULT;
        }
        auto entries = persist::Decode(bytes.data(), bytes.size());
        if (!entries) return STG_E_INVALIDHEADER;
        ComPtr<MemoryPropertyBag> bag;
        RETURN_IF_FAILED(MemoryPropertyBag::Create(std::move(*entries), &bag));
        return LoadFromBag(bag.Get());
    });
}

HRESULT UserControl::SaveEntries(std::vector<uint8_t>& bytes) {
    ComPtr<MemoryPropertyBag> bag;
    RETURN_IF_FAILED(MemoryPropertyBag::Create({}, &bag));
    RETURN_IF_FAILED(SaveToBag(bag.Get()));
    return NoThrow([&] {
        bytes = persist::Encode(bag->entries());
        return bytes.empty() ? STG_E_MEDIUMFULL : S_OK; // too large or malformed to be read back
    });
}

STDMETHODIMP UserControl::Load(IStream* stream) {
    if (!stream) return E_POINTER;
    if (persistInitialized_) return E_UNEXPECTED;
    return LoadStream(stream);
}

STDMETHODIMP UserControl::Save(IStream* stream, BOOL clearDirty) {
    if (!stream) return E_POINTER;
    std::vector<uint8_t> bytes;
    RETURN_IF_FAILED(SaveEntries(bytes));
    ULONG written = 0;
    RETURN_IF_FAILED(stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written));
    if (written != bytes.size()) return STG_E_WRITEFAULT;
    if (clearDirty) dirty_ = false;
    return S_OK;
}

STDMETHODIMP UserControl::GetSizeMax(ULARGE_INTEGER* size) {
    if (!size) return E_POINTER;
    std::vector<uint8_t> bytes;
    RETURN_IF_FAILED(SaveEntries(bytes));
    size->QuadPart = bytes.size();
    return S_OK;
}

STDMETHODIMP UserControl::InitNew(IStorage* storage) {
    if (!storage) return E_POINTER;
    return InitNew();
}

STDMETHODIMP UserControl::Load(IStorage* storage) {
    if (!storage) return E_POINTER;
    if (persistInitialized_) return E_UNEXPECTED;
    ComPtr<IStream> stream;
    RETURN_IF_FAILED(storage->OpenStream(L"Contents", nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &stream));
    return LoadStream(stream.Get());
}

STDMETHODIMP UserControl::Save(IStorage* storage, BOOL) {
    if (!storage) return E_POINTER;
    ComPtr<IStream> stream;
    RETURN_IF_FAILED(storage->CreateStream(L"Contents", STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE, 0, 0, &stream));
    return Save(stream.Get(), TRUE);
}
