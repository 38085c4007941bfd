#include "gallery_form.h"

#include "services/app.h"
#include "dravlix.h"
#include "persist/property_bag.h"
#include "services/screen.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <cwctype>

using namespace gallery;

namespace {
constexpr int kCaptionHeight = 240, kCaptionGap = 270;
constexpr size_t kMaxLogLines = 1000;
constexpr DWORD kMaxFileSize = 16u << 20;

struct Kind {
    const wchar_t* type;
    const CLSID* clsid;
};
const Kind kKinds[] = {{L"ColorButton", &CLSID_ColorButton},     {L"ColorSelector", &CLSID_ColorSelector},
                       {L"ColorBrowser", &CLSID_ColorBrowser},   {L"FileBrowser", &CLSID_FileBrowser},
                       {L"FolderBrowser", &CLSID_FolderBrowser}, {L"FontBrowser", &CLSID_FontBrowser},
                       {L"Hyperlink", &CLSID_Hyperlink},         {L"Label3D", &CLSID_Label3D},
                       {L"Splitter", &CLSID_Splitter},           {L"TrayArea", &CLSID_TrayArea}};

const CLSID* ClassOf(std::wstring_view type) {
    for (const Kind& k : kKinds)
        if (type == k.type) return k.clsid;
    return nullptr;
}

bool SameName(std::wstring_view a, std::wstring_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](wchar_t x, wchar_t y) { return towlower(x) == towlower(y); });
}

std::wstring AtLine(int line, const std::wstring& text) { return L"line " + std::to_wstring(line) + L": " + text; }

Value Str(const char* text) {
    Value v;
    v.kind = Value::Kind::String;
    v.text = text;
    return v;
}

ComPtr<IDispatch> DispatchOf(IUnknown* object) {
    ComPtr<IDispatch> dispatch;
    if (object) object->QueryInterface(IID_PPV_ARGS(&dispatch));
    return dispatch;
}

// What the container hands a control that lays out others: the placed control's extender.
ComPtr<IDispatch> ExtenderOf(IUnknown* object) {
    ComPtr<IOleObject> ole;
    ComPtr<IOleClientSite> site;
    ComPtr<IOleControlSite> control;
    ComPtr<IDispatch> extender;
    if (object && SUCCEEDED(object->QueryInterface(IID_PPV_ARGS(&ole))) && SUCCEEDED(ole->GetClientSite(&site)) && site &&
        SUCCEEDED(site.As(&control)))
        control->GetExtendedControl(&extender);
    return extender;
}
} // namespace

GalleryForm::GalleryForm() {
    SetCaption(L"Dravlix Gallery");
    SetClientSize(11640, 7440);

    lblControl.Move(6240, 150, 900, 255);
    lblControl.SetCaption(L"Control:");
    lblControl.SetBackColor(BackColor());
    controlList_ = MakeChild(WC_COMBOBOXW, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 7200, 90, 4320, 3000);
    propertyList_ = MakeChild(WC_LISTBOXW, LBS_NOTIFY | LBS_USETABSTOPS | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_BORDER |
                                               WS_TABSTOP,
                              6240, 480, 5280, 2775);
    // Columns in dialog units: name, type, value.
    int stops[] = {64, 128};
    SendMessageW(propertyList_, LB_SETTABSTOPS, 2, reinterpret_cast<LPARAM>(stops));
    txtValue.Move(6240, 3345, 4200, 315);
    cmdSet.Move(10560, 3330, 960, 345);
    cmdSet.SetCaption(L"Set");
    cmdSet.Click = [this] { cmdSet_Click(); };
    lblStatus.Move(6240, 3780, 5280, 600);
    lblStatus.SetWordWrap(true);
    lblStatus.SetBackColor(BackColor());
    lblEvents.Move(120, 4560, 3000, kCaptionHeight);
    lblEvents.SetCaption(L"Events, as they are raised:");
    lblEvents.SetBackColor(BackColor());
    eventLog_ = MakeChild(WC_LISTBOXW, LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_HSCROLL | WS_BORDER | WS_TABSTOP, 120,
                          4830, 11400, 2490);
    SendMessageW(eventLog_, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(Screen::TwipsToPixelsX(20000)), 0);

    v_load.Click = [this] { v_load_Click(); };
    v_save.Click = [this] { v_save_Click(); };
    v_exit.Click = [this] { End(); };
    v_design.Click = [this] { v_design_Click(); };
    v_about.Click = [this] { v_about_Click(); };
    SetWindowSubclass(hWnd(), &GalleryForm::Subclass, 1, reinterpret_cast<DWORD_PTR>(this));

    std::wstring error;
    if (FAILED(LoadForm(DefaultForm(), error)))
        App::ReportRunTimeError(429, "ActiveX component can't create object",
                                error + L"\r\nPut Dravlix.ocx beside DravlixGallery.exe, or register it with:\r\n"
                                        L"    regsvr32 Dravlix.ocx");
}

