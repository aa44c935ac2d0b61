// A spin box of scores with a fixed number of decimals. Its value is a whole number of units of
// 10^-decimals, so that with no decimals it is a plain QSpinBox, and with one decimal 159 shows
// as "15.9" and the arrows step by 0.1.
#pragma once

#include <QSpinBox>

namespace ui {

class DecimalSpinBox : public QSpinBox {
    Q_OBJECT

public:
    explicit DecimalSpinBox(QWidget* parent);

    int decimals() const { return decimals_; }
    // Shows the values with `decimals` decimals: the value and the range's ends keep the
    // scores they stand for (to the nearest unit when the unit grows).
    void setDecimals(int decimals);

protected:
    QString textFromValue(int value) const override;
    int valueFromText(const QString& text) const override;
    QValidator::State validate(QString& text, int& position) const override;

private:
    int decimals_ = 0;
};

}  // namespace ui
