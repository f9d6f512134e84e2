#pragma once
// The scene's transformation in a view's node of the project file: a child node "Scene" with
// the angles about X, Y and Z in degrees, the shift and the zoom. A view in the standard view
// writes no node, so projects saved before views could be turned keep their bytes.

#include "view3d/TSceneTransform.h"

namespace vorelt {

class TNodePersist;

inline constexpr char NodeScene[] = "Scene";

// Adds the node unless the transformation is the standard view.
void SaveSceneTransform(TNodePersist& node, const TSceneTransform& scene);
// Items missing or not numbers keep the standard view's value.
void LoadSceneTransform(const TNodePersist& node, TSceneTransform& scene);

} // namespace vorelt
