// Palix's card faces as it unpacks them from its own resources, against the bitmap files the art script
// drew them into: the same size, depth and pixels as loading those files as bitmaps gives.
#include "card_face.h"
#include "inflate.h"
#include "palix_ids.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A bitmap's depth and its pixels as 32-bit RGB, top row first.
struct Pixels {
    int bitsPerPixel = 0;
    std::vector<uint32_t> rgb; // 0x00RRGGBB
};

Pixels Read(HBITMAP bitmap) {
    Pixels pixels;
    DIBSECTION section{};
    if (!bitmap || GetObjectW(bitmap, sizeof section, &section) != sizeof section) return pixels;
    pixels.bitsPerPixel = section.dsBm.bmBitsPixel;
    BITMAPINFO info{};
    const LONG width = section.dsBm.bmWidth, height = section.dsBm.bmHeight;
    info.bmiHeader = {sizeof info.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    pixels.rgb.resize(static_cast<size_t>(width) * height);
    HDC screen = GetDC(nullptr);
    if (GetDIBits(screen, bitmap, 0, height, pixels.rgb.data(), &info, DIB_RGB_COLORS) != height)
        pixels.rgb.clear();
    ReleaseDC(nullptr, screen);
    for (uint32_t& pixel : pixels.rgb)
        pixel &= 0xFFFFFF;
    return pixels;
}

class CardFaces : public testing::Test {
protected:
    void TearDown() override { FreeLibrary(palix_); }
    const HMODULE palix_ =
        LoadLibraryExW((test::BinFolder() + L"Palix.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
};

TEST_F(CardFaces, UnpackToTheDrawnBitmaps) {
    const wchar_t* names[] = {L"waves", L"square", L"circle", L"star", L"cross"};
    for (int symbol = 1; symbol <= 5; ++symbol) {
        const std::wstring file = test::BinFolder() + L"..\\cardtest\\art\\" + names[symbol - 1] + L".bmp";
        HBITMAP drawn = static_cast<HBITMAP>(
            LoadImageW(nullptr, file.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
        const Pixels expected = Read(drawn);
        if (drawn) DeleteObject(drawn);
        ASSERT_EQ(expected.rgb.size(), 147u * 236) << test::Narrow(file);

        const auto face = LoadCardFace(palix_, IDB_CARD_WAVES - 1 + symbol);
        ASSERT_NE(face, nullptr) << symbol;
        OLE_HANDLE handle = 0;
        ASSERT_EQ(face->get_Handle(&handle), S_OK);
        const Pixels unpacked = Read(reinterpret_cast<HBITMAP>(static_cast<UINT_PTR>(handle)));
        EXPECT_TRUE(unpacked.bitsPerPixel == expected.bitsPerPixel && unpacked.rgb == expected.rgb) << symbol;
    }
}

// Every shortened copy of a packed face is refused; a changed one too, unless the change leaves what it
// unpacks to as it was (a distance pointing at equal bytes, the header's time).
TEST_F(CardFaces, RefuseDamagedData) {
    HRSRC found = FindResourceW(palix_, MAKEINTRESOURCEW(IDB_CARD_STAR), RT_RCDATA);
    const auto* packed = static_cast<const uint8_t*>(LockResource(LoadResource(palix_, found)));
    const std::vector<uint8_t> good(packed, packed + SizeofResource(palix_, found));
    const auto unpacked = cardtest::Gunzip(good.data(), good.size());
    ASSERT_TRUE(unpacked);
    for (size_t length = 0; length < good.size(); ++length) {
        const std::vector<uint8_t> shortened(good.begin(), good.begin() + length);
        EXPECT_FALSE(cardtest::Gunzip(shortened.data(), shortened.size())) << length;
    }
    for (size_t at = 0; at < good.size(); ++at) {
        std::vector<uint8_t> changed = good;
        changed[at] ^= 0x10;
        const auto result = cardtest::Gunzip(changed.data(), changed.size());
        EXPECT_TRUE(!result || *result == *unpacked) << at;
    }
}

} // namespace
