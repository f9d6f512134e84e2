#pragma once
// The drawing half of the 3D container: prepares a context (depth test, the bitmap font of
// display lists 1000 + byte, the quadric), sets the scene's projection, and renders a frame:
// the visual objects, the axes with their labels and the manipulator of the current mode.
// Every call runs with the container's context current.

#include "view3d/TOGLManipulator.h"

#include <array>
#include <string>

struct GLUquadric;

namespace vorelt {

class TOGLContainer;

inline constexpr char txtErrorLoadOpenGL[] = "Error Load OpenGL";
inline constexpr char txtFontNotCreate[] = "Font not create";
inline constexpr char txtGlBuildFont[] = "glBuildFont";
inline constexpr char txtChoosePixelFormatFailed[] = "ChoosePixelFormat Failed";
inline constexpr char txtSetPixelFormatFailed[] = "SetPixelFormat Failed";
inline constexpr uint32_t FontListBase = 1000;

class TOGLDraw {
public:
    TOGLDraw(TOGLContainer& container, TOGLManipulator& manipulator);
    ~TOGLDraw();
    TOGLDraw(const TOGLDraw&) = delete;
    TOGLDraw& operator=(const TOGLDraw&) = delete;

    // Once per context: depth test, font lists, quadric. A font failure is reported in
    // `fontError` and drawing continues without labels.
    void Prepare(bool& fontFailed);
    // The context went away with everything it held.
    void Forget();
    bool Ready() const { return FReady; }
    void SetupProjection(int32_t width, int32_t height);
    // One frame. False with a reason when something failed.
    bool Paint(std::string& message);
    // The text at the raster position (x, y, z); bytes of the windows-1251 text select the
    // lists.
    void DrawText(const std::string& text, double x, double y, double z);
    GLUquadric* Quadric() const { return FQuadric; }
    // The matrices of the last set-up, the scene's transformation included.
    const TGLProjection& Captured() const { return FCaptured; }

    void SetBackColor(float r, float g, float b) { FBack = {r, g, b, 1}; }
    void SetAxisColor(float r, float g, float b) { FAxis = {r, g, b}; }
    void SetLabelColor(float r, float g, float b) { FLabel = {r, g, b}; }
    void SetFourthColor(float r, float g, float b) { FFourth = {r, g, b}; }
    const std::array<float, 4>& BackColor() const { return FBack; }
    const std::array<float, 3>& LabelColor() const { return FLabel; }
    float AxisLength() const { return FAxisLength; }

private:
    bool BuildFont();
    void DrawAxes();
    void DrawMoveArrows();
    void DrawRotationDisk();
    void DrawZoomBar();

    TOGLContainer& FContainer;
    TOGLManipulator& FManipulator;
    bool FReady = false;
    bool FFontReady = false;
    std::array<float, 4> FBack{0, 0, 0, 1};
    std::array<float, 3> FAxis{1, 1, 1};
    std::array<float, 3> FLabel{1, 1, 1};
    std::array<float, 3> FFourth{0.5f, 0.5f, 0.5f};
    float FAxisLength = 1.0f;
    TGLProjection FCaptured;
    GLUquadric* FQuadric = nullptr;
    int32_t FWidth = 1;
    int32_t FHeight = 1;
};

} // namespace vorelt
