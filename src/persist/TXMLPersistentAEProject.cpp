#include "persist/TXMLPersistentAEProject.h"

#include "persist/TFileCheck.h"
#include "persist/TFileWriter.h"
#include "persist/TNodePersist.h"
#include "persist/TTextCodec.h"

#include <pugixml.hpp>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <iterator>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace vorelt {

namespace {

const char* const kSections[] = {"PRJ", "DISP", "GVDb"};

void AppendEscaped(std::string& out, const std::string& text) {
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        // A raw CR would be folded into a line end by any reader.
        case '\r':
            out += "&#13;";
            break;
        default:
            out += c;
        }
    }
}

void Indent(std::string& out, int depth) {
    out.append(size_t(depth), '\t');
}

void TextElement(std::string& out, int depth, const char* name, const std::string& text) {
    Indent(out, depth);
    if (text.empty()) {
        out += "<";
        out += name;
        out += "/>\r\n";
        return;
    }
    out += "<";
    out += name;
    out += ">";
    AppendEscaped(out, text);
    out += "</";
    out += name;
    out += ">\r\n";
}

void WriteNode(std::string& out, const TNodePersist& node, int depth) {
    Indent(out, depth);
    out += "<" + node.Name() + ">\r\n";
    if (node.ItemCount() == 0) {
        Indent(out, depth + 1);
        out += "<PARAMS/>\r\n";
    } else {
        Indent(out, depth + 1);
        out += "<PARAMS>\r\n";
        for (const RecParam& p : node.Items()) {
            Indent(out, depth + 2);
            out += "<PARAM>\r\n";
            TextElement(out, depth + 3, "Name", p.Name);
            TextElement(out, depth + 3, "Value", p.Value);
            Indent(out, depth + 2);
            out += "</PARAM>\r\n";
        }
        Indent(out, depth + 1);
        out += "</PARAMS>\r\n";
    }
    if (node.NodeCount() == 0) {
        Indent(out, depth + 1);
        out += "<NODES/>\r\n";
    } else {
        Indent(out, depth + 1);
        out += "<NODES>\r\n";
        for (int i = 0; i < node.NodeCount(); ++i)
            WriteNode(out, *node.Node(i), depth + 2);
        Indent(out, depth + 1);
        out += "</NODES>\r\n";
    }
    Indent(out, depth);
    out += "</" + node.Name() + ">\r\n";
}

// Lines and columns of offsets into the parsed text, for messages that point into the file.
class TLineMap {
public:
    explicit TLineMap(const std::string& text) {
        for (size_t i = 0; i < text.size(); ++i)
            if (text[i] == '\n') FStarts.push_back(i + 1);
    }
    // 1-based line of an offset; 0 for an offset the parser does not know.
    int Line(ptrdiff_t offset) const {
        if (offset < 0) return 0;
        // FStarts[0] is 0: the count of line starts at or before the offset is the line.
        return static_cast<int>(
            std::upper_bound(FStarts.begin(), FStarts.end(), static_cast<size_t>(offset)) -
            FStarts.begin());
    }
    // 1-based column in characters of UTF-8 text.
    int Column(const std::string& text, ptrdiff_t offset) const {
        const int line = Line(offset);
        size_t at = line > 0 ? FStarts[static_cast<size_t>(line - 1)] : 0;
        int column = 1;
        for (; at < static_cast<size_t>(offset) && at < text.size(); ++at)
            if ((static_cast<unsigned char>(text[at]) & 0xC0) != 0x80) ++column;
        return column;
    }

private:
    std::vector<size_t> FStarts{0};
};

// A refusal of what the file holds: the element, its line and what was expected there.
class EBadProject : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

std::string Where(const pugi::xml_node& element, const TLineMap& lines) {
    return "element \"" + std::string(element.name()).substr(0, 64) + "\" at line " +
           std::to_string(lines.Line(element.offset_debug()));
}

// Characters of UTF-8 text.
size_t Characters(const char* text) {
    size_t n = 0;
    for (const char* c = text; *c; ++c)
        if ((static_cast<unsigned char>(*c) & 0xC0) != 0x80) ++n;
    return n;
}

