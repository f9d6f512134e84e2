#include "persist/TNodeLookups.h"

#include "persist/TErrors.h"
#include "persist/TNodePersist.h"
#include "persist/TNumberFormat.h"
#include "persist/TTextHelpers.h"

#include <array>
#include <unordered_set>

namespace vorelt {

namespace {

struct TLookup {
    const TNodePersist* Node = nullptr;
    int Item = -1;
};

// Loaders convert a value right after reading it, or after a few more reads of the same
// element: the last few dozen reads are enough to find it.
constexpr size_t RingSize = 64;

struct TRing {
    std::array<TLookup, RingSize> Entries{};
    size_t Next = 0;
};

thread_local TRing Ring;

void CollectNodes(const TNodePersist& node, std::unordered_set<const TNodePersist*>& out) {
    out.insert(&node);
    for (int i = 0; i < node.NodeCount(); ++i)
        CollectNodes(*node.Node(i), out);
}

// The value between the quotes that begin a conversion error's text; false for other texts.
bool QuotedValue(const std::string& text, std::string& value) {
    if (text.empty() || text[0] != '\'') return false;
    const size_t end = text.find("' is not a valid ");
    if (end == std::string::npos) return false;
    value = text.substr(1, end - 1);
    return true;
}

std::string ExpectedOf(const EConvertError& e) {
    if (!e.Expected().empty()) return e.Expected();
    const std::string text = e.what();
    if (text.find("integer value") != std::string::npos) return "an integer";
    if (text.find("floating point value") != std::string::npos) return "a number";
    if (text.find("boolean value") != std::string::npos) return "a boolean value";
    return {};
}

} // namespace

void TNodeLookups::Start() {
    Ring = TRing{};
}

void TNodeLookups::Note(const TNodePersist& node, int item) {
    Ring.Entries[Ring.Next % RingSize] = {&node, item};
    ++Ring.Next;
}

std::string TNodeLookups::Explain(const std::exception& e, const TNodePersist& root) {
    std::string text = e.what();
    const auto* convert = dynamic_cast<const EConvertError*>(&e);
    std::string value;
    if (!convert || !QuotedValue(text, value)) return text;
    // Only nodes of this tree are looked at: others may have gone since they were read.
    std::unordered_set<const TNodePersist*> nodes;
    CollectNodes(root, nodes);
    const size_t count = std::min(Ring.Next, RingSize);
    for (size_t k = 1; k <= count; ++k) {
        const TLookup& l = Ring.Entries[(Ring.Next - k) % RingSize];
        if (!nodes.count(l.Node) || l.Item < 0 || l.Item >= l.Node->ItemCount()) continue;
        const RecParam& item = l.Node->Items()[static_cast<size_t>(l.Item)];
        if (item.Value != value) continue;
        if (!convert->Item().empty() && !SameText(Trim(item.Name), convert->Item())) continue;
        text += ": item \"" + item.Name + "\" of element \"" + l.Node->Name() + "\"";
        const int line = item.Line > 0 ? item.Line : l.Node->Line();
        if (line > 0) text += " at line " + std::to_string(line);
        const std::string expected = ExpectedOf(*convert);
        if (!expected.empty()) text += " expects " + expected;
        return text;
    }
    return text;
}

} // namespace vorelt
