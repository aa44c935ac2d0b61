#include "ui/manual_table_dialog.hpp"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSettings>

#include "norms/write/group_outputs.hpp"
#include "norms/write/manual_workbook.hpp"
#include "platform/failure.hpp"
#include "platform/whole_file.hpp"
#include "ui/manual_table_pdf.hpp"
#include "ui/scale_choice.hpp"

namespace ui {
namespace {

// Each entry holds what the settings keep: the name --manual-interval and --reversals take.
const std::pair<const char*, const char*> interval_entries[] = {
    {"95% interval", "95"}, {"90% interval", "90"}, {"No interval", "none"}};
const std::pair<const char*, const char*> reversal_entries[] = {
    {"Do not look for them", ""},
    {"Ability increases across the groups", "increasing"},
    {"Ability decreases across the groups", "decreasing"}};

QComboBox* choice_box(QWidget* parent, const char* name, const auto& entries, const QVariant& remembered)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    for (const auto& [shown, kept] : entries)
        box->addItem(shown, QString(kept));
    box->setCurrentIndex(std::max(0, box->findData(remembered)));
    return box;
}

}  // namespace

ManualTableDialog::ManualTableDialog(QSettings& settings, QWidget* parent)
    : QDialog(parent), settings_(settings)
{
    setObjectName("dlgManualTable");
    setWindowTitle("Export Manual Table");
    auto* form = new QFormLayout(this);
    txtTitle = new QLineEdit(settings.value("manual/title").toString(), this);
    txtTitle->setObjectName("txtTitle");
    txtTitle->setPlaceholderText("Norms table");
    form->addRow("&Title:", txtTitle);
    scale_choice_ = new ScaleChoice(this, true, ScaleChoice::Layout::Stacked, "percentile rank (PR)");
    scale_choice_->setObjectName("scaleChoice");
    scale_choice_->restore(settings.value("manual/scale").toStringList());
    form->addRow("&Norm score:", scale_choice_);
    static_cast<QLabel*>(form->labelForField(scale_choice_))->setBuddy(scale_choice_->focusProxy());
    cboInterval = choice_box(this, "cboInterval", interval_entries, settings.value("manual/interval"));
    form->addRow("&Interval:", cboInterval);
    cboReversals = choice_box(this, "cboReversals", reversal_entries, settings.value("manual/reversals"));
    form->addRow("&Reversals:", cboReversals);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

norms::ManualChoices ManualTableDialog::choices() const
{
    norms::ManualChoices chosen;
    chosen.scale = scale_choice_->scale();
    chosen.interval = norms::manual_interval_named(cboInterval->currentData().toString().toStdString())
                          .value_or(norms::ManualInterval::level95);
    chosen.reversals = norms::ability_trend_named(cboReversals->currentData().toString().toStdString());
    return chosen;
}

std::string ManualTableDialog::title() const
{
    return txtTitle->text().toStdString();
}

void ManualTableDialog::accept()
{
    settings_.setValue("manual/title", txtTitle->text());
    settings_.setValue("manual/scale", scale_choice_->remembered());
    settings_.setValue("manual/interval", cboInterval->currentData());
    settings_.setValue("manual/reversals", cboReversals->currentData());
    QDialog::accept();
}

void ExportManualTable(platform::Desktop& desktop, platform::FileDialog& proposed,
                       const norms::GroupTables& tables, const norms::ManualChoices& choices,
                       const std::string& title)
{
    platform::FileDialog asked = proposed;
    if (!desktop.save_file(asked))
        return;
    const std::optional<norms::ManualFormat> format = norms::manual_format_of(asked.file_name);
    if (!format) {
        desktop.warning("The manual table's file name must end in .pdf or .xlsx.");
        return;
    }
    proposed.file_name = asked.file_name;
    const norms::ManualTable table = norms::group_tables_manual(tables, choices, title);
    const std::string& path = asked.file_name;
    try {
        platform::SaveWholeFile(path, *format == norms::ManualFormat::pdf
                                          ? ManualTablePdf(table).toStdString()
                                          : norms::manual_workbook_file(path, table));
    } catch (const platform::FileFailure& failure) {
        throw platform::output_failure(path, failure.error_code());
    }
}

platform::FileDialog ManualTableFileDialog(const std::string& name)
{
    return {name, "PDF document|*.pdf|Excel workbook|*.xlsx", "", false, true};  // asks before overwriting
}

}  // namespace ui
