#include "ui/decimal_spin_box.hpp"

#include <cmath>
#include <optional>

#include "norms/count/score_grid.hpp"

namespace ui {
namespace {

// The text's value in units of 10^-decimals, if it is a decimal number with at most that many
// decimals; "." or "," is the point.
std::optional<long long> units_of(QString text, int decimals)
{
    text = text.trimmed().replace(',', '.');
    const qsizetype point = text.indexOf('.');
    const QString whole = point < 0 ? text : text.left(point);
    QString fraction = point < 0 ? QString() : text.mid(point + 1);
    if (whole.isEmpty() || fraction.size() > decimals)
        return std::nullopt;
    fraction = fraction.leftJustified(decimals, '0');
    bool ok = false;
    const long long units = (whole + fraction).toLongLong(&ok);
    return ok && !(whole + fraction).contains('-') && !(whole + fraction).contains('+') ? std::optional(units)
                                                                                        : std::nullopt;
}

}  // namespace

DecimalSpinBox::DecimalSpinBox(QWidget* parent) : QSpinBox(parent) {}

void DecimalSpinBox::setDecimals(int decimals)
{
    const double scale = std::pow(10.0, decimals - decimals_);
    const auto scaled = [scale](int units) { return static_cast<int>(std::lround(units * scale)); };
    const int value_now = value();
    decimals_ = decimals;
    setRange(scaled(minimum()), scaled(maximum()));
    setValue(scaled(value_now));
}

QString DecimalSpinBox::textFromValue(int value) const
{
    return QString::fromStdString(norms::ScoreUnitsText(value, decimals_));
}

int DecimalSpinBox::valueFromText(const QString& text) const
{
    return static_cast<int>(units_of(text, decimals_).value_or(value()));
}

QValidator::State DecimalSpinBox::validate(QString& text, int& position) const
{
    if (decimals_ == 0)
        return QSpinBox::validate(text, position);
    if (text.trimmed().isEmpty() || text.trimmed().endsWith('.') || text.trimmed().endsWith(','))
        return QValidator::Intermediate;
    const std::optional<long long> units = units_of(text, decimals_);
    if (!units)
        return QValidator::Invalid;
    return *units >= minimum() && *units <= maximum() ? QValidator::Acceptable : QValidator::Intermediate;
}

}  // namespace ui
