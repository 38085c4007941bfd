#include "tray_area.h"
#include "misc_status.h"

#include "services/picture.h"
#include "services/platform.h"
#include "services/screen.h"
#include "tray_notify.h"

#include <commctrl.h>

#include <cstdint>
#include <string_view>

namespace {
enum : DISPID { kMouseMove = 1, kMouseDown, kMouseUp, kDblClick };
constexpr UINT_PTR kWatchId = 1;
constexpr int kIconSize = 32; // pixels

UINT TaskbarCreated() {
    static const UINT message = RegisterWindowMessageW(L"TaskbarCreated");
    return message;
}

// What a designer sees: a tip balloon over a taskbar's notification area. Palette letters: k black, r red,
// g green, y yellow, n navy, b blue, s silver, d grey, w white; '.' shows what lies behind.
constexpr const char* kDesignIcon[kIconSize] = {
    "................................",
    "...kkkkkkkkkkkkkkkkkkkkkkkkkk...",
    "...kyyyyyyyyyyyyyyyyyyyyyyyyk...",
    "...kyyyyyyyyyyyyyyyyyyyyyyyyk...",
    "...kyykkkkkykkkkkkykkkkkyyyyk...",
    "...kyyyyyyyyyyyyyyyyyyyyyyyyk...",
    "...kyykkkkkkkkykkkkkkyyyyyyyk...",
    "...kyyyyyyyyyyyyyyyyyyyyyyyyk...",
    "...kyyyyyyyyyyyyyyyyyyyyyyyyk...",
    "...kkkkkkkkkkkkkkkkyyykkkkkkk...",
    "...................kyk..........",
    "....................k...........",
    "................................",
    "................................",
    "................................",
    "wwwwwwwwwwwwwwwwwwwwwwwwwwwwwwww",
    "ssssssssssssssssssssssssssssssss",
    "ssssssssssssssssssssssssssssssss",
    "swwwwwksdddddddddddddddddddddwss",
    "swssssksdsssssssssssssssssssswss",
    "swssssksdsssssssssssssssssssswss",
    "swsrrsksdssnnnnnnnnsssssssssswss",
    "swsrrsksdssnbbbbbbnsssssssssswss",
    "swssssksdssnbwwbbbnsskkskkssswss",
    "swsggsksdssnbwwbbbnsskkskkssswss",
    "swsggsksdssnbbbbbbnsssssssssswss",
    "swssssksdssnnnnnnnnsssssssssswss",
    "swssssksdsssssssssssssssssssswss",
    "swssssksdsssssssssssssssssssswss",
    "skkkkkkswwwwwwwwwwwwwwwwwwwwwwss",
    "ssssssssssssssssssssssssssssssss",
    "ssssssssssssssssssssssssssssssss",
};

// The standard sixteen colours, as an icon's palette holds them (blue, green, red).
constexpr RGBQUAD kPalette[16] = {
    {0, 0, 0, 0},       {0, 0, 128, 0},   {0, 128, 0, 0},   {0, 128, 128, 0}, {128, 0, 0, 0},   {128, 0, 128, 0},
    {128, 128, 0, 0},   {192, 192, 192, 0}, {128, 128, 128, 0}, {0, 0, 255, 0}, {0, 255, 0, 0}, {0, 255, 255, 0},
    {255, 0, 0, 0},     {255, 0, 255, 0}, {255, 255, 0, 0}, {255, 255, 255, 0},
};

uint8_t PaletteIndex(char c) {
    switch (c) {
    case 'r': return 9;
    case 'g': return 10;
    case 'y': return 11;
    case 'n': return 4;
    case 'b': return 12;
    case 's': return 7;
    case 'd': return 8;
    case 'w': return 15;
    default: return 0;
    }
}

// A 16-colour icon image laid out as an icon resource holds it, made into an icon.
HICON MakeDesignIcon() {
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD palette[16];
        uint8_t colors[kIconSize * kIconSize / 2]; // 4 bits a pixel, rows bottom up
        uint8_t mask[kIconSize * kIconSize / 8];   // 1 where the background shows, rows bottom up
    } image{};
    image.header.biSize = sizeof(BITMAPINFOHEADER);
    image.header.biWidth = kIconSize;
    image.header.biHeight = 2 * kIconSize; // colours and mask
    image.header.biPlanes = 1;
    image.header.biBitCount = 4;
    image.header.biCompression = BI_RGB;
    image.header.biSizeImage = sizeof image.colors + sizeof image.mask;
    for (int i = 0; i < 16; ++i) image.palette[i] = kPalette[i];
    for (int y = 0; y < kIconSize; ++y) {
        const int row = kIconSize - 1 - y;
        for (int x = 0; x < kIconSize; ++x) {
            const char c = kDesignIcon[y][x];
            const uint8_t index = PaletteIndex(c);
            image.colors[row * kIconSize / 2 + x / 2] |= static_cast<uint8_t>(x % 2 ? index : index << 4);
            if (c == '.') image.mask[row * kIconSize / 8 + x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
        }
    }
    return CreateIconFromResourceEx(reinterpret_cast<BYTE*>(&image), sizeof image, TRUE, 0x00030000, kIconSize,
                                    kIconSize, LR_DEFAULTCOLOR);
}

HRESULT HandleOf(IPictureDisp* picture, HICON& handle) {
    Variant value, number;
    DISPPARAMS none{};
    RETURN_IF_FAILED(picture->Invoke(DISPID_PICT_HANDLE, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none,
                                     value.put(), nullptr, nullptr));
    RETURN_IF_FAILED(value.As(VT_I4, number));
    handle = reinterpret_cast<HICON>(static_cast<INT_PTR>(number.get()->lVal));
    return S_OK;
}

std::u16string_view Utf16(std::wstring_view text) {
    return {reinterpret_cast<const char16_t*>(text.data()), text.size()};
}
} // namespace

