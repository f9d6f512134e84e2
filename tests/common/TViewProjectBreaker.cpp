#include "TViewProjectBreaker.h"

#include <vector>

namespace vorelt::test {

namespace {

// Begin and end offsets of every element `<name>...</name>` (not the empty `<name/>`).
std::vector<std::pair<size_t, size_t>> Elements(const std::string& text, const std::string& name) {
    std::vector<std::pair<size_t, size_t>> out;
    const std::string open = "<" + name + ">";
    const std::string close = "</" + name + ">";
    for (size_t at = text.find(open); at != std::string::npos; at = text.find(open, at + 1)) {
        // The matching end: count nested elements of the same name.
        int depth = 1;
        size_t from = at + open.size();
        while (depth > 0) {
            const size_t o = text.find(open, from);
            const size_t c = text.find(close, from);
            if (c == std::string::npos) break;
            if (o != std::string::npos && o < c) {
                ++depth;
                from = o + open.size();
            } else {
                --depth;
                from = c + close.size();
            }
        }
        if (depth == 0) out.push_back({at, from});
    }
    return out;
}

// The offsets of the value of every item named `item`.
std::vector<std::pair<size_t, size_t>> ItemValues(const std::string& text,
                                                  const std::string& item) {
    std::vector<std::pair<size_t, size_t>> out;
    const std::string name = "<Name>" + item + "</Name>";
    for (size_t at = text.find(name); at != std::string::npos; at = text.find(name, at + 1)) {
        const size_t v = text.find("<Value", at);
        const size_t end = text.find("</PARAM>", at);
        if (v == std::string::npos || end == std::string::npos || v > end) continue;
        if (text.compare(v, 8, "<Value/>") == 0) {
            out.push_back({v, 8});
            continue;
        }
        const size_t from = text.find('>', v) + 1;
        const size_t to = text.find("</Value>", from);
        if (to == std::string::npos || to > end) continue;
        out.push_back({from, to - from});
    }
    return out;
}

void SetValue(std::string& text, const std::pair<size_t, size_t>& at, const std::string& value) {
    if (text.compare(at.first, 8, "<Value/>") == 0)
        text.replace(at.first, at.second, "<Value>" + value + "</Value>");
    else
        text.replace(at.first, at.second, value);
}

template <class T> const T& Pick(const std::vector<T>& v, std::mt19937& rng) {
    return v[rng() % v.size()];
}

} // namespace

// One break of the demo project; returns what was done.
std::string BreakViewProject(std::string& text, std::mt19937& rng, TByteMutator& bytes) {
    static const std::vector<std::string> elements = {
        "OBJ",        "VisualClass", "SeriesAixs", "Serieses", "Series",   "LeftAixs",
        "BottomAixs", "PAGE",        "GVCPU",      "FIELDS",   "PARAMS",   "NODES",
        "PARAM",      "Properties",  "LogCons",    "Schema",   "PRJ",      "DISP",
        "GVDb",       "TimeMarks",   "COLUMNS",    "Addon",    "AEVObject"};
    static const std::vector<std::string> numbers = {
        "BinNum",       "Color",         "TypeSeries",   "Min",          "Max",        "TopLeftX",
        "TopLeftY",     "BottomRightX",  "BottomRightY", "CountCellsXY", "Scale",      "Length",
        "AngleXZ",      "Channel",       "TypeScale",    "BinNumType",   "Side",       "Height",
        "LogicalWidth", "LogicalHeight", "TypeRec",      "DeltaLength",  "BinSumType", "Width",
        "FontSize",     "PointSize",     "TypePoint",    "BegCoordX",    "MinValue",   "MaxValue"};
    static const std::vector<std::string> extremes = {
        "2147483647", "-2147483648", "4294967296", "99999999999999999999",
        "-1",         "0",           "nan",        "NAN",
        "inf",        "-inf",        "1e4000",     "-1e4000",
        "1,5e4000",   "1e-4000",     "1e308",      "",
        "abc",        "0x10",        "255",        "256",
        "65536",      "1000000",     "1048577",    "-0"};
    static const std::vector<std::string> texts = {"Title",  "Caption", "Name", "Legend",
                                                   "DbName", "Text",    "ID",   "ClassName"};
    std::string what;
    switch (rng() % 12) {
    case 0: {
        // Dropped element.
        const std::string name = Pick(elements, rng);
        const auto at = Elements(text, name);
        if (at.empty()) return "no element " + name;
        const auto [from, to] = Pick(at, rng);
        text.erase(from, to - from);
        return "element <" + name + "> at " + std::to_string(from) + " dropped";
    }
    case 1: {
        // Repeated element: twice, or a thousand times.
        const std::string name = Pick(elements, rng);
        const auto at = Elements(text, name);
        if (at.empty()) return "no element " + name;
        const auto [from, to] = Pick(at, rng);
        const int times = rng() % 3 == 0 ? 1000 : 2;
        const std::string block = text.substr(from, to - from);
        std::string copies;
        for (int i = 1; i < times; ++i)
            copies += block;
        text.insert(to, copies);
        return "element <" + name + "> at " + std::to_string(from) + " repeated " +
               std::to_string(times) + " times";
    }
    case 2: {
        // Reordered or swapped elements: two of the same name, or of two names.
        const std::string a = Pick(elements, rng);
        const std::string b = rng() % 2 ? a : Pick(elements, rng);
        const auto atA = Elements(text, a);
        const auto atB = Elements(text, b);
        if (atA.empty() || atB.empty()) return "no elements to swap";
        auto x = Pick(atA, rng);
        auto y = Pick(atB, rng);
        if (x.first > y.first) std::swap(x, y);
        if (x.second > y.first) return "nested elements not swapped";
        const std::string first = text.substr(x.first, x.second - x.first);
        const std::string second = text.substr(y.first, y.second - y.first);
        text.replace(y.first, second.size(), first);
        text.replace(x.first, first.size(), second);
        return "elements <" + a + "> and <" + b + "> swapped";
    }
    case 3:
    case 4: {
        // Huge, negative, NaN and out-of-range numbers in counts, ranges, geometry, colours.
        const std::string item = Pick(numbers, rng);
        const auto at = ItemValues(text, item);
        if (at.empty()) return "no item " + item;
        const std::string v = Pick(extremes, rng);
        const int n = rng() % 4 == 0 ? static_cast<int>(at.size()) : 1;
        const size_t first = rng() % at.size();
        // From the back, so the offsets stay right.
        for (int k = n - 1; k >= 0; --k)
            SetValue(text, at[(first + static_cast<size_t>(k)) % at.size()], v);
        return std::to_string(n) + " item(s) " + item + " := '" + v + "'";
    }
    case 5: {
        // Series of a graph multiplied.
        const auto at = Elements(text, "Series");
        if (at.empty()) return "no series";
        const auto [from, to] = Pick(at, rng);
        const int times = rng() % 2 ? 5000 : 300;
        const std::string block = text.substr(from, to - from);
        std::string copies;
        for (int i = 1; i < times; ++i)
            copies += block;
        text.insert(to, copies);
        return std::to_string(times) + " series";
    }
    case 6: {
        // Long strings.
        const std::string item = Pick(texts, rng);
        const auto at = ItemValues(text, item);
        if (at.empty()) return "no item " + item;
        const size_t size = rng() % 2 ? 10u << 20 : 70000;
        SetValue(text, Pick(at, rng), std::string(size, static_cast<char>('A' + rng() % 26)));
        return "item " + item + " := " + std::to_string(size) + " characters";
    }
    case 7: {
        // Bytes that windows-1251 leaves undefined, controls and stray high bytes in texts.
        const std::string item = Pick(texts, rng);
        const auto at = ItemValues(text, item);
        if (at.empty()) return "no item " + item;
        static const char* const odd[] = {"\x98",     "\x98\x98\xff\xfe", "\x01\x02\x1b",
                                          "\xc0\x80", "\xef\xbb\xbf",     "&#0;",
                                          "&#xD800;", "\x80\x81"};
        const std::string v = odd[rng() % std::size(odd)];
        SetValue(text, Pick(at, rng), "A" + v + "B");
        return "item " + item + " holds odd bytes";
    }
    case 8: {
        // Deep nesting: a few hundred levels, or a hundred thousand.
        const auto at = Elements(text, "NODES");
        if (at.empty()) return "no NODES";
        const size_t from = Pick(at, rng).first + 7;
        const int levels = rng() % 2 ? 100000 : 300;
        std::string open, close;
        for (int i = 0; i < levels; ++i) {
            open += "<OBJ><NODES>";
            close += "</NODES></OBJ>";
        }
        text.insert(from, open + close);
        return std::to_string(levels) + " nested levels";
    }
    case 9: {
        // Entity expansion and external entities.
        static const char* const doctypes[] = {
            "<!DOCTYPE PRJ_GV [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;"
            "&a;&a;\"><!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\"><!ENTITY d \"&c;&c;&c;&c;&c;"
            "&c;&c;&c;&c;&c;\"><!ENTITY e \"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\"><!ENTITY f \"&e;&e;"
            "&e;&e;&e;&e;&e;&e;&e;&e;\"><!ENTITY g \"&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;\">]>",
            "<!DOCTYPE PRJ_GV [<!ENTITY x SYSTEM \"file:///etc/passwd\">]>",
            "<!DOCTYPE PRJ_GV [<!ENTITY x SYSTEM \"/dev/zero\">]>",
            "<!DOCTYPE PRJ_GV SYSTEM \"http://127.0.0.1:9/x.dtd\">"};
        const size_t d = rng() % std::size(doctypes);
        const size_t decl = text.find("?>");
        if (decl == std::string::npos) return "no declaration";
        text.insert(decl + 2, doctypes[d]);
        const auto at = ItemValues(text, Pick(texts, rng));
        if (!at.empty()) SetValue(text, Pick(at, rng), d == 0 ? "&g;" : "&x;");
        return d == 0 ? "entity expansion" : "external entity";
    }
    default:
        text = bytes.Mutate(text, what);
        return "bytes: " + what;
    }
}

} // namespace vorelt::test
