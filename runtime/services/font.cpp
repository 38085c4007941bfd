#include "services/font.h"

#include "com/module.h"
#include "services/screen.h"

#include <olectl.h>

#include <cmath>
#include <new>

using Microsoft::WRL::ComPtr;

ComPtr<IFont> MakeFont(const FontSpec& spec) {
    FONTDESC desc{};
    desc.cbSizeofstruct = sizeof(desc);
    desc.lpstrName = const_cast<LPOLESTR>(spec.name.c_str());
    desc.cySize.int64 = std::llround(double(spec.points) * 10000.0);
    desc.sWeight = static_cast<SHORT>(spec.bold ? FW_BOLD : FW_NORMAL);
    desc.sCharset = spec.charset;
    desc.fItalic = spec.italic;
    desc.fUnderline = spec.underline;
    desc.fStrikethrough = spec.strikethrough;
    ComPtr<IFont> font;
    if (FAILED(OleCreateFontIndirect(&desc, IID_IFont, reinterpret_cast<void**>(font.GetAddressOf()))))
        return nullptr;
    return font;
}

ComPtr<IFont> CloneFont(IFont* font) {
    ComPtr<IFont> copy;
    if (!font || FAILED(font->Clone(copy.GetAddressOf()))) return nullptr;
    return copy;
}

UniqueHfont CreateScreenFont(IFont* font) {
    if (!font) return UniqueHfont();
    BSTR name = nullptr;
    CY size{};
    SHORT weight = FW_NORMAL, charset = DEFAULT_CHARSET;
    BOOL italic = FALSE, underline = FALSE, strikethrough = FALSE;
    font->get_Name(&name);
    font->get_Size(&size);
    font->get_Weight(&weight);
    font->get_Charset(&charset);
    font->get_Italic(&italic);
    font->get_Underline(&underline);
    font->get_Strikethrough(&strikethrough);

    const int dpiY = Screen::DpiY();

    LOGFONTW lf{};
    // Negative: the character height, as a point size means it.
    lf.lfHeight = -static_cast<LONG>(std::lround(double(size.int64) / 10000.0 * dpiY / 72.0));
    lf.lfWeight = weight;
    lf.lfItalic = italic ? 1 : 0;
    lf.lfUnderline = underline ? 1 : 0;
    lf.lfStrikeOut = strikethrough ? 1 : 0;
    lf.lfCharSet = static_cast<BYTE>(charset);
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = DEFAULT_QUALITY;
    lf.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    if (name) lstrcpynW(lf.lfFaceName, name, LF_FACESIZE);
    SysFreeString(name);
    return UniqueHfont(CreateFontIndirectW(&lf));
}

// The font object's property-change notifications; it outlives the binding only as long as the font
// object keeps it, and then forwards nothing. Like every object the module hands out, it holds the module.
class FontBinding::Sink final : public IPropertyNotifySink {
public:
    explicit Sink(FontBinding* owner) : owner_(owner) { Module::Lock(); }
    ~Sink() { Module::Unlock(); }
    Sink(const Sink&) = delete;
    Sink& operator=(const Sink&) = delete;
    void Detach() { owner_ = nullptr; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IPropertyNotifySink) {
            *object = static_cast<IPropertyNotifySink*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&refs_); }
    ULONG STDMETHODCALLTYPE Release() override {
        LONG left = InterlockedDecrement(&refs_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }
    HRESULT STDMETHODCALLTYPE OnChanged(DISPID) override {
        try {
            if (owner_) owner_->Refresh();
        } catch (...) {
            return E_UNEXPECTED; // nothing unwinds into the font object
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnRequestEdit(DISPID) override { return S_OK; }

private:
    LONG refs_ = 1;
    FontBinding* owner_;
};

FontBinding::FontBinding(std::function<void()> changed) : changed_(std::move(changed)) {}

FontBinding::~FontBinding() {
    Disconnect();
}

void FontBinding::Disconnect() {
    if (point_) point_->Unadvise(cookie_);
    point_.Reset();
    cookie_ = 0;
    if (sink_) {
        sink_->Detach();
        sink_->Release();
        sink_ = nullptr;
    }
}

void FontBinding::Set(ComPtr<IFont> font) {
    if (font.Get() == font_.Get()) return;
    Disconnect();
    font_ = std::move(font);
    if (font_) {
        ComPtr<IConnectionPointContainer> points;
        if (SUCCEEDED(font_.As(&points)) &&
            SUCCEEDED(points->FindConnectionPoint(IID_IPropertyNotifySink, point_.GetAddressOf()))) {
            sink_ = new (std::nothrow) Sink(this);
            if (!sink_ || FAILED(point_->Advise(sink_, &cookie_))) {
                point_.Reset();
                if (sink_) sink_->Release();
                sink_ = nullptr;
            }
        }
    }
    Refresh();
}

void FontBinding::Refresh() {
    // The new GDI font is in place before the old one goes, so a window never holds a deleted font.
    UniqueHfont fresh = CreateScreenFont(font_.Get());
    std::swap(hfont_, fresh);
    if (changed_) changed_();
}
