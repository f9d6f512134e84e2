#pragma once
// The paint box beside a graph's plotting area on which an axis draws.

#include "view2d/TQtTextMetrics.h"
#include "viewmodel/axes/TAixsBase.h"

#include <QPointer>
#include <QWidget>

#include <initializer_list>

class QLayout;

namespace vorelt {

class TAixsStrip : public QWidget, public IAixsStrip {
    Q_OBJECT
public:
    explicit TAixsStrip(QWidget* parent = nullptr);

    // The axis drawn here (not owned); it gets this strip and its text measurement.
    void SetAxis(TAixsBase* axis);
    TAixsBase* Axis() const { return FAxis; }
    const TQtTextMetrics& Fonts() const { return FFonts; }
    // The plotting area whose values the axis tells (not owned): the axis takes its length,
    // and the strip draws the ticks where the plot lies beside it.
    void SetPlot(QWidget* plot) { FPlot = plot; }
    // Where the plot begins along the strip (top for a vertical axis, left for the bottom one),
    // in strip pixels.
    int32_t PlotStart() const;

    int32_t StripWidth() const override { return width(); }
    int32_t StripHeight() const override { return height(); }
    int32_t PlotLength(bool vertical) const override;
    void SetThickness(int32_t pixels) override;
    void RepaintStrip() override { update(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TAixsBase* FAxis = nullptr;
    QPointer<QWidget> FPlot;
    TQtTextMetrics FFonts;
};

// Lays out the axes of one plot: marks for the plot as it is, the strips' thickness for their
// labels, the layout that holds strips and plot applied at once (when given), and the marks
// again for the plot's final size. The marks are pixels of that size: whoever resizes the plot
// lays the axes out again.
void LayOutAixs(std::initializer_list<TAixsBase*> axes, QLayout* apply);

} // namespace vorelt
