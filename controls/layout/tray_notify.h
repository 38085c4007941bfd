// TrayArea's portable part: the tip as the notify record holds it, the identifiers its icons get, and
// what a mouse message on the icon means.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace tray {

constexpr int kTipChars = 64; // the record's tip field, terminating zero included

// Leading and trailing blanks removed.
std::u16string Trim(std::u16string_view text);

// At most 63 characters of the tip, a zero, then blanks to the end of the field.
std::array<char16_t, kTipChars> TipField(std::u16string_view tip);

// Uniform values in [0, 1) from one generator for the whole process, seeded once and never again.
float NextRandom();
// An icon identifier from 1 to 65535 for a value in [0, 1).
uint16_t IdentifierFrom(float random);

enum class Action { None, MouseMove, MouseDown, MouseUp, DblClick };
struct MouseAction {
    Action action;
    short button; // 1 left, 2 right; 0 where the event has no button
};

// The shell reports a mouse message on the icon as the x of a mouse move, in the control's twips.
MouseAction DecodeMouse(float x, float twipsPerPixelX);

} // namespace tray