HRESULT CreateTrayArea(REFIID iid, void** object) { return CreateControl<TrayArea>(iid, object); }

TrayArea::TrayArea()
    : UserControl(ClassOf(CLSID_TrayArea, DIID___TrayArea, kInvisibleStatus, 480, 480), this) {
    SetBackColor(0x80000005);
    Image1.SetPicture(PictureFromIcon(MakeDesignIcon(), true));
    Image1.Move(0, 0, Screen::PixelsToTwipsX(kIconSize), Screen::PixelsToTwipsY(kIconSize));
    shellWatcher_.reset(CreateWindowExW(WS_EX_TOOLWINDOW, L"Static", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                        Module::Instance(), nullptr));
    const auto self = reinterpret_cast<DWORD_PTR>(this);
    if (shellWatcher_) SetWindowSubclass(shellWatcher_.get(), WatchShell, kWatchId, self);
    if (hWnd()) SetWindowSubclass(hWnd(), WatchShell, kWatchId, self);
}

TrayArea::~TrayArea() {
    if (shellWatcher_) RemoveWindowSubclass(shellWatcher_.get(), WatchShell, kWatchId);
    if (hWnd()) RemoveWindowSubclass(hWnd(), WatchShell, kWatchId);
}

// ---------------------------------------------------------------- properties

STDMETHODIMP TrayArea::get_Icon(IPictureDisp** value) {
    if (!value) return E_POINTER;
    return icon_.CopyTo(value);
}

STDMETHODIMP TrayArea::putref_Icon(IPictureDisp* New_Icon) {
    icon_ = New_Icon;
    if (!icon_) {
        RETURN_IF_FAILED(put_Visible(VARIANT_FALSE));
    } else if (visible_) {
        notify_.uFlags = NIF_ICON;
        RETURN_IF_FAILED(HandleOf(icon_.Get(), notify_.hIcon));
        (void)CurrentPlatform().NotifyIcon(NIM_MODIFY, &notify_); // no icon shown: the shell says no, nothing changes
    }
    PropertyChanged(L"Icon");
    return S_OK;
}

STDMETHODIMP TrayArea::get_ToolTip(BSTR* value) { return CopyText(toolTip_, value); }

STDMETHODIMP TrayArea::put_ToolTip(BSTR New_ToolTip) {
    std::u16string trimmed = tray::Trim({reinterpret_cast<const char16_t*>(New_ToolTip ? New_ToolTip : L""),
                                         New_ToolTip ? SysStringLen(New_ToolTip) : 0});
    toolTip_.assign(trimmed.begin(), trimmed.end());
    notify_.uFlags = NIF_TIP;
    FillTip();
    (void)CurrentPlatform().NotifyIcon(NIM_MODIFY, &notify_); // no icon shown: the shell says no, nothing changes
    PropertyChanged(L"ToolTip");
    return S_OK;
}

