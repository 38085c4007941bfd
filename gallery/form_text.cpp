#include "form_text.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace gallery {
namespace {
constexpr std::string_view kFirstLine = "Dravlix gallery form 1";

bool IsSpace(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsSpace(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsSpace(s.back())) s.remove_suffix(1);
    return s;
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

bool StartsNoCase(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && EqualNoCase(s.substr(0, prefix.size()), prefix);
}

// Names of controls, types and slots: what a section header and "@in = Name.Slot" can carry unchanged.
bool ValidName(std::string_view s) {
    if (s.empty() || Trim(s) != s) return false;
    for (char c : s)
        if (c == '[' || c == ']' || c == '=' || c == '.' || c == '\n' || c == '\r' || c == ';') return false;
    return true;
}

bool ValidKey(std::string_view s) {
    if (s.empty() || Trim(s) != s || s.front() == '@' || s.front() == ';' || s.front() == '[') return false;
    for (char c : s)
        if (c == '=' || c == '\n' || c == '\r') return false;
    return true;
}

bool ValidUtf8(std::string_view s) {
    for (size_t i = 0; i < s.size();) {
        auto c = static_cast<unsigned char>(s[i]);
        size_t more = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : 4;
        if (more == 4 || s.size() - i <= more) return false;
        uint32_t code = more == 0 ? c : more == 1 ? c & 0x1F : more == 2 ? c & 0x0F : c & 0x07;
        for (size_t k = 1; k <= more; ++k) {
            auto t = static_cast<unsigned char>(s[i + k]);
            if ((t & 0xC0) != 0x80) return false;
            code = code << 6 | (t & 0x3F);
        }
        // Overlong forms, surrogates and code points past Unicode's end.
        static constexpr uint32_t least[] = {0, 0x80, 0x800, 0x10000};
        if (code < least[more] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
        i += more + 1;
    }
    return true;
}

void AppendUtf8(std::string& out, uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | code >> 6);
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | code >> 12);
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | code >> 18);
        out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

std::string Quote(std::string_view s) {
    std::string out = "\"";
    for (char c : s) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
                char code[8];
                std::snprintf(code, sizeof code, "\\u%04X", static_cast<unsigned>(static_cast<unsigned char>(c)));
                out += code;
            } else {
                out += c;
            }
        }
    }
    return out + "\"";
}

