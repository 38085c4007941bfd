// Fonts as the controls share them: the platform's standard font object, and the GDI font a window draws
// with, made from the object's properties at the screen's resolution and remade when the object changes.
#pragma once
#include "services/handles.h"

#include <ocidl.h>
#include <wrl/client.h>

#include <functional>
#include <string>

struct FontSpec {
    std::wstring name = L"MS Sans Serif";
    float points = 8.25f;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikethrough = false;
    BYTE charset = DEFAULT_CHARSET;
};

// A new font object; null only when the system cannot make one.
Microsoft::WRL::ComPtr<IFont> MakeFont(const FontSpec& spec);
// A copy of the object's current properties, so a caller's later changes do not reach the original.
Microsoft::WRL::ComPtr<IFont> CloneFont(IFont* font);
// A GDI font for the screen from the object's current properties (name, size, weight, style, charset).
UniqueHfont CreateScreenFont(IFont* font);

// Keeps one font object and its GDI font; a change made through the object (Bold, Size, …) remakes the
// GDI font and tells the owner. The font object holds only a weak link back, cut when this goes.
class FontBinding {
public:
    explicit FontBinding(std::function<void()> changed);
    FontBinding(const FontBinding&) = delete;
    FontBinding& operator=(const FontBinding&) = delete;
    ~FontBinding();

    void Set(Microsoft::WRL::ComPtr<IFont> font);
    IFont* font() const { return font_.Get(); }
    const Microsoft::WRL::ComPtr<IFont>& object() const { return font_; }
    HFONT handle() const { return hfont_.get(); }

private:
    class Sink;
    void Disconnect();
    void Refresh();

    std::function<void()> changed_;
    Microsoft::WRL::ComPtr<IFont> font_;
    UniqueHfont hfont_;
    Microsoft::WRL::ComPtr<IConnectionPoint> point_;
    Sink* sink_ = nullptr; // one reference held while advised
    DWORD cookie_ = 0;
};
