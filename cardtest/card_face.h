// Palix's card faces: packed 8-bit device-independent bitmaps (tools/make-card-art.sh), unpacked into the
// same bitmaps that loading them as bitmap resources would give, at a fifth of the size.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <wrl/client.h>

// The face stored as resource `resource` of `module`; null when it is missing or damaged.
Microsoft::WRL::ComPtr<IPicture> LoadCardFace(HMODULE module, int resource);
