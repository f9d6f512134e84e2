#pragma once
// The test-program graph of the database processor as the processing core sees it. The visual
// layer builds the real graph (through TGVDb's factory); without it the database processor
// keeps a stand-in that holds the saved graph verbatim, so that opening and saving a project
// headless loses none of its settings.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vorelt {

class IIDGenerator;
class TNodePersist;

class ITestGraph {
public:
    virtual ~ITestGraph() = default;
    // Drops the graph's series and drawn content (data or deletions changed).
    virtual void Empty() = 0;
    // Re-applies colours, fonts and captions after a settings change.
    virtual void RefreshAppearance() = 0;
    // One line per use of the field by the graph; lines already present are not repeated.
    virtual void CollectFieldUses(std::string_view id, std::vector<std::string>& lines) const = 0;
    virtual bool UsesField(std::string_view id) const = 0;
    // Forgets every reference to the field.
    virtual void RemoveField(std::string_view id) = 0;
    // False when the graph carries this ID (its own or one of its objects').
    virtual bool IsIDFree(std::string_view id) const = 0;
    virtual void AssignIDs(bool renew, IIDGenerator& generator) = 0;
    // The vertical range of the test load line: the bounds of the graph's right axis.
    virtual long double GetLoadMin() const = 0;
    virtual long double GetLoadMax() const = 0;
    virtual void SetLoadMin(long double value) = 0;
    virtual void SetLoadMax(long double value) = 0;
    virtual void SaveToNode(TNodePersist& node) const = 0;
    virtual void LoadFromNode(const TNodePersist& node) = 0;
};

// The stand-in without a visual layer: whatever the project file held under "TestGraph" is
// written back unchanged. A field counts as used when the saved graph mentions its ID.
class TSavedTestGraph : public ITestGraph {
public:
    TSavedTestGraph();
    ~TSavedTestGraph() override;

    void Empty() override {}
    void RefreshAppearance() override {}
    void CollectFieldUses(std::string_view id, std::vector<std::string>& lines) const override;
    bool UsesField(std::string_view id) const override;
    // The saved settings cannot be edited without the graph: the reference stays, and the
    // graph drops it when a visual layer loads it again.
    void RemoveField(std::string_view) override {}
    bool IsIDFree(std::string_view id) const override { return !UsesField(id); }
    void AssignIDs(bool, IIDGenerator&) override {}
    long double GetLoadMin() const override { return 0; }
    long double GetLoadMax() const override { return 0; }
    void SetLoadMin(long double) override {}
    void SetLoadMax(long double) override {}
    void SaveToNode(TNodePersist& node) const override;
    void LoadFromNode(const TNodePersist& node) override;

    bool HasSavedNode() const { return FNode != nullptr; }

private:
    std::unique_ptr<TNodePersist> FNode;
};

} // namespace vorelt
