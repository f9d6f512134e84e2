#pragma once
// The XML project file: a fixed frame (declaration, "PRJ_GV", "AEPROJECTFILE" with the version
// text) and below "ParamPRG" the nodes "PRJ", "DISP" and "GVDb" of the persistence tree.
// Files are encoded in windows-1251.

#include <cstddef>
#include <cstdint>
#include <string>

namespace vorelt {

class TNodePersist;

class IPersistentAEProject {
public:
    virtual ~IPersistentAEProject() = default;
    // Writes the whole file; on failure the previous file stays as it was.
    virtual bool SaveToFile(const std::string& fileName, const TNodePersist& root,
                            std::string& error) = 0;
    // False with error "Not Project File Type" and the reason (the parser's, with line and
    // column, or the missing "AEPROJECTFILE") for a file that is no project; false with the
    // system's text ("No such file or directory", "is a named pipe") for one that cannot be
    // read.
    virtual bool LoadFromFile(const std::string& fileName, TNodePersist& root, bool writeFrameFirst,
                              std::string& error) = 0;
};

class TXMLPersistentAEProject : public IPersistentAEProject {
public:
    // What a project file may hold. Real projects nest a few dozen levels (processors, their
    // views, conditions, pipe schemas) and hold short texts; a file beyond these limits is
    // refused with the element, its line and the limit, before any object is built from it.
    static constexpr int MaxNodeDepth = 256;
    static constexpr size_t MaxTextLength = 65536; // characters of one name or value
    static constexpr size_t MaxFileSize = size_t(32) << 20;
    static constexpr const char* Declaration =
        "<?xml version=\"1.0\" encoding=\"windows-1251\" standalone=\"yes\"?>";
    static constexpr const char* VersionText = "1.00 ( Build 1.00 )";

    bool SaveToFile(const std::string& fileName, const TNodePersist& root,
                    std::string& error) override;
    bool LoadFromFile(const std::string& fileName, TNodePersist& root, bool writeFrameFirst,
                      std::string& error) override;
    // Creates or overwrites the file with the empty frame.
    bool WriteFrame(const std::string& fileName, std::string& error);

    // The bytes SaveToFile writes (windows-1251), for callers that store elsewhere.
    static std::string Serialize(const TNodePersist& root);
    // Parses file bytes into root; same results as LoadFromFile. A section ("PRJ", "DISP",
    // "GVDb") that comes twice, nodes nested deeper than MaxNodeDepth and texts longer than
    // MaxTextLength are refused.
    static bool Parse(const std::string& bytes, TNodePersist& root, std::string& error);
};

// Reads a regular file; one larger than `limit` bytes is refused without reading it all.
bool ReadWholeFile(const std::string& fileName, std::string& bytes, std::string& error,
                   size_t limit = SIZE_MAX);

} // namespace vorelt
