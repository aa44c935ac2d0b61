#include "ui/scale_choice.hpp"

#include <QComboBox>
#include <QBoxLayout>
#include <QLabel>
#include <QLineEdit>

#include "norms/tables/scale_columns.hpp"

namespace ui {
namespace {

const QString none_name = "none";
const QString custom_name = "custom";

}  // namespace

ScaleChoice::ScaleChoice(QWidget* parent, bool offer_none, Layout layout, const QString& none_entry)
    : QWidget(parent), offer_none_(offer_none)
{
    cboScale = new QComboBox(this);
    cboScale->setObjectName("cboScale");
    if (offer_none)
        cboScale->addItem(none_entry);
    for (const stats::NormScale& scale : stats::StandardNormScales())
        cboScale->addItem(QString::fromStdString(scale.title + " (" + scale.name + ")"));
    cboScale->addItem("custom (M, SD)");
    cboScale->setCurrentIndex(offer_none ? 0 : 1);  // none, or T scores
    setFocusProxy(cboScale);

    txtMean = new QLineEdit("500", this);
    txtMean->setObjectName("txtMean");
    txtSD = new QLineEdit("100", this);
    txtSD->setObjectName("txtSD");
    for (QLineEdit* box : {txtMean, txtSD})
        box->setMaximumWidth(80);
    lblCustom = new QLabel(this);
    lblCustom->setObjectName("lblCustom");
    lblCustom->setWordWrap(layout == Layout::Stacked);

    const auto add_custom_boxes = [this](QBoxLayout* layout) {
        layout->addWidget(new QLabel("M", this));
        layout->addWidget(txtMean);
        layout->addWidget(new QLabel("SD", this));
        layout->addWidget(txtSD);
    };
    if (layout == Layout::Row) {
        auto* row = new QHBoxLayout(this);
        row->setContentsMargins(0, 0, 0, 0);
        row->addWidget(cboScale);
        row->addSpacing(16);
        add_custom_boxes(row);
        row->addWidget(lblCustom);
        row->addStretch();
    } else {
        auto* column = new QVBoxLayout(this);
        column->setContentsMargins(0, 0, 0, 0);
        column->addWidget(cboScale);
        auto* custom = new QHBoxLayout;
        add_custom_boxes(custom);
        custom->addStretch();
        column->addLayout(custom);
        column->addWidget(lblCustom);
    }

    connect(cboScale, &QComboBox::currentIndexChanged, this, &ScaleChoice::update);
    connect(txtMean, &QLineEdit::textChanged, this, &ScaleChoice::update);
    connect(txtSD, &QLineEdit::textChanged, this, &ScaleChoice::update);
    update();
}

int ScaleChoice::custom_entry() const
{
    return cboScale->count() - 1;
}

void ScaleChoice::update()
{
    const int chosen = cboScale->currentIndex();
    const bool custom = chosen == custom_entry();
    txtMean->setEnabled(custom);
    txtSD->setEnabled(custom);
    lblCustom->clear();
    lblCustom->setVisible(false);
    if (custom) {
        std::string reason;
        scale_ = norms::ParseScaleOption(
            txtMean->text().trimmed().toStdString() + "," + txtSD->text().trimmed().toStdString(),
            reason);
        if (!scale_) {
            lblCustom->setText("Type a mean and a standard deviation above 0, with \".\" as the "
                               "decimal point.");
            lblCustom->setVisible(true);
        }
    } else if (offer_none_ && chosen == 0) {
        scale_.reset();
    } else {
        scale_ = stats::StandardNormScales()[chosen - (offer_none_ ? 1 : 0)];
    }
    emit changed();
}

QStringList ScaleChoice::remembered() const
{
    const int chosen = cboScale->currentIndex();
    QString name;
    if (chosen == custom_entry())
        name = custom_name;
    else if (offer_none_ && chosen == 0)
        name = none_name;
    else
        name = QString::fromStdString(stats::StandardNormScales()[chosen - (offer_none_ ? 1 : 0)].name);
    return {name, txtMean->text(), txtSD->text()};
}

void ScaleChoice::restore(const QStringList& remembered)
{
    if (remembered.size() != 3)
        return;
    txtMean->setText(remembered[1]);
    txtSD->setText(remembered[2]);
    const QString& name = remembered[0];
    if (name == custom_name) {
        cboScale->setCurrentIndex(custom_entry());
    } else if (name == none_name && offer_none_) {
        cboScale->setCurrentIndex(0);
    } else {
        const auto& standard = stats::StandardNormScales();
        for (std::size_t i = 0; i < standard.size(); ++i)
            if (QString::fromStdString(standard[i].name) == name)
                cboScale->setCurrentIndex(static_cast<int>(i) + (offer_none_ ? 1 : 0));
    }
}

}  // namespace ui
