#include "ui/TemplateForm.hpp"

#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QFocusEvent>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextDocumentLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextBlock>
#include <QVBoxLayout>

#include "norms/run/compute_run.hpp"
#include "norms/program_strings.hpp"
#include "norms/write/saved_worksheet.hpp"
#include "stats/interval_method.hpp"
#include "ui/Application.hpp"
#include "ui/numeric_input_box.hpp"
#include "ui/saved_worksheet_location.hpp"
#include "ui/whole_line_text_edit.hpp"
#include "ui/window_parts.hpp"
#include "ui/worksheet_description.hpp"

namespace ui {

namespace {

// Geometry at 96 dots per inch: left, top, width, height.
constexpr QRect client_area{0, 0, 792, 573};
constexpr QRect description_rect{12, 7, 768, 94};
constexpr QRect notes_panel_rect{12, 106, 768, 33};
constexpr QPoint notes_caption_pos{6, 8};
constexpr QPoint notes_pos{112, 110};
constexpr int notes_width = 666;
constexpr QRect inputs_panel_rect{12, 143, 768, 346};
constexpr QRect method_group_rect{232, 16, 441, 81};  // in the inputs panel
constexpr int first_row_top = 120;                    // of the input boxes, in the inputs panel
constexpr int row_spacing = 40;
constexpr QRect input_label_rect{162, 4, 495, 16};    // top relative to its row
constexpr QRect input_box_rect{664, 0, 56, 24};
constexpr QRect buttons_panel_rect{12, 500, 768, 49};
constexpr QRect compute_rect{28, 506, 165, 37};
constexpr QRect clear_rect{220, 506, 161, 37};
constexpr QRect exit_rect{603, 506, 161, 37};

// The methods of RadioGroup1's items, by item index: the one place that index is read.
constexpr std::array<stats::IntervalMethod, 3> method_of_item{
    stats::IntervalMethod::bayesian, stats::IntervalMethod::classical, stats::IntervalMethod::mid_p};

constexpr int description_scroll_threshold = 550;
constexpr int window_font_pixels = 13;
constexpr int notes_font_pixels = 12;

QFont bold(QFont font)
{
    font.setBold(true);
    return font;
}

QPushButton* button(QWidget* parent, const char* name, const char* caption, QRect geometry)
{
    auto* push = new QPushButton(caption, parent);
    push->setObjectName(name);
    push->setGeometry(geometry);
    push->setFont(bold(parent->font()));
    push->setAutoDefault(false);
    return push;
}

// Focus that comes or goes with the whole window (another window activated, a popup) is not
// the user entering or leaving the notes box.
bool is_window_focus_change(const QFocusEvent& event)
{
    return event.reason() == Qt::ActiveWindowFocusReason || event.reason() == Qt::PopupFocusReason;
}

}  // namespace

TfrmTemplate::TfrmTemplate(platform::Desktop& desktop, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      desktop_(desktop),
      saved_worksheet_path_(ChooseSavedWorksheetPath())
{
    setObjectName("frmTemplate");
    // The pixel layout was drawn for a narrow Windows interface font; a wider desktop font would
    // push "User's Notes:" under its box. Liberation Sans keeps those widths.
    QFont window_font("Liberation Sans");
    window_font.setStyleHint(QFont::SansSerif);
    window_font.setPixelSize(window_font_pixels);
    setFont(window_font);
    setFixedSize(client_area.size());
    centre_on_screen(*this);

    createDescription();
    createNotes();
    createMethodAndInputs();
    createButtons();
    setFocusOrder();
    FormCreate();
}

void TfrmTemplate::FormCreate()
{
    memoComments->clear();
    for (NumericInputBox* input : inputs_)
        input->clear();
    setWindowTitle(norms::TitleLine);
    DescripFld->setPlainText(worksheet_description(QLocale::system()));
    for (int i = 0; i < ShownInputSlots; ++i)
        labels_[i]->setText(norms::InputCaptions[i]);
    LoadPreviousData();
}

void TfrmTemplate::createDescription()
{
    DescripFld = new QPlainTextEdit(this);
    DescripFld->setObjectName("DescripFld");
    DescripFld->setGeometry(description_rect);
    DescripFld->setReadOnly(true);
    DescripFld->setFocusPolicy(Qt::ClickFocus);
    QPalette grey = DescripFld->palette();
    grey.setColor(QPalette::Base, grey.color(QPalette::Button));
    DescripFld->setPalette(grey);
    connect(DescripFld, &QPlainTextEdit::textChanged, this, &TfrmTemplate::DescripFldChange);
}

void TfrmTemplate::createNotes()
{
    QFrame* Panel3 = new_panel(this, "Panel3", notes_panel_rect, QFrame::Raised);
    lblComments = new QLabel(norms::NotesCaption, Panel3);
    lblComments->setObjectName("lblComments");
    lblComments->setFont(bold(font()));
    lblComments->move(notes_caption_pos);
    lblComments->adjustSize();

    // A 25-pixel box leaves room for one line only with a slim margin.
    memoComments = new WholeLineTextEdit(2, this);
    memoComments->setObjectName("memoComments");
    memoComments->setFont(typewriter_font(notes_font_pixels));
    memoComments->setGeometry(QRect(notes_pos, QSize(notes_width, NotesHeight)));
    memoComments->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memoComments->setTabChangesFocus(true);
    memoComments->installEventFilter(this);
    connect(memoComments->document(), &QTextDocument::contentsChange, this,
            [this](int position, int, int added) { memoCommentsChange(position, added); });
}

void TfrmTemplate::createMethodAndInputs()
{
    QFrame* Panel1 = new_panel(this, "Panel1", inputs_panel_rect, QFrame::Raised);

    auto* group = new QGroupBox("Method used to generate interval estimates of percentile ranks...",
                                Panel1);
    group->setObjectName("RadioGroup1");
    group->setGeometry(method_group_rect);
    auto* items = new QVBoxLayout(group);
    items->setContentsMargins(8, 2, 8, 2);
    items->setSpacing(0);
    RadioGroup1 = new QButtonGroup(group);
    for (int i = 0; i < std::ssize(method_of_item); ++i) {
        const std::string_view caption = stats::interval_method_entry(method_of_item[i]).caption;
        auto* item = new QRadioButton(QString::fromUtf8(caption.data(), caption.size()), group);
        RadioGroup1->addButton(item, i);
        items->addWidget(item);
    }
    RadioGroup1->button(0)->setChecked(true);

    for (int i = 0; i < InputSlotCount; ++i) {
        const int row_top = first_row_top + i * row_spacing;
        const QString number = QString::number(i + 1);
        labels_[i] = new QLabel(Panel1);
        labels_[i]->setObjectName("Label" + number);
        labels_[i]->setGeometry(input_label_rect.translated(0, row_top));
        labels_[i]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        inputs_[i] = new NumericInputBox(desktop_, Panel1);
        inputs_[i]->setObjectName((i + 1 == InputSlotCount ? "txtinput" : "txtInput") + number);
        inputs_[i]->setGeometry(input_box_rect.translated(0, row_top));
        inputs_[i]->setFont(bold(font()));
    }
}

void TfrmTemplate::createButtons()
{
    new_panel(this, "pan1", buttons_panel_rect, QFrame::Sunken);
    cmdCompute = button(this, "cmdCompute", "Compute", compute_rect);
    btnclearData = button(this, "btnclearData", "Clear Data ", clear_rect);
    ExitBtn = button(this, "ExitBtn", "Exit", exit_rect);
    connect(cmdCompute, &QPushButton::clicked, this, &TfrmTemplate::cmdComputeClick);
    connect(btnclearData, &QPushButton::clicked, this, &TfrmTemplate::btnclearDataClick);
    connect(ExitBtn, &QPushButton::clicked, this, &TfrmTemplate::ExitBtnClick);
}

void TfrmTemplate::setFocusOrder()
{
    std::vector<QWidget*> order(inputs_.begin(), inputs_.begin() + ShownInputSlots);
    for (QAbstractButton* item : RadioGroup1->buttons())
        order.push_back(item);
    order.insert(order.end(), {memoComments, cmdCompute, btnclearData, ExitBtn});
    for (std::size_t i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

void TfrmTemplate::LoadPreviousData()
{
    for (int i = 0; i < InputSlotCount; ++i) {
        labels_[i]->setVisible(i < ShownInputSlots);
        inputs_[i]->setVisible(i < ShownInputSlots);
    }
}

void TfrmTemplate::set_results_viewer(norms::ResultsView& viewer)
{
    results_viewer_ = &viewer;
}

void TfrmTemplate::set_saved_worksheet_path(std::string path)
{
    saved_worksheet_path_ = std::move(path);
}

NumericInputBox* TfrmTemplate::box(int number) const
{
    return inputs_.at(number - 1);
}

std::string TfrmTemplate::input_text(int number) const
{
    return box(number)->text().toStdString();
}

std::string TfrmTemplate::label_caption(int number) const
{
    return labels_.at(number - 1)->text().toStdString();
}

int TfrmTemplate::visible_input_count() const
{
    return ShownInputSlots;
}

stats::IntervalMethod TfrmTemplate::interval_method() const
{
    return method_of_item.at(RadioGroup1->checkedId());
}

std::vector<std::string> TfrmTemplate::notes_lines() const
{
    std::vector<std::string> lines;
    const QTextDocument* document = memoComments->document();
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        // Asking for the block's extent makes the layout wrap it at the box's width.
        document->documentLayout()->blockBoundingRect(block);
        const QTextLayout* layout = block.layout();
        const QString text = block.text();
        if (layout == nullptr || layout->lineCount() == 0) {
            lines.push_back(text.toStdString());
            continue;
        }
        for (int i = 0; i < layout->lineCount(); ++i) {
            const QTextLine line = layout->lineAt(i);
            lines.push_back(text.mid(line.textStart(), line.textLength()).toStdString());
        }
    }
    // Like the lines of a text box, a final empty line after a line break is not a line.
    if (!lines.empty() && lines.back().empty())
        lines.pop_back();
    return lines;
}

std::string TfrmTemplate::notes_caption() const
{
    return lblComments->text().toStdString();
}

// Like any input box the program moves the focus into, the box selects its whole text, so the
// next key typed replaces the value the user is asked to correct.
void TfrmTemplate::focus_input(int number)
{
    box(number)->setFocus(Qt::OtherFocusReason);
    box(number)->selectAll();
}

void TfrmTemplate::hide()
{
    QWidget::hide();
}

void TfrmTemplate::save_current_data()
{
    std::vector<std::string> texts;
    for (int number = 1; number <= InputSlotCount; ++number)
        texts.push_back(input_text(number));
    norms::SaveCurrentData(saved_worksheet_path_, texts);
}

platform::FileDialog& TfrmTemplate::open_dialog()
{
    return OpenDialog1;
}

void TfrmTemplate::cmdComputeClick()
{
    run_command(desktop_, [this] {
        norms::NormsRun run;
        norms::RunCompute(desktop_, *this, *results_viewer_, run);
    });
}

void TfrmTemplate::btnclearDataClick()
{
    for (NumericInputBox* input : inputs_)
        input->clear();
    memoComments->clear();
    norms::DeleteSavedWorksheet(saved_worksheet_path_);
    focus_input(1);
}

void TfrmTemplate::ExitBtnClick()
{
    if (desktop_.confirm("Exit from program?"))
        close();
}

void TfrmTemplate::closeEvent(QCloseEvent* event)
{
    event->accept();
    QCoreApplication::quit();
}

void TfrmTemplate::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (event->spontaneous())
        return;
    if (box(1)->text().isEmpty()) {
        focus_input(1);
    } else {
        raise();
        activateWindow();
    }
}

void TfrmTemplate::DescripFldChange()
{
    const bool long_text = DescripFld->toPlainText().size() > description_scroll_threshold;
    DescripFld->setVerticalScrollBarPolicy(long_text ? Qt::ScrollBarAlwaysOn
                                                     : Qt::ScrollBarAlwaysOff);
}

bool TfrmTemplate::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == memoComments) {
        switch (event->type()) {
        case QEvent::FocusIn:
            if (!is_window_focus_change(static_cast<QFocusEvent&>(*event)))
                memoCommentsEnter();
            break;
        case QEvent::FocusOut:
            if (!is_window_focus_change(static_cast<QFocusEvent&>(*event)))
                memoCommentsExit();
            break;
        case QEvent::KeyRelease:
            memoCommentsKeyUp(static_cast<QKeyEvent*>(event)->key());
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

bool TfrmTemplate::notesHoldSeveralLines() const
{
    return notes_lines().size() > 1;
}

void TfrmTemplate::expandNotes()
{
    memoComments->resize(notes_width, NotesExpandedHeight);
    // Grown, the box reaches over the panel below it.
    memoComments->raise();
}

void TfrmTemplate::memoCommentsEnter()
{
    if (notesHoldSeveralLines())
        expandNotes();
}

void TfrmTemplate::memoCommentsKeyUp(int key)
{
    if (notesHoldSeveralLines() || key == Qt::Key_Return || key == Qt::Key_Enter)
        expandNotes();
}

void TfrmTemplate::memoCommentsExit()
{
    memoComments->resize(notes_width, NotesHeight);
}

void TfrmTemplate::memoCommentsChange(int position, int added)
{
    QTextDocument* document = memoComments->document();
    const int excess = document->toPlainText().size() - NotesMaxLength;
    if (excess <= 0)
        return;
    // Keep the notes within their limit by cutting the end of what was just typed or pasted.
    // A change may count the document's closing paragraph mark, which cannot be cut.
    const int end = std::min(position + added, document->characterCount() - 1);
    QTextCursor cursor(document);
    cursor.setPosition(std::max(position, end - excess));
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
}

}  // namespace ui
