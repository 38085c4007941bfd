#include "custom_color_block.h"

#include <cstring>

CustomColorBlock::CustomColorBlock(const std::array<COLORREF, 16>& colors) {
    block_ = memory().alloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof colors);
    if (!block_) return;
    colors_ = static_cast<COLORREF*>(GlobalLock(block_));
    if (colors_) std::memcpy(colors_, colors.data(), sizeof colors);
}

CustomColorBlock::~CustomColorBlock() {
    if (colors_) GlobalUnlock(block_);
    if (block_) memory().free(block_);
}

CustomColorBlock::Memory& CustomColorBlock::memory() {
    static Memory functions;
    return functions;
}
