#include "view2d/TWaveformWindow.h"

#include "persist/TNumberFormat.h"
#include "processing/waveform/TWaveformFeatures.h"
#include "project/TIniApplic.h"
#include "view2d/IDialogService.h"
#include "view2d/TWaveformPlotWidget.h"

#include <QCloseEvent>
#include <QFile>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPdfWriter>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>

namespace vorelt {

namespace {

QPointer<TWaveformWindow> SharedWindow;
TIniApplic* WindowSettings = nullptr;
constexpr const char* BoundsSection = "WAVEFORM";

std::string Number(double v, int digits = 6) {
    return FloatToStr(static_cast<long double>(v), digits);
}

std::string Lower(std::string s) {
    for (char& c : s)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

} // namespace

TWaveformWindow::TWaveformWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName("frmWaveform");
    setWindowTitle("Waveform");
    auto* layout = new QVBoxLayout(this);
    auto* bar = new QHBoxLayout;
    FPrevious = new QPushButton("&Previous", this);
    FPrevious->setObjectName("btnPrevious");
    FPrevious->setToolTip("The previous hit with a waveform (Page Up)");
    FNext = new QPushButton("&Next", this);
    FNext->setObjectName("btnNext");
    FNext->setToolTip("The next hit with a waveform (Page Down)");
    FReset = new QPushButton("&Whole Record", this);
    FReset->setObjectName("btnWholeRecord");
    FReset->setToolTip("Show the whole record and spectrum again (Home)");
    FSave = new QPushButton("&Save As...", this);
    FSave->setObjectName("btnSaveAs");
    FSave->setToolTip("Save the picture (PNG, PDF) or the numbers (CSV) (Ctrl+S)");
    FTitle = new QLabel(this);
    FTitle->setObjectName("lblTitle");
    bar->addWidget(FPrevious);
    bar->addWidget(FNext);
    bar->addWidget(FReset);
    bar->addWidget(FSave);
    bar->addSpacing(12);
    bar->addWidget(FTitle, 1);
    layout->addLayout(bar);
    FMessage = new QLabel(this);
    FMessage->setObjectName("lblMessage");
    FMessage->setStyleSheet("color: #a02020");
    FMessage->hide();
    layout->addWidget(FMessage);

    auto* split = new QSplitter(Qt::Horizontal, this);
    auto* plots = new QSplitter(Qt::Vertical, split);
    FSignalPlot = new TWaveformPlotWidget(plots);
    FSignalPlot->setObjectName("pltSignal");
    FSpectrumPlot = new TWaveformPlotWidget(plots);
    FSpectrumPlot->setObjectName("pltSpectrum");
    FValues = new QTableWidget(0, 2, split);
    FValues->setObjectName("tblValues");
    FValues->setHorizontalHeaderLabels({"Field", "Value"});
    FValues->verticalHeader()->hide();
    FValues->horizontalHeader()->setStretchLastSection(true);
    FValues->setEditTriggers(QAbstractItemView::NoEditTriggers);
    FValues->setSelectionMode(QAbstractItemView::NoSelection);
    FValues->setFocusPolicy(Qt::NoFocus);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 1);
    FSplit = split;
    layout->addWidget(split, 1);
    FSignalPlot->SetPlot(&FPlot.Signal(), &FPlot.SignalView(), QString::fromUtf8("Time [µs]"),
                         "Signal [mV]");
    FSpectrumPlot->SetPlot(&FPlot.Spectrum(), &FPlot.SpectrumView(), "Frequency [kHz]",
                           "Magnitude [mV]");
    FSignalPlot->OnZoomed = [this] {
        FPlot.FitY();
        FSignalPlot->update();
    };
    FSpectrumPlot->OnZoomed = [this] {
        FPlot.FitY();
        FSpectrumPlot->update();
    };
    connect(FPrevious, &QPushButton::clicked, this, &TWaveformWindow::Previous);
    connect(FNext, &QPushButton::clicked, this, &TWaveformWindow::Next);
    connect(FReset, &QPushButton::clicked, this, &TWaveformWindow::ResetZoom);
    connect(FSave, &QPushButton::clicked, this, &TWaveformWindow::SaveAs);
    for (QPushButton* b : {FPrevious, FNext, FReset, FSave})
        b->setFocusPolicy(Qt::NoFocus);
    setFocusPolicy(Qt::StrongFocus);
}

