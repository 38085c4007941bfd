// Pictures as the controls share them: the platform's standard picture object (a bitmap or an icon),
// drawn at its own size.
#pragma once
#include <windows.h>
#include <ocidl.h>
#include <wrl/client.h>

// own: the picture object deletes the handle when it goes.
Microsoft::WRL::ComPtr<IPicture> PictureFromBitmap(HBITMAP bitmap, bool own);
Microsoft::WRL::ComPtr<IPicture> PictureFromIcon(HICON icon, bool own);
// A bitmap (IMAGE_BITMAP) or icon (IMAGE_ICON, at the resource's own size) from a module's resources.
Microsoft::WRL::ComPtr<IPicture> LoadPicture(HINSTANCE module, int resource, UINT type);

// Size in pixels; {0, 0} for none.
SIZE PictureSize(IPicture* picture);
void DrawPicture(HDC dc, IPicture* picture, int x, int y);
