#include "card_face.h"

#include "inflate.h"
#include "services/picture.h"

#include <cstring>

Microsoft::WRL::ComPtr<IPicture> LoadCardFace(HMODULE module, int resource) {
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(resource), RT_RCDATA);
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const void* packed = loaded ? LockResource(loaded) : nullptr;
    if (!packed) return nullptr;
    const auto dib = cardtest::Gunzip(static_cast<const uint8_t*>(packed), SizeofResource(module, found));

    // A header, a colour table and the rows, bottom up, each padded to four bytes.
    BITMAPINFOHEADER header;
    if (!dib || dib->size() < sizeof header) return nullptr;
    std::memcpy(&header, dib->data(), sizeof header);
    const size_t colours = header.biClrUsed ? header.biClrUsed : 256;
    const size_t bitsAt = sizeof header + colours * sizeof(RGBQUAD);
    const size_t rowBytes = (static_cast<size_t>(header.biWidth) + 3) & ~size_t{3};
    if (header.biSize != sizeof header || header.biBitCount != 8 || header.biCompression != BI_RGB ||
        header.biWidth <= 0 || header.biWidth > 4096 || header.biHeight <= 0 || header.biHeight > 4096 ||
        colours > 256 || dib->size() < bitsAt + rowBytes * header.biHeight)
        return nullptr;

    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(dib->data()), DIB_RGB_COLORS,
                                      &bits, nullptr, 0);
    if (!bitmap) return nullptr;
    std::memcpy(bits, dib->data() + bitsAt, rowBytes * header.biHeight);
    return PictureFromBitmap(bitmap, true);
}
