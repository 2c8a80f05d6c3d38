// Pixel-level checks of the strip chart: the grid, the scroll, the grid column, the trace and the
// rules about what wipes the picture.
#include <QtTest>
#include <functional>

#include "controls/Performancegraph.h"

using kelvane::KPerformanceGraph;

namespace {

const QColor kBlack(0, 0, 0);
const QColor kGreen(0, 128, 0);
const QColor kRed(255, 0, 0);
const QColor kWhite(255, 255, 255);
const QColor kBlue(0, 0, 255);

char pixelCode(QRgb pixel) {
    if (pixel == kBlack.rgb()) return '.';
    if (pixel == kGreen.rgb()) return 'g';
    if (pixel == kRed.rgb()) return 'r';
    if (pixel == kWhite.rgb()) return 'w';
    if (pixel == kBlue.rgb()) return 'b';
    return '?';
}

QStringList picture(const KPerformanceGraph& chart) {
    QStringList rows;
    const QImage& image = chart.image();
    for (int y = 0; y < image.height(); ++y) {
        QString row;
        for (int x = 0; x < image.width(); ++x) row += QLatin1Char(pixelCode(image.pixel(x, y)));
        rows << row;
    }
    return rows;
}

// A chart small enough to compare whole: 12 x 6, grid every 4 pixels, white background so that the
// black outline shows.
void makeSmall(KPerformanceGraph& chart, int gridPenWidth = 1) {
    chart.SetGridWidth(4);
    chart.SetGridPenWidth(gridPenWidth);
    chart.SetGridFonColor(kWhite);
    chart.SetWidth(12);
    chart.SetHeight(6);
}

void makeDefault(KPerformanceGraph& chart) {
    chart.SetWidth(300);
    chart.SetHeight(150);
}

using ChartChange = std::function<void(KPerformanceGraph&)>;

int countPixels(const QImage& image, const QColor& colour) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) count += image.pixel(x, y) == colour.rgb() ? 1 : 0;
    return count;
}

}  // namespace

Q_DECLARE_METATYPE(ChartChange)

class TestPerformanceGraph : public QObject {
    Q_OBJECT

  private slots:
    void defaults() {
        KPerformanceGraph chart;
        makeDefault(chart);
        QCOMPARE(chart.image().size(), QSize(300, 150));
        QCOMPARE(chart.size(), QSize(300, 150));
        QCOMPARE(chart.gridWidth(), 10);
        QCOMPARE(chart.gridPenWidth(), 1);
        QCOMPARE(chart.dataPenWidth(), 2);
        QCOMPARE(chart.gridFonColor(), kBlack);
        QCOMPARE(chart.gridColor(), kGreen);
        QCOMPARE(chart.dataColor(), kRed);
        QCOMPARE(chart.gridCount(), 1);  // the last line drawn is at x = 300, so 300 - 299
        QVERIFY(chart.firstPoint());
        QCOMPARE(chart.savedPenPos(), QPoint(0, 0));
    }

    void drawGrid_data() {
        QTest::addColumn<int>("penWidth");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("one-pixel pen") << 1 << QStringList{"gggggggggggg", "gwwwgwwwgww.", "gwwwgwwwgww.",
                                                           "gwwwgwwwgww.", "gggggggggggg", "g...g...g..."};
        // Width 2 covers the pixel before the line and the line itself; the outline likewise.
        QTest::newRow("two-pixel pen") << 2 << QStringList{"gggggggggggg", "gwwggwwggw.g", "gwwggwwggw.g",
                                                           "gggggggggggg", "gggggggggggg", "g..gg..gg..g"};
    }
    void drawGrid() {
        QFETCH(int, penWidth);
        QFETCH(QStringList, expected);
        KPerformanceGraph chart;
        makeSmall(chart, penWidth);
        QCOMPARE(picture(chart), expected);
        QCOMPARE(chart.gridCount(), 1);
    }

