#include "project/TIniApplic.h"

#include "persist/TFileWriter.h"
#include "persist/TNumberFormat.h"
#include "persist/TTextCodec.h"
#include "persist/TTextHelpers.h"
#include "persist/TXMLPersistentAEProject.h"

#include <filesystem>
#include <system_error>

namespace vorelt {

TIniFile::TSection* TIniFile::Find(std::string_view section) {
    const std::string name = Trim(section);
    for (TSection& s : FSections)
        if (SameText(s.Name, name)) return &s;
    return nullptr;
}

const TIniFile::TSection* TIniFile::Find(std::string_view section) const {
    return const_cast<TIniFile*>(this)->Find(section);
}

bool TIniFile::Load(std::string& error) {
    std::error_code ec;
    if (!std::filesystem::exists(FFileName, ec)) {
        FSections.clear();
        FModified = false;
        return true;
    }
    std::string bytes;
    if (!ReadWholeFile(FFileName, bytes, error)) return false;
    Parse(bytes);
    return true;
}

void TIniFile::Parse(std::string_view text) {
    FSections.clear();
    FModified = false;
    const std::string utf8 = Cp1251ToUtf8(text);
    TSection* current = nullptr;
    size_t start = 0;
    while (start <= utf8.size()) {
        size_t end = utf8.find_first_of("\r\n", start);
        if (end == std::string::npos) end = utf8.size();
        const std::string line = Trim(std::string_view(utf8).substr(start, end - start));
        start = end + 1;
        if (line.empty() || line[0] == ';') continue;
        if (line.front() == '[' && line.back() == ']') {
            const std::string name = Trim(line.substr(1, line.size() - 2));
            current = Find(name);
            if (!current) {
                FSections.push_back({name, {}});
                current = &FSections.back();
            }
            continue;
        }
        if (!current) continue;
        const size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        const std::string key = Trim(line.substr(0, eq));
        if (key.empty()) continue;
        bool present = false;
        for (const TKey& k : current->Keys)
            present = present || SameText(k.Name, key);
        if (!present) current->Keys.push_back({key, line.substr(eq + 1)});
    }
}

std::string TIniFile::Text() const {
    std::string out;
    for (const TSection& s : FSections) {
        out += "[" + s.Name + "]\r\n";
        for (const TKey& k : s.Keys)
            out += k.Name + "=" + k.Value + "\r\n";
        out += "\r\n";
    }
    return Utf8ToCp1251(out);
}

bool TIniFile::Save(std::string& error) const {
    if (!WriteFileAtomically(FFileName, Text(), error)) return false;
    const_cast<TIniFile*>(this)->FModified = false;
    return true;
}

bool TIniFile::SectionExists(std::string_view section) const {
    return Find(section) != nullptr;
}

bool TIniFile::ValueExists(std::string_view section, std::string_view key) const {
    const TSection* s = Find(section);
    if (!s) return false;
    const std::string k = Trim(key);
    for (const TKey& item : s->Keys)
        if (SameText(item.Name, k)) return true;
    return false;
}

std::string TIniFile::ReadString(std::string_view section, std::string_view key,
                                 const std::string& def) const {
    const TSection* s = Find(section);
    if (!s) return def;
    const std::string k = Trim(key);
    for (const TKey& item : s->Keys)
        if (SameText(item.Name, k)) return item.Value;
    return def;
}

void TIniFile::WriteString(std::string_view section, std::string_view key,
                           const std::string& value) {
    TSection* s = Find(section);
    if (!s) {
        FSections.push_back({Trim(section), {}});
        s = &FSections.back();
    }
    FModified = true;
    const std::string k = Trim(key);
    for (TKey& item : s->Keys)
        if (SameText(item.Name, k)) {
            item.Value = value;
            return;
        }
    s->Keys.push_back({k, value});
}

int32_t TIniFile::ReadInteger(std::string_view section, std::string_view key, int32_t def) const {
    int32_t n = 0;
    return TryStrToInt(Trim(ReadString(section, key, std::string())), n) ? n : def;
}

void TIniFile::WriteInteger(std::string_view section, std::string_view key, int32_t value) {
    WriteString(section, key, IntToStr(value));
}

void TIniFile::EraseSection(std::string_view section) {
    const std::string name = Trim(section);
    for (auto it = FSections.begin(); it != FSections.end(); ++it)
        if (SameText(it->Name, name)) {
            FSections.erase(it);
            FModified = true;
            return;
        }
}

void TIniFile::DeleteKey(std::string_view section, std::string_view key) {
    TSection* s = Find(section);
    if (!s) return;
    const std::string k = Trim(key);
    for (auto it = s->Keys.begin(); it != s->Keys.end(); ++it)
        if (SameText(it->Name, k)) {
            s->Keys.erase(it);
            FModified = true;
            return;
        }
}

std::vector<std::string> TIniFile::Sections() const {
    std::vector<std::string> names;
    for (const TSection& s : FSections)
        names.push_back(s.Name);
    return names;
}

std::vector<std::string> TIniFile::Keys(std::string_view section) const {
    std::vector<std::string> names;
    if (const TSection* s = Find(section))
        for (const TKey& k : s->Keys)
            names.push_back(k.Name);
    return names;
}

// --- TIniApplic -----------------------------------------------------------------------------

TIniApplic::TIniApplic(const std::string& appDir) : FAppDir(appDir) {
    if (!FAppDir.empty() && FAppDir.back() != '/' && FAppDir.back() != '\\') FAppDir += '/';
    FFile.SetFileName(FAppDir + SettingsFileName);
    FFile.Load(FLoadError);
}

TIniApplic::~TIniApplic() {
    std::string ignored;
    Flush(ignored);
}

bool TIniApplic::Flush(std::string& error) {
    if (FFlushed) return true;
    FFlushed = true;
    // Settings that could not be read are not overwritten with defaults.
    if (!FLoadError.empty()) {
        error = FLoadError;
        return false;
    }
    return FFile.Save(error);
}

void TIniApplic::WriteBounds(std::string_view section, int32_t top, int32_t left, int32_t height,
                             int32_t width) {
    FFile.WriteInteger(section, "TOP", top);
    FFile.WriteInteger(section, "LEFT", left);
    FFile.WriteInteger(section, "HEIGHT", height);
    FFile.WriteInteger(section, "WIDTH", width);
}

void TIniApplic::ReadBounds(std::string_view section, int32_t& top, int32_t& width, int32_t& height,
                            int32_t& left) const {
    top = FFile.ReadInteger(section, "TOP", top);
    width = FFile.ReadInteger(section, "WIDTH", width);
    height = FFile.ReadInteger(section, "HEIGHT", height);
    left = FFile.ReadInteger(section, "LEFT", left);
}

void TIniApplic::WriteInteger(std::string_view section, std::string_view key, int32_t value) {
    FFile.WriteInteger(section, key, value);
}

int32_t TIniApplic::ReadInteger(std::string_view section, std::string_view key, int32_t def) const {
    return FFile.ReadInteger(section, key, def);
}

void TIniApplic::WriteString(std::string_view section, std::string_view key,
                             const std::string& value) {
    FFile.WriteString(section, key, value);
}

std::string TIniApplic::ReadString(std::string_view section, std::string_view key,
                                   const std::string& def) const {
    return FFile.ReadString(section, key, def);
}

} // namespace vorelt
