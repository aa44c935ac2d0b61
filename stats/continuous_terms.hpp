// The candidate terms of a continuous norm model: products L^i A^j of the location L (a case's
// normal score within its ranking group, on the model's scale) and the explanatory variable A
// (age, or the group's value), named "L2", "A1", "L2A1".
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace stats {

// The largest power of L and of A that a model may take.
inline constexpr int max_term_power = 6;

struct PowerTerm {
    int L_power = 0;
    int A_power = 0;

    friend bool operator==(const PowerTerm&, const PowerTerm&) = default;
};

std::string term_name(PowerTerm term);

// The term a name stands for, if it is one: "L" with a power 1 … 6, "A" with one, or both in
// that order. Powers are single digits without a sign or leading zero.
std::optional<PowerTerm> parse_term_name(std::string_view name);

// Every L^i A^j with 0 <= i <= k, 0 <= j <= t, not both 0: first L1 … Lk, then A1 … At, then
// the products by the power of L and then of A (L1A1, L1A2, …). Lower powers come first, so a
// term that the data cannot tell apart from the ones before it is a high one.
// Requires 0 <= k, t <= max_term_power.
std::vector<PowerTerm> candidate_terms(int k, int t);

// How many terms candidate_terms(k, t) gives: every L^i A^j but L^0 A^0.
constexpr int candidate_term_count(int k, int t)
{
    return (k + 1) * (t + 1) - 1;
}

}  // namespace stats
