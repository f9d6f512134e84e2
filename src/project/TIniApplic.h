#pragma once
// Application-wide settings: the settings file "vorelt.ini" in the user's configuration folder,
// held in memory.
// It is read once when the object is created and written back once (atomically) when the
// program ends; in between every read and write goes to memory. Sections and keys compare
// without regard to case and keep the order of their first appearance; a section or key that
// occurs twice in the file is one entry (the first value of a key wins).

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vorelt {

class TIniFile {
public:
    TIniFile() = default;
    explicit TIniFile(std::string fileName) : FFileName(std::move(fileName)) {}

    const std::string& FileName() const { return FFileName; }
    void SetFileName(std::string fileName) { FFileName = std::move(fileName); }

    // Replaces the content with the file's; a missing file gives empty settings. False with
    // the system's text when the file exists but cannot be read.
    bool Load(std::string& error);
    // Replaces the content with settings text (windows-1251, any line ends).
    void Parse(std::string_view text);
    // The file's text (windows-1251, CR LF line ends).
    std::string Text() const;
    // Writes the file through a temporary file and a rename; the old file stays on failure.
    bool Save(std::string& error) const;

    bool SectionExists(std::string_view section) const;
    bool ValueExists(std::string_view section, std::string_view key) const;
    std::string ReadString(std::string_view section, std::string_view key,
                           const std::string& def) const;
    void WriteString(std::string_view section, std::string_view key, const std::string& value);
    // The default when the key is absent or its value is not a number.
    int32_t ReadInteger(std::string_view section, std::string_view key, int32_t def) const;
    void WriteInteger(std::string_view section, std::string_view key, int32_t value);
    void EraseSection(std::string_view section);
    void DeleteKey(std::string_view section, std::string_view key);
    std::vector<std::string> Sections() const;
    std::vector<std::string> Keys(std::string_view section) const;
    // Any write since the last Load, Parse or Save.
    bool Modified() const { return FModified; }

private:
    struct TKey {
        std::string Name;
        std::string Value;
    };
    struct TSection {
        std::string Name;
        std::vector<TKey> Keys;
    };
    TSection* Find(std::string_view section);
    const TSection* Find(std::string_view section) const;

    std::string FFileName;
    std::vector<TSection> FSections;
    bool FModified = false;
};

class TIniApplic {
public:
    static constexpr const char* Version = "1.00 ( Build 1.00 )";
    static constexpr const char* Title = "Vorelt";
    static constexpr const char* SettingsFileName = "vorelt.ini";

    // `appDir`: the folder of the settings file (the user's configuration folder in the
    // application); the settings file is read from it now.
    explicit TIniApplic(const std::string& appDir);
    // Writes the settings back unless Flush already did.
    ~TIniApplic();
    TIniApplic(const TIniApplic&) = delete;
    TIniApplic& operator=(const TIniApplic&) = delete;

    // With a trailing separator.
    const std::string& AppDir() const { return FAppDir; }
    // Why the file could not be read at start; empty when all was well.
    const std::string& LoadError() const { return FLoadError; }
    TIniFile& File() { return FFile; }

    void WriteBounds(std::string_view section, int32_t top, int32_t left, int32_t height,
                     int32_t width);
    // Each value keeps the caller's current one when the key is absent.
    void ReadBounds(std::string_view section, int32_t& top, int32_t& width, int32_t& height,
                    int32_t& left) const;
    void WriteInteger(std::string_view section, std::string_view key, int32_t value);
    int32_t ReadInteger(std::string_view section, std::string_view key, int32_t def) const;
    void WriteString(std::string_view section, std::string_view key, const std::string& value);
    std::string ReadString(std::string_view section, std::string_view key,
                           const std::string& def) const;

    // The single write of the settings file; later calls and the destructor write nothing.
    bool Flush(std::string& error);

private:
    std::string FAppDir;
    std::string FLoadError;
    TIniFile FFile;
    bool FFlushed = false;
};

} // namespace vorelt
