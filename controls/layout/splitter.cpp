#include "splitter.h"
#include "misc_status.h"

#include "about_box.h"
#include "split_layout.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <iterator>

namespace {
constexpr OleColor kBarIdle = 0x8000000F;
constexpr OleColor kBarDragged = 0x8000000C;
constexpr short kSizeNS = 7, kSizeWE = 9;
constexpr unsigned char kDefaultPercent = 50, kDefaultWidth = 80;

Variant Byte(unsigned char value) {
    Variant v;
    v.put()->vt = VT_UI1;
    v.get()->bVal = value;
    return v;
}

int Twips(float value) { return static_cast<int>(std::lround(value)); }

// A method of one of the host's objects, by name, with single-precision arguments.
HRESULT CallByName(IDispatch* object, const wchar_t* name, std::initializer_list<float> args = {}) {
    RETURN_HR_IF_NULL(E_POINTER, object);
    DISPID id;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    RETURN_IF_FAILED(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id));
    VARIANTARG values[4];
    UINT count = 0;
    for (auto arg = std::rbegin(args); arg != std::rend(args) && count < 4; ++arg, ++count) {
        VariantInit(&values[count]);
        values[count].vt = VT_R4;
        values[count].fltVal = *arg;
    }
    DISPPARAMS params{count ? values : nullptr, nullptr, count, 0};
    EXCEPINFO exception{};
    HRESULT hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, &exception,
                                nullptr);
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
    return hr;
}

HRESULT MoveByName(IDispatch* object, const split::Box& box) {
    return CallByName(object, L"Move", {box.left, box.top, box.width, box.height});
}

HRESULT Share(IDispatch* object, IDispatch** value) {
    if (!value) return E_POINTER;
    *value = object;
    if (object) object->AddRef();
    return S_OK;
}
} // namespace

HRESULT CreateSplitter(REFIID iid, void** object) { return CreateControl<Splitter>(iid, object); }

Splitter::Splitter()
    : UserControl(ClassOf(CLSID_Splitter, DIID___Splitter, kContainerStatus, 1770, 1560), this) {
    (void)SetBorderStyle(1); // the design's frame, shown to a designer only
    SplitterBar.SetBackColor(kBarIdle);
    SplitterBar.SetMousePointer(kSizeWE);
    SplitterBar.MouseDown = [this](short b, short s, float x, float y) { SplitterBar_MouseDown(b, s, x, y); };
    SplitterBar.MouseMove = [this](short b, short s, float x, float y) { SplitterBar_MouseMove(b, s, x, y); };
    SplitterBar.MouseUp = [this](short b, short s, float x, float y) { SplitterBar_MouseUp(b, s, x, y); };
}

// ---------------------------------------------------------------- properties

STDMETHODIMP Splitter::AboutBox() { return ShowAboutBox(); }