// The shortest decimal that reads back as the same double, with a point so that it reads as a real.
std::string RealText(double value) {
    char text[40];
    for (int precision = 1; precision <= 17; ++precision) {
        std::snprintf(text, sizeof text, "%.*g", precision, value);
        // An exponent only where a plain number would be long: 60 is "60", not "6e+01".
        bool exponent = std::strchr(text, 'e') && std::fabs(value) >= 1e-4 && std::fabs(value) < 1e15;
        if (std::strtod(text, nullptr) == value && !exponent) break;
    }
    std::string s = text;
    if (s.find_first_of(".eE") == std::string::npos) s += ".0";
    return s;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = Lower(c);
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// A cursor over one value's text; each reader consumes what it recognises or fails with a reason.
class Reader {
public:
    explicit Reader(std::string_view s) : s_(s) {}
    bool AtEnd() const { return i_ == s_.size(); }
    void SkipSpace() {
        while (i_ < s_.size() && IsSpace(s_[i_])) ++i_;
    }
    bool Take(char c) {
        SkipSpace();
        if (i_ < s_.size() && s_[i_] == c) {
            ++i_;
            return true;
        }
        return false;
    }
    bool TakeWord(std::string_view word) {
        SkipSpace();
        if (!StartsNoCase(s_.substr(i_), word)) return false;
        size_t end = i_ + word.size();
        if (end < s_.size() && (std::isalnum(static_cast<unsigned char>(s_[end])) || s_[end] == '_')) return false;
        i_ = end;
        return true;
    }
    std::string_view Word() {
        SkipSpace();
        size_t start = i_;
        while (i_ < s_.size() && (std::isalnum(static_cast<unsigned char>(s_[i_])) || s_[i_] == '_')) ++i_;
        return s_.substr(start, i_ - start);
    }
    // Up to the next ',' or ')' (not consumed), trimmed.
    std::string_view Item() {
        SkipSpace();
        size_t start = i_;
        while (i_ < s_.size() && s_[i_] != ',' && s_[i_] != ')') ++i_;
        return Trim(s_.substr(start, i_ - start));
    }
    bool String(std::string& out, std::string& error);

private:
    std::string_view s_;
    size_t i_ = 0;
};

bool Reader::String(std::string& out, std::string& error) {
    if (!Take('"')) return error = "a string must start with '\"'", false;
    out.clear();
    while (i_ < s_.size()) {
        char c = s_[i_++];
        if (c == '"') return true;
        if (c != '\\') {
            out += c;
            continue;
        }
        if (i_ == s_.size()) break;
        char e = s_[i_++];
        switch (e) {
        case '"': out += '"'; break;
        case '\\': out += '\\'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case 'u': {
            auto unit = [&](uint32_t& code) {
                if (s_.size() - i_ < 4) return false;
                code = 0;
                for (int k = 0; k < 4; ++k) {
                    int d = HexDigit(s_[i_ + k]);
                    if (d < 0) return false;
                    code = code << 4 | static_cast<uint32_t>(d);
                }
                i_ += 4;
                return true;
            };
            uint32_t code;
            if (!unit(code)) return error = "\\u needs four hexadecimal digits", false;
            if (code >= 0xDC00 && code <= 0xDFFF) return error = "a lone low surrogate in \\u", false;
            if (code >= 0xD800 && code <= 0xDBFF) {
                uint32_t low;
                if (s_.substr(i_, 2) != "\\u" || (i_ += 2, !unit(low)) || low < 0xDC00 || low > 0xDFFF)
                    return error = "a high surrogate in \\u without its low one", false;
                code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
            }
            AppendUtf8(out, code);
            break;
        }
        default: return error = std::string("unknown escape \\") + e, false;
        }
    }
    error = "the string has no closing '\"'";
    return false;
}

bool ParseInt(std::string_view s, int64_t low, int64_t high, int64_t& out) {
    if (s.empty() || s.size() > 20) return false;
    size_t i = s[0] == '-' || s[0] == '+' ? 1 : 0;
    if (i == s.size()) return false;
    for (size_t k = i; k < s.size(); ++k)
        if (s[k] < '0' || s[k] > '9') return false;
    std::string copy(s);
    errno = 0;
    long long v = std::strtoll(copy.c_str(), nullptr, 10);
    if (errno || v < low || v > high) return false;
    out = v;
    return true;
}

bool ParseReal(std::string_view s, double& out) {
    if (s.empty() || s.find_first_of(".eE") == std::string_view::npos) return false;
    for (char c : s)
        if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '.' || c == 'e' || c == 'E' || c == '-' || c == '+'))
            return false;
    std::string copy(s);
    char* end = nullptr;
    errno = 0;
    out = std::strtod(copy.c_str(), &end);
    return end == copy.c_str() + copy.size() && errno == 0 && std::isfinite(out);
}

bool ValidClassId(std::string_view s) {
    static constexpr std::string_view shape = "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}";
    if (s.size() != shape.size()) return false;
    for (size_t i = 0; i < s.size(); ++i)
        if (shape[i] == 'X' ? HexDigit(s[i]) < 0 : s[i] != shape[i]) return false;
    return true;
}

std::optional<Value> Fail(std::string* error, std::string message) {
    if (error) *error = std::move(message);
    return std::nullopt;
}

