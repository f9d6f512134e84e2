#pragma once
// The in-memory tree that every persistent object saves into and loads from; the XML store
// turns it into a project file and back.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vorelt {

struct RecParam {
    std::string Name;
    std::string Value;
    int Line = 0; // line of the value in the file it was read from; 0 when not read from one
};

class TNodePersist {
public:
    explicit TNodePersist(std::string name = {});
    TNodePersist(const TNodePersist&) = delete;
    TNodePersist& operator=(const TNodePersist&) = delete;

    const std::string& Name() const { return FName; }
    void SetName(std::string name) { FName = std::move(name); }
    TNodePersist* Parent() const { return FParent; }
    // Line of the node's element in the file it was read from; 0 when not read from one.
    int Line() const { return FLine; }
    void SetLine(int line) { FLine = line; }
    // "element \"Name\" at line N" (without the line when it is not known), for refusals.
    std::string Where() const;

    TNodePersist* AddNode(std::string name);
    // Takes over a detached subtree (used to keep nodes that no loaded class understood).
    TNodePersist* AdoptNode(std::unique_ptr<TNodePersist> node);
    void AddItem(std::string name, std::string value, int line = 0);
    // Detaches child i and hands it over; none when i is outside.
    std::unique_ptr<TNodePersist> TakeNode(int i);

    // Names compare trimmed and without regard to case; the first match wins.
    std::string GetValue(std::string_view name) const;
    int IndexOfItem(std::string_view name) const;
    TNodePersist* FindNode(std::string_view name) const;
    int IndexOfNode(std::string_view name) const;

    int NodeCount() const { return static_cast<int>(FNodes.size()); }
    TNodePersist* Node(int i) const;
    int ItemCount() const { return static_cast<int>(FItems.size()); }
    std::string ItemName(int i) const;
    std::string ItemValue(int i) const;
    const std::vector<RecParam>& Items() const { return FItems; }

    void ClearNodes() { FNodes.clear(); }
    void ClearItems() { FItems.clear(); }
    void Clear() {
        ClearNodes();
        ClearItems();
    }

    // Deep copy of this node and its subtree, without parent.
    std::unique_ptr<TNodePersist> CloneTree() const;
    void CopyFrom(const TNodePersist& other);
    bool SameTree(const TNodePersist& other) const;

private:
    std::string FName;
    TNodePersist* FParent = nullptr;
    int FLine = 0;
    std::vector<std::unique_ptr<TNodePersist>> FNodes;
    std::vector<RecParam> FItems;
};

} // namespace vorelt