GalleryForm::~GalleryForm() {
    TearDown(placed_);
    RemoveWindowSubclass(hWnd(), &GalleryForm::Subclass, 1);
}

FormText GalleryForm::DefaultForm() {
    auto control = [](const char* name, const char* type, int left, int top, int width, int height,
                      std::vector<Property> properties = {}) {
        ControlText c;
        c.name = name, c.type = type, c.left = left, c.top = top, c.width = width, c.height = height;
        c.properties = std::move(properties);
        return c;
    };
    FormText form;
    form.controls = {
        control("ColorButton1", "ColorButton", 120, 360, 735, 330),
        control("ColorSelector1", "ColorSelector", 1440, 360, 1215, 315),
        control("ColorBrowser1", "ColorBrowser", 2880, 360, 3135, 360),
        control("FileBrowser1", "FileBrowser", 120, 1200, 2880, 360),
        control("FolderBrowser1", "FolderBrowser", 3120, 1200, 2895, 360),
        control("FontBrowser1", "FontBrowser", 120, 2040, 2880, 465),
        control("TrayArea1", "TrayArea", 3120, 2040, 480, 480, {{"ToolTip", Str("Dravlix Gallery")}}),
        control("Splitter1", "Splitter", 120, 2880, 5895, 1440),
        control("Label3D1", "Label3D", 0, 0, 2895, 1440, {{"Caption", Str("Label3D")}}),
        control("Hyperlink1", "Hyperlink", 3000, 0, 2895, 1440,
                {{"Caption", Str("Hyperlink")}, {"Hyperlink", Str("https://quendral.example/dravlix")}}),
    };
    form.controls[8].container = form.controls[9].container = "Splitter1";
    form.controls[8].slot = "Control1";
    form.controls[9].slot = "Control2";
    return form;
}

HWND GalleryForm::MakeChild(const wchar_t* windowClass, DWORD style, int left, int top, int width, int height) {
    HWND hwnd = CreateWindowExW(0, windowClass, L"", WS_CHILD | WS_VISIBLE | style, Screen::TwipsToPixelsX(left),
                                Screen::TwipsToPixelsY(top), Screen::TwipsToPixelsX(width),
                                Screen::TwipsToPixelsY(height), hWnd(), nullptr, GetModuleHandleW(nullptr), nullptr);
    HFONT font = nullptr;
    if (Font() && SUCCEEDED(Font()->get_hFont(&font)))
        SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return hwnd;
}

// ---------------------------------------------------------------- the controls