std::optional<Value> ParseFont(Reader& r, std::string* error) {
    Value v;
    v.kind = Value::Kind::Font;
    std::string why;
    if (!r.String(v.font.name, why)) return Fail(error, "a font needs its name first: " + why);
    if (!r.Take(',')) return Fail(error, "a font needs its size after the name");
    std::string_view size = r.Item();
    int64_t whole;
    if (ParseInt(size, 0, 2048, whole)) v.font.size = static_cast<double>(whole);
    else if (!ParseReal(size, v.font.size)) return Fail(error, "a font's size in points follows its name");
    if (v.font.size <= 0 || v.font.size > 2048) return Fail(error, "a font's size lies between 0 and 2048 points");
    while (r.Take(',')) {
        bool* flag = r.TakeWord("Bold")            ? &v.font.bold
                     : r.TakeWord("Italic")        ? &v.font.italic
                     : r.TakeWord("Underline")     ? &v.font.underline
                     : r.TakeWord("Strikethrough") ? &v.font.strikethrough
                                                   : nullptr;
        if (flag) {
            if (*flag) return Fail(error, "a font's style is named twice");
            *flag = true;
            continue;
        }
        if (r.TakeWord("Charset")) {
            int64_t charset;
            if (!ParseInt(r.Item(), 0, 255, charset)) return Fail(error, "a font's Charset is a number from 0 to 255");
            v.font.charset = static_cast<int>(charset);
            continue;
        }
        return Fail(error, "a font knows Bold, Italic, Underline, Strikethrough and Charset n");
    }
    if (!r.Take(')')) return Fail(error, "a font ends with ')'");
    return v;
}

std::optional<Value> ParseObject(Reader& r, std::string* error) {
    Value v;
    v.kind = Value::Kind::Object;
    std::string_view id = r.Item();
    if (!ValidClassId(id)) return Fail(error, "an object starts with its class id, {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}");
    v.text = std::string(id);
    if (r.Take(',')) {
        std::string_view hex = r.Item();
        if (hex.size() % 2) return Fail(error, "an object's bytes are pairs of hexadecimal digits");
        for (size_t i = 0; i < hex.size(); i += 2) {
            int high = HexDigit(hex[i]), low = HexDigit(hex[i + 1]);
            if (high < 0 || low < 0) return Fail(error, "an object's bytes are pairs of hexadecimal digits");
            v.bytes.push_back(static_cast<uint8_t>(high << 4 | low));
        }
    }
    if (!r.Take(')')) return Fail(error, "an object ends with ')'");
    return v;
}
} // namespace

std::string FormatValue(const Value& value) {
    char text[32];
    switch (value.kind) {
    case Value::Kind::Integer: return std::to_string(value.integer);
    case Value::Kind::Real: return RealText(value.real);
    case Value::Kind::Bool: return value.flag ? "True" : "False";
    case Value::Kind::String: return Quote(value.text);
    case Value::Kind::Color:
        std::snprintf(text, sizeof text, "&H%08X&", static_cast<unsigned>(value.integer & 0xFFFFFFFF));
        return text;
    case Value::Kind::Font: {
        std::string s = "Font(" + Quote(value.font.name) + ", " + RealText(value.font.size);
        if (value.font.bold) s += ", Bold";
        if (value.font.italic) s += ", Italic";
        if (value.font.underline) s += ", Underline";
        if (value.font.strikethrough) s += ", Strikethrough";
        if (value.font.charset) s += ", Charset " + std::to_string(value.font.charset);
        return s + ")";
    }
    case Value::Kind::Object: {
        std::string s = "Object(" + value.text;
        if (!value.bytes.empty()) {
            s += ", ";
            for (uint8_t b : value.bytes) {
                std::snprintf(text, sizeof text, "%02X", b);
                s += text;
            }
        }
        return s + ")";
    }
    }
    return {};
}

