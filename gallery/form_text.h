// The gallery's saved form as text a person can read and edit: one section per control with its type,
// place and property bag, one "key = value" per line. Text is UTF-8; no <windows.h> here.
//
//   Dravlix gallery form 1
//   [Splitter1]
//   @type = Splitter
//   @place = 120, 2520, 5040, 1455          left, top, width, height in twips
//   SplitPercent = 40
//   [Label3D1]
//   @type = Label3D
//   @place = 0, 0, 2000, 1455
//   @in = Splitter1.Control1                a placed control that holds it, and the property it fills
//   Caption = "Say \"hi\"\n"                 escapes: \\ \" \n \r \t \uXXXX
//   ForeColor1 = &H000000FF&                 a colour (OLE_COLOR, hexadecimal)
//   Font = Font("Tahoma", 9.75, Bold, Italic, Underline, Strikethrough, Charset 177)
//   Enabled = True
//   Icon = Object({7BF80981-BF32-101A-8BBB-00AA00300CAB}, 6C74...)   class id and saved bytes in hex
//
// Blank lines and lines starting with ';' are ignored. Keys starting with '@' belong to the form; a
// control's own keys may not start with it.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace gallery {

struct FontValue {
    std::string name;
    double size = 8.25;
    bool bold = false, italic = false, underline = false, strikethrough = false;
    int charset = 0;
    bool operator==(const FontValue& o) const {
        return name == o.name && size == o.size && bold == o.bold && italic == o.italic &&
               underline == o.underline && strikethrough == o.strikethrough && charset == o.charset;
    }
};

struct Value {
    enum class Kind { Integer, Real, Bool, String, Color, Font, Object } kind = Kind::Integer;
    int64_t integer = 0;        // Integer; Color holds the OLE_COLOR's 32 bits
    double real = 0;            // Real
    bool flag = false;          // Bool
    std::string text;           // String; Object: the class id in braces
    FontValue font;             // Font
    std::vector<uint8_t> bytes; // Object: what it saved of itself
    bool operator==(const Value& o) const {
        return kind == o.kind && integer == o.integer && real == o.real && flag == o.flag && text == o.text &&
               font == o.font && bytes == o.bytes;
    }
};

struct Property {
    std::string key;
    Value value;
    bool operator==(const Property& o) const { return key == o.key && value == o.value; }
};

struct ControlText {
    std::string name;
    std::string type;
    int left = 0, top = 0, width = 0, height = 0; // twips
    std::string container;                         // empty: on the form
    std::string slot;                              // the container's property that holds it
    std::vector<Property> properties;
    int line = 0; // of the section header, when parsed
    bool operator==(const ControlText& o) const {
        return name == o.name && type == o.type && left == o.left && top == o.top && width == o.width &&
               height == o.height && container == o.container && slot == o.slot && properties == o.properties;
    }
};

struct FormText {
    std::vector<ControlText> controls;
};

// A value as it stands after "key = ", and back. ParseValue gives nullopt for anything it cannot read in
// full (with a reason in *error when given).
std::string FormatValue(const Value& value);
std::optional<Value> ParseValue(std::string_view text, std::string* error = nullptr);

// The whole form. Write refuses (nullopt) what it could not read back: a name or key that is empty, holds
// '[', ']', '=', a line break or spaces at its ends, or a key starting with '@'.
std::optional<std::string> WriteForm(const FormText& form);

struct ParseError {
    int line = 0; // 1-based
    std::string message;
};
// Nothing of a damaged text is taken: the first fault, with its line, and no form.
struct ParseResult {
    std::optional<FormText> form;
    ParseError error;
};
ParseResult ParseForm(std::string_view text);

} // namespace gallery
