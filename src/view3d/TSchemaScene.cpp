#include "view3d/TSchemaScene.h"

#include "processing/graph3d/TAEOBJ3D.h"
#include "view3d/TOGLContainer.h"

namespace vorelt {

TSchemaScene::~TSchemaScene() {
    Finish();
}

void TSchemaScene::Finish() {
    std::vector<TSchemaShape> sensors;
    sensors.swap(FSensors);
    for (const TSchemaShape& s : sensors) {
        auto visual = std::make_unique<TPAEObj3DVisials>(s);
        if (SensorColor) visual->SetColor(SensorColor(s));
        FContainer.AddVisual(std::move(visual));
    }
}

void TSchemaScene::AddShape(const TSchemaShape& shape) {
    std::unique_ptr<TBaseObj3DVisials> visual;
    switch (shape.Kind) {
    case TShapeKind::Pipe:
        visual = std::make_unique<TPipeObj3DVisials>(shape);
        break;
    case TShapeKind::Host:
        visual = std::make_unique<THostObj3DVisials>(shape);
        break;
    case TShapeKind::Sensor:
        FSensors.push_back(shape);
        return;
    }
    FContainer.AddVisual(std::move(visual));
}

void BuildSchemaScene(TOGLContainer& container, TAEOBJ3D* schema,
                      const std::function<uint32_t(const TSchemaShape&)>& sensorColor) {
    container.ClearVisuals();
    if (!schema) return;
    TSchemaScene scene(container);
    scene.SensorColor = sensorColor;
    schema->Rebuild(&scene);
    scene.Finish();
}

} // namespace vorelt