std::optional<Value> ParseValue(std::string_view text, std::string* error) {
    text = Trim(text);
    if (!ValidUtf8(text)) return Fail(error, "the value is not UTF-8 text");
    Reader r(text);
    std::optional<Value> v;
    if (text.empty()) return Fail(error, "the value is missing");
    if (text.front() == '"') {
        Value s;
        s.kind = Value::Kind::String;
        std::string why;
        if (!r.String(s.text, why)) return Fail(error, why);
        v = std::move(s);
    } else if (r.TakeWord("True") || r.TakeWord("False")) {
        Value b;
        b.kind = Value::Kind::Bool;
        b.flag = EqualNoCase(text.substr(0, 4), "True");
        v = b;
    } else if (StartsNoCase(text, "&H")) {
        std::string_view digits = text.substr(2);
        if (digits.empty() || digits.back() != '&') return Fail(error, "a colour ends with '&', as in &H00FF0000&");
        digits.remove_suffix(1);
        if (digits.empty() || digits.size() > 8) return Fail(error, "a colour has 1 to 8 hexadecimal digits");
        Value c;
        c.kind = Value::Kind::Color;
        for (char d : digits) {
            if (HexDigit(d) < 0) return Fail(error, "a colour has 1 to 8 hexadecimal digits");
            c.integer = c.integer << 4 | HexDigit(d);
        }
        return c;
    } else if (r.TakeWord("Font") && r.Take('(')) {
        v = ParseFont(r, error);
        if (!v) return v;
    } else if (Reader o(text); o.TakeWord("Object") && o.Take('(')) {
        v = ParseObject(o, error);
        if (!v) return v;
        r = o;
    } else {
        Value n;
        if (ParseInt(text, INT32_MIN, INT32_MAX, n.integer)) return n;
        n.kind = Value::Kind::Real;
        if (ParseReal(text, n.real)) return n;
        return Fail(error, "not a value: a number, True, False, \"text\", &Hcolour&, Font(...) or Object(...)");
    }
    r.SkipSpace();
    if (!r.AtEnd()) return Fail(error, "text after the value's end");
    return v;
}

std::optional<std::string> WriteForm(const FormText& form) {
    std::string out(kFirstLine);
    out += '\n';
    std::vector<std::string_view> written;
    for (const ControlText& c : form.controls) {
        if (!ValidName(c.name) || !ValidName(c.type) || c.width < 0 || c.height < 0) return std::nullopt;
        for (auto n : written)
            if (EqualNoCase(n, c.name)) return std::nullopt;
        out += "[" + c.name + "]\n@type = " + c.type + "\n@place = " + std::to_string(c.left) + ", " +
               std::to_string(c.top) + ", " + std::to_string(c.width) + ", " + std::to_string(c.height) + "\n";
        if (!c.container.empty()) {
            bool earlier = false;
            for (auto n : written) earlier = earlier || EqualNoCase(n, c.container);
            if (!earlier || !ValidName(c.slot)) return std::nullopt;
            out += "@in = " + c.container + "." + c.slot + "\n";
        }
        for (size_t i = 0; i < c.properties.size(); ++i) {
            const Property& p = c.properties[i];
            if (!ValidKey(p.key) || !ValidUtf8(p.key)) return std::nullopt;
            for (size_t k = 0; k < i; ++k)
                if (EqualNoCase(c.properties[k].key, p.key)) return std::nullopt;
            if (p.value.kind == Value::Kind::Real && !std::isfinite(p.value.real)) return std::nullopt;
            if ((p.value.kind == Value::Kind::String && !ValidUtf8(p.value.text)) ||
                (p.value.kind == Value::Kind::Font && !ValidUtf8(p.value.font.name)))
                return std::nullopt;
            std::string value = FormatValue(p.value);
            if (!ParseValue(value)) return std::nullopt;
            out += p.key + " = " + value + "\n";
        }
        written.push_back(c.name);
    }
    return out;
}

