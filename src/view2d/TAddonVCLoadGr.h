#pragma once
// The test load line over a graph against time: the database processor's load line, its
// times converted into the bottom axis' unit by the open file's driver, its loads placed on
// the load range of the test graph.

#include "view2d/TAddonVC.h"

namespace vorelt {

class TGVDb;
class TLineAEVObject;

inline constexpr char txtEnableTestLoadLine[] = "Enable Test Load Line";

class TAddonVCLoadGr : public TAddonVC {
public:
    TAddonVCLoadGr(TGVDb* db, TGraphVC* graph);
    ~TAddonVCLoadGr() override;
    std::string ClassName() const override { return "TAddonVCLoadGr"; }
    std::string GetCaption() const override { return txtEnableTestLoadLine; }

    void Clear() override;
    void Fill() override;
    void ApplyTransform(const TViewTransform& t) override;

    TLineAEVObject* Line() const { return FLine; }
    // A line only when the load line has points.
    void CreateLoadLine();
    void FillLoadLine();

private:
    TGVDb* FDb;
    TLineAEVObject* FLine = nullptr;
};

} // namespace vorelt
