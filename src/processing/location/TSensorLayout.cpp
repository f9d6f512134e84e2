#include "processing/location/TSensorLayout.h"

#include "persist/TNodePersist.h"
#include "persist/TNumberFormat.h"
#include "persist/TTextHelpers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <fstream>
#include <sstream>

namespace vorelt {

namespace {

bool ReadDecimal(std::string_view s, double& out) {
    long double x = 0;
    if (!TryStrToFloat(s, x) || !std::isfinite(static_cast<double>(x))) return false;
    out = static_cast<double>(x);
    return true;
}

std::vector<std::string_view> SplitFields(std::string_view line) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    for (;;) {
        const size_t at = line.find(';', start);
        parts.push_back(TrimView(line.substr(start, at - start)));
        if (at == std::string_view::npos) return parts;
        start = at + 1;
    }
}

} // namespace

std::string CoordText(double x) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, x);
    return std::string(buf, r.ptr);
}

const TSensor* TSensorLayout::Find(int32_t chan) const {
    auto it = std::lower_bound(FSensors.begin(), FSensors.end(), chan,
                               [](const TSensor& s, int32_t c) { return s.Chan < c; });
    return it != FSensors.end() && it->Chan == chan ? &*it : nullptr;
}

bool TSensorLayout::Add(const TSensor& sensor, std::string& error, int32_t maxChannel) {
    if (sensor.Chan < 1 || sensor.Chan > maxChannel) {
        error = "Invalid Channel " + IntToStr(sensor.Chan);
        return false;
    }
    if (!std::isfinite(sensor.X) || !std::isfinite(sensor.Y) || !std::isfinite(sensor.Z) ||
        !std::isfinite(sensor.Along)) {
        error = "Invalid Coordinate of Channel " + IntToStr(sensor.Chan);
        return false;
    }
    auto it = std::lower_bound(FSensors.begin(), FSensors.end(), sensor.Chan,
                               [](const TSensor& s, int32_t c) { return s.Chan < c; });
    if (it != FSensors.end() && it->Chan == sensor.Chan) {
        error = "Duplicate Channel " + IntToStr(sensor.Chan);
        return false;
    }
    FSensors.insert(it, sensor);
    return true;
}

bool TSensorLayout::Remove(int32_t chan) {
    auto it = std::find_if(FSensors.begin(), FSensors.end(),
                           [&](const TSensor& s) { return s.Chan == chan; });
    if (it == FSensors.end()) return false;
    FSensors.erase(it);
    return true;
}

bool TSensorLayout::SetVelocity(double metresPerSecond, std::string& error) {
    if (!std::isfinite(metresPerSecond) || metresPerSecond <= 0) {
        error = "Invalid Velocity";
        return false;
    }
    FVelocity = metresPerSecond;
    return true;
}

double TSensorLayout::CrossingTimeUs() const {
    double widest = 0;
    for (size_t i = 0; i < FSensors.size(); ++i)
        for (size_t j = i + 1; j < FSensors.size(); ++j) {
            const TSensor& a = FSensors[i];
            const TSensor& b = FSensors[j];
            double d = std::hypot(a.X - b.X, a.Y - b.Y, a.Z - b.Z);
            if (!a.Pipe.empty() && a.Pipe == b.Pipe) d = std::max(d, std::abs(a.Along - b.Along));
            widest = std::max(widest, d);
        }
    return widest / VelocityMmPerUs();
}

bool TSensorLayout::ParseCsv(std::string_view text, const std::string& fileName, std::string& error,
                             int32_t maxChannel) {
    TSensorLayout read = *this;
    read.FSensors.clear();
    int lineNo = 0;
    size_t start = 0;
    auto fail = [&](const std::string& why) {
        error = fileName + ", line " + IntToStr(lineNo) + ": " + why;
        return false;
    };
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (lineNo == 1 && line.size() >= 3 && line.substr(0, 3) == "\xEF\xBB\xBF")
            line.remove_prefix(3);
        if (TrimView(line).empty()) continue;
        const std::vector<std::string_view> f = SplitFields(line);
        int32_t chan = 0;
        if (!TryStrToInt(f[0], chan)) {
            // A header names its columns; anything else that is no channel is a fault.
            if (lineNo == 1 && SameText(f[0], "Chan")) continue;
            return fail("the channel \"" + std::string(f[0]) + "\" is not a number");
        }
        if (f.size() < 3 || f.size() > 4)
            return fail("expected Chan;X;Y or Chan;X;Y;Z, found " + IntToStr(int64_t(f.size())) +
                        " fields");
        TSensor s;
        s.Chan = chan;
        double* coords[] = {&s.X, &s.Y, &s.Z};
        for (size_t k = 1; k < f.size(); ++k)
            if (!ReadDecimal(f[k], *coords[k - 1]))
                return fail("\"" + std::string(f[k]) + "\" is not a number");
        std::string why;
        if (!read.Add(s, why, maxChannel)) return fail(why);
    }
    if (read.FSensors.empty()) {
        error = fileName + ": no sensors";
        return false;
    }
    FSensors = std::move(read.FSensors);
    return true;
}

