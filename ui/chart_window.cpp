#include "ui/chart_window.hpp"

#include <QHBoxLayout>
#include <QPainter>
#include <QPushButton>

#include "ui/Application.hpp"
#include "ui/chart_picture.hpp"

namespace ui {

ChartWindow::ChartWindow(platform::Desktop& desktop, QWidget* parent)
    : QWidget(parent, Qt::Window), desktop_(desktop)
{
    setObjectName("frmChart");
    setWindowTitle("Chart of the norms table");
    picture_dialog_ = ChartPictureDialog("chart.png");

    buttons_ = new QWidget(this);
    auto* row = new QHBoxLayout(buttons_);
    row->addStretch();
    auto* save = new QPushButton("Save Picture...", buttons_);
    save->setObjectName("cmdSavePicture");
    auto* close = new QPushButton("Close", buttons_);
    close->setObjectName("cmdClose");
    row->addWidget(save);
    row->addWidget(close);
    connect(save, &QPushButton::clicked, this,
            [this] { run_command(desktop_, [this] { cmdSavePictureClick(); }); });
    connect(close, &QPushButton::clicked, this, &QWidget::close);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->addStretch();
    column->addWidget(buttons_);
    setMinimumSize(640, 440);
    resize(ChartPictureSize + QSize(0, buttons_->sizeHint().height()));
}

void ChartWindow::set_chart(norms::ChartModel chart)
{
    chart_ = std::move(chart);
    update();
}

void SaveChartThroughDialog(platform::Desktop& desktop, platform::FileDialog& dialog,
                            const norms::ChartModel& chart)
{
    platform::FileDialog asked = dialog;
    if (!desktop.save_file(asked))
        return;
    const auto format = norms::ChartFormatOf(asked.file_name);
    if (!format) {
        desktop.warning("The picture's file name must end in .png, .svg or .pdf.");
        return;
    }
    dialog.file_name = asked.file_name;
    SaveChartPicture(asked.file_name, *format, chart);
}

platform::FileDialog ChartPictureDialog(const std::string& name)
{
    platform::FileDialog dialog;
    dialog.file_name = name;
    dialog.filter = "PNG image|*.png|SVG drawing|*.svg|PDF document|*.pdf";
    dialog.prompt_overwrite = true;
    return dialog;
}

void ChartWindow::cmdSavePictureClick()
{
    SaveChartThroughDialog(desktop_, picture_dialog_, chart_);
}

void ChartWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    PaintChart(painter, QRectF(0, 0, width(), buttons_->y()), chart_);
}

}  // namespace ui