TWaveformWindow::~TWaveformWindow() = default;

TWaveformWindow& TWaveformWindow::Shared(QWidget* parent) {
    if (!SharedWindow) {
        SharedWindow = new TWaveformWindow(parent ? parent->window() : nullptr);
        SharedWindow->setAttribute(Qt::WA_DeleteOnClose);
    }
    return *SharedWindow;
}

TWaveformWindow* TWaveformWindow::SharedIfOpen() {
    return SharedWindow.data();
}

void TWaveformWindow::SetSettings(TIniApplic* settings) {
    WindowSettings = settings;
}

void TWaveformWindow::ReadBounds() {
    int32_t top = -1, width = 1000, height = 640, left = -1;
    if (WindowSettings) WindowSettings->ReadBounds(BoundsSection, top, width, height, left);
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1280, 1024);
    width = std::clamp(width, 400, std::max(400, area.width()));
    height = std::clamp(height, 300, std::max(300, area.height()));
    resize(width, height);
    if (top < 0 || left < 0) {
        QWidget* anchor = parentWidget() ? parentWidget()->window() : nullptr;
        const QRect around = anchor ? anchor->geometry() : area;
        move(around.center() - rect().center());
    } else {
        move(std::clamp(left, area.left(), std::max(area.left(), area.right() - width)),
             std::clamp(top, area.top(), std::max(area.top(), area.bottom() - height)));
    }
}

void TWaveformWindow::WriteBounds() {
    if (!WindowSettings) return;
    const QRect g = geometry();
    WindowSettings->WriteBounds(BoundsSection, g.top(), g.left(), g.height(), g.width());
}

void TWaveformWindow::closeEvent(QCloseEvent* event) {
    WriteBounds();
    QWidget::closeEvent(event);
}

void TWaveformWindow::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_PageDown:
        Next();
        return;
    case Qt::Key_PageUp:
        Previous();
        return;
    case Qt::Key_Home:
        ResetZoom();
        return;
    case Qt::Key_Escape:
        close();
        return;
    case Qt::Key_S:
        if (event->modifiers() & Qt::ControlModifier) {
            SaveAs();
            return;
        }
        break;
    default:
        break;
    }
    QWidget::keyPressEvent(event);
}

void TWaveformWindow::ShowHits(std::shared_ptr<IWaveformHits> hits, int64_t position) {
    FHits = std::move(hits);
    FPosition = position;
    if (!FBoundsRead) {
        ReadBounds();
        FBoundsRead = true;
        // The plots take two thirds of the width; the values need no more than a third.
        FSplit->setSizes({width() * 2 / 3, width() - width() * 2 / 3});
    }
    Load();
    show();
    raise();
    activateWindow();
}

void TWaveformWindow::Next() {
    if (!FHits || FPosition + 1 >= FHits->Count()) return;
    const int64_t next = FHits->NextWithWaveform(FPosition + 1, +1);
    if (next < 0) return;
    FPosition = next;
    Load();
}

void TWaveformWindow::Previous() {
    if (!FHits || FPosition <= 0) return;
    const int64_t previous = FHits->NextWithWaveform(FPosition - 1, -1);
    if (previous < 0) return;
    FPosition = previous;
    Load();
}

void TWaveformWindow::ResetZoom() {
    FPlot.SignalView().Reset();
    FPlot.SpectrumView().Reset();
    FSignalPlot->update();
    FSpectrumPlot->update();
}