    void firstSamplesScrollAndTrace() {
        KPerformanceGraph chart;
        makeSmall(chart);

        chart.UpdateData(3);  // y = 3: the first point only, drawn as a 2 x 2 dot at columns 7..8
        QCOMPARE(picture(chart), (QStringList{"gggggggggggg", "wwwgwwwgww..", "wwwgwwwrrw..", "wwwgwwwrrw..",
                                              "gggggggggggg", "...g...g...."}));
        QVERIFY(!chart.firstPoint());
        QCOMPARE(chart.gridCount(), 0);

        chart.UpdateData(5);  // y = 1: grid column at x = 10, trace piece from y 3 up to y 1
        QCOMPARE(picture(chart), (QStringList{"gggggggrrggg", "wwgwwwgrr.g.", "wwgwwwrrr.g.", "wwgwwwrrr.g.",
                                              "gggggggggggg", "..g...g...g."}));
        QCOMPARE(chart.savedPenPos(), QPoint(8, 3));
        QCOMPARE(chart.penPos(), QPoint(8, 1));
        QCOMPARE(chart.gridCount(), 3);
    }

    // With the default 300-pixel chart and a grid every 10 pixels, a new grid column appears at the
    // second sample and then at every tenth, exactly 10 pixels right of the previous one.
    void gridColumnCadence() {
        KPerformanceGraph chart;
        makeDefault(chart);
        const int row = 5;  // between horizontal grid lines, far from the trace
        for (int sample = 1; sample <= 25; ++sample) {
            chart.UpdateData(100);
            const bool lineExpected = sample == 2 || sample == 12 || sample == 22;
            QCOMPARE(chart.image().pixel(298, row) == kGreen.rgb(), lineExpected);
            if (sample == 2) {
                QCOMPARE(chart.image().pixel(288, row), kGreen.rgb());
                for (int x = 289; x < 298; ++x) QVERIFY(chart.image().pixel(x, row) != kGreen.rgb());
            }
        }
    }

    void firstSampleDrawsNoLineFromAnOldPoint() {
        KPerformanceGraph chart;
        makeDefault(chart);
        chart.UpdateData(40);
        chart.UpdateData(120);
        chart.DrawGrid();
        chart.UpdateData(75);
        QCOMPARE(countPixels(chart.image(), kRed), 4);
        for (int x : {295, 296})
            for (int y : {74, 75}) QCOMPARE(chart.image().pixel(x, y), kRed.rgb());
    }

    void samplesAtAndBeyondTheEdges() {
        KPerformanceGraph chart;
        makeDefault(chart);
        chart.UpdateData(0);  // the bottom row
        QCOMPARE(countPixels(chart.image(), kRed), 2);
        QCOMPARE(chart.image().pixel(295, 149), kRed.rgb());
        QCOMPARE(chart.image().pixel(296, 149), kRed.rgb());

        chart.DrawGrid();
        chart.UpdateData(75);
        chart.UpdateData(180);  // above the top: the piece runs up to row 0 and the rest is clipped
        chart.UpdateData(180);
        const QImage& image = chart.image();
        for (int y = 0; y <= 75; ++y) QCOMPARE(image.pixel(294, y), kRed.rgb());
        QCOMPARE(image.pixel(293, 75), kRed.rgb());  // the first sample, not rescaled
        QCOMPARE(image.pixel(293, 65), kBlack.rgb());
        for (int y = 0; y < 150; ++y) QVERIFY(image.pixel(296, y) != kRed.rgb());

        chart.UpdateData(std::numeric_limits<int>::min());
        chart.UpdateData(std::numeric_limits<int>::max());
        QCOMPARE(chart.image().pixel(296, 149), kRed.rgb());
        QCOMPARE(chart.image().pixel(296, 0), kRed.rgb());
    }

