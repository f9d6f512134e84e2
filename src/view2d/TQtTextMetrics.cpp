#include "view2d/TQtTextMetrics.h"

#include "persist/TNumberFormat.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QScreen>
#include <cstdlib>

namespace vorelt {

TQtTextMetrics::TQtTextMetrics(long double pixelsPerInch) : FPixelsPerInch(pixelsPerInch) {
    if (FPixelsPerInch <= 0) {
        const QScreen* screen = QGuiApplication::primaryScreen();
        FPixelsPerInch = screen ? screen->logicalDotsPerInch() : 96;
    }
}

QFont TQtTextMetrics::FontOf(const TFontAttrs& font) const {
    QFont f(QString::fromStdString(font.Name));
    // Point sizes are turned into pixels here, so that measuring and drawing agree at any
    // resolution the caller chose.
    if (font.Height != 0)
        f.setPixelSize(std::abs(font.Height));
    else
        f.setPixelSize(std::max(1, RoundToInt32(font.Size * FPixelsPerInch / 72)));
    f.setBold((font.Style & fsBold) != 0);
    f.setItalic((font.Style & fsItalic) != 0);
    f.setUnderline((font.Style & fsUnderline) != 0);
    f.setStrikeOut((font.Style & fsStrikeOut) != 0);
    return f;
}

TTextExtent TQtTextMetrics::Measure(const std::string& text, const TFontAttrs& font) const {
    const QFontMetrics m(FontOf(font));
    TTextExtent e;
    e.Width = m.horizontalAdvance(QString::fromStdString(text));
    e.Height = m.height();
    return e;
}

} // namespace vorelt
