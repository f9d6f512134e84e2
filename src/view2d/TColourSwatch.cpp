#include "view2d/TColourSwatch.h"

#include "view2d/TCanvasDraw.h"

#include <QPainter>
#include <QPixmap>

namespace vorelt {

QIcon ColourSwatch(TColor colour, int side) {
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setPen(QColor(128, 128, 128));
    p.setBrush(TCanvasDraw::ToQColor(colour));
    p.drawRect(0, 0, side - 1, side - 1);
    return QIcon(pixmap);
}

} // namespace vorelt
