#include "view3d/TBaseObj3DVisials.h"

#include "view3d/TOGLDraw.h"
#include "view3d/TOGLMessages.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace vorelt {

namespace {

// Turns the z axis onto the direction from `from` to `to` and moves to `from`; returns the
// length.
double AlignAlong(const TPoint3& from, const TPoint3& to) {
    const double dx = static_cast<double>(to.X - from.X);
    const double dy = static_cast<double>(to.Y - from.Y);
    const double dz = static_cast<double>(to.Z - from.Z);
    const double len = std::sqrt(dx * dx + dy * dy + dz * dz);
    glTranslated(static_cast<double>(from.X), static_cast<double>(from.Y),
                 static_cast<double>(from.Z));
    if (len == 0) return 0;
    // Rotation of (0, 0, 1) onto the direction: about their cross product.
    const double ax = -dy;
    const double ay = dx;
    const double cosA = dz / len;
    const double angle = std::acos(std::clamp(cosA, -1.0, 1.0)) * 180 / std::numbers::pi;
    if (std::fabs(ax) + std::fabs(ay) > 1e-12)
        glRotated(angle, ax, ay, 0);
    else if (cosA < 0)
        glRotated(180, 1, 0, 0);
    return len;
}

// Relative brightness as the eye sees it (Rec. 601 weights).
float Luma(float r, float g, float b) {
    return 0.299f * r + 0.587f * g + 0.114f * b;
}

} // namespace

std::array<float, 3> ReadableLabelColor(const std::array<float, 3>& label,
                                        const std::array<float, 4>& back) {
    const float backLuma = Luma(back[0], back[1], back[2]);
    if (std::fabs(Luma(label[0], label[1], label[2]) - backLuma) >= 0.4f) return label;
    return backLuma > 0.5f ? std::array<float, 3>{0, 0, 0} : std::array<float, 3>{1, 1, 1};
}

TBaseObj3DVisials::TBaseObj3DVisials(const TSchemaShape& shape) : FShape(shape) {}

void TBaseObj3DVisials::Perform(uint32_t msg, TOGLDraw& draw) {
    if (msg == oglRender) Render(draw, false);
}

void TBaseObj3DVisials::ApplyColor() const {
    glColor3ub(static_cast<GLubyte>(FColor >> 16), static_cast<GLubyte>(FColor >> 8),
               static_cast<GLubyte>(FColor));
}

TPipeObj3DVisials::TPipeObj3DVisials(const TSchemaShape& shape) : TBaseObj3DVisials(shape) {
    FColor = DefaultColor;
}

void TPipeObj3DVisials::Render(TOGLDraw& draw, bool selecting) {
    if (!draw.Quadric()) return;
    if (selecting) glPushName(static_cast<GLuint>(FShape.IDGL));
    glPushMatrix();
    ApplyColor();
    const double len = AlignAlong(FShape.From, FShape.To);
    gluQuadricDrawStyle(draw.Quadric(), GLU_FILL);
    gluCylinder(draw.Quadric(), PipeRadius, PipeRadius, len, 16, 1);
    glPopMatrix();
    if (selecting) glPopName();
}

THostObj3DVisials::THostObj3DVisials(const TSchemaShape& shape) : TBaseObj3DVisials(shape) {
    FColor = DefaultColor;
}

void THostObj3DVisials::Render(TOGLDraw&, bool selecting) {
    if (selecting) glPushName(static_cast<GLuint>(FShape.IDGL));
    glPushMatrix();
    ApplyColor();
    const double len = AlignAlong(FShape.From, FShape.To);
    const double w = HostHalfWidth;
    // A box of 2w x 2w around the run, from 0 to len along z.
    const double v[8][3] = {{-w, -w, 0},   {w, -w, 0},   {w, w, 0},   {-w, w, 0},
                            {-w, -w, len}, {w, -w, len}, {w, w, len}, {-w, w, len}};
    static constexpr int faces[6][4] = {{0, 1, 2, 3}, {4, 5, 6, 7}, {0, 1, 5, 4},
                                        {2, 3, 7, 6}, {1, 2, 6, 5}, {0, 3, 7, 4}};
    glBegin(GL_QUADS);
    for (const auto& f : faces)
        for (int k : f)
            glVertex3dv(v[k]);
    glEnd();
    glPopMatrix();
    if (selecting) glPopName();
}

TPAEObj3DVisials::TPAEObj3DVisials(const TSchemaShape& shape) : TBaseObj3DVisials(shape) {
    FColor = DefaultColor;
}

void TPAEObj3DVisials::Render(TOGLDraw& draw, bool selecting) {
    if (!draw.Quadric()) return;
    if (selecting) glPushName(static_cast<GLuint>(FShape.IDGL));
    // A sensor is never hidden by the pipe or host it sits on.
    glPushAttrib(GL_ENABLE_BIT);
    glDisable(GL_DEPTH_TEST);
    glPushMatrix();
    ApplyColor();
    glTranslated(static_cast<double>(FShape.From.X), static_cast<double>(FShape.From.Y),
                 static_cast<double>(FShape.From.Z));
    gluQuadricDrawStyle(draw.Quadric(), GLU_FILL);
    gluSphere(draw.Quadric(), SensorRadius, 16, 12);
    glPopMatrix();
    glPopAttrib();
    if (selecting) glPopName();
    // The label beside the sphere, over everything.
    glPushAttrib(GL_CURRENT_BIT);
    const std::array<float, 3> label = ReadableLabelColor(draw.LabelColor(), draw.BackColor());
    glColor3f(label[0], label[1], label[2]);
    draw.DrawText(FShape.Label, static_cast<double>(FShape.From.X) + SensorRadius,
                  static_cast<double>(FShape.From.Y) + SensorRadius * 1.5,
                  static_cast<double>(FShape.From.Z));
    glPopAttrib();
}

TSourceMarksObj3DVisials::TSourceMarksObj3DVisials(std::vector<TMark> marks)
    : TBaseObj3DVisials(TSchemaShape{}), FMarks(std::move(marks)) {}

void TSourceMarksObj3DVisials::Render(TOGLDraw&, bool selecting) {
    if (selecting || FMarks.empty()) return;
    glPushAttrib(GL_ENABLE_BIT | GL_POINT_BIT | GL_CURRENT_BIT);
    glDisable(GL_DEPTH_TEST);
    glPointSize(PointSize);
    glBegin(GL_POINTS);
    for (const TMark& m : FMarks) {
        glColor3ub(static_cast<GLubyte>(m.Color >> 16), static_cast<GLubyte>(m.Color >> 8),
                   static_cast<GLubyte>(m.Color));
        glVertex3f(m.X, m.Y, m.Z);
    }
    glEnd();
    glPopAttrib();
}

} // namespace vorelt