// `subject` () names the element or item, and the line of the text; it is called only for a
// text that is refused.
template <class F> void CheckText(const char* text, F subject) {
    // Cheap test first: bytes are at least as many as characters.
    if (std::strlen(text) <= TXMLPersistentAEProject::MaxTextLength) return;
    const size_t n = Characters(text);
    if (n <= TXMLPersistentAEProject::MaxTextLength) return;
    throw EBadProject("a text of " + std::to_string(n) + " characters: " + subject() +
                      " expects at most " + std::to_string(TXMLPersistentAEProject::MaxTextLength) +
                      " characters");
}

std::string ItemAt(const char* name, const pugi::xml_node& element, const pugi::xml_node& at,
                   const TLineMap& lines) {
    return "item \"" + std::string(name).substr(0, 64) + "\" of element \"" + element.name() +
           "\" at line " + std::to_string(lines.Line(at.offset_debug()));
}

// Depth counts nodes: a section is at depth 1, a node in its "NODES" at depth 2. The depth is
// checked before going down, so a file nested a hundred thousand levels deep costs no stack.
void ReadElement(const pugi::xml_node& element, TNodePersist& parent, const TLineMap& lines,
                 int depth) {
    if (depth > TXMLPersistentAEProject::MaxNodeDepth)
        throw EBadProject("nodes nested too deep: " + Where(element, lines) + " expects at most " +
                          std::to_string(TXMLPersistentAEProject::MaxNodeDepth) +
                          " levels of nodes");
    CheckText(element.name(), [&] { return Where(element, lines) + " (its name)"; });
    TNodePersist* node = parent.AddNode(element.name());
    node->SetLine(lines.Line(element.offset_debug()));
    for (pugi::xml_node child = element.first_child(); child; child = child.next_sibling()) {
        if (child.type() != pugi::node_element) continue;
        if (std::strcmp(child.name(), "PARAMS") == 0) {
            for (pugi::xml_node p = child.first_child(); p; p = p.next_sibling()) {
                if (p.type() != pugi::node_element || std::strcmp(p.name(), "PARAM") != 0) continue;
                pugi::xml_node name = p.child("Name");
                if (!name) continue;
                const pugi::xml_node value = p.child("Value");
                CheckText(name.child_value(), [&] {
                    return "the name of an item of element \"" +
                           std::string(element.name()).substr(0, 64) + "\" at line " +
                           std::to_string(lines.Line(name.offset_debug()));
                });
                if (value)
                    CheckText(value.child_value(),
                              [&] { return ItemAt(name.child_value(), element, value, lines); });
                node->AddItem(name.child_value(), value.child_value(),
                              lines.Line(value ? value.offset_debug() : p.offset_debug()));
            }
        } else if (std::strcmp(child.name(), "NODES") == 0) {
            for (pugi::xml_node c = child.first_child(); c; c = c.next_sibling())
                if (c.type() == pugi::node_element) ReadElement(c, *node, lines, depth + 1);
        }
    }
}

std::string FrameText() {
    std::string s = TXMLPersistentAEProject::Declaration;
    s += "\r\n<PRJ_GV>\r\n<AEPROJECTFILE>\r\n";
    s += TXMLPersistentAEProject::VersionText;
    s += "\r\n</AEPROJECTFILE>\r\n</PRJ_GV>\r\n";
    return s;
}

bool DeclaresUtf8(const std::string& bytes) {
    size_t end = bytes.find("?>");
    if (bytes.compare(0, 5, "<?xml") != 0 || end == std::string::npos) return false;
    std::string decl = bytes.substr(0, end);
    for (char& c : decl)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return decl.find("utf-8") != std::string::npos;
}

} // namespace

std::string TXMLPersistentAEProject::Serialize(const TNodePersist& root) {
    std::string out = Declaration;
    out += "\r\n<PRJ_GV>\r\n";
    out += "\t<AEPROJECTFILE>";
    out += VersionText;
    out += "</AEPROJECTFILE>\r\n";
    out += "\t<" + root.Name() + ">\r\n";
    for (const char* section : kSections) {
        // Exact names: the store writes what the project put there.
        for (int i = 0; i < root.NodeCount(); ++i) {
            if (root.Node(i)->Name() == section) {
                WriteNode(out, *root.Node(i), 2);
                break;
            }
        }
    }
    out += "\t</" + root.Name() + ">\r\n";
    out += "</PRJ_GV>\r\n";
    return Utf8ToCp1251(out);
}