STDMETHODIMP Splitter::get_HorizontalSplit(VARIANT_BOOL* value) {
    if (!value) return E_POINTER;
    *value = horizontalSplit_ ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

STDMETHODIMP Splitter::put_HorizontalSplit(VARIANT_BOOL* New_HorizontalSplit) {
    if (!New_HorizontalSplit) return E_POINTER;
    horizontalSplit_ = *New_HorizontalSplit != VARIANT_FALSE;
    RETURN_IF_FAILED(SplitterBar.SetMousePointer(horizontalSplit_ ? kSizeNS : kSizeWE));
    PropertyChanged(L"HorizontalSplit");
    Resize();
    return S_OK;
}

STDMETHODIMP Splitter::get_Control1(IDispatch** value) { return Share(firstControl_.Get(), value); }

STDMETHODIMP Splitter::putref_Control1(IDispatch** New_Control1) {
    if (!New_Control1) return E_POINTER;
    firstControl_ = *New_Control1;
    PropertyChanged(L"Control1");
    Resize();
    return S_OK;
}

STDMETHODIMP Splitter::get_Control2(IDispatch** value) { return Share(secondControl_.Get(), value); }

STDMETHODIMP Splitter::putref_Control2(IDispatch** New_Control2) {
    if (!New_Control2) return E_POINTER;
    secondControl_ = *New_Control2;
    PropertyChanged(L"Control2");
    Resize();
    return S_OK;
}

STDMETHODIMP Splitter::get_SplitPercent(unsigned char* value) {
    if (!value) return E_POINTER;
    const auto percent = split::PercentFromRatio(splitRatio_);
    if (!percent) return Error(CTL_E_OVERFLOW, L"Overflow.");
    *value = *percent;
    return S_OK;
}

STDMETHODIMP Splitter::put_SplitPercent(unsigned char* New_SplitPercent) {
    if (!New_SplitPercent) return E_POINTER;
    splitRatio_ = split::RatioFromPercent(*New_SplitPercent);
    PropertyChanged(L"SplitPercent");
    Resize();
    return S_OK;
}

STDMETHODIMP Splitter::get_SplitWidth(unsigned char* value) {
    if (!value) return E_POINTER;
    *value = splitWidth_;
    return S_OK;
}

// The new width shows at the next layout.
STDMETHODIMP Splitter::put_SplitWidth(unsigned char* New_SplitWidth) {
    if (!New_SplitWidth) return E_POINTER;
    splitWidth_ = *New_SplitWidth;
    PropertyChanged(L"SplitWidth");
    return S_OK;
}

// ---------------------------------------------------------------- life cycle

void Splitter::Initialize() { (void)SplitterBar.SetBorderStyle(0); }

HRESULT Splitter::InitProperties() {
    VARIANT_BOOL horizontal = VARIANT_FALSE;
    unsigned char percent = kDefaultPercent, width = kDefaultWidth;
    RETURN_IF_FAILED(put_HorizontalSplit(&horizontal));
    RETURN_IF_FAILED(put_SplitPercent(&percent));
    return put_SplitWidth(&width);
}

// Key by key: one that cannot be read leaves its property as it was and the others still load.
HRESULT Splitter::ReadProperties(PropertyBag& bag) {
    bool horizontal;
    if (SUCCEEDED(bag.Read(L"HorizontalSplit", false, horizontal))) {
        VARIANT_BOOL value = horizontal ? VARIANT_TRUE : VARIANT_FALSE;
        (void)put_HorizontalSplit(&value);
    }
    Variant percent, width;
    if (SUCCEEDED(bag.ReadProperty(L"SplitPercent", Byte(kDefaultPercent), percent)))
        (void)put_SplitPercent(&percent.get()->bVal);
    if (SUCCEEDED(bag.ReadProperty(L"SplitWidth", Byte(kDefaultWidth), width)))
        (void)put_SplitWidth(&width.get()->bVal);
    return S_OK;
}

HRESULT Splitter::WriteProperties(PropertyBag& bag) {
    unsigned char percent;
    RETURN_IF_FAILED(get_SplitPercent(&percent));
    RETURN_IF_FAILED(bag.Write(L"HorizontalSplit", horizontalSplit_, false));
    RETURN_IF_FAILED(bag.WriteProperty(L"SplitPercent", Byte(percent), Byte(kDefaultPercent)));
    return bag.WriteProperty(L"SplitWidth", Byte(splitWidth_), Byte(kDefaultWidth));
}

// The layout. Each step's failure is dropped where it happens and the next step runs: a missing control,
// one without Move or Refresh, or a size that comes out negative skips that step only.
void Splitter::Resize() {
    // The designed frame goes at run time; a designer keeps it (the control may have been laid out before
    // its container said which mode it is in).
    const short border = Ambient().UserMode ? 0 : 1;
    if (BorderStyle() != border) (void)SetBorderStyle(border);
    const auto place = split::Arrange(horizontalSplit_, static_cast<float>(Width()), static_cast<float>(Height()),
                                      splitWidth_, splitRatio_);
    (void)MoveByName(firstControl_.Get(), place.first);
    (void)MoveByName(secondControl_.Get(), place.second);
    (void)SplitterBar.Move(Twips(place.bar.left), Twips(place.bar.top), Twips(place.bar.width),
                           Twips(place.bar.height));
    (void)CallByName(firstControl_.Get(), L"Refresh");
    (void)CallByName(secondControl_.Get(), L"Refresh");
}

// ---------------------------------------------------------------- dragging the bar

void Splitter::SplitterBar_MouseDown(short, short, float, float) {
    SplitterBar.SetBackColor(kBarDragged);
    SplitterBar.ZOrder(0); // above the two controls while it crosses them
}

// The controls stay until the release; only the bar follows the pointer, which stays on its far edge.
void Splitter::SplitterBar_MouseMove(short button, short, float x, float y) {
    if (button != 1) return;
    const float s = splitWidth_;
    if (horizontalSplit_) {
        const auto drag = split::DragBar(static_cast<float>(SplitterBar.Top()), y, s, static_cast<float>(Height()));
        if (!drag) return;
        splitRatio_ = drag->ratio;
        SplitterBar.Move(0, Twips(drag->barStart), SplitterBar.Width(), SplitterBar.Height());
    } else {
        const auto drag = split::DragBar(static_cast<float>(SplitterBar.Left()), x, s, static_cast<float>(Width()));
        if (!drag) return;
        splitRatio_ = drag->ratio;
        SplitterBar.Move(Twips(drag->barStart), SplitterBar.Top(), SplitterBar.Width(), SplitterBar.Height());
    }
}

void Splitter::SplitterBar_MouseUp(short, short, float, float) {
    SplitterBar.SetBackColor(kBarIdle);
    Resize();
}

// ---------------------------------------------------------------- what a screen reader reads

std::vector<HWND> Splitter::Parts() const {
    std::vector<HWND> parts;
    for (HWND w = ::GetWindow(hWnd(), GW_CHILD); w; w = ::GetWindow(w, GW_HWNDNEXT)) parts.push_back(w);
    const bool byTop = horizontalSplit_;
    std::sort(parts.begin(), parts.end(), [byTop](HWND a, HWND b) {
        const RECT ra = WindowScreenRect(a), rb = WindowScreenRect(b);
        return byTop ? std::pair(ra.top, ra.left) < std::pair(rb.top, rb.left)
                     : std::pair(ra.left, ra.top) < std::pair(rb.left, rb.top);
    });
    return parts;
}

long Splitter::ChildCount() const { return static_cast<long>(Parts().size()); }

HWND Splitter::ChildWindow(long child) const {
    const std::vector<HWND> parts = Parts();
    if (child < 1 || child > static_cast<long>(parts.size())) return nullptr;
    HWND part = parts[static_cast<size_t>(child - 1)];
    return part == SplitterBar.hWnd() ? nullptr : part;
}

std::wstring Splitter::PercentText() const {
    const auto percent = split::PercentFromRatio(splitRatio_);
    return percent ? DecimalText(*percent) + L"%" : std::wstring();
}

AccessibleElement Splitter::Describe(long child) const {
    if (child == CHILDID_SELF) {
        AccessibleElement pane = UserControl::Describe(child);
        pane.role = ROLE_SYSTEM_PANE;
        pane.value = PercentText();
        return pane;
    }
    AccessibleElement bar;
    bar.role = ROLE_SYSTEM_SEPARATOR;
    bar.value = PercentText();
    bar.state = WindowState(SplitterBar.hWnd()) | (SplitterBar.HasCapture() ? STATE_SYSTEM_PRESSED : 0);
    bar.screen = WindowScreenRect(SplitterBar.hWnd());
    return bar;
}
