// Drawing a chart: twelve months by twenty series, as bars and as lines, set up in a chart
// view and rendered to an image offscreen, the way the chart window builds and shows it.
// Prints the best of several runs against the 100 ms target.
#include "benchutil.h"
#include "client/widgets/uistyle.h"

#include <QApplication>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QImage>
#include <QLineSeries>
#include <QPainter>
#include <QValueAxis>

#include <algorithm>
#include <cstdlib>
#include <limits>

namespace {

constexpr int Months = 12;
constexpr int Series = 20;

QStringList monthLabels()
{
    QStringList labels;
    for (int m = 1; m <= Months; ++m)
        labels << QStringLiteral("%1月").arg(m, 2, 10, QLatin1Char('0'));
    return labels;
}

double value(int series, int month)
{
    return 1000.0 + 37.0 * series + 113.0 * ((month * 7 + series) % 12);
}

// Whether the picture holds a drawing: a blank page would make any time meaningless.
bool drawn(const QImage &image)
{
    int coloured = 0;
    for (int y = 0; y < image.height(); y += 4)
        for (int x = 0; x < image.width(); x += 4)
            if (qGray(image.pixel(x, y)) < 200)
                ++coloured;
    return coloured > 100;
}

// Builds the chart in a view of the window's size and renders it; the elapsed milliseconds,
// or a negative value when nothing was drawn.
double draw(bool bars)
{
    const auto start = bench::Clock::now();
    QChartView view;
    view.resize(900, 560);
    QChart *chart = view.chart();
    chart->setTitle(QStringLiteral("月份分析"));
    chart->setTitleFont(SongFont(16, true));
    const QFont font = RootFont();
    auto *x = new QBarCategoryAxis;
    x->append(monthLabels());
    x->setLabelsFont(font);
    auto *y = new QValueAxis;
    y->setLabelsFont(font);
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    if (bars) {
        auto *series = new QBarSeries;
        for (int s = 0; s < Series; ++s) {
            auto *set = new QBarSet(QStringLiteral("系列%1").arg(s + 1));
            for (int m = 0; m < Months; ++m)
                set->append(value(s, m));
            series->append(set);
        }
        chart->addSeries(series);
        series->attachAxis(x);
        series->attachAxis(y);
    } else {
        for (int s = 0; s < Series; ++s) {
            auto *series = new QLineSeries;
            series->setName(QStringLiteral("系列%1").arg(s + 1));
            for (int m = 0; m < Months; ++m)
                series->append(m, value(s, m));
            chart->addSeries(series);
            series->attachAxis(x);
            series->attachAxis(y);
        }
    }
    y->applyNiceNumbers();
    chart->legend()->setFont(font);
    // Laid out as a shown window is; an unshown view renders a blank page.
    view.show();
    QCoreApplication::processEvents();
    QImage image(view.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    view.render(&painter);
    painter.end();
    const double ms = bench::msSince(start);
    return drawn(image) ? ms : -1;
}

double best(bool bars, int runs)
{
    double fastest = std::numeric_limits<double>::max();
    for (int i = 0; i < runs; ++i) {
        const double ms = draw(bars);
        if (ms < 0) {
            std::printf("chart: the picture stayed blank\n");
            std::exit(1);
        }
        fastest = std::min(fastest, ms);
    }
    return fastest;
}

} // namespace

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    draw(true); // fonts and glyph caches once, as a running client has them
    constexpr int runs = 10;
    bench::reportValue("chart 12 months x 20 series, bars (best of 10)", best(true, runs), "ms",
                       100);
    bench::reportValue("chart 12 months x 20 series, lines (best of 10)", best(false, runs), "ms",
                       100);
    return 0;
}