bool TXMLPersistentAEProject::Parse(const std::string& bytes, TNodePersist& root,
                                    std::string& error) {
    std::string utf8 = DeclaresUtf8(bytes) ? bytes : Cp1251ToUtf8(bytes);
    pugi::xml_document doc;
    pugi::xml_parse_result result =
        doc.load_buffer(utf8.data(), utf8.size(),
                        pugi::parse_default | pugi::parse_ws_pcdata_single, pugi::encoding_utf8);
    const TLineMap lines(utf8);
    if (!result) {
        error = std::string("Not Project File Type: XML error: ") + result.description() +
                " at line " + std::to_string(lines.Line(result.offset)) + ", column " +
                std::to_string(lines.Column(utf8, result.offset));
        return false;
    }
    pugi::xml_node top = doc.document_element();
    pugi::xml_node version = top.child("AEPROJECTFILE");
    std::string versionText = version ? version.child_value() : "";
    bool blank = true;
    for (char c : versionText)
        if (!std::isspace(static_cast<unsigned char>(c))) blank = false;
    if (!top) {
        error = "Not Project File Type: no XML element in the file";
        return false;
    }
    if (!version || blank) {
        error = std::string("Not Project File Type: ") +
                (version ? "the element \"AEPROJECTFILE\" is empty"
                         : "no element \"AEPROJECTFILE\" in \"" + std::string(top.name()) + "\"");
        return false;
    }
    pugi::xml_node param = top.child("ParamPRG");
    // A refused file leaves the root as it was.
    TNodePersist incoming(root.Name());
    try {
        pugi::xml_node seen[std::size(kSections)];
        for (pugi::xml_node c = param.first_child(); c; c = c.next_sibling()) {
            if (c.type() != pugi::node_element) continue;
            for (size_t k = 0; k < std::size(kSections); ++k) {
                if (std::strcmp(c.name(), kSections[k]) != 0) continue;
                // A second copy would be read and ignored: what it holds is no project.
                if (seen[k])
                    throw EBadProject("a section that comes twice: " + Where(c, lines) +
                                      " expects one \"" + kSections[k] +
                                      "\", and there is one at line " +
                                      std::to_string(lines.Line(seen[k].offset_debug())));
                seen[k] = c;
                ReadElement(c, incoming, lines, 1);
            }
        }
    } catch (const EBadProject& e) {
        error = e.what();
        return false;
    }
    while (incoming.NodeCount() > 0)
        root.AdoptNode(incoming.TakeNode(0));
    return true;
}

bool TXMLPersistentAEProject::SaveToFile(const std::string& fileName, const TNodePersist& root,
                                         std::string& error) {
    return WriteFileAtomically(fileName, Serialize(root), error);
}

bool TXMLPersistentAEProject::WriteFrame(const std::string& fileName, std::string& error) {
    return WriteFileAtomically(fileName, FrameText(), error);
}

bool TXMLPersistentAEProject::LoadFromFile(const std::string& fileName, TNodePersist& root,
                                           bool writeFrameFirst, std::string& error) {
    if (writeFrameFirst && !WriteFrame(fileName, error)) return false;
    std::string bytes;
    if (!ReadWholeFile(fileName, bytes, error, MaxFileSize)) return false;
    return Parse(bytes, root, error);
}

bool ReadWholeFile(const std::string& fileName, std::string& bytes, std::string& error,
                   size_t limit) {
    // Only a regular file: a named pipe would wait for a writer, a device would never end.
    std::string reason;
    const int fd = OpenRegularFile(fileName, 0, reason);
    if (fd < 0) {
        error = reason;
        return false;
    }
    FILE* f = ::fdopen(fd, "rb");
    if (!f) {
        error = std::strerror(errno);
        ::close(fd);
        return false;
    }
    bytes.clear();
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) {
        if (n > limit - std::min(limit, bytes.size())) {
            std::fclose(f);
            error = "the file holds more than " + std::to_string(limit) + " bytes: at most " +
                    std::to_string(limit) + " bytes expected";
            return false;
        }
        bytes.append(buf, n);
    }
    bool bad = std::ferror(f) != 0;
    std::fclose(f);
    if (bad) {
        error = "Cannot read file \"" + fileName + "\"";
        return false;
    }
    return true;
}

} // namespace vorelt
