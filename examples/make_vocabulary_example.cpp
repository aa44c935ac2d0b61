// Writes vocabulary_by_age.csv: a made-up vocabulary test of 50 items, taken by 100 children in
// each one-year age group from 4 to 16, for continuous norms. Vocabulary grows fast in the
// early years and more slowly later: a child's chance of knowing an item is
// logistic(0.9 ability + growth(age)), with growth rising with the logarithm of age, and the raw
// score is the number of items known. About one child in a hundred has no score, left empty or
// written NA (not administered).
//
// The random numbers are drawn by hand from a 64-bit Mersenne Twister, whose sequence the C++
// standard fixes, so that the file comes out byte for byte the same each time.
//
// Usage: make_vocabulary_example OUTPUT_FILE
#include <cmath>
#include <cstdint>
#include <fstream>
#include <iostream>
#include <random>

namespace {

constexpr int items = 50;
constexpr int per_group = 100;

class Draws {
public:
    explicit Draws(std::uint64_t seed) : engine_(seed) {}

    // Uniform on [0, 1), from the top 53 bits.
    double uniform() { return static_cast<double>(engine_() >> 11) * 0x1p-53; }

    // Standard normal, by the Box-Muller transform.
    double normal()
    {
        const double u = 1 - uniform();  // (0, 1]
        const double v = uniform();
        return std::sqrt(-2 * std::log(u)) * std::cos(2 * M_PI * v);
    }

private:
    std::mt19937_64 engine_;
};

double growth(double age)
{
    return -2.3 + 2.81 * std::log(age / 4);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: make_vocabulary_example OUTPUT_FILE\n";
        return 2;
    }
    std::ofstream file(argv[1], std::ios::binary);
    Draws draws(2026);
    file << "id,age,age_group,raw\n";
    int id = 0;
    for (int group = 4; group <= 16; ++group)
        for (int i = 0; i < per_group; ++i) {
            const int hundredths = static_cast<int>(draws.uniform() * 100);
            const double age = group + hundredths / 100.0;
            const double ability = draws.normal();
            const double chance = 1 / (1 + std::exp(-(0.9 * ability + growth(age))));
            int raw = 0;
            for (int item = 0; item < items; ++item)
                raw += draws.uniform() < chance;
            const double missing = draws.uniform();
            char age_text[16];
            std::snprintf(age_text, sizeof age_text, "%d.%02d", group, hundredths);
            file << ++id << ',' << age_text << ',' << group << ',';
            if (missing < 0.005)
                file << "NA";
            else if (missing >= 0.01)
                file << raw;
            file << '\n';
        }
    return file.good() ? 0 : 1;
}
