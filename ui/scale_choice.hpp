// The choice of a norm scale: the standard scales, and a custom one of a typed mean and standard
// deviation, the same list that vornak-batch --scale takes.
#pragma once

#include <optional>

#include <QWidget>

#include "stats/norm_scales.hpp"

class QComboBox;
class QLabel;
class QLineEdit;

namespace ui {

class ScaleChoice : public QWidget {
    Q_OBJECT

public:
    enum class Layout { Row, Stacked };  // the custom scale's boxes beside the list, or below it

    // With `offer_none`, a first entry `none_entry` leaves the scale out, and it is the one
    // chosen at first; otherwise T scores are.
    ScaleChoice(QWidget* parent, bool offer_none, Layout layout, const QString& none_entry = "(none)");

    // The chosen scale; none for "(none)", and while the custom mean or standard deviation is
    // not a number or the standard deviation is not above 0.
    const std::optional<stats::NormScale>& scale() const { return scale_; }

    // The choice as remembered between sessions: a standard scale's name, "custom" or "none",
    // then the custom scale's mean and standard deviation as typed.
    QStringList remembered() const;
    void restore(const QStringList& remembered);

signals:
    void changed();

private:
    void update();
    int custom_entry() const;

    bool offer_none_;
    std::optional<stats::NormScale> scale_;
    QComboBox* cboScale = nullptr;
    QLineEdit* txtMean = nullptr;
    QLineEdit* txtSD = nullptr;
    QLabel* lblCustom = nullptr;
};

}  // namespace ui
