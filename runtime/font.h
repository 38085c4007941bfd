// A font as the controls describe it (face, points, style, character set), owning its GDI font.
#pragma once
#include "handles.h"

#include <memory>
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

class Font {
public:
    explicit Font(const FontSpec& spec);
    HFONT handle() const { return font_.get(); }
    const FontSpec& spec() const { return spec_; }

private:
    FontSpec spec_;
    UniqueHfont font_;
};

using SharedFont = std::shared_ptr<const Font>;
SharedFont MakeFont(const FontSpec& spec);
