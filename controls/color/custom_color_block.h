// The sixteen custom colours handed to the colour dialog, in a moveable global block locked while it runs.
#pragma once
#include <windows.h>

#include <array>

class CustomColorBlock {
public:
    explicit CustomColorBlock(const std::array<COLORREF, 16>& colors);
    CustomColorBlock(const CustomColorBlock&) = delete;
    CustomColorBlock& operator=(const CustomColorBlock&) = delete;
    ~CustomColorBlock();

    // Null when the block could not be allocated or locked: then there is nothing to hand to a dialog.
    COLORREF* data() const { return colors_; }

    // How the block is allocated and freed; a test puts failing or counting functions in their place.
    struct Memory {
        HGLOBAL(WINAPI* alloc)(UINT flags, SIZE_T bytes) = ::GlobalAlloc;
        HGLOBAL(WINAPI* free)(HGLOBAL block) = ::GlobalFree;
    };
    static Memory& memory();

private:
    HGLOBAL block_ = nullptr;
    COLORREF* colors_ = nullptr;
};