HRESULT GalleryForm::Build(const FormText& form, Set& out, std::wstring& error) {
    const std::wstring library = App::Path() + L"\\Dravlix.ocx";
    for (const ControlText& c : form.controls) {
        auto placed = std::make_unique<Placed>();
        placed->name = Widen(c.name);
        placed->type = Widen(c.type);
        placed->container = Widen(c.container);
        placed->slot = Widen(c.slot);
        const CLSID* clsid = ClassOf(placed->type);
        if (!clsid) return error = AtLine(c.line, L"Dravlix has no control " + placed->type), E_INVALIDARG;
        Container* container = this;
        Placed* holder = nullptr;
        if (!placed->container.empty()) {
            for (auto& p : out)
                if (SameName(p->name, placed->container)) holder = p.get();
            if (!holder) return error = AtLine(c.line, L"no control " + placed->container + L" to hold it"), E_INVALIDARG;
            container = holder->site.get();
        }

        std::vector<std::wstring> keys;
        std::vector<ActiveXControl::StoredProperty> stored;
        keys.reserve(c.properties.size());
        for (const Property& p : c.properties) {
            Variant value;
            HRESULT hr = VariantFromValue(p.value, value);
            if (FAILED(hr)) return error = AtLine(c.line, Widen(p.key) + L": " + ErrorText(hr, nullptr)), hr;
            keys.push_back(Widen(p.key));
            stored.push_back({keys.back().c_str(), std::move(value)});
        }
        placed->site = std::make_unique<ActiveXControl>(*container, placed->name);
        placed->site->SetUserMode(!design_);
        placed->site->Move(c.left, c.top, c.width, c.height);
        HRESULT hr = placed->site->Create(*clsid, stored, library);
        if (FAILED(hr))
            return error = AtLine(c.line, L"the control " + placed->type + L" could not be made: " + ErrorText(hr, nullptr)),
                   hr;
        if (holder) {
            PropertyInfo slot;
            slot.name = placed->slot;
            LPOLESTR names[] = {slot.name.data()};
            ComPtr<IDispatch> outer = DispatchOf(holder->site->Object());
            hr = outer ? outer->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &slot.id) : E_NOINTERFACE;
            Variant extender;
            extender.put()->vt = VT_DISPATCH;
            extender.get()->pdispVal = ExtenderOf(placed->site->Object()).Detach();
            slot.putRef = true;
            if (SUCCEEDED(hr)) hr = PutProperty(outer.Get(), slot, extender, error);
            else error = ErrorText(hr, nullptr);
            if (FAILED(hr)) return error = AtLine(c.line, placed->container + L"." + placed->slot + L": " + error), hr;
        }
        // A control without events still shows; its log stays empty.
        (void)EventSink::Connect(placed->site->Object(), placed->name,
                                 [this](const std::wstring& line) { AddEvent(line); }, placed->sink);
        out.push_back(std::move(placed));
    }
    return S_OK;
}

// Last made goes first: a control that holds others outlives them.
void GalleryForm::TearDown(Set& set) {
    while (!set.empty()) {
        Placed& p = *set.back();
        if (p.sink) p.sink->Disconnect();
        p.caption.reset();
        p.site.reset();
        set.pop_back();
    }
}

HRESULT GalleryForm::LoadForm(const FormText& form, std::wstring& error) {
    Set made;
    HRESULT hr = Build(form, made, error);
    if (FAILED(hr)) {
        TearDown(made);
        return hr;
    }
    TearDown(placed_);
    placed_ = std::move(made);
    Captions();
    FillControlList();
    return S_OK;
}

HRESULT GalleryForm::LoadFile(const std::wstring& path, std::wstring& error) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        HRESULT hr = HRESULT_FROM_WIN32(GetLastError());
        return error = ErrorText(hr, nullptr), hr;
    }
    std::string text;
    DWORD size = GetFileSize(file, nullptr), got = 0;
    bool read = size != INVALID_FILE_SIZE && size <= kMaxFileSize;
    if (read) {
        text.resize(size);
        read = ReadFile(file, text.data(), size, &got, nullptr) && got == size;
    }
    CloseHandle(file);
    if (!read) return error = L"the file could not be read whole (at most 16 MB)", E_FAIL;
    ParseResult parsed = ParseForm(text);
    if (!parsed.form) return error = AtLine(parsed.error.line, Widen(parsed.error.message)), E_INVALIDARG;
    return LoadForm(*parsed.form, error);
}

