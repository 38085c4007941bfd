#include "intrinsics/control.h"

#include "com/module.h"

Image::Image(Container& container, int id)
    : Control(container, id, Look{0x8000000F, 0x80000012, CS_DBLCLKS, true, true}) {}

// Out of the container first: its painting reads the picture.
Image::~Image() {
    Destroy();
}

void Image::SetPicture(int bitmapResource) {
    SetPicture(LoadPicture(Module::Instance(), bitmapResource, IMAGE_BITMAP));
}

void Image::SetPicture(Microsoft::WRL::ComPtr<IPicture> picture) {
    picture_ = std::move(picture);
    Invalidate();
}

short Image::BorderStyle() const {
    return EdgeStyle();
}
HRESULT Image::SetBorderStyle(short borderStyle) {
    return SetEdgeStyle(borderStyle);
}

void Image::Paint(HDC dc) {
    int inset = 0;
    if (EdgeStyle()) {
        const RECT place = Bounds();
        RECT edge{0, 0, place.right - place.left, place.bottom - place.top};
        DrawEdge(dc, &edge, EDGE_SUNKEN, BF_RECT);
        inset = GetSystemMetrics(SM_CXEDGE);
    }
    DrawPicture(dc, picture_.Get(), inset, inset);
}
