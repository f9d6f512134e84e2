#include "view3d/TSceneTransformNode.h"

#include "persist/TNodePersist.h"
#include "persist/TNumberFormat.h"

namespace vorelt {

namespace {

constexpr const char* AngleItems[3] = {"AngleX", "AngleY", "AngleZ"};
constexpr const char* ShiftItems[3] = {"ShiftX", "ShiftY", "ShiftZ"};
constexpr char ItemZoom[] = "Zoom";

double Read(const TNodePersist& node, const char* item, double fallback) {
    long double v;
    if (node.IndexOfItem(item) < 0 || !TryStrToFloat(node.GetValue(item), v)) return fallback;
    return static_cast<double>(v);
}

} // namespace

void SaveSceneTransform(TNodePersist& node, const TSceneTransform& scene) {
    if (scene.IsDefault()) return;
    TNodePersist* part = node.AddNode(NodeScene);
    const std::array<double, 3> angles = scene.Angles();
    for (size_t i = 0; i < 3; ++i)
        part->AddItem(AngleItems[i], FloatToStr(angles[i]));
    for (size_t i = 0; i < 3; ++i)
        part->AddItem(ShiftItems[i], FloatToStr(scene.Shift()[i]));
    part->AddItem(ItemZoom, FloatToStr(scene.Zoom()));
}

void LoadSceneTransform(const TNodePersist& node, TSceneTransform& scene) {
    scene.Reset();
    double a[3], s[3];
    for (size_t i = 0; i < 3; ++i) {
        a[i] = Read(node, AngleItems[i], 0);
        s[i] = Read(node, ShiftItems[i], 0);
    }
    if (a[0] != 0 || a[1] != 0 || a[2] != 0) scene.SetAngles(a[0], a[1], a[2]);
    scene.SetShift(s[0], s[1], s[2]);
    scene.SetZoom(Read(node, ItemZoom, 1));
}

} // namespace vorelt