HRESULT GalleryForm::SaveText(FormText& form, std::wstring& error) const {
    form.controls.clear();
    for (const auto& p : placed_) {
        ControlText c;
        c.name = Narrow(p->name);
        c.type = Narrow(p->type);
        c.container = Narrow(p->container);
        c.slot = Narrow(p->slot);
        p->site->GetPlace(c.left, c.top, c.width, c.height);

        ComPtr<IPersistPropertyBag> persist;
        ComPtr<MemoryPropertyBag> bag;
        HRESULT hr = p->site->Object()->QueryInterface(IID_PPV_ARGS(&persist));
        if (SUCCEEDED(hr)) hr = MemoryPropertyBag::Create({}, &bag);
        if (SUCCEEDED(hr)) hr = persist->Save(bag.Get(), FALSE, TRUE);
        if (FAILED(hr)) return error = p->name + L" did not save its properties: " + ErrorText(hr, nullptr), hr;
        std::vector<PropertyInfo> known;
        (void)ListProperties(p->site->Object(), known); // without it, colours are written as numbers
        for (const persist::Entry& entry : bag->entries()) {
            std::wstring key(entry.key.begin(), entry.key.end());
            bool color = false;
            for (const auto& k : known) color = color || (k.color && SameName(k.name, key));
            Property property;
            property.key = Narrow(key);
            if (entry.type == persist::kObject && entry.data.size() >= persist::kClassIdSize &&
                !std::equal(entry.data.begin(), entry.data.begin() + persist::kClassIdSize,
                            reinterpret_cast<const uint8_t*>(&CLSID_StdFont))) {
                CLSID clsid;
                std::copy_n(entry.data.begin(), sizeof clsid, reinterpret_cast<uint8_t*>(&clsid));
                wchar_t text[40];
                StringFromGUID2(clsid, text, 40);
                property.value.kind = Value::Kind::Object;
                property.value.text = Narrow(text);
                property.value.bytes.assign(entry.data.begin() + persist::kClassIdSize, entry.data.end());
            } else {
                Variant value;
                if (FAILED(VariantFromEntry(entry, value.put())) || !ValueFromVariant(*value.get(), color, property.value))
                    return error = p->name + L"." + key + L" cannot be written as text", E_FAIL;
            }
            c.properties.push_back(std::move(property));
        }
        form.controls.push_back(std::move(c));
    }
    return S_OK;
}

HRESULT GalleryForm::SaveFile(const std::wstring& path, std::wstring& error) const {
    FormText form;
    RETURN_IF_FAILED(SaveText(form, error));
    auto text = WriteForm(form);
    if (!text) return error = L"the form holds a name or key that the text form cannot carry", E_FAIL;
    // A new file takes the old one's place only once it is complete.
    std::wstring temporary = path + L".saving";
    HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    bool ok = file != INVALID_HANDLE_VALUE &&
              WriteFile(file, text->data(), static_cast<DWORD>(text->size()), &written, nullptr) &&
              written == text->size();
    HRESULT hr = ok ? S_OK : HRESULT_FROM_WIN32(GetLastError());
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    if (ok && !MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING))
        hr = HRESULT_FROM_WIN32(GetLastError());
    if (FAILED(hr)) {
        DeleteFileW(temporary.c_str());
        error = ErrorText(hr, nullptr);
    }
    return hr;
}

const GalleryForm::Placed* GalleryForm::Find(std::wstring_view name) const {
    for (const auto& p : placed_)
        if (SameName(p->name, name)) return p.get();
    return nullptr;
}

IUnknown* GalleryForm::Object(std::wstring_view name) const {
    const Placed* p = Find(name);
    return p ? p->site->Object() : nullptr;
}

ActiveXControl* GalleryForm::Site(std::wstring_view name) const {
    const Placed* p = Find(name);
    return p ? p->site.get() : nullptr;
}

std::vector<std::wstring> GalleryForm::ControlNames() const {
    std::vector<std::wstring> names;
    for (const auto& p : placed_) names.push_back(p->name);
    return names;
}

// A label over each control on the form names it; one that holds others names them too.
void GalleryForm::Captions() {
    for (auto& p : placed_) {
        if (!p->container.empty()) continue;
        std::wstring text = p->type;
        std::wstring held;
        for (const auto& q : placed_)
            if (SameName(q->container, p->name)) held += (held.empty() ? L"" : L" | ") + q->type;
        if (!held.empty()) text += L" (holding " + held + L")";
        int left, top, width, height;
        p->site->GetPlace(left, top, width, height);
        p->caption = std::make_unique<Label>(*this);
        p->caption->Move(left, top - kCaptionGap, std::max(width, 1200), kCaptionHeight);
        p->caption->SetBackColor(BackColor());
        p->caption->SetCaption(text);
    }
}

