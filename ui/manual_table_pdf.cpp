#include "ui/manual_table_pdf.hpp"

#include <algorithm>
#include <cmath>

#include <QBuffer>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>

#include "norms/write/manual_pages.hpp"

namespace ui {
namespace {

constexpr int resolution = 600;  // dots per inch, for positions finer than a point

QFont sans_font(double points, bool bold = false)
{
    QFont font("Liberation Sans");
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

// The table's font: fixed-pitch, so that the columns laid out in characters line up.
QFont table_font(bool bold = false)
{
    QFont font("Liberation Mono");
    font.setStyleHint(QFont::Monospace);
    font.setPointSizeF(9);
    font.setBold(bold);
    return font;
}

QString text(const std::string& s)
{
    return QString::fromStdString(s);
}

// Where a page's parts go: the title and subtitle at the top, the page number at the foot, the
// table's lines between them.
struct PageFrame {
    QPdfWriter& pdf;
    QFontMetricsF title{sans_font(13, true), &pdf};
    QFontMetricsF subtitle{sans_font(9.5), &pdf};
    QFontMetricsF table{table_font(), &pdf};
    QFontMetricsF foot{sans_font(9), &pdf};
    QFontMetricsF number{sans_font(8), &pdf};

    explicit PageFrame(QPdfWriter& writer) : pdf(writer) {}

    double heading_height() const { return title.lineSpacing() + subtitle.lineSpacing() + table.lineSpacing(); }
    double foot_height() const { return number.lineSpacing() + table.lineSpacing(); }

    QRectF paint_rect(QPageLayout::Orientation orientation) const
    {
        QPageLayout layout = pdf.pageLayout();
        layout.setOrientation(orientation);
        return layout.paintRectPixels(pdf.resolution());
    }

    norms::ManualPageRoom room(QPageLayout::Orientation orientation) const
    {
        const QRectF area = paint_rect(orientation);
        return {static_cast<int>(std::floor(area.width() / table.horizontalAdvance(QLatin1Char('0')))),
                static_cast<int>(std::floor((area.height() - heading_height() - foot_height()) /
                                            table.lineSpacing()))};
    }
};

void draw_page(QPainter& painter, const PageFrame& frame, const norms::ManualPage& page,
               int number, int count)
{
    const QRectF area(QPointF(0, 0), frame.paint_rect(page.landscape ? QPageLayout::Landscape
                                                                     : QPageLayout::Portrait)
                                         .size());
    double y = 0;
    const auto line = [&](const QString& shown, const QFont& font, const QFontMetricsF& metrics) {
        painter.setFont(font);
        painter.drawText(QPointF(0, y + metrics.ascent()),
                         metrics.elidedText(shown, Qt::ElideRight, area.width()));
        y += metrics.lineSpacing();
    };
    // The rules run under the table's lines, as far as the longest.
    int characters = 0;
    for (const auto* lines : {&page.header, &page.body})
        for (const std::string& shown : *lines)
            characters = std::max(characters, norms::text_width(shown));
    const double table_width = std::min(area.width(), characters * frame.table.horizontalAdvance(QLatin1Char('0')));
    const auto rule = [&](const QColor& colour) {
        painter.setPen(QPen(colour, resolution / 144.0));  // half a point
        painter.drawLine(QPointF(0, y), QPointF(table_width, y));
        painter.setPen(Qt::black);
    };
    line(text(page.title), sans_font(13, true), frame.title);
    line(text(page.subtitle), sans_font(9.5), frame.subtitle);
    y += frame.table.lineSpacing() / 2;
    for (const std::string& header : page.header)
        line(text(header), table_font(true), frame.table);
    y += frame.table.descent();
    rule(Qt::black);
    for (std::size_t i = 0; i < page.body.size(); ++i) {
        line(text(page.body[i]), table_font(), frame.table);
        if (i % 5 == 4 && i + 1 < page.body.size())  // a faint rule every five rows guides the eye across
            rule(QColor(0xc8, 0xc8, 0xc8));
    }
    rule(Qt::black);
    if (!page.foot.empty()) {
        y += frame.table.lineSpacing();
        for (const std::string& foot : page.foot)
            line(text(foot), sans_font(9), frame.foot);
    }
    painter.setFont(sans_font(8));
    painter.drawText(QRectF(0, area.height() - frame.number.lineSpacing(), area.width(),
                            frame.number.lineSpacing()),
                     Qt::AlignHCenter | Qt::AlignBottom, QString("Page %1 of %2").arg(number).arg(count));
}

}  // namespace

QByteArray ManualTablePdf(const norms::ManualTable& table)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter pdf(&buffer);
    pdf.setTitle(text(table.title));
    pdf.setCreator("Vornak");
    pdf.setResolution(resolution);
    pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                  QMarginsF(18, 15, 18, 12), QPageLayout::Millimeter));
    const PageFrame frame(pdf);
    const std::vector<norms::ManualPage> pages =
        norms::manual_pages(table, frame.room(QPageLayout::Portrait), frame.room(QPageLayout::Landscape));

    QPainter painter;
    for (std::size_t i = 0; i < pages.size(); ++i) {
        pdf.setPageOrientation(pages[i].landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
        if (i == 0)
            painter.begin(&pdf);
        else
            pdf.newPage();
        draw_page(painter, frame, pages[i], static_cast<int>(i + 1), static_cast<int>(pages.size()));
    }
    painter.end();
    return bytes;
}

}  // namespace ui
