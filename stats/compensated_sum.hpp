// A running sum that carries the rounding error of its additions.
#pragma once

#include "stats/distrib.hpp"

namespace stats {

// Each addition splits into the rounded sum and its exact error (Knuth's two-sum), and the
// errors gather in a second sum that is added back once at the end. Summing double-precision
// weights this way in extended precision gives the correctly rounded total for any realistic
// data: the errors are multiples of the smallest weight's last bit, and their sum fits in 64
// bits while the weights span less than about 2^35 over a million cases. So the total does
// not depend on the order of the cases. A plain running sum does: it rounds as soon as a
// partial sum needs more than 64 significant bits, which 2,048 weights of 53 bits can reach.
class CompensatedSum {
public:
    void add(Extended x)
    {
        const Extended sum = sum_ + x;
        const Extended x_part = sum - sum_;
        error_ += (sum_ - (sum - x_part)) + (x - x_part);
        sum_ = sum;
    }

    Extended value() const { return sum_ + error_; }

private:
    Extended sum_ = 0;
    Extended error_ = 0;
};

}  // namespace stats