// ---------------------------------------------------------------- design mode

HRESULT GalleryForm::SetDesignMode(bool design) {
    design_ = design;
    CheckMenuItem(GetMenu(hWnd()), v_design.id(), MF_BYCOMMAND | (design ? MF_CHECKED : MF_UNCHECKED));
    HRESULT result = S_OK;
    for (auto& p : placed_) {
        HRESULT hr = p->site->SetUserMode(!design);
        if (FAILED(hr) && SUCCEEDED(result)) result = hr;
    }
    AddEvent(design ? L"(design mode)" : L"(run mode)");
    return result;
}

void GalleryForm::v_design_Click() {
    if (FAILED(SetDesignMode(!design_))) lblStatus.SetCaption(L"A control did not follow the change of mode.");
}

// ---------------------------------------------------------------- property list

void GalleryForm::FillControlList() {
    SendMessageW(controlList_, CB_RESETCONTENT, 0, 0);
    for (const auto& p : placed_)
        SendMessageW(controlList_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>((p->name + L" (" + p->type + L")").c_str()));
    std::wstring keep = Find(selected_) ? selected_ : placed_.empty() ? L"" : placed_.front()->name;
    selected_.clear();
    (void)Select(keep);
}

HRESULT GalleryForm::Select(std::wstring_view name) {
    for (size_t i = 0; i < placed_.size(); ++i)
        if (SameName(placed_[i]->name, name)) {
            selected_ = placed_[i]->name;
            SendMessageW(controlList_, CB_SETCURSEL, i, 0);
            FillPropertyList();
            return S_OK;
        }
    return E_INVALIDARG;
}

