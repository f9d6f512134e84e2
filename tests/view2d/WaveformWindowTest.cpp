// The waveform window and what it draws: the plot's columns, zoom and ticks, the walk over a
// view's hits, and the pictures and numbers it saves.

#include "TScriptedDialogs.h"
#include "project/TIniApplic.h"
#include "view2d/TWaveformPlotWidget.h"
#include "view2d/TWaveformWindow.h"
#include "viewmodel/waveform/TWaveformPlot.h"

#include <QImage>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <sstream>

namespace vorelt::test {
namespace {

TWaveformInfo BurstInfo(int64_t index, size_t samples) {
    TWaveformInfo w;
    w.Index = index;
    w.Channel = 1 + int(index % 4);
    w.SampleRate = 2e6;
    w.Samples = int64_t(samples);
    w.Pretrigger = w.TriggerSample = 100;
    w.Threshold = 0.01; // 10 mV
    return w;
}

// A 250 kHz burst of 50 mV from the trigger on.
std::vector<float> Burst(size_t samples) {
    std::vector<float> y(samples, 0.0f);
    for (size_t k = 100; k < samples; ++k)
        y[k] = float(0.05 * std::exp(-double(k - 100) / 300.0) *
                     std::cos(2 * std::numbers::pi * 250e3 * double(k - 100) / 2e6));
    return y;
}

// Hits 0 .. n-1 of which every third has no waveform.
class TFakeHits : public IWaveformHits {
public:
    explicit TFakeHits(int64_t n) : FCount(n) {}
    int64_t Loads = 0;
    int64_t Count() const override { return FCount; }
    static bool Has(int64_t i) { return i % 3 != 1; }
    void Load(int64_t i, TWaveformHit& hit) override {
        ++Loads;
        hit = {};
        hit.Title = "Chan " + std::to_string(1 + i % 4);
        hit.Values = {{"Amplitude [dB]", std::to_string(60 + i)}};
        if (!Has(i)) {
            hit.Message = "Hit " + std::to_string(i + 1) + " has no waveform.";
            return;
        }
        hit.HasWaveform = true;
        hit.Volts = Burst(1000 + size_t(i));
        hit.Info = BurstInfo(i, hit.Volts.size());
    }
    int64_t NextWithWaveform(int64_t from, int direction) override {
        for (int64_t i = from; i >= 0 && i < FCount; i += direction)
            if (Has(i)) return i;
        return -1;
    }

private:
    int64_t FCount;
};

TEST(WaveformPlot, SignalAndSpectrumScaleAndColumnsKeepEveryPeak) {
    TWaveformPlot plot;
    const std::vector<float> y = Burst(2000);
    std::vector<double> magnitudes(1000, 0.0);
    magnitudes[249] = 25.0; // bin 250 of 2000 at 2 MHz: 250 kHz, 25 * 2 / 2000 V = 25 mV
    plot.SetWaveform(BurstInfo(7, y.size()), y, magnitudes);
    // µs from the trigger: the pretrigger of 100 samples at 2 MHz is -50 µs.
    EXPECT_DOUBLE_EQ(plot.Signal().X(0), -50.0);
    EXPECT_DOUBLE_EQ(plot.Signal().X(100), 0.0);
    EXPECT_FLOAT_EQ(plot.Signal().Y[100], 50.0f);
    EXPECT_DOUBLE_EQ(plot.Spectrum().X(249), 250.0);
    EXPECT_FLOAT_EQ(plot.Spectrum().Y[249], 25.0f);
    EXPECT_DOUBLE_EQ(plot.ThresholdMillivolts(), 10.0);
    // The signal's y range is symmetric and holds the peak and the threshold.
    EXPECT_GE(plot.SignalView().Y().Hi, 50.0);
    EXPECT_DOUBLE_EQ(plot.SignalView().Y().Lo, -plot.SignalView().Y().Hi);

    // 2000 samples on 300 columns: every column holds its samples' extremes, and the largest
    // sample shows in some column.
    std::vector<TColumnExtent> columns;
    plot.Signal().Columns(plot.SignalView().X(), 300, columns);
    ASSERT_EQ(columns.size(), 300u);
    float top = -1;
    for (const TColumnExtent& c : columns) {
        EXPECT_FALSE(c.Empty);
        top = std::max(top, c.Max);
    }
    EXPECT_FLOAT_EQ(top, 50.0f);
}

TEST(WaveformPlot, ZoomStaysWithinTheDataAndResets) {
    TPlotView view;
    view.SetData({0, 1000}, {-1, 1});
    view.ZoomAround(0.5, 250); // the anchor keeps its place
    EXPECT_DOUBLE_EQ(view.X().Lo, 125);
    EXPECT_DOUBLE_EQ(view.X().Hi, 625);
    EXPECT_TRUE(view.Zoomed());
    view.Pan(-1000); // no further than the data
    EXPECT_DOUBLE_EQ(view.X().Lo, 0);
    EXPECT_DOUBLE_EQ(view.X().Hi, 500);
    view.ZoomAround(100, 0); // out: never beyond the data
    EXPECT_EQ(view.X(), (TPlotRange{0, 1000}));
    view.ZoomTo(700, 600);
    EXPECT_EQ(view.X(), (TPlotRange{600, 700}));
    view.ZoomTo(650, 650); // nothing to see: ignored
    EXPECT_EQ(view.X(), (TPlotRange{600, 700}));
    view.ZoomAround(std::nan(""), 0);
    EXPECT_EQ(view.X(), (TPlotRange{600, 700}));
    view.Reset();
    EXPECT_FALSE(view.Zoomed());

    const std::vector<double> ticks = PlotTicks({-50, 975}, 8);
    ASSERT_GE(ticks.size(), 4u);
    EXPECT_DOUBLE_EQ(ticks[1] - ticks[0], 200.0);
    EXPECT_EQ(PlotTickText(0.25, 0.05), "0,25");
    EXPECT_EQ(PlotTickText(-200, 200), "-200");
}

TEST(WaveformPlot, CsvForSpreadsheets) {
    TWaveformPlot plot;
    const std::vector<float> y = {0.0f, 0.0015f, -0.002f, 0.0f};
    const std::vector<double> magnitudes = {2e-3, 4e-3};
    TWaveformInfo info = BurstInfo(1, y.size());
    info.TriggerSample = 1;
    plot.SetWaveform(info, y, magnitudes);
    std::istringstream text(plot.Csv());
    std::string line;
    std::getline(text, line);
    EXPECT_EQ(line, "\xEF\xBB\xBFTime;Signal;Frequency;Magnitude\r");
    std::getline(text, line);
    EXPECT_EQ(line, "\xC2\xB5s;mV;kHz;mV\r");
    std::getline(text, line);
    EXPECT_EQ(line, "-0,5;0;500;1\r");
    std::getline(text, line);
    EXPECT_EQ(line, "0;1,5;1000;2\r");
    std::getline(text, line);
    EXPECT_EQ(line, "0,5;-2;;\r");
}

class WaveformWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        FFolder = std::filesystem::temp_directory_path() /
                  ("vorelt-waveform-window." + std::to_string(::getpid()));
        std::filesystem::create_directories(FFolder);
    }
    void TearDown() override {
        if (TWaveformWindow* w = TWaveformWindow::SharedIfOpen()) delete w;
        TWaveformWindow::SetSettings(nullptr);
        std::filesystem::remove_all(FFolder);
    }
    std::filesystem::path FFolder;
    TScriptedDialogs FDialogs;
};

