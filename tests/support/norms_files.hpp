// Data files for the norms tests, and the report of one small run whose numbers come from
// closed forms rather than from the engines.
#pragma once

#include <string>
#include <vector>

#include "tests/support/temp_files.hpp"

// n = 3, raw scores 0 to 4 with frequencies 0 1 1 1 0, classical method. With n = 3 every
// classical tail is a cubic: I_p(1,3) = 1 - (1-p)^3, I_p(2,2) = 3p^2 - 2p^3, I_p(3,1) = p^3, and
// the limits below solve those (or their averages over the tied cases) for 0.025, 0.975, 0.05
// and 0.95; e.g. 70.8 solves 1 - (1-p)^3 = 0.975. Row 1 (m = 0, k = 1) is also the published
// 0 exact - 86.8 / 0 exact - 81.1. Every root lies at least 0.009 points from a rounding tie,
// well beyond the 0.0015 resolution of the bisection.
inline const char* const classical_n3_file = "0 0\r\n1 1\r\n2 1\r\n3 1\r\n4 0\r\n";

inline std::vector<std::string> classical_n3_report(const std::string& data_file,
                                                    const std::vector<std::string>& notes_block)
{
    const std::string rule(103, '_');
    std::vector<std::string> lines = {
        "",
        "Vornak.exe: Obtaining a table of point and interval estimates of percentile ranks from raw "
        "score frequencies",
        "",
        " THIS PROGRAM IMPLEMENTS STATISTICAL METHODS DEVELOPED IN THE FOLLOWING PAPERS:",
        "",
        " Brown, L. D., Cai, T. T., & DasGupta, A. (2001).",
        " Interval estimation for a binomial proportion.",
        " Statistical Science, 16, 101-133.",
        "",
        "",
    };
    lines.insert(lines.end(), notes_block.begin(), notes_block.end());
    const std::vector<std::string> rest = {
        " INPUTS:",
        " Minimum legitimate raw score= 0",
        " Maximum legitimate raw score= 4",
        " Total sample size (n) for the normative sample= 3",
        "",
        " Frequency data were loaded from the following file: ",
        " " + data_file,
        "",
        "",
        " OUTPUTS:",
        " Table of percentile ranks with accompanying interval estimates:",
        "",
        rule,
        "Raw Score        Percentile              95% Interval              (   90% Interval    ) ",
        "                   Rank             Lower          Upper           (  Lower     Upper  )",
        rule,
        "  0                  0.0              0.0          70.8            (   0.0      63.2   )",
        "  1                 17                0.0          86.8            (   0.0      81.1   )",
        "  2                 50                1.7          98.3            (   3.3      96.7   )",
        "  3                 83               13.2         100.0            (  18.9     100.0   )",
        "  4                100.0             29.2         100.0            (  36.8     100.0   )",
        rule,
        "",
    };
    lines.insert(lines.end(), rest.begin(), rest.end());
    return lines;
}
