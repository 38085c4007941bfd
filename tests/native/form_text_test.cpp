#include "form_text.h"

#include <gtest/gtest.h>

namespace gallery {
namespace {

template <class Fill> Value Make(Value::Kind kind, Fill fill) {
    Value v;
    v.kind = kind;
    fill(v);
    return v;
}
Value Int(int64_t n) { return Make(Value::Kind::Integer, [&](Value& v) { v.integer = n; }); }
Value Color(int64_t n) { return Make(Value::Kind::Color, [&](Value& v) { v.integer = n; }); }
Value Real(double n) { return Make(Value::Kind::Real, [&](Value& v) { v.real = n; }); }
Value Bool(bool b) { return Make(Value::Kind::Bool, [&](Value& v) { v.flag = b; }); }
Value Str(std::string s) { return Make(Value::Kind::String, [&](Value& v) { v.text = s; }); }
Value FontOf(FontValue f) { return Make(Value::Kind::Font, [&](Value& v) { v.font = f; }); }
Value Obj(std::string id, std::vector<uint8_t> bytes) {
    return Make(Value::Kind::Object, [&](Value& v) { v.text = id, v.bytes = bytes; });
}
ControlText Section(std::string name, std::string type, int left, int top, int width, int height,
                    std::string container = {}, std::string slot = {}) {
    ControlText c;
    c.name = std::move(name), c.type = std::move(type), c.left = left, c.top = top, c.width = width;
    c.height = height, c.container = std::move(container), c.slot = std::move(slot);
    return c;
}

// Every kind of value, awkward texts included, survives writing and reading back, as the exact text.
TEST(FormText, RoundTripsEveryKindOfValue) {
    FormText form;
    ControlText splitter = Section("Splitter1", "Splitter", 120, 2520, 5040, 1455);
    splitter.properties = {{"SplitPercent", Int(40)}};
    ControlText label = Section("Label3D1", "Label3D", -15, 0, 0, 1455, "Splitter1", "Control1");
    label.properties = {{"Caption", Str("Say \"hi\"\\ \n\r\t\x01 Größe €😀")},
                        {"ForeColor1", Color(0x800000FF)},
                        {"Font", FontOf({"MS Sans Serif", 9.75, true, false, true, false, 177})},
                        {"Plain", FontOf({"Tahoma", 12})},
                        {"Ratio", Real(0.1)}, {"Whole", Real(3)}, {"Sixty", Real(60)}, {"Tiny", Real(1e-300)},
                        {"Low", Int(INT32_MIN)}, {"Enabled", Bool(false)},
                        {"Icon", Obj("{7BF80981-BF32-101A-8BBB-00AA00300CAB}", {0x6C, 0x74, 0x00, 0xFF})},
                        {"None", Obj("{00000000-0000-0000-0000-000000000000}", {})}, {"Empty", Str("")}};
    form.controls = {splitter, label};
    auto text = WriteForm(form);
    ASSERT_TRUE(text);
    EXPECT_NE(text->find("\n@in = Splitter1.Control1\n"), std::string::npos);
    EXPECT_NE(text->find("\nCaption = \"Say \\\"hi\\\"\\\\ \\n\\r\\t\\u0001 Größe €😀\"\n"), std::string::npos);
    EXPECT_NE(text->find("\nForeColor1 = &H800000FF&\n"), std::string::npos);
    EXPECT_NE(text->find("\nFont = Font(\"MS Sans Serif\", 9.75, Bold, Underline, Charset 177)\n"), std::string::npos);
    EXPECT_NE(text->find("\nRatio = 0.1\nWhole = 3.0\nSixty = 60.0\nTiny = 1e-300\n"), std::string::npos);
    EXPECT_NE(text->find("\nIcon = Object({7BF80981-BF32-101A-8BBB-00AA00300CAB}, 6C7400FF)\n"), std::string::npos);

    ParseResult back = ParseForm(*text);
    ASSERT_TRUE(back.form) << back.error.line << ": " << back.error.message;
    ASSERT_EQ(back.form->controls, (std::vector<ControlText>{splitter, label}));
    EXPECT_EQ(back.form->controls[1].line, 6);
    EXPECT_EQ(WriteForm(*back.form), text);
}

// What a person may write by hand reads as meant.
TEST(FormText, ReadsHandWrittenValues) {
    struct {
        const char* text;
        Value value;
    } cases[] = {{" -7 ", Int(-7)}, {"true", Bool(true)}, {"&hff&", Color(0xFF)}, {"1e3", Real(1000)},
                 {"\"\\u00e9\\uD83D\\uDE00\"", Str("é😀")},
                 {"font( \"Arial\" , 10 , italic )", FontOf({"Arial", 10, false, true})},
                 {"Object({00000000-0000-0000-0000-0000000000AB})", Obj("{00000000-0000-0000-0000-0000000000AB}", {})}};
    for (const auto& c : cases) {
        auto v = ParseValue(c.text);
        ASSERT_TRUE(v) << c.text;
        EXPECT_EQ(*v, c.value) << c.text;
    }
}

// A damaged file is refused whole, naming the line of its first fault.
TEST(FormText, RefusesDamagedFilesAtTheirLine) {
    const std::string head = "Dravlix gallery form 1\n[A]\n@type = Label3D\n@place = 0, 0, 10, 10\n";
    struct {
        std::string text;
        int line;
        const char* says;
    } cases[] = {
        {"Some other file\n", 1, "not a Dravlix gallery form"}, {"", 1, "not a Dravlix gallery form"},
        {"Dravlix gallery form 1\nCaption = 1\n", 2, "before the first control"},
        {head + "Caption\n", 5, "expected key = value"},
        {head + "Caption = \"open\n", 5, "no closing"},
        {head + "Caption = \"bad \\q\"\n", 5, "unknown escape"},
        {head + "Caption = \"\\uD800\"\n", 5, "surrogate"},
        {head + "Caption = \"x\" y\n", 5, "after the value"},
        {head + "Caption = \"\xC3\x28\"\n", 5, "UTF-8"},
        {head + "Color = &H123456789&\n", 5, "1 to 8"},
        {head + "Color = &HFF\n", 5, "ends with '&'"},
        {head + "Count = 2147483648\n", 5, "not a value"}, {head + "Count = 12abc\n", 5, "not a value"},
        {head + "Font = Font(\"Arial\")\n", 5, "size"},
        {head + "Font = Font(\"Arial\", 9, Bold, Bold)\n", 5, "twice"},
        {head + "Font = Font(\"Arial\", 9, Charset 300)\n", 5, "Charset"},
        {head + "Font = Font(\"Arial\", 9, Heavy)\n", 5, "Bold, Italic"},
        {head + "Icon = Object({1234}, 00)\n", 5, "class id"},
        {head + "Icon = Object({00000000-0000-0000-0000-000000000000}, 0G)\n", 5, "hexadecimal"},
        {head + "X = 1\nx = 2\n", 6, "twice"},
        {head + "@type = Label3D\n", 5, "@type given twice"},
        {head + "@colour = 1\n", 5, "unknown form key"},
        {head + "@in = B.Control1\n", 5, "no control above"},
        {head + "@in = A.Control1\n", 5, "no control above"},
        {head + "[a]\n", 5, "second control"},
        {head + "[B\n", 5, "ends with ']'"},
        {head + "[]\n", 5, "name"},
        {head + "[B]\n@place = 0, 0, 1, 1\n", 5, "has no @type"},
        {head + "[B]\n@type = Hyperlink\n", 5, "has no @place"},
        {head + "[B]\n@type = Hyperlink\n@place = 0, 0, -1, 1\n", 7, "@place"},
        {head + "[B]\n@type = Hyperlink\n@place = 0, 0, 1\n", 7, "@place"},
    };
    for (const auto& c : cases) {
        ParseResult r = ParseForm(c.text);
        EXPECT_EQ(std::pair(r.form.has_value(), r.error.line), std::pair(false, c.line)) << c.text;
        EXPECT_NE(r.error.message.find(c.says), std::string::npos) << c.text << " -> " << r.error.message;
    }
    EXPECT_TRUE(ParseForm(head + "\n; a comment\r\n").form) << "blank lines, comments and CRLF are fine";
}

// Writing refuses what it could not read back.
TEST(FormText, RefusesToWriteWhatCannotBeRead) {
    ControlText ok = Section("A", "Label3D", 0, 0, 1, 1);
    auto with = [&](auto change) {
        FormText form{{ok}};
        change(form.controls[0]);
        return WriteForm(form);
    };
    EXPECT_TRUE(with([](ControlText&) {}));
    EXPECT_FALSE(with([](ControlText& c) { c.name = "A]"; }));
    EXPECT_FALSE(with([](ControlText& c) { c.properties = {{"@type", Int(1)}}; }));
    EXPECT_FALSE(with([](ControlText& c) { c.properties = {{"K=V", Int(1)}}; }));
    EXPECT_FALSE(with([](ControlText& c) { c.properties = {{"K", Int(1)}, {"k", Int(2)}}; }));
    EXPECT_FALSE(with([](ControlText& c) { c.properties = {{"K", Real(1.0 / 0.0)}}; }));
    EXPECT_FALSE(with([](ControlText& c) { c.properties = {{"K", Str("\xFF")}}; }));
    EXPECT_FALSE(with([](ControlText& c) { c.container = "Nobody", c.slot = "Control1"; }));
}

} // namespace
} // namespace gallery