    void dataColourAppliesToLaterPiecesOnly() {
        KPerformanceGraph chart;
        makeDefault(chart);
        chart.UpdateData(50);
        chart.UpdateData(50);
        const QImage before = chart.image().copy();
        chart.SetDataColor(kBlue);
        QCOMPARE(chart.image(), before);
        chart.UpdateData(50);
        QCOMPARE(chart.image().pixel(293, 100), kRed.rgb());
        QCOMPARE(chart.image().pixel(294, 100), kRed.rgb());
        QCOMPARE(chart.image().pixel(295, 100), kBlue.rgb());
        QCOMPARE(chart.image().pixel(296, 100), kBlue.rgb());
    }

    void gridChangesWipeTheTrace_data() {
        QTest::addColumn<ChartChange>("change");
        using Change = ChartChange;
        QTest::newRow("GridWidth") << Change([](KPerformanceGraph& c) { c.SetGridWidth(10); });
        QTest::newRow("GridPenWidth") << Change([](KPerformanceGraph& c) { c.SetGridPenWidth(1); });
        QTest::newRow("GridFonColor") << Change([](KPerformanceGraph& c) { c.SetGridFonColor(kBlack); });
        QTest::newRow("GridColor") << Change([](KPerformanceGraph& c) { c.SetGridColor(kGreen); });
        QTest::newRow("Width") << Change([](KPerformanceGraph& c) { c.SetWidth(300); });
        QTest::newRow("Height") << Change([](KPerformanceGraph& c) { c.SetHeight(150); });
        QTest::newRow("DrawGrid") << Change([](KPerformanceGraph& c) { c.DrawGrid(); });
    }
    void gridChangesWipeTheTrace() {
        QFETCH(ChartChange, change);
        KPerformanceGraph fresh;
        makeDefault(fresh);
        KPerformanceGraph chart;
        makeDefault(chart);
        for (int value : {20, 90, 140, 5, 60, 60, 60, 60, 60, 60, 60, 60}) chart.UpdateData(value);
        change(chart);
        QCOMPARE(chart.image(), fresh.image());
        QVERIFY(chart.firstPoint());
        QCOMPARE(chart.gridCount(), fresh.gridCount());
    }

    void gridWidthBelowOneIsTakenAsOne() {
        for (int requested : {0, -5}) {
            KPerformanceGraph chart;
            chart.SetGridWidth(requested);
            QCOMPARE(chart.gridWidth(), 1);
            chart.SetWidth(20);
            chart.SetHeight(10);
            QCOMPARE(countPixels(chart.image(), kGreen), 200);
            chart.UpdateData(5);
            QCOMPARE(chart.gridCount(), 0);  // a grid column on every sample
        }
    }

    void setWidthAndHeightResizeControlAndPicture() {
        KPerformanceGraph chart;
        makeDefault(chart);
        chart.SetWidth(120);
        chart.SetHeight(80);
        QCOMPARE(chart.size(), QSize(120, 80));
        QCOMPARE(chart.image().size(), QSize(120, 80));
        QCOMPARE(chart.property("Width").toInt(), 120);
        chart.setProperty("Height", 60);  // the form sets the size through the properties
        QCOMPARE(chart.chartHeight(), 60);
        QCOMPARE(chart.image().size(), QSize(120, 60));
    }

    void resizeByOtherMeansKeepsThePicture() {
        KPerformanceGraph chart;
        makeDefault(chart);
        for (int value : {30, 70, 110}) chart.UpdateData(value);
        const QImage before = chart.image().copy();
        chart.resize(400, 200);
        chart.setGeometry(5, 5, 100, 40);
        QCOMPARE(chart.image(), before);
        QCOMPARE(chart.chartWidth(), 300);
        QCOMPARE(chart.chartHeight(), 150);
        chart.UpdateData(110);  // and the trace runs on at the old size
        QCOMPARE(chart.image().pixel(296, 40), kRed.rgb());
    }

    void paintsThePicture() {
        KPerformanceGraph chart;
        makeSmall(chart);
        chart.UpdateData(3);
        const QImage shown = chart.grab().toImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(shown, chart.image());
    }
};

QTEST_MAIN(TestPerformanceGraph)
#include "tst_performancegraph.moc"