TEST_F(WaveformWindowTest, NextAndPreviousWalkTheHitsWithWaveforms) {
    auto hits = std::make_shared<TFakeHits>(6);
    TWaveformWindow& w = TWaveformWindow::Shared(nullptr);
    w.ShowHits(hits, 0);
    EXPECT_EQ(w.Position(), 0);
    EXPECT_FALSE(w.Plot().Empty());
    auto* previous = w.findChild<QPushButton*>("btnPrevious");
    auto* next = w.findChild<QPushButton*>("btnNext");
    EXPECT_FALSE(previous->isEnabled());
    QTest::keyClick(&w, Qt::Key_PageDown); // hit 1 has none: on to hit 2
    EXPECT_EQ(w.Position(), 2);
    next->click();
    EXPECT_EQ(w.Position(), 3);
    QTest::keyClick(&w, Qt::Key_PageDown);
    QTest::keyClick(&w, Qt::Key_PageDown); // 4 has none, 5 is the last
    EXPECT_EQ(w.Position(), 5);
    EXPECT_FALSE(next->isEnabled());
    previous->click();
    EXPECT_EQ(w.Position(), 3);
    EXPECT_EQ(w.Plot().Signal().Size(), 1003u);
    // Opened on a hit without a waveform: the window says so, and nothing is left to save.
    w.ShowHits(hits, 1);
    EXPECT_TRUE(w.Plot().Empty());
    std::string error;
    EXPECT_FALSE(w.SaveTo((FFolder / "none.png").string(), error));
    EXPECT_FALSE(std::filesystem::exists(FFolder / "none.png"));
}

