#include "control.h"

#include "module.h"

Image::Image(Container& container, int id)
    : Control(container, id, L"RuntimeImage", 0, 0,
              Look{0x8000000F, 0x80000012, CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, true, true}) {}

// The window goes first: its painting reads the picture.
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

LRESULT Image::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hWnd(), &ps);
        if (dc) {
            PaintParentBackground(hWnd(), dc);
            PaintSiblingsBehind(dc);
            DrawPicture(dc, picture_.Get(), 0, 0);
        }
        EndPaint(hWnd(), &ps);
        return 0;
    }
    case WM_PRINTCLIENT: {
        auto dc = reinterpret_cast<HDC>(wParam);
        if (lParam & PRF_ERASEBKGND) {
            PaintParentBackground(hWnd(), dc);
            PaintSiblingsBehind(dc);
        }
        DrawPicture(dc, picture_.Get(), 0, 0);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_GETDLGCODE:
        return DLGC_STATIC;
    }
    return Control::HandleMessage(message, wParam, lParam);
}
