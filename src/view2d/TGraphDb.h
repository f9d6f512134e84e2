#pragma once
// The database processor's test graph: a graph view that reads the records of the database
// itself rather than of a graph processor's branch. It carries no check button, tells the
// database (not a graph processor) when its settings change, and offers a short popup menu:
// the zoom commands, and "Graph Settings" and "Reload Data" when the test program window
// assigns them. Its right axis holds the load bounds of the test load line.

#include "processing/db/ITestGraph.h"
#include "processing/filter/ILCOwner.h"
#include "view2d/TGraphVC.h"

#include <functional>

namespace vorelt {

class TGVDb;

class TGraphDb : public TGraphVC, public ITestGraph, public ILCOwner {
public:
    explicit TGraphDb(TGVDb& db);
    ~TGraphDb() override;
    std::string ClassName() const override { return "TGraphDb"; }

    TGVDb& Db() const { return FDb; }

    // Where the graph has nothing of its own: "Count" against "TimeS", the right axis on
    // "CalcLoading" fixed from 0 to 100, one point series. True when something was set (the
    // fields must exist, so this waits for an open data file).
    bool ApplyDefaults();
    // The sheet's X (logical units) of a test time in seconds, through the driver's time
    // conversion into the bottom axis' field; false when it does not convert.
    bool SecondsToSheetX(long double seconds, long double& x);

    // Handlers of the window that shows the graph; unassigned, their menu items are left out.
    std::function<void()> OnGraphSettings;
    std::function<void()> OnReloadData;
    // After every refresh of the graph (ranges may have moved): the window places its objects.
    std::function<void()> OnAppearance;

    // ---- TGraphVC ----------------------------------------------------------------------------
    int32_t GetStatus() const override;
    void UpdateAppearance() override;
    // The database tells the project (and refreshes the graph); resetting also empties it.
    void SetModified(bool resetData) override;
    ILCOwner* SeriesConditionOwner() override { return this; }
    int32_t CheckReady() override { return crReady; }

    // ---- ITestGraph --------------------------------------------------------------------------
    void Empty() override { SetActive(false); }
    void RefreshAppearance() override { UpdateAppearance(); }
    void CollectFieldUses(std::string_view id, std::vector<std::string>& lines) const override;
    bool UsesField(std::string_view id) const override { return TGraphVC::UsesField(id); }
    using TGraphVC::RemoveField;
    void RemoveField(std::string_view id) override { TGraphVC::RemoveField(std::string(id)); }
    bool IsIDFree(std::string_view) const override { return true; }
    void AssignIDs(bool, IIDGenerator&) override {}
    long double GetLoadMin() const override;
    long double GetLoadMax() const override;
    void SetLoadMin(long double value) override;
    void SetLoadMax(long double value) override;
    void SaveToNode(TNodePersist& node) const override { TGraphVC::SaveToNode(node); }
    void LoadFromNode(const TNodePersist& node) override { TGraphVC::LoadFromNode(node); }

    // ---- ILCOwner (the series' conditions) ---------------------------------------------------
    std::string ConditionOwnerName() const override { return OwnerName(); }
    const TAEField* ConditionField(std::string_view id) const override;
    const TGVVariants* ConditionVariants() const override;
    void ConditionChanged(bool) override { SetModified(true); }

protected:
    QList<QAction*> PopupItems() override;
    std::string OwnerName() const override;

private:
    void SetLoadBound(bool max, long double value);

    TGVDb& FDb;
    QMenu* FDbMenu = nullptr;
    QAction* FSettingsItem = nullptr;
    QAction* FReloadItem = nullptr;
};

} // namespace vorelt