ParseResult ParseForm(std::string_view text) {
    ParseResult result;
    FormText form;
    auto fail = [&](int line, std::string message) {
        result.error = {line, std::move(message)};
        return result;
    };
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);

    struct Seen {
        bool type = false, place = false, in = false;
    } seen;
    auto close = [&]() -> std::optional<ParseError> {
        if (form.controls.empty()) return std::nullopt;
        const ControlText& c = form.controls.back();
        if (!seen.type) return ParseError{c.line, "[" + c.name + "] has no @type"};
        if (!seen.place) return ParseError{c.line, "[" + c.name + "] has no @place"};
        return std::nullopt;
    };

    int number = 0;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        ++number;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (!ValidUtf8(line)) return fail(number, "the line is not UTF-8 text");
        if (number == 1) {
            if (Trim(line) != kFirstLine) return fail(1, "not a Dravlix gallery form (the first line differs)");
            continue;
        }
        line = Trim(line);
        if (line.empty() || line.front() == ';') {
            continue;
        }
        if (line.front() == '[') {
            if (line.back() != ']') return fail(number, "a section header ends with ']'");
            std::string_view name = Trim(line.substr(1, line.size() - 2));
            if (!ValidName(name)) return fail(number, "a control's name may not be empty or hold [ ] = . ;");
            for (const auto& c : form.controls)
                if (EqualNoCase(c.name, name)) return fail(number, "a second control named " + std::string(name));
            if (auto error = close()) return result.error = *error, result;
            ControlText c;
            c.name = std::string(name);
            c.line = number;
            form.controls.push_back(std::move(c));
            seen = {};
            continue;
        }
        size_t equals = line.find('=');
        if (equals == std::string_view::npos) return fail(number, "expected key = value");
        if (form.controls.empty()) return fail(number, "a value before the first control's [name]");
        ControlText& c = form.controls.back();
        std::string_view key = Trim(line.substr(0, equals)), value = Trim(line.substr(equals + 1));
        if (key.empty()) return fail(number, "a key is missing before '='");
        if (key.front() == '@') {
            auto once = [&](bool& flag) {
                bool again = flag;
                flag = true;
                return !again;
            };
            if (key == "@type") {
                if (!once(seen.type)) return fail(number, "@type given twice");
                if (!ValidName(value)) return fail(number, "@type names a control class");
                c.type = std::string(value);
            } else if (key == "@place") {
                if (!once(seen.place)) return fail(number, "@place given twice");
                int64_t v[4];
                Reader r(value);
                for (int i = 0; i < 4; ++i)
                    if ((i && !r.Take(',')) || !ParseInt(r.Item(), i < 2 ? INT32_MIN : 0, INT32_MAX, v[i]))
                        return fail(number, "@place is left, top, width, height in twips (sizes not negative)");
                r.SkipSpace();
                if (!r.AtEnd()) return fail(number, "@place is left, top, width, height in twips (sizes not negative)");
                c.left = static_cast<int>(v[0]), c.top = static_cast<int>(v[1]);
                c.width = static_cast<int>(v[2]), c.height = static_cast<int>(v[3]);
            } else if (key == "@in") {
                if (!once(seen.in)) return fail(number, "@in given twice");
                size_t dot = value.find('.');
                std::string_view holder = dot == std::string_view::npos ? value : value.substr(0, dot);
                std::string_view slot = dot == std::string_view::npos ? std::string_view{} : value.substr(dot + 1);
                if (!ValidName(holder) || !ValidName(slot)) return fail(number, "@in is Container.Property");
                bool earlier = false;
                for (size_t i = 0; i + 1 < form.controls.size(); ++i)
                    earlier = earlier || EqualNoCase(form.controls[i].name, holder);
                if (!earlier) return fail(number, "@in names no control above this one: " + std::string(holder));
                c.container = std::string(holder);
                c.slot = std::string(slot);
            } else {
                return fail(number, "unknown form key " + std::string(key));
            }
            continue;
        }
        if (!ValidKey(key)) return fail(number, "a key may not start with ; or [");
        for (const auto& p : c.properties)
            if (EqualNoCase(p.key, key)) return fail(number, "the key " + std::string(key) + " is given twice");
        std::string why;
        auto v = ParseValue(value, &why);
        if (!v) return fail(number, why);
        c.properties.push_back({std::string(key), std::move(*v)});
    }
    if (auto error = close()) return result.error = *error, result;
    result.form = std::move(form);
    return result;
}

} // namespace gallery
