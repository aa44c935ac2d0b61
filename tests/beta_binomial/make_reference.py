#!/usr/bin/python3
"""Writes the beta-binomial reference sample and an independent maximum-likelihood fit of it.

The sample: 1,500 children aged 6 to 12 (ages to three decimals) answering a test of 30 items,
their scores drawn from a beta-binomial distribution whose log-shapes are cubic in age. The fit:
log alpha and log beta cubic in the standardised age (age less the mean age, divided by the SD
with n - 1), the log-likelihood from scipy.stats.betabinom, maximised by BFGS on numerical
gradients, then polished by Nelder-Mead. No analytic derivative is shared with Vornak's fit.

Writes sample.csv (age,raw) and reference.txt beside this script:
  items N / degrees A B / log_likelihood L / age_mean M / age_sd S
  norm AGE RAW T     the T score of the mid-rank PR P(X < x) + P(X = x)/2

Run with Debian's python3 and python3-scipy (apt-get install python3-scipy):
  tests/beta_binomial/make_reference.py
"""
import math
import os

import numpy as np
from scipy import optimize, stats

HERE = os.path.dirname(os.path.abspath(__file__))
ITEMS = 30
DEGREE = 3
TABLE_AGES = [6.5, 8, 9.5, 11, 11.9]


def log_shapes(theta, x):
    a = np.polynomial.polynomial.polyval(x, theta[: DEGREE + 1])
    b = np.polynomial.polynomial.polyval(x, theta[DEGREE + 1 :])
    return a, b


def main():
    rng = np.random.default_rng(20261208)
    n = 1500
    ages = np.round(rng.uniform(6, 12, n), 3)
    true_alpha = [0.9, 0.55, -0.08, 0.03]
    true_beta = [1.1, -0.35, 0.06, -0.02]
    u = (ages - 9) / 1.7
    alpha = np.exp(np.polynomial.polynomial.polyval(u, true_alpha))
    beta = np.exp(np.polynomial.polynomial.polyval(u, true_beta))
    raw = stats.betabinom.rvs(ITEMS, alpha, beta, random_state=rng)

    mean = ages.mean()
    sd = ages.std(ddof=1)
    x = (ages - mean) / sd

    def negative_log_likelihood(theta):
        a, b = log_shapes(theta, x)
        if np.any(np.abs(a) > 30) or np.any(np.abs(b) > 30):
            return np.inf
        return -np.sum(stats.betabinom.logpmf(raw, ITEMS, np.exp(a), np.exp(b)))

    start = np.zeros(2 * (DEGREE + 1))
    best = optimize.minimize(negative_log_likelihood, start, method="BFGS", options={"gtol": 1e-8, "maxiter": 10000})
    for _ in range(3):
        polished = optimize.minimize(negative_log_likelihood, best.x, method="Nelder-Mead",
                                     options={"xatol": 1e-10, "fatol": 1e-12, "maxiter": 40000, "maxfev": 40000})
        if polished.fun <= best.fun:
            best = polished
        again = optimize.minimize(negative_log_likelihood, best.x, method="BFGS", options={"gtol": 1e-9})
        if again.fun <= best.fun:
            best = again

    a, b = log_shapes(best.x, x)
    log_likelihood = math.fsum(stats.betabinom.logpmf(raw, ITEMS, np.exp(a), np.exp(b)))
    with open(os.path.join(HERE, "sample.csv"), "w") as out:
        out.write("age,raw\n")
        for age, score in zip(ages, raw):
            out.write(f"{age:.3f},{score}\n")
    with open(os.path.join(HERE, "reference.txt"), "w") as out:
        out.write(f"items {ITEMS}\ndegrees {DEGREE} {DEGREE}\n")
        out.write(f"log_likelihood {log_likelihood!r}\nage_mean {mean!r}\nage_sd {sd!r}\n")
        for age in TABLE_AGES:
            a, b = log_shapes(best.x, np.array([(age - mean) / sd]))
            scores = np.arange(ITEMS + 1)
            p = stats.betabinom.pmf(scores, ITEMS, np.exp(a[0]), np.exp(b[0]))
            mid = np.cumsum(p) - p / 2
            for score, proportion in zip(scores, mid):
                out.write(f"norm {age} {score} {50 + 10 * stats.norm.ppf(proportion)!r}\n")


if __name__ == "__main__":
    main()
