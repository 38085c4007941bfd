// Splitter: divides its area between two controls that the host placed inside it, side by side or one above
// the other, with a bar between them that the user drags. The two controls are any objects with Move and
// Refresh methods; both are called by name.
#pragma once
#include "dravlix.h"
#include "control/user_control.h"

#include <string>
#include <vector>

HRESULT CreateSplitter(REFIID iid, void** object);

class Splitter final : public DualInterface<Splitter, _Splitter>, public UserControl {
public:
    // _Splitter: every put takes its value by reference.
    STDMETHODIMP AboutBox() override;
    STDMETHODIMP get_HorizontalSplit(VARIANT_BOOL* value) override;
    STDMETHODIMP put_HorizontalSplit(VARIANT_BOOL* New_HorizontalSplit) override;
    STDMETHODIMP get_Control1(IDispatch** value) override;
    STDMETHODIMP putref_Control1(IDispatch** New_Control1) override;
    STDMETHODIMP get_Control2(IDispatch** value) override;
    STDMETHODIMP putref_Control2(IDispatch** New_Control2) override;
    STDMETHODIMP get_SplitPercent(unsigned char* value) override;
    STDMETHODIMP put_SplitPercent(unsigned char* New_SplitPercent) override;
    STDMETHODIMP get_SplitWidth(unsigned char* value) override;
    STDMETHODIMP put_SplitWidth(unsigned char* New_SplitWidth) override;

private:
    friend HRESULT CreateControl<Splitter>(REFIID, void**);
    Splitter();

    void Initialize() override;
    HRESULT InitProperties() override;
    HRESULT ReadProperties(PropertyBag& bag) override;
    HRESULT WriteProperties(PropertyBag& bag) override;
    void Resize() override;

    // Read as a pane: the two controls, each its own window, with the bar (a separator) between them.
    AccessibleElement Describe(long child) const override;
    long ChildCount() const override;
    HWND ChildWindow(long child) const override;
    std::vector<HWND> Parts() const; // the child windows in reading order
    std::wstring PercentText() const;

    void SplitterBar_MouseDown(short button, short shift, float x, float y);
    void SplitterBar_MouseMove(short button, short shift, float x, float y);
    void SplitterBar_MouseUp(short button, short shift, float x, float y);

    bool horizontalSplit_ = false;
    ComPtr<IDispatch> firstControl_;
    ComPtr<IDispatch> secondControl_;
    float splitRatio_ = 0;
    unsigned char splitWidth_ = 0; // twips
    PictureBox SplitterBar{*this, 1};
};
