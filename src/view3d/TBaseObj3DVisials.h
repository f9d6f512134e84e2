#pragma once
// The 3D visual objects a container draws, in list order, when the draw asks them to render
// (oglRender): the shapes of a built pipe schema. A pipe is a cylinder, a host a box, both
// along their run; a sensor is a small sphere labelled with its channel, drawn over what lies
// in front of it so that no sensor hides. Colours are flat (no lighting), so a frame shows
// each object in its own colour.

#include "processing/graph3d/TObj3DTypes.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace vorelt {

class TOGLDraw;

// Sizes in scene units; a scene of the default scale spans a few units.
inline constexpr double PipeRadius = 0.03;
inline constexpr double HostHalfWidth = 0.08;
inline constexpr double SensorRadius = 0.05;

// The colour of a sensor's channel label: the label colour, unless it would hardly show on the
// background (the view's white labels on the light face of an inactive view); then black on a
// light background and white on a dark one. Colours are red, green, blue in 0 .. 1.
std::array<float, 3> ReadableLabelColor(const std::array<float, 3>& label,
                                        const std::array<float, 4>& back);

class TBaseObj3DVisials {
public:
    explicit TBaseObj3DVisials(const TSchemaShape& shape);
    virtual ~TBaseObj3DVisials() = default;

    // oglRender draws the object; other numbers are ignored.
    void Perform(uint32_t msg, TOGLDraw& draw);
    // Pushes the name on the name stack around the drawing when `selecting`.
    virtual void Render(TOGLDraw& draw, bool selecting) = 0;

    const TSchemaShape& Shape() const { return FShape; }
    int32_t Name() const { return FShape.IDGL; }
    uint8_t Selection() const { return FSelection; }
    int32_t Flag() const { return FFlag; }
    void SetFlag(int32_t flag) { FFlag = flag; }
    // 0xRRGGBB.
    uint32_t Color() const { return FColor; }
    void SetColor(uint32_t rgb) { FColor = rgb; }

protected:
    void ApplyColor() const;

    TSchemaShape FShape;
    int32_t FFlag = 0;
    uint8_t FSelection = 3;
    uint32_t FColor = 0xFFFFFF;
};

class TPipeObj3DVisials : public TBaseObj3DVisials {
public:
    static constexpr uint32_t DefaultColor = 0xA8B4C0;
    explicit TPipeObj3DVisials(const TSchemaShape& shape);
    void Render(TOGLDraw& draw, bool selecting) override;
};

class THostObj3DVisials : public TBaseObj3DVisials {
public:
    static constexpr uint32_t DefaultColor = 0x6C8098;
    explicit THostObj3DVisials(const TSchemaShape& shape);
    void Render(TOGLDraw& draw, bool selecting) override;
};

class TPAEObj3DVisials : public TBaseObj3DVisials {
public:
    static constexpr uint32_t DefaultColor = 0xFFD800;
    explicit TPAEObj3DVisials(const TSchemaShape& shape);
    void Render(TOGLDraw& draw, bool selecting) override;
};

// The located sources of a source-location processor: one point per event in its zone's
// colour, all in one batch of points (thousands of events stay one draw call), over the pipes
// like the sensors. Never picked.
class TSourceMarksObj3DVisials : public TBaseObj3DVisials {
public:
    static constexpr float PointSize = 7;
    struct TMark {
        float X, Y, Z;
        uint32_t Color;
    };
    explicit TSourceMarksObj3DVisials(std::vector<TMark> marks);
    const std::vector<TMark>& Marks() const { return FMarks; }
    void Render(TOGLDraw& draw, bool selecting) override;

private:
    std::vector<TMark> FMarks;
};

} // namespace vorelt