TEST_F(WaveformWindowTest, SavesPngPdfAndCsvAndRefusesOtherNames) {
    auto hits = std::make_shared<TFakeHits>(3);
    TWaveformWindow& w = TWaveformWindow::Shared(nullptr);
    w.resize(900, 600);
    w.ShowHits(hits, 0);
    std::string error;
    const std::string png = (FFolder / "w.png").string();
    ASSERT_TRUE(w.SaveTo(png, error)) << error;
    QImage image(QString::fromStdString(png));
    ASSERT_FALSE(image.isNull());
    // The trace is drawn: some pixels carry the series' blue.
    int blue = 0;
    for (int y = 0; y < image.height(); y += 2)
        for (int x = 0; x < image.width(); x += 2)
            if (image.pixelColor(x, y) == QColor(20, 60, 160)) ++blue;
    EXPECT_GT(blue, 100);
    ASSERT_TRUE(w.SaveTo((FFolder / "w.pdf").string(), error)) << error;
    std::ifstream pdf(FFolder / "w.pdf", std::ios::binary);
    std::string head(5, '\0');
    pdf.read(head.data(), 5);
    EXPECT_EQ(head, "%PDF-");
    ASSERT_TRUE(w.SaveTo((FFolder / "w.csv").string(), error)) << error;
    EXPECT_GT(std::filesystem::file_size(FFolder / "w.csv"), 1000u);
    EXPECT_FALSE(w.SaveTo((FFolder / "w.txt").string(), error));
    EXPECT_NE(error.find(".png, .pdf or .csv"), std::string::npos) << error;
    // A folder that does not exist: an error naming the file, no partial file anywhere.
    const std::string missing = (FFolder / "no" / "w.png").string();
    EXPECT_FALSE(w.SaveTo(missing, error));
    EXPECT_NE(error.find(missing), std::string::npos) << error;
    for (const auto& entry : std::filesystem::directory_iterator(FFolder))
        EXPECT_EQ(entry.path().extension() == ".part", false) << entry.path();
    // Save As through the dialog service.
    FDialogs.Files.push_back((FFolder / "dialog.csv").string());
    QTest::keyClick(&w, Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(std::filesystem::exists(FFolder / "dialog.csv"));
}

TEST_F(WaveformWindowTest, KeepsItsGeometryInTheSettings) {
    const std::filesystem::path dir = FFolder / "settings";
    std::filesystem::create_directories(dir);
    {
        TIniApplic settings(dir.string());
        TWaveformWindow::SetSettings(&settings);
        TWaveformWindow& w = TWaveformWindow::Shared(nullptr);
        w.ShowHits(std::make_shared<TFakeHits>(2), 0);
        w.setGeometry(40, 50, 700, 500);
        w.close(); // deletes itself
        QTRY_VERIFY(TWaveformWindow::SharedIfOpen() == nullptr);
        int32_t top = 0, width = 0, height = 0, left = 0;
        settings.ReadBounds("WAVEFORM", top, width, height, left);
        EXPECT_EQ(width, 700);
        EXPECT_EQ(height, 500);
        TWaveformWindow& again = TWaveformWindow::Shared(nullptr);
        again.ShowHits(std::make_shared<TFakeHits>(2), 0);
        EXPECT_EQ(again.width(), 700);
        EXPECT_EQ(again.height(), 500);
    }
}

} // namespace
} // namespace vorelt::test