void TWaveformWindow::Load() {
    TWaveformHit hit;
    if (FHits && FPosition >= 0 && FPosition < FHits->Count()) FHits->Load(FPosition, hit);
    const int64_t count = FHits ? FHits->Count() : 0;
    std::string title = "Hit " + IntToStr(FPosition + 1) + " of " + IntToStr(count);
    if (!hit.Title.empty()) title += "  \xE2\x80\x94  " + hit.Title;
    FTitle->setText(QString::fromStdString(title));
    setWindowTitle(QString::fromStdString("Waveform - " + title));
    if (hit.HasWaveform) {
        FSpectrum.Compute(hit.Volts, hit.Info.SampleRate);
        FPlot.SetWaveform(hit.Info, hit.Volts, FSpectrum.Magnitude());
        FMessage->hide();
    } else {
        FPlot.Clear();
        FMessage->setText(QString::fromStdString(
            hit.Message.empty() ? std::string("This hit has no waveform.") : hit.Message));
        FMessage->show();
    }
    const double threshold = FPlot.ThresholdMillivolts();
    FSignalPlot->SetMarks({0.0}, threshold > 0 ? std::vector<double>{threshold, -threshold}
                                               : std::vector<double>{});
    FSpectrumPlot->SetMarks({}, {});
    FillValues(hit);
    FPrevious->setEnabled(FHits && FHits->NextWithWaveform(FPosition - 1, -1) >= 0 &&
                          FPosition > 0);
    FNext->setEnabled(FHits && FPosition + 1 < count &&
                      FHits->NextWithWaveform(FPosition + 1, +1) >= 0);
    FSave->setEnabled(hit.HasWaveform);
    FReset->setEnabled(hit.HasWaveform);
    FSignalPlot->update();
    FSpectrumPlot->update();
}

void TWaveformWindow::FillValues(const TWaveformHit& hit) {
    std::vector<std::pair<std::string, std::string>> rows = hit.Values;
    if (hit.HasWaveform) {
        TWaveformFeatures f;
        // The spectrum the plot shows is already made: only the rest is computed here.
        ComputeTimeFeatures(hit.Volts, hit.Info.SampleRate, hit.Info.Threshold, f);
        f.HinkleyIndex = PickHinkley(hit.Volts);
        f.AicIndex = PickAic(hit.Volts);
        PickEnergyRatios(hit.Volts, EnergyRatioWindow, f.EnergyRatioIndex,
                         f.ModifiedEnergyRatioIndex);
        ComputeSpectralFeatures(FSpectrum, f);
        const double rate = hit.Info.SampleRate;
        auto micro = [rate](int64_t index) {
            return rate > 0 && index >= 0 ? Number(double(index) / rate * 1e6) : std::string();
        };
        rows.push_back({"", ""});
        rows.push_back({"From the waveform", ""});
        rows.push_back({"Samples", IntToStr(int64_t(hit.Volts.size()))});
        rows.push_back({"Sample rate [kHz]", Number(rate * 1e-3)});
        rows.push_back({"Pretrigger [samples]", IntToStr(hit.Info.Pretrigger)});
        rows.push_back({"Threshold [mV]", Number(hit.Info.Threshold * 1e3)});
        rows.push_back({"Peak amplitude [mV]", Number(f.PeakAmplitude * 1e3)});
        rows.push_back({"Energy [eu]", Number(f.Energy)});
        rows.push_back({"Signal strength [nVs]", Number(f.SignalStrength)});
        rows.push_back({"Counts", IntToStr(f.Counts)});
        rows.push_back({"RMS [mV]", Number(f.RMS * 1e3)});
        rows.push_back({"Rise time [\xC2\xB5s]", Number(f.RiseTime * 1e6)});
        rows.push_back({"Peak frequency [kHz]", Number(f.PeakFrequency * 1e-3)});
        rows.push_back({"Frequency centroid [kHz]", Number(f.CentroidFrequency * 1e-3)});
        rows.push_back({"Weighted peak frequency [kHz]", Number(f.WeightedPeakFrequency * 1e-3)});
        rows.push_back({"Arrival, Hinkley [\xC2\xB5s]", micro(f.HinkleyIndex)});
        rows.push_back({"Arrival, AIC [\xC2\xB5s]", micro(f.AicIndex)});
        rows.push_back({"Arrival, energy ratio [\xC2\xB5s]", micro(f.EnergyRatioIndex)});
        rows.push_back(
            {"Arrival, modified energy ratio [\xC2\xB5s]", micro(f.ModifiedEnergyRatioIndex)});
    }
    FValues->setRowCount(int(rows.size()));
    for (int r = 0; r < int(rows.size()); ++r) {
        FValues->setItem(r, 0, new QTableWidgetItem(QString::fromStdString(rows[size_t(r)].first)));
        FValues->setItem(r, 1,
                         new QTableWidgetItem(QString::fromStdString(rows[size_t(r)].second)));
    }
    FValues->resizeColumnToContents(0);
}