void GalleryForm::FillPropertyList() {
    LRESULT keep = SendMessageW(propertyList_, LB_GETCURSEL, 0, 0);
    SendMessageW(propertyList_, LB_RESETCONTENT, 0, 0);
    properties_.clear();
    const Placed* p = Find(selected_);
    if (!p) return;
    if (HRESULT hr = ListProperties(p->site->Object(), properties_); FAILED(hr)) {
        lblStatus.SetCaption(L"No type information: " + ErrorText(hr, nullptr));
        return;
    }
    ComPtr<IDispatch> control = DispatchOf(p->site->Object());
    for (const auto& property : properties_) {
        Variant value;
        std::wstring error;
        std::wstring shown = control && SUCCEEDED(GetProperty(control.Get(), property.id, value, error))
                                 ? DisplayText(*value.get(), property.color)
                                 : L"(" + error + L")";
        std::wstring item = property.name + L"\t" + property.typeName + L"\t" + shown;
        SendMessageW(propertyList_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    }
    if (keep >= 0 && static_cast<size_t>(keep) < properties_.size())
        SendMessageW(propertyList_, LB_SETCURSEL, static_cast<WPARAM>(keep), 0);
    ShowSelectedValue();
}

void GalleryForm::ShowSelectedValue() {
    LRESULT index = SendMessageW(propertyList_, LB_GETCURSEL, 0, 0);
    if (index < 0 || static_cast<size_t>(index) >= properties_.size()) return;
    const Placed* p = Find(selected_);
    ComPtr<IDispatch> control = DispatchOf(p ? p->site->Object() : nullptr);
    Variant value;
    std::wstring error;
    const PropertyInfo& property = properties_[static_cast<size_t>(index)];
    if (control && SUCCEEDED(GetProperty(control.Get(), property.id, value, error)))
        txtValue.SetText(DisplayText(*value.get(), property.color));
}

HRESULT GalleryForm::SetProperty(std::wstring_view name, const std::wstring& text, std::wstring& error) {
    const Placed* p = Find(selected_);
    if (!p) return error = L"no control is selected", E_UNEXPECTED;
    for (size_t i = 0; i < properties_.size(); ++i) {
        const PropertyInfo& property = properties_[i];
        if (!SameName(property.name, name)) continue;
        HRESULT hr = S_OK;
        if (!property.put && !property.putRef) hr = CTL_E_SETNOTSUPPORTED, error = L"the property is read-only";
        Variant value;
        if (SUCCEEDED(hr)) hr = ParseTyped(property, text, value, error);
        if (SUCCEEDED(hr)) hr = PutProperty(DispatchOf(p->site->Object()).Get(), property, value, error);
        SendMessageW(propertyList_, LB_SETCURSEL, i, 0);
        FillPropertyList();
        lblStatus.SetCaption(SUCCEEDED(hr) ? property.name + L" set."
                                           : property.name + L" was not changed: " + error);
        return hr;
    }
    return error = L"no property " + std::wstring(name), DISP_E_UNKNOWNNAME;
}

void GalleryForm::cmdSet_Click() {
    LRESULT index = SendMessageW(propertyList_, LB_GETCURSEL, 0, 0);
    if (index < 0 || static_cast<size_t>(index) >= properties_.size()) {
        lblStatus.SetCaption(L"Pick a property in the list first.");
        return;
    }
    std::wstring error;
    (void)SetProperty(properties_[static_cast<size_t>(index)].name, txtValue.Text(), error); // shown in the status
}

// ---------------------------------------------------------------- event log

void GalleryForm::AddEvent(const std::wstring& line) {
    if (!eventLog_) return;
    while (static_cast<size_t>(SendMessageW(eventLog_, LB_GETCOUNT, 0, 0)) >= kMaxLogLines)
        SendMessageW(eventLog_, LB_DELETESTRING, 0, 0);
    LRESULT index = SendMessageW(eventLog_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    if (index >= 0) SendMessageW(eventLog_, LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
}

// ---------------------------------------------------------------- menus

namespace {
std::wstring AskPath(HWND owner, bool save) {
    wchar_t path[MAX_PATH] = L"";
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = L"Gallery forms (*.dgf)\0*.dgf\0Text files (*.txt)\0*.txt\0All files (*.*)\0*.*\0";
    ofn.lpstrFile = path;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrDefExt = L"dgf";
    ofn.Flags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR | (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
    BOOL chosen = save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
    return chosen ? path : L"";
}
} // namespace

void GalleryForm::v_save_Click() {
    std::wstring path = AskPath(hWnd(), true), error;
    if (path.empty()) return;
    if (FAILED(SaveFile(path, error)))
        MessageBoxW(hWnd(), (L"The form was not saved to " + path + L":\r\n" + error).c_str(), L"Dravlix Gallery",
                    MB_OK | MB_ICONEXCLAMATION);
}

void GalleryForm::v_load_Click() {
    std::wstring path = AskPath(hWnd(), false), error;
    if (path.empty()) return;
    if (FAILED(LoadFile(path, error)))
        MessageBoxW(hWnd(), (path + L" was not loaded; the form stays as it was.\r\n" + error).c_str(),
                    L"Dravlix Gallery", MB_OK | MB_ICONEXCLAMATION);
}

// The library's own About box, through any of its controls.
void GalleryForm::v_about_Click() {
    std::wstring error = L"no control is placed";
    for (const auto& p : placed_)
        if (ComPtr<IDispatch> control = DispatchOf(p->site->Object());
            control && SUCCEEDED(CallMethod(control.Get(), L"AboutBox", error)))
            return;
    MessageBoxW(hWnd(), (L"The About box did not show: " + error).c_str(), L"Dravlix Gallery", MB_OK | MB_ICONEXCLAMATION);
}

LRESULT CALLBACK GalleryForm::Subclass(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                       DWORD_PTR self) noexcept {
    auto* form = reinterpret_cast<GalleryForm*>(self);
    if (message == WM_COMMAND && lParam) {
        HWND from = reinterpret_cast<HWND>(lParam);
        try {
            if (from == form->controlList_ && HIWORD(wParam) == CBN_SELCHANGE) {
                LRESULT index = SendMessageW(from, CB_GETCURSEL, 0, 0);
                if (index >= 0 && static_cast<size_t>(index) < form->placed_.size())
                    (void)form->Select(form->placed_[static_cast<size_t>(index)]->name); // names come from the list
                return 0;
            }
            if (from == form->propertyList_ && HIWORD(wParam) == LBN_SELCHANGE) {
                form->ShowSelectedValue();
                return 0;
            }
        } catch (...) {
            return 0; // nothing unwinds into the system; the list stays as it was
        }
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}
