// The gallery's window: the ten Dravlix controls placed through our container, a run/design mode switch, a
// property list read from each control's type library, an event log, and the form saved to and loaded from
// text. The controls come through COM by class, else from the Dravlix.ocx beside the program.
#pragma once
#include "host/control_site.h"
#include "event_sink.h"
#include "host/form.h"
#include "form_text.h"
#include "type_info.h"

#include <memory>
#include <string>
#include <vector>

class GalleryForm final : public Form {
public:
    GalleryForm();
    ~GalleryForm() override;

    // The form as it was designed: every control of the library, the splitter holding two of them.
    static gallery::FormText DefaultForm();

    // A form made of the text's controls in place of the present ones. A text that does not read, or whose
    // controls cannot all be made, changes nothing; the error names the line.
    HRESULT LoadForm(const gallery::FormText& form, std::wstring& error);
    HRESULT LoadFile(const std::wstring& path, std::wstring& error);
    HRESULT SaveFile(const std::wstring& path, std::wstring& error) const;
    HRESULT SaveText(gallery::FormText& form, std::wstring& error) const;

    // Design mode: the container's UserMode ambient property is false and the controls are told.
    HRESULT SetDesignMode(bool design);
    bool DesignMode() const { return design_; }

    // The placed control of that name (its object), or null.
    IUnknown* Object(std::wstring_view name) const;
    ActiveXControl* Site(std::wstring_view name) const;
    std::vector<std::wstring> ControlNames() const;

    // The property list shows the selected control's properties; a put refused by the control leaves the
    // value as it was and shows the control's own error text.
    HRESULT Select(std::wstring_view name);
    HRESULT SetProperty(std::wstring_view property, const std::wstring& text, std::wstring& error);
    HWND PropertyList() const { return propertyList_; }
    HWND EventLog() const { return eventLog_; }
    std::wstring Status() const { return lblStatus.Caption(); }

private:
    struct Placed {
        std::wstring name, type, container, slot;
        std::unique_ptr<ActiveXControl> site;
        std::unique_ptr<Label> caption;
        ComPtr<gallery::EventSink> sink;
    };
    using Set = std::vector<std::unique_ptr<Placed>>;

    HRESULT Build(const gallery::FormText& form, Set& out, std::wstring& error);
    static void TearDown(Set& set);
    const Placed* Find(std::wstring_view name) const;
    void Captions();
    void FillControlList();
    void FillPropertyList();
    void ShowSelectedValue();
    void AddEvent(const std::wstring& line);
    HWND MakeChild(const wchar_t* windowClass, DWORD style, int left, int top, int width, int height);

    void v_save_Click();
    void v_load_Click();
    void v_design_Click();
    void v_about_Click();
    void cmdSet_Click();

    static LRESULT CALLBACK Subclass(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                     DWORD_PTR self) noexcept;

    Set placed_;
    bool design_ = false;
    std::wstring selected_;
    std::vector<gallery::PropertyInfo> properties_;

    Label lblControl{*this};
    HWND controlList_ = nullptr;
    HWND propertyList_ = nullptr;
    TextBox txtValue{*this};
    CommandButton cmdSet{*this};
    Label lblStatus{*this};
    Label lblEvents{*this};
    HWND eventLog_ = nullptr;

    MenuItem v_file{*this, L"File"};
    MenuItem v_load{v_file, L"Load form..."};
    MenuItem v_save{v_file, L"Save form..."};
    MenuItem v_exit{v_file, L"Exit"};
    MenuItem v_mode{*this, L"Mode"};
    MenuItem v_design{v_mode, L"Design mode"};
    MenuItem v_help{*this, L"Help"};
    MenuItem v_about{v_help, L"About Dravlix..."};
};