void TWaveformWindow::RenderPicture(QPainter& painter, const QRect& area) {
    // Both plots one above the other, drawn by the widgets themselves at the picture's size.
    const QSize signalSize = FSignalPlot->size(), spectrumSize = FSpectrumPlot->size();
    FSignalPlot->resize(area.width(), area.height() / 2);
    FSpectrumPlot->resize(area.width(), area.height() - area.height() / 2);
    FSignalPlot->render(&painter, area.topLeft());
    FSpectrumPlot->render(&painter, area.topLeft() + QPoint(0, area.height() / 2));
    FSignalPlot->resize(signalSize);
    FSpectrumPlot->resize(spectrumSize);
}

bool TWaveformWindow::SaveTo(const std::string& fileName, std::string& error) {
    if (FPlot.Empty()) {
        error = "There is no waveform to save.";
        return false;
    }
    const std::string ext = Lower(std::filesystem::path(fileName).extension().string());
    // Written under a temporary name and renamed, so a failure leaves no partial file.
    const std::string temporary = fileName + ".part";
    bool ok = false;
    if (ext == ".csv") {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        const std::string text = FPlot.Csv();
        out.write(text.data(), std::streamsize(text.size()));
        out.close();
        ok = bool(out);
    } else if (ext == ".png") {
        QImage image(1200, 900, QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            RenderPicture(painter, image.rect());
        }
        ok = image.save(QString::fromStdString(temporary), "PNG");
    } else if (ext == ".pdf") {
        QPdfWriter pdf(QString::fromStdString(temporary));
        pdf.setPageSize(QPageSize(QPageSize::A4));
        pdf.setPageOrientation(QPageLayout::Landscape);
        pdf.setResolution(96);
        pdf.setTitle(windowTitle());
        QPainter painter;
        ok = painter.begin(&pdf);
        if (ok) {
            const QRect page(0, 0, pdf.width(), pdf.height());
            RenderPicture(painter, page);
            ok = painter.end();
        }
    } else {
        error = fileName + ": choose a file ending in .png, .pdf or .csv";
        return false;
    }
    std::error_code ec;
    if (ok) std::filesystem::rename(temporary, fileName, ec);
    if (!ok || ec) {
        std::filesystem::remove(temporary, ec);
        error = "Cannot write " + fileName + (ec ? ": " + ec.message() : std::string());
        return false;
    }
    return true;
}

void TWaveformWindow::SaveAs() {
    if (FPlot.Empty()) return;
    TFileDialogOptions options;
    options.Title = "Save Waveform As";
    options.Filter = "PNG picture (*.png)|*.png|PDF document (*.pdf)|*.pdf|CSV for spreadsheets "
                     "(*.csv)|*.csv";
    options.DefaultExt = "png";
    options.InitialFile = "waveform-" + IntToStr(FPlot.Info().Index) + ".png";
    options.ConfirmOverwrite = true;
    std::string fileName, error;
    if (!Dialogs().SaveFile(options, fileName)) return;
    if (!SaveTo(fileName, error)) Dialogs().ShowMessageBox(error, TMsgKind::Error, mbOK);
}

} // namespace vorelt
