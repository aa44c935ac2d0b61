#include "ui/TemplateResults.hpp"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QLayout>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStringList>
#include <QTextBlock>


#include "norms/write/csv_table.hpp"
#include "norms/write/chart_model.hpp"
#include "norms/write/norms_workbook.hpp"
#include "platform/whole_file.hpp"
#include "ui/Application.hpp"
#include "ui/chart_window.hpp"
#include "ui/norm_scales_window.hpp"
#include "ui/qt_print_surface.hpp"
#include "ui/window_parts.hpp"

namespace ui {

namespace {

// The report is laid out in columns by spaces, so it needs a fixed-pitch font.
QFont report_font()
{
    QFont font = typewriter_font(12);
    font.setFixedPitch(true);
    // Whole-pixel advances (7 px) keep the report's 103-character rules on one line of the box.
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

QFont button_font(QFont font)
{
    font.setPixelSize(13);
    font.setBold(true);
    return font;
}

// Black text, and a selection that stays highlighted when the box loses the focus, so the
// user still sees what "Print Selection" will print after clicking the menu.
QPalette report_palette(QPalette palette)
{
    palette.setColor(QPalette::Text, Qt::black);
    for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        palette.setColor(QPalette::Inactive, role, palette.color(QPalette::Active, role));
    return palette;
}

// A selection's text has paragraph and line separators where the box shows line ends.
QString with_line_feeds(QString text)
{
    text.replace(QChar::ParagraphSeparator, u'\n');
    text.replace(QChar::LineSeparator, u'\n');
    return text;
}

}  // namespace

TfrmTemplateResults::TfrmTemplateResults(platform::Desktop& desktop, QWidget* worksheet)
    : QMainWindow(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      desktop_(desktop), worksheet_(worksheet)
{
    setObjectName("frmTemplateResults");
    setWindowTitle("Output");
    SaveDialog1.file_name = "results.txt";
    SaveDialog1.filter = "Text files|*.txt";
    SaveDialog1.prompt_overwrite = true;
    csv_dialog_.file_name = "table.csv";
    csv_dialog_.filter = "CSV files|*.csv";
    csv_dialog_.prompt_overwrite = true;
    xlsx_dialog_.file_name = "table.xlsx";
    xlsx_dialog_.filter = "Excel workbooks|*.xlsx";
    xlsx_dialog_.prompt_overwrite = true;

    createMenu();
    createControls();
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    adjustSize();
    centre_on_screen(*this);
}

void TfrmTemplateResults::createMenu()
{
    QMenu* menu = menuBar()->addMenu("Printer options...");
    mnuPrint = menu->addAction("Print All");
    mnuPrint->setObjectName("mnuPrint");
    connect(mnuPrint, &QAction::triggered, this, [this] { runCommand(&TfrmTemplateResults::mnuPrintClick); });
    mnuPrintSelection = menu->addAction("Print Selection");
    mnuPrintSelection->setObjectName("mnuPrintSelection");
    connect(mnuPrintSelection, &QAction::triggered, this,
            [this] { runCommand(&TfrmTemplateResults::mnuPrintSelectionClick); });

    QMenu* table = menuBar()->addMenu("Table");
    mnuChart = table->addAction("Chart...");
    mnuChart->setObjectName("mnuChart");
    connect(mnuChart, &QAction::triggered, this,
            [this] { runCommand(&TfrmTemplateResults::mnuChartClick); });
    mnuNormScales = table->addAction("Norm Scales...");
    mnuNormScales->setObjectName("mnuNormScales");
    connect(mnuNormScales, &QAction::triggered, this,
            [this] { runCommand(&TfrmTemplateResults::mnuNormScalesClick); });
    mnuExportCsv = table->addAction("Export CSV...");
    mnuExportCsv->setObjectName("mnuExportCsv");
    connect(mnuExportCsv, &QAction::triggered, this,
            [this] { runCommand(&TfrmTemplateResults::mnuExportCsvClick); });
    mnuExportExcel = table->addAction("Export Excel...");
    mnuExportExcel->setObjectName("mnuExportExcel");
    connect(mnuExportExcel, &QAction::triggered, this,
            [this] { runCommand(&TfrmTemplateResults::mnuExportExcelClick); });
}

void TfrmTemplateResults::createControls()
{
    auto* client = new QWidget(this);
    client->setFixedSize(792, 554);
    QFont form_font = client->font();
    form_font.setPixelSize(11);
    client->setFont(form_font);
    setCentralWidget(client);

    Panel1 = new_panel(client, "Panel1", {12, 2, 765, 468}, QFrame::Raised);
    memoResults = new QPlainTextEdit(Panel1);
    memoResults->setObjectName("memoResults");
    memoResults->setGeometry(8, 8, 749, 452);
    memoResults->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    memoResults->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memoResults->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    memoResults->setTabChangesFocus(true);
    memoResults->setFont(report_font());
    memoResults->setPalette(report_palette(memoResults->palette()));

    // Created before the buttons, so that it lies behind them.
    Panel2 = new_panel(client, "Panel2", {12, 482, 765, 49}, QFrame::Sunken);

    const auto add_button = [&](const char* name, const char* caption, int left,
                                void (TfrmTemplateResults::*command)()) {
        auto* button = new QPushButton(caption, client);
        button->setObjectName(name);
        button->setGeometry(left, 488, 161, 37);
        button->setFont(button_font(client->font()));
        connect(button, &QPushButton::clicked, this, [this, command] { runCommand(command); });
        return button;
    };
    cmdSaveOutput = add_button("cmdSaveOutput", "Save Output", 28,
                               &TfrmTemplateResults::cmdSaveOutputClick);
    cmdClearResults = add_button("cmdClearResults", "Clear Results", 220,
                                 &TfrmTemplateResults::cmdClearResultsClick);
    cmdReturn = add_button("cmdReturn", "Return to Worksheet", 411,
                           &TfrmTemplateResults::cmdReturnClick);
    cmdExit = add_button("cmdExit", "Exit", 603, &TfrmTemplateResults::cmdExitClick);

    setTabOrder(memoResults, cmdSaveOutput);
    setTabOrder(cmdSaveOutput, cmdClearResults);
    setTabOrder(cmdClearResults, cmdReturn);
    setTabOrder(cmdReturn, cmdExit);
}

void TfrmTemplateResults::runCommand(void (TfrmTemplateResults::*command)())
{
    run_command(desktop_, [this, command] { (this->*command)(); });
}

void TfrmTemplateResults::show()
{
    QMainWindow::show();
    raise();
    activateWindow();
}

void TfrmTemplateResults::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!shown_before_) {
        shown_before_ = true;
        cmdReturn->setFocus();
    }
}

// The window has no close box and is left through its buttons. A close from the window
// manager (Alt+F4) is refused: with the worksheet hidden it would end the program and lose
// unsaved reports. Closes from the program itself, as when the application quits, go ahead.
void TfrmTemplateResults::closeEvent(QCloseEvent* event)
{
    if (event->spontaneous())
        event->ignore();
    else
        QMainWindow::closeEvent(event);
}

void TfrmTemplateResults::set_caption(const std::string& caption)
{
    setWindowTitle(QString::fromStdString(caption));
}

bool TfrmTemplateResults::has_lines() const
{
    return !memoResults->document()->isEmpty();
}

void TfrmTemplateResults::append_lines(const std::vector<std::string>& lines)
{
    if (lines.empty())
        return;
    const int first_new_line = has_lines() ? memoResults->blockCount() : 0;
    QStringList text;
    for (const std::string& line : lines)
        text << QString::fromStdString(line);
    memoResults->appendPlainText(text.join(u'\n'));
    showFromLine(first_new_line);
}

// Puts the caret at the start of the line and scrolls it to the top of the box, as far as the
// text below it allows: from the end, the box scrolls back just far enough to show the caret.
void TfrmTemplateResults::showFromLine(int line)
{
    QScrollBar* scroll_bar = memoResults->verticalScrollBar();
    scroll_bar->setValue(scroll_bar->maximum());
    memoResults->setTextCursor(QTextCursor(memoResults->document()->findBlockByNumber(line)));
    memoResults->ensureCursorVisible();
}

void TfrmTemplateResults::keep_run(const norms::NormsRun& run)
{
    latest_run_ = run;
    // A chart window left open shows the latest run, as its menu item promises.
    if (chart_window_)
        chart_window_->set_chart(norms::BuildChartModel(run));
    if (norm_scales_window_)
        norm_scales_window_->set_run(run);
}

void TfrmTemplateResults::cmdSaveOutputClick()
{
    platform::FileDialog dialog = SaveDialog1;
    if (!desktop_.save_file(dialog))
        return;
    SaveDialog1.file_name = dialog.file_name;
    const QString text = memoResults->toPlainText().replace(u'\n', QStringLiteral("\r\n"));
    platform::SaveWholeFile(dialog.file_name, text.toStdString());
}

void TfrmTemplateResults::cmdClearResultsClick()
{
    memoResults->clear();
}

void TfrmTemplateResults::cmdReturnClick()
{
    hide();
    if (worksheet_)
        worksheet_->show();
}

void TfrmTemplateResults::cmdExitClick()
{
    if (desktop_.confirm("Exit from program?"))
        QCoreApplication::exit(0);
}

void TfrmTemplateResults::mnuPrintClick()
{
    PrintOnDefaultPrinter(memoResults->font(), memoResults->toPlainText().toStdString());
}

void TfrmTemplateResults::mnuPrintSelectionClick()
{
    const QTextCursor cursor = memoResults->textCursor();
    if (!cursor.hasSelection()) {
        desktop_.warning("You have not selected any text.");
        return;
    }
    PrintOnDefaultPrinter(memoResults->font(),
                          with_line_feeds(cursor.selectedText()).toStdString());
}

bool TfrmTemplateResults::warnWithoutRun()
{
    if (latest_run_)
        return false;
    desktop_.warning("There is no computed table yet. Run Compute first.");
    return true;
}

void TfrmTemplateResults::mnuChartClick()
{
    if (warnWithoutRun())
        return;
    if (!chart_window_) {
        chart_window_ = new ChartWindow(desktop_, this);
        centre_on_screen(*chart_window_);
    }
    chart_window_->set_chart(norms::BuildChartModel(*latest_run_));
    show_in_front(*chart_window_);
}

void TfrmTemplateResults::mnuNormScalesClick()
{
    if (warnWithoutRun())
        return;
    if (!norm_scales_window_) {
        norm_scales_window_ = new NormScalesWindow(desktop_, this);
        centre_on_screen(*norm_scales_window_);
    }
    norm_scales_window_->set_run(*latest_run_);
    show_in_front(*norm_scales_window_);
}

void TfrmTemplateResults::mnuExportCsvClick()
{
    if (warnWithoutRun())
        return;
    norms::ExportNormsCsv(desktop_, csv_dialog_, *latest_run_);
}

void TfrmTemplateResults::mnuExportExcelClick()
{
    if (warnWithoutRun())
        return;
    if (const std::optional<std::string> file = platform::ChooseSaveFile(desktop_, xlsx_dialog_))
        norms::SaveNormsWorkbook(*file, norms::RunWorkbook(*latest_run_));
}

}  // namespace ui