STDMETHODIMP TrayArea::get_Visible(VARIANT_BOOL* value) {
    if (!value) return E_POINTER;
    *value = visible_ ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

STDMETHODIMP TrayArea::put_Visible(VARIANT_BOOL New_Visible) {
    const bool visible = New_Visible != VARIANT_FALSE;
    const bool userMode = Ambient().UserMode;
    // A control loaded as visible has no icon yet: true shows it then, as for a hidden one.
    if (visible == visible_ && !(visible && userMode && !shown_)) return S_OK;
    visible_ = visible;
    if (visible && userMode) RETURN_IF_FAILED(AddIcon(true));
    if (!visible) {
        (void)CurrentPlatform().NotifyIcon(NIM_DELETE, &notify_); // no icon shown: the shell says no
        shown_ = false;
    }
    PropertyChanged(L"Visible");
    return S_OK;
}

// A new identifier per add; a shell that restarted gets the icon back under the one it had.
HRESULT TrayArea::AddIcon(bool newIdentifier) {
    notify_.cbSize = NOTIFYICONDATAW_V1_SIZE;
    notify_.hWnd = hWnd();
    if (newIdentifier) notify_.uID = tray::IdentifierFrom(tray::NextRandom());
    notify_.uFlags = NIF_MESSAGE;
    if (icon_) {
        notify_.uFlags |= NIF_ICON;
        RETURN_IF_FAILED(HandleOf(icon_.Get(), notify_.hIcon));
    }
    if (!toolTip_.empty()) {
        notify_.uFlags |= NIF_TIP;
        FillTip();
    }
    notify_.uCallbackMessage = WM_MOUSEMOVE;
    (void)CurrentPlatform().NotifyIcon(NIM_ADD, &notify_); // a shell that refuses shows nothing, as before
    shown_ = true;
    return S_OK;
}

void TrayArea::FillTip() {
    const auto field = tray::TipField(Utf16(toolTip_));
    for (size_t i = 0; i < field.size(); ++i) notify_.szTip[i] = static_cast<WCHAR>(field[i]);
}

// ---------------------------------------------------------------- life cycle

HRESULT TrayArea::InitProperties() {
    PICTDESC none{sizeof(PICTDESC), PICTYPE_NONE, {}};
    icon_.Reset();
    RETURN_IF_FAILED(OleCreatePictureIndirect(&none, IID_IPictureDisp, TRUE, reinterpret_cast<void**>(icon_.GetAddressOf())));
    toolTip_.clear();
    visible_ = false;
    return S_OK;
}

// Straight into the fields: loading never shows an icon.
HRESULT TrayArea::ReadProperties(PropertyBag& bag) {
    Variant icon;
    RETURN_IF_FAILED(bag.ReadProperty(L"Icon", Variant::Object(nullptr), icon));
    icon_.Reset();
    if (icon.get()->punkVal && FAILED(icon.get()->punkVal->QueryInterface(IID_PPV_ARGS(&icon_))))
        return DISP_E_TYPEMISMATCH;
    RETURN_IF_FAILED(bag.Read(L"ToolTip", L"", toolTip_));
    return bag.Read(L"Visible", false, visible_);
}

HRESULT TrayArea::WriteProperties(PropertyBag& bag) {
    RETURN_IF_FAILED(bag.WriteProperty(L"Icon", Variant::Object(icon_.Get()), Variant::Object(nullptr)));
    RETURN_IF_FAILED(bag.Write(L"ToolTip", toolTip_, L""));
    return bag.Write(L"Visible", visible_, false);
}

// Always the image's size; setting it comes back here, which the guard lets pass.
void TrayArea::Resize() {
    if (resizing_) return;
    resizing_ = true;
    (void)SetHeight(Image1.Height());
    (void)SetWidth(Image1.Width());
    resizing_ = false;
}

// The button and shift of the move itself mean nothing here.
void TrayArea::MouseMove(short, short, float x, float) {
    const auto action = tray::DecodeMouse(x, Screen::TwipsPerPixelX());
    short button = action.button;
    switch (action.action) {
    case tray::Action::MouseMove: RaiseEvent(kMouseMove); break;
    case tray::Action::MouseDown: RaiseEvent(kMouseDown, button); break;
    case tray::Action::MouseUp: RaiseEvent(kMouseUp, button); break;
    case tray::Action::DblClick: RaiseEvent(kDblClick); break;
    case tray::Action::None: break;
    }
}

void TrayArea::Terminate() {
    (void)CurrentPlatform().NotifyIcon(NIM_DELETE, &notify_); // never shown: the shell says no
}

AccessibleElement TrayArea::Describe(long child) const {
    AccessibleElement face = UserControl::Describe(child);
    face.role = ROLE_SYSTEM_GRAPHIC;
    face.value = toolTip_;
    return face;
}

LRESULT CALLBACK TrayArea::WatchShell(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                      DWORD_PTR self) noexcept {
    if (message == TaskbarCreated()) {
        auto* tray = reinterpret_cast<TrayArea*>(self);
        ComPtr<IUnknown> keepAlive(tray->Identity());
        if (tray->shown_) (void)tray->AddIcon(false); // an icon without a handle now is added as it can be
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}
