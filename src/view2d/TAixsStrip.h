#pragma once
// The paint box beside a graph's plotting area on which an axis draws.

#include "view2d/TAixsBase.h"
#include "view2d/TQtTextMetrics.h"

#include <QWidget>

namespace vorelt {

class TAixsStrip : public QWidget, public IAixsStrip {
    Q_OBJECT
public:
    explicit TAixsStrip(QWidget* parent = nullptr);

    // The axis drawn here (not owned); it gets this strip and its text measurement.
    void SetAxis(TAixsBase* axis);
    TAixsBase* Axis() const { return FAxis; }
    const TQtTextMetrics& Fonts() const { return FFonts; }

    int32_t StripWidth() const override { return width(); }
    int32_t StripHeight() const override { return height(); }
    void SetThickness(int32_t pixels) override;
    void RepaintStrip() override { update(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TAixsBase* FAxis = nullptr;
    TQtTextMetrics FFonts;
};

} // namespace vorelt
