#pragma once
// The waveform window: the waveform of one hit (signal and magnitude spectrum) beside the hit's
// values and the features computed from its samples. Previous and Next walk the hits of the
// view it was opened from; the plots zoom as the graphs do; the picture saves as PNG or PDF and
// the numbers as CSV. One window serves every view: opening it again shows the new hit.

#include "processing/waveform/TFrequencyMagnitudes.h"
#include "viewmodel/waveform/IWaveformHits.h"
#include "viewmodel/waveform/TWaveformPlot.h"

#include <QWidget>

#include <memory>

class QLabel;
class QPushButton;
class QSplitter;
class QTableWidget;

namespace vorelt {

class TIniApplic;
class TWaveformPlotWidget;

class TWaveformWindow : public QWidget {
    Q_OBJECT
public:
    explicit TWaveformWindow(QWidget* parent = nullptr);
    ~TWaveformWindow() override;

    // The one window, created on first use under `parent`'s top-level window.
    static TWaveformWindow& Shared(QWidget* parent);
    static TWaveformWindow* SharedIfOpen();
    // Where the window keeps its geometry (section "WAVEFORM"); set once by the application.
    static void SetSettings(TIniApplic* settings);

    // Shows hit `position` of `hits` and brings the window up.
    void ShowHits(std::shared_ptr<IWaveformHits> hits, int64_t position);
    int64_t Position() const { return FPosition; }
    const TWaveformPlot& Plot() const { return FPlot; }

    void Next();
    void Previous();
    void ResetZoom();
    // Saves by the file's extension: .png, .pdf or .csv. False with `error` on failure.
    bool SaveTo(const std::string& fileName, std::string& error);
    void SaveAs();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Load();
    void FillValues(const TWaveformHit& hit);
    void ReadBounds();
    void WriteBounds();
    void RenderPicture(class QPainter& painter, const QRect& area);

    std::shared_ptr<IWaveformHits> FHits;
    int64_t FPosition = -1;
    TWaveformPlot FPlot;
    TFrequencyMagnitudes FSpectrum;
    QLabel* FTitle;
    QLabel* FMessage;
    QPushButton* FPrevious;
    QPushButton* FNext;
    QPushButton* FReset;
    QPushButton* FSave;
    TWaveformPlotWidget* FSignalPlot;
    TWaveformPlotWidget* FSpectrumPlot;
    QTableWidget* FValues;
    QSplitter* FSplit;
    bool FBoundsRead = false;
};

} // namespace vorelt