bool TSensorLayout::ReadCsv(const std::string& fileName, std::string& error, int32_t maxChannel) {
    std::ifstream in(fileName, std::ios::binary);
    if (!in) {
        error = fileName + ": the file could not be opened";
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    return ParseCsv(text.str(), fileName, error, maxChannel);
}

std::string TSensorLayout::CsvText() const {
    std::string out = "Chan;X;Y;Z\n";
    for (const TSensor& s : FSensors)
        out += IntToStr(s.Chan) + ";" + CoordText(s.X) + ";" + CoordText(s.Y) + ";" +
               CoordText(s.Z) + "\n";
    return out;
}

bool TSensorLayout::WriteCsv(const std::string& fileName, std::string& error) const {
    std::ofstream out(fileName, std::ios::binary | std::ios::trunc);
    const std::string text = CsvText();
    if (out) out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    if (!out) {
        error = fileName + ": the file could not be written";
        return false;
    }
    return true;
}

void TSensorLayout::SaveToNode(TNodePersist& node) const {
    node.AddItem("Velocity", CoordText(FVelocity));
    node.AddItem("Method", IntToStr(static_cast<int>(FMethod)));
    node.AddItem("Arrival", IntToStr(static_cast<int>(FArrival)));
    for (const TSensor& s : FSensors) {
        TNodePersist* n = node.AddNode("SENSOR");
        n->AddItem("Chan", IntToStr(s.Chan));
        n->AddItem("X", CoordText(s.X));
        n->AddItem("Y", CoordText(s.Y));
        n->AddItem("Z", CoordText(s.Z));
        if (!s.Pipe.empty()) {
            n->AddItem("Pipe", s.Pipe);
            n->AddItem("Along", CoordText(s.Along));
        }
    }
}

void TSensorLayout::LoadFromNode(const TNodePersist& node) {
    *this = TSensorLayout();
    double v = 0;
    std::string ignored;
    if (ReadDecimal(node.GetValue("Velocity"), v)) SetVelocity(v, ignored);
    int32_t n = 0;
    if (TryStrToInt(node.GetValue("Method"), n) && (n == 0 || n == 1))
        FMethod = static_cast<TLocMethod>(n);
    if (TryStrToInt(node.GetValue("Arrival"), n) && (n == 0 || n == 1))
        FArrival = static_cast<TArrivalSource>(n);
    for (int i = 0; i < node.NodeCount(); ++i) {
        const TNodePersist& item = *node.Node(i);
        if (!SameText(item.Name(), "SENSOR")) continue;
        TSensor s;
        if (!TryStrToInt(item.GetValue("Chan"), s.Chan) || !ReadDecimal(item.GetValue("X"), s.X) ||
            !ReadDecimal(item.GetValue("Y"), s.Y))
            continue;
        ReadDecimal(item.GetValue("Z"), s.Z);
        s.Pipe = item.GetValue("Pipe");
        if (!s.Pipe.empty()) ReadDecimal(item.GetValue("Along"), s.Along);
        Add(s, ignored);
    }
}

bool TSensorLayout::operator==(const TSensorLayout& other) const {
    if (FVelocity != other.FVelocity || FMethod != other.FMethod || FArrival != other.FArrival ||
        FSensors.size() != other.FSensors.size())
        return false;
    for (size_t i = 0; i < FSensors.size(); ++i) {
        const TSensor& a = FSensors[i];
        const TSensor& b = other.FSensors[i];
        if (a.Chan != b.Chan || a.X != b.X || a.Y != b.Y || a.Z != b.Z || a.Pipe != b.Pipe ||
            a.Along != b.Along)
            return false;
    }
    return true;
}

} // namespace vorelt
