// What the gallery learns of a control at run time from its type library (through IProvideClassInfo), and
// the conversions between the control's values and the gallery's text form.
#pragma once
#include "com/com.h"
#include "form_text.h"

#include <oaidl.h>

#include <string>
#include <vector>

namespace gallery {

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view text);

struct PropertyInfo {
    std::wstring name;
    DISPID id = 0;
    std::wstring typeName; // as the type library spells it: BSTR, OLE_COLOR, T_Align, IFontDisp*...
    bool color = false;    // OLE_COLOR
    bool font = false;     // a font object
    bool object = false;   // any other object
    bool put = false;      // can be set by value
    bool putRef = false;   // can be set by reference
};

// The control's coclass, its default interface's dispatch side, and its default event interface.
HRESULT ClassInfo(IUnknown* control, ComPtr<ITypeInfo>& coclass);
HRESULT InterfaceOf(ITypeInfo* coclass, bool source, ComPtr<ITypeInfo>& info);
std::wstring NameOf(ITypeInfo* info, MEMBERID id = MEMBERID_NIL);
// The readable properties of the default interface, in the type library's order; hidden ones left out.
HRESULT ListProperties(IUnknown* control, std::vector<PropertyInfo>& out);

// A late-bound get or put; a failure's text is the control's own (EXCEPINFO, else IErrorInfo), else the
// system's text for the status.
HRESULT GetProperty(IDispatch* control, DISPID id, Variant& value, std::wstring& error);
HRESULT PutProperty(IDispatch* control, const PropertyInfo& property, const Variant& value, std::wstring& error);
HRESULT CallMethod(IDispatch* control, const wchar_t* name, std::wstring& error);
std::wstring ErrorText(HRESULT hr, EXCEPINFO* exception);

// A control's value as text (a colour when the property is one), and text typed for a property back into a
// value: the form file's syntax, or plain text for a string property.
bool ValueFromVariant(const VARIANT& value, bool color, Value& out);
std::wstring DisplayText(const VARIANT& value, bool color);
HRESULT VariantFromValue(const Value& value, Variant& out);
HRESULT ParseTyped(const PropertyInfo& property, const std::wstring& text, Variant& out, std::wstring& error);

} // namespace gallery
