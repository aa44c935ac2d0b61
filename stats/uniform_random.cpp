#include "stats/distrib.hpp"

namespace stats {

RandomState random_state = start_up_random_state;

Extended uniform_random()
{
    std::int32_t k = random_state.s1 / 53668;
    random_state.s1 = 40014 * (random_state.s1 - k * 53668) - k * 12211;
    if (random_state.s1 < 0)
        random_state.s1 += 2147483563;

    k = random_state.s2 / 52774;
    random_state.s2 = 40692 * (random_state.s2 - k * 52774) - k * 3791;
    if (random_state.s2 < 0)
        random_state.s2 += 2147483399;

    std::int32_t z = random_state.s1 - random_state.s2;
    if (z < 1)
        z += 2147483562;
    // This decimal constant, not the exact 1/2147483563, keeps the stream as it always was.
    return z * 4.656613e-10L;
}

}  // namespace stats
