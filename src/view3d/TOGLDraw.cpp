#include "view3d/TOGLDraw.h"

#include "persist/TTextCodec.h"
#include "view3d/TOGLContainer.h"
#include "view3d/TOGLMessages.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <vector>

namespace vorelt {

TOGLDraw::TOGLDraw(TOGLContainer& container, TOGLManipulator& manipulator)
    : FContainer(container), FManipulator(manipulator) {}

TOGLDraw::~TOGLDraw() {
    // The container makes its context current before the draw goes.
    if (FFontReady) glDeleteLists(FontListBase, 256);
    if (FQuadric) gluDeleteQuadric(FQuadric);
}

void TOGLDraw::Forget() {
    FReady = false;
    FFontReady = false;
    FQuadric = nullptr;
}

void TOGLDraw::Prepare(bool& fontFailed) {
    fontFailed = false;
    glEnable(GL_DEPTH_TEST);
    if (!FQuadric) FQuadric = gluNewQuadric();
    FFontReady = BuildFont();
    fontFailed = !FFontReady;
    FReady = true;
}

bool TOGLDraw::BuildFont() {
    // The glyphs of the windows-1251 bytes 0..254, rendered once into bitmaps: height 14,
    // width 7, normal weight.
    // The lists are named from 1000 on, as the texts call them by byte from there.
    while (glGetError() != GL_NO_ERROR) {
    }
    QFont font("Comic Sans MS");
    font.setPixelSize(14);
    font.setStretch(QFont::SemiCondensed);
    font.setWeight(QFont::Normal);
    font.setStyleStrategy(QFont::NoAntialias);
    const QFontMetrics metrics(font);
    const int h = metrics.height();
    const int descent = metrics.descent();
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    for (int b = 0; b < 255; ++b) {
        const std::string byte(1, static_cast<char>(b));
        const QString ch = b < 32 ? QString() : QString::fromStdString(Cp1251ToUtf8(byte));
        const int w = ch.isEmpty() ? 0 : std::max(1, metrics.horizontalAdvance(ch));
        const int rowBytes = (w + 7) / 8;
        // Never a null image, not even for an empty glyph: lists would refuse it.
        std::vector<GLubyte> bits(static_cast<size_t>(std::max(1, rowBytes * h)), 0);
        if (w > 0) {
            QImage img(w, h, QImage::Format_Grayscale8);
            img.fill(0);
            QPainter p(&img);
            p.setFont(font);
            p.setPen(Qt::white);
            p.drawText(0, h - descent, ch);
            p.end();
            // glBitmap rows run from the bottom up.
            for (int y = 0; y < h; ++y) {
                const uchar* line = img.constScanLine(h - 1 - y);
                for (int x = 0; x < w; ++x)
                    if (line[x] > 127)
                        bits[static_cast<size_t>(y * rowBytes + x / 8)] |=
                            static_cast<GLubyte>(0x80 >> (x % 8));
            }
        }
        glNewList(FontListBase + static_cast<GLuint>(b), GL_COMPILE);
        glBitmap(w, h, 0, static_cast<GLfloat>(descent), static_cast<GLfloat>(w), 0, bits.data());
        glEndList();
    }
    glNewList(FontListBase + 255, GL_COMPILE);
    glEndList();
    return glGetError() == GL_NO_ERROR;
}

void TOGLDraw::SetupProjection(int32_t width, int32_t height) {
    FWidth = std::max(1, width);
    FHeight = std::max(1, height);
    glViewport(0, 0, FWidth, FHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(-1, 1, -1, 1, 3, 10);
    glTranslatef(0, 0, -8);
    glRotatef(30, 1, 0, 0);
    glRotatef(70, 0, 1, 0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    GLint vp[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, FCaptured.ModelView.M.data());
    glGetDoublev(GL_PROJECTION_MATRIX, FCaptured.Projection.M.data());
    glGetIntegerv(GL_VIEWPORT, vp);
    FCaptured.Viewport = {vp[0], vp[1], vp[2], vp[3]};
    FManipulator.SetProjection(FCaptured);
    // The user's turn, shift and zoom stand in front of everything drawn.
    glMultMatrixd(FManipulator.Scene().Matrix().M.data());
    glGetDoublev(GL_MODELVIEW_MATRIX, FCaptured.ModelView.M.data());
}

bool TOGLDraw::Paint(std::string& message) {
    if (!FReady) {
        message = txtErrorLoadOpenGL;
        return false;
    }
    SetupProjection(FWidth, FHeight);
    glClearColor(FBack[0], FBack[1], FBack[2], FBack[3]);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    for (int i = 0; i < FContainer.VisualCount(); ++i)
        FContainer.Visual(i)->Perform(oglRender, *this);
    glDepthRange(1, 0);
    DrawAxes();
    switch (FManipulator.Shown()) {
    case mvDisk:
        DrawRotationDisk();
        break;
    case mvArrows:
        DrawMoveArrows();
        break;
    case mvZoomBar:
        DrawZoomBar();
        break;
    default:
        break;
    }
    glDepthRange(0, 1);
    glFinish();
    const GLenum error = glGetError();
    if (error != GL_NO_ERROR) {
        const GLubyte* text = gluErrorString(error);
        message = text ? reinterpret_cast<const char*>(text) : "OpenGL error";
        return false;
    }
    return true;
}

void TOGLDraw::DrawText(const std::string& text, double x, double y, double z) {
    if (!FFontReady || text.empty()) return;
    const std::string bytes = Utf8ToCp1251(text);
    glPushAttrib(GL_LIST_BIT | GL_ENABLE_BIT | GL_CURRENT_BIT);
    glPushMatrix();
    glRasterPos3d(x, y, z);
    glDisable(GL_DEPTH_TEST);
    glListBase(FontListBase);
    glCallLists(static_cast<GLsizei>(bytes.size()), GL_UNSIGNED_BYTE, bytes.data());
    glEnable(GL_DEPTH_TEST);
    glPopMatrix();
    glPopAttrib();
}

void TOGLDraw::DrawAxes() {
    const float l = FAxisLength;
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glColor3f(FLabel[0], FLabel[1], FLabel[2]);
    DrawText("X", l, 0, 0);
    DrawText("Y", 0, l, 0);
    DrawText("Z", 0, 0, l);
    glColor3f(FAxis[0], FAxis[1], FAxis[2]);
    glBegin(GL_LINES);
    glVertex3f(0, 0, 0);
    glVertex3f(l, 0, 0);
    glVertex3f(0, 0, 0);
    glVertex3f(0, l, 0);
    glVertex3f(0, 0, 0);
    glVertex3f(0, 0, l);
    glEnd();
    glPopAttrib();
}

void TOGLDraw::DrawMoveArrows() {
    const float l = FAxisLength;
    const uint8_t axis = FManipulator.Axis();
    glPushMatrix();
    if (axis == axX) {
        glRotatef(90, 1, 0, 0);
    } else if (axis == axY) {
        glRotatef(90, 0, 1, 0);
        glRotatef(90, 0, 0, 1);
    } else if (axis == axZ) {
        glRotatef(-90, 0, 1, 0);
    }
    glColor3f(1, 0, 1);
    glBegin(GL_LINES);
    if (axis == axY) {
        glVertex3f(-l, 0.01f, 0);
        glVertex3f(l, 0.01f, 0);
    } else {
        glVertex3f(-l, 0, 0.01f);
        glVertex3f(l, 0, 0.01f);
    }
    glEnd();
    glBegin(GL_QUADS);
    glVertex2f(0.2f, 0.1f);
    glVertex2f(0.8f, 0.1f);
    glVertex2f(0.8f, 0.2f);
    glVertex2f(0.2f, 0.2f);
    glEnd();
    glBegin(GL_TRIANGLES);
    glVertex2f(0, 0.15f);
    glVertex2f(0.2f, 0.05f);
    glVertex2f(0.2f, 0.25f);
    glVertex2f(1, 0.15f);
    glVertex2f(0.8f, 0.05f);
    glVertex2f(0.8f, 0.25f);
    glEnd();
    const TOGLDragRecord& d = FManipulator.Drag();
    if (d.Dragging) {
        glColor3f(1, 0.5f, 0);
        glBegin(GL_QUADS);
        glVertex2f(d.T0, 0);
        glVertex2f(d.T1, 0);
        glVertex2f(d.T1, 0.1f);
        glVertex2f(d.T0, 0.1f);
        glEnd();
    }
    glPopMatrix();
}

void TOGLDraw::DrawRotationDisk() {
    const float l = FAxisLength;
    const uint8_t axis = FManipulator.Axis();
    glPushMatrix();
    if (axis == axX)
        glRotatef(90, 0, 1, 0);
    else if (axis == axY)
        glRotatef(90, 1, 0, 0);
    glColor3f(1, 0, 1);
    if (FQuadric) {
        gluQuadricDrawStyle(FQuadric, GLU_SILHOUETTE);
        gluPartialDisk(FQuadric, 0.9, 1, 30, 3, 180, 180);
    }
    glBegin(GL_LINES);
    glVertex3f(0, 0.01f, -l);
    glVertex3f(0, 0.01f, l);
    glEnd();
    glPushMatrix();
    glRotatef(80, 0, 0, 1);
    glTranslatef(-0.95f, 0, 0);
    glBegin(GL_TRIANGLES);
    glVertex2f(0, -0.2f);
    glVertex2f(-0.2f, 0);
    glVertex2f(0.2f, 0);
    glEnd();
    glPopMatrix();
    glPushMatrix();
    glRotatef(-80, 0, 0, 1);
    glTranslatef(-0.95f, 0, 0);
    glBegin(GL_TRIANGLES);
    glVertex2f(0, 0.2f);
    glVertex2f(-0.2f, 0);
    glVertex2f(0.2f, 0);
    glEnd();
    glPopMatrix();
    const TOGLDragRecord& d = FManipulator.Drag();
    if (d.Dragging && FQuadric) {
        glColor3f(1, 0.5f, 0);
        gluQuadricDrawStyle(FQuadric, GLU_FILL);
        gluPartialDisk(FQuadric, 0, 0.89, 30, 3, d.StartAngle, d.SweepAngle);
    }
    glPopMatrix();
}

void TOGLDraw::DrawZoomBar() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(20, 0.5, 5, 10);
    glTranslatef(0, 0, -7);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glRotatef(15, 1, 0, 0);
    glColor3f(1, 0, 1);
    glBegin(GL_QUADS);
    glVertex3f(-0.05f, 0, -0.8f);
    glVertex3f(0.05f, 0, -0.8f);
    glVertex3f(0.05f, 0, 0.8f);
    glVertex3f(-0.05f, 0, 0.8f);
    glEnd();
    glBegin(GL_TRIANGLES);
    glVertex3f(0, 0, -1);
    glVertex3f(0.1f, 0, -0.8f);
    glVertex3f(-0.1f, 0, -0.8f);
    glVertex3f(0, 0, 1);
    glVertex3f(0.1f, 0, 0.8f);
    glVertex3f(-0.1f, 0, 0.8f);
    glEnd();
    const TOGLDragRecord& d = FManipulator.Drag();
    if (d.Dragging) {
        glColor3f(1, 0.5f, 0);
        glBegin(GL_QUADS);
        glVertex3f(0.05f, 0, d.T0);
        glVertex3f(0.07f, 0, d.T0);
        glVertex3f(0.07f, 0, d.T1);
        glVertex3f(0.05f, 0, d.T1);
        glEnd();
    }
    SetupProjection(FWidth, FHeight);
}

} // namespace vorelt
