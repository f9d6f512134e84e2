// vorelt-export writes graphs as reports: PNG at the asked size and resolution, PDF and SVG
// with their text as text, small even over a million hits, the white report style unless the
// screen's scheme is asked for, and options it does not know refused with the usage.

#include "common/TestData.h"
#include "export/TToolRun.h"

#include <QImage>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <gtest/gtest.h>

namespace vorelt::test {
namespace {

namespace fs = std::filesystem;

std::string Squeezed(std::string s) {
    s.erase(std::remove_if(s.begin(), s.end(), [](unsigned char c) { return std::isspace(c); }),
            s.end());
    return s;
}

TEST(ReportExport, PdfOfTheDemoAtAMillionHitsIsSmallAndKeepsItsText) {
    TTempDir dir;
    const TRun made = Shell(Quote(Bin + "/demo/vorelt-mkdemo") + " " + Quote(dir.Path()) +
                            " --hits 1000000 > /dev/null");
    ASSERT_EQ(made.Status, 0) << made.Output;
    const std::string xml = dir.File("demo.xml");
    struct TGraph {
        const char* Name;
        std::vector<std::string> Texts;
    };
    for (const TGraph& g : {TGraph{"GR01", {"Amplitude [GR01]", "Amplitude ( dB )", "Time of Hit"}},
                            TGraph{"GR02", {"Hits per Channel [GR02]"}},
                            TGraph{"GR03", {"Counts vs Amplitude [GR03]"}}}) {
        const std::string pdf = dir.File(std::string(g.Name) + ".pdf");
        const TRun r = Shell(Export() + " " + Quote(xml) + " " + g.Name + " " + Quote(pdf));
        ASSERT_EQ(r.Status, 0) << r.Output;
        EXPECT_LT(fs::file_size(pdf), 2u * 1024 * 1024) << g.Name;
        const TRun text = Shell("pdftotext " + Quote(pdf) + " -");
        ASSERT_EQ(text.Status, 0) << text.Output;
        for (const std::string& t : g.Texts)
            EXPECT_NE(Squeezed(text.Output).find(Squeezed(t)), std::string::npos)
                << g.Name << ": " << t << " in\n"
                << text.Output;
    }
}

TEST(ReportExport, SizeResolutionAndSchemeAreAsAsked) {
    TTempDir dir;
    const TRun made = Shell(Quote(Bin + "/demo/vorelt-mkdemo") + " " + Quote(dir.Path()) +
                            " --hits 3000 > /dev/null");
    ASSERT_EQ(made.Status, 0) << made.Output;
    const std::string xml = dir.File("demo.xml");
    const std::string report = dir.File("report.png");
    const std::string screen = dir.File("screen.png");
    TRun r = Shell(Export() + " " + Quote(xml) + " GR01 " + Quote(report) +
                   " --size 1000x700 --dpi 300");
    ASSERT_EQ(r.Status, 0) << r.Output;
    r = Shell(Export() + " " + Quote(xml) + " GR01 " + Quote(screen) +
              " --scheme screen --size 1000x700");
    ASSERT_EQ(r.Status, 0) << r.Output;
    const QImage a(QString::fromStdString(report));
    const QImage b(QString::fromStdString(screen));
    ASSERT_EQ(a.size(), QSize(1000, 700));
    ASSERT_EQ(b.size(), QSize(1000, 700));
    EXPECT_NEAR(a.dotsPerMeterX() * 0.0254, 300, 0.5);
    // The report's plot is white, the screen's dark scheme black, in the middle of the page.
    auto share = [](const QImage& image, QRgb colour) {
        int n = 0, all = 0;
        for (int y = image.height() / 4; y < image.height() * 3 / 4; y += 3)
            for (int x = image.width() / 4; x < image.width() * 3 / 4; x += 3, ++all)
                n += (image.pixel(x, y) & 0xFFFFFF) == colour ? 1 : 0;
        return static_cast<double>(n) / all;
    };
    EXPECT_GT(share(a, 0xFFFFFF), 0.5);
    EXPECT_GT(share(b, 0x000000), 0.5);

    const std::string svg = dir.File("g.svg");
    r = Shell(Export() + " " + Quote(xml) + " GR02 " + Quote(svg));
    ASSERT_EQ(r.Status, 0) << r.Output;
    EXPECT_NE(ReadFileBytes(svg).find("Hits per Channel"), std::string::npos);

    for (const char* bad : {"--dpi 5", "--scheme dark", "--size 10x10", "--colour red"}) {
        r = Shell(Export() + " " + Quote(xml) + " GR01 " + Quote(dir.File("x.png")) + " " + bad);
        EXPECT_EQ(r.Status, 2) << bad << "\n" << r.Output;
        EXPECT_NE(r.Output.find("not understood"), std::string::npos) << r.Output;
        EXPECT_FALSE(fs::exists(dir.File("x.png")));
    }
}

} // namespace
} // namespace vorelt::test
