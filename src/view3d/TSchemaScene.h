#pragma once
// Turns the shapes of a built pipe schema into the visual objects of a 3D container.

#include "processing/graph3d/TObj3DTypes.h"

#include <functional>
#include <vector>

namespace vorelt {

class TAEOBJ3D;
class TOGLContainer;

// Sensors are kept back and added after every structural shape, so that they are drawn last
// and always seen.
class TSchemaScene : public ISchemaScene {
public:
    explicit TSchemaScene(TOGLContainer& container) : FContainer(container) {}
    ~TSchemaScene() override;
    void AddShape(const TSchemaShape& shape) override;
    // Adds the sensors kept back.
    void Finish();
    // The colour (0xRRGGBB) of a sensor; the sensors' own colour when not set.
    std::function<uint32_t(const TSchemaShape& sensor)> SensorColor;

private:
    TOGLContainer& FContainer;
    std::vector<TSchemaShape> FSensors;
};

// Empties the container and builds the schema's shapes into it (nothing without schema).
void BuildSchemaScene(TOGLContainer& container, TAEOBJ3D* schema,
                      const std::function<uint32_t(const TSchemaShape&)>& sensorColor = {});

} // namespace vorelt
