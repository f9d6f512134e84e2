#pragma once
// One plot of the waveform window: a series drawn column by column from the Qt-free plot view,
// its axes, and marks (the trigger, the threshold). The wheel zooms around the cursor, a left
// drag zooms to the dragged span, a middle drag pans, a double-click shows everything again.

#include "viewmodel/waveform/TWaveformPlot.h"

#include <QWidget>

#include <functional>
#include <vector>

namespace vorelt {

class TWaveformPlotWidget : public QWidget {
    Q_OBJECT
public:
    explicit TWaveformPlotWidget(QWidget* parent = nullptr);

    void SetPlot(const TPlotSeries* series, TPlotView* view, const QString& xCaption,
                 const QString& yCaption);
    // Vertical marks at these x, horizontal at these y (dashed).
    void SetMarks(std::vector<double> xMarks, std::vector<double> yMarks);
    // Called after the user changed the visible range.
    std::function<void()> OnZoomed;

    // The plot's area inside the axes, in widget pixels.
    QRect PlotArea() const;
    double XAt(int pixel) const;

protected:
    void paintEvent(QPaintEvent*) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    int XPixel(double x) const;
    int YPixel(double y) const;
    void Zoomed();

    const TPlotSeries* FSeries = nullptr;
    TPlotView* FView = nullptr;
    QString FXCaption, FYCaption;
    std::vector<double> FXMarks, FYMarks;
    std::vector<TColumnExtent> FColumns;
    int FDragFrom = -1, FDragTo = -1;
    int FPanFrom = -1;
};

} // namespace vorelt
