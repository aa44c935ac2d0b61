#include "stats/beta_line_closed_form.hpp"

namespace stats {
namespace {

// I_p from its two tails, through the smaller one.
Extended distribution_value(const BetaTails& tails)
{
    return tails.lower <= 0.5L ? tails.lower : 1 - tails.upper;
}

// weight · I_p split into a whole part and a part of the size of the smaller tail.
void add_weighted(Extended weight, const BetaTails& tails, Extended& whole, Extended& rest)
{
    if (tails.lower <= 0.5L) {
        rest += weight * tails.lower;
    } else {
        whole += weight;
        rest -= weight * tails.upper;
    }
}

}  // namespace

BetaLineClosedForm::BetaLineClosedForm(tBeta_distribution& beta, Extended a, Extended b,
                                       long long last)
    : a(a), b(b), last(last)
{
    if (last < 0)
        return;
    beta.set_parameters(a, b, 0);
    beta.set_parameters(a + last, b - last, 0);
    first_end.emplace(a, b);
    if (last > 0)
        last_end.emplace(a + last, b - last);
}

BetaLineSum BetaLineClosedForm::sum(Extended p) const
{
    if (last < 0)
        return {0, 0, 0};
    const BetaTails first = first_end->at(p);
    const Extended first_term = distribution_value(first);
    if (last == 0)
        return {first_term, first_term, first_term};

    const BetaTails end = last_end->at(p);
    const Extended mu = (a + b - 1) * p;
    Extended whole = 0;
    Extended rest = first.density - end.density;
    add_weighted(1 - (a - mu), first, whole, rest);
    add_weighted(a + Extended(last) - mu, end, whole, rest);
    return {whole + rest, first_term, distribution_value(end)};
}

}  // namespace stats
