#include "services/picture.h"

#include <olectl.h>

using Microsoft::WRL::ComPtr;

namespace {
ComPtr<IPicture> Wrap(PICTDESC& desc, bool own) {
    ComPtr<IPicture> picture;
    if (FAILED(OleCreatePictureIndirect(&desc, IID_IPicture, own,
                                        reinterpret_cast<void**>(picture.GetAddressOf()))))
        return nullptr;
    return picture;
}
} // namespace

ComPtr<IPicture> PictureFromBitmap(HBITMAP bitmap, bool own) {
    if (!bitmap) return nullptr;
    PICTDESC desc{};
    desc.cbSizeofstruct = sizeof(desc);
    desc.picType = PICTYPE_BITMAP;
    desc.bmp.hbitmap = bitmap;
    auto picture = Wrap(desc, own);
    if (!picture && own) DeleteObject(bitmap);
    return picture;
}

ComPtr<IPicture> PictureFromIcon(HICON icon, bool own) {
    if (!icon) return nullptr;
    PICTDESC desc{};
    desc.cbSizeofstruct = sizeof(desc);
    desc.picType = PICTYPE_ICON;
    desc.icon.hicon = icon;
    auto picture = Wrap(desc, own);
    if (!picture && own) DestroyIcon(icon);
    return picture;
}

ComPtr<IPicture> LoadPicture(HINSTANCE module, int resource, UINT type) {
    HANDLE image = LoadImageW(module, MAKEINTRESOURCEW(resource), type, 0, 0,
                              type == IMAGE_BITMAP ? LR_CREATEDIBSECTION : 0);
    if (type == IMAGE_BITMAP) return PictureFromBitmap(static_cast<HBITMAP>(image), true);
    if (type == IMAGE_ICON) return PictureFromIcon(static_cast<HICON>(image), true);
    return nullptr;
}

namespace {
struct PictureHandle {
    SHORT type = PICTYPE_NONE;
    HANDLE handle = nullptr;
};

PictureHandle HandleOf(IPicture* picture) {
    PictureHandle h;
    OLE_HANDLE raw = 0;
    if (!picture || FAILED(picture->get_Type(&h.type)) || FAILED(picture->get_Handle(&raw))) return {};
    h.handle = reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(raw));
    return h;
}

SIZE IconSize(HICON icon) {
    ICONINFO info{};
    if (!GetIconInfo(icon, &info)) return {0, 0};
    BITMAP bm{};
    SIZE size{0, 0};
    if (GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof(bm), &bm)) {
        size.cx = bm.bmWidth;
        size.cy = info.hbmColor ? bm.bmHeight : bm.bmHeight / 2; // a mask-only icon stacks AND over XOR
    }
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
    return size;
}
} // namespace

SIZE PictureSize(IPicture* picture) {
    PictureHandle h = HandleOf(picture);
    if (!h.handle) return {0, 0};
    if (h.type == PICTYPE_ICON) return IconSize(static_cast<HICON>(h.handle));
    BITMAP bm{};
    if (h.type == PICTYPE_BITMAP && GetObjectW(h.handle, sizeof(bm), &bm)) return {bm.bmWidth, bm.bmHeight};
    return {0, 0};
}

void DrawPicture(HDC dc, IPicture* picture, int x, int y) {
    PictureHandle h = HandleOf(picture);
    if (!h.handle) return;
    SIZE size = PictureSize(picture);
    if (h.type == PICTYPE_ICON) {
        DrawIconEx(dc, x, y, static_cast<HICON>(h.handle), size.cx, size.cy, 0, nullptr, DI_NORMAL);
    } else if (h.type == PICTYPE_BITMAP) {
        HDC memory = CreateCompatibleDC(dc);
        if (!memory) return;
        HGDIOBJ old = SelectObject(memory, h.handle);
        BitBlt(dc, x, y, size.cx, size.cy, memory, 0, 0, SRCCOPY);
        SelectObject(memory, old);
        DeleteDC(memory);
    }
}
