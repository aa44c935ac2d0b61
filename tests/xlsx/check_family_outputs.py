#!/usr/bin/python3
"""Reads back the workbook, chart and manual table of vornak-batch continuous --family best for
each family that can win, and checks that they are the winner's own: the beta-binomial's and the
Taylor model's against their own runs, to the byte or the last digit; the groups' own norms
against the --csv cells and the per-group norms of vornak-batch scores.

Usage: check_family_outputs.py VORNAK_BATCH
"""
import csv
import io
import math
import os
import random
import subprocess
import sys
import tempfile

import openpyxl

batch = sys.argv[1]
folder = tempfile.mkdtemp()


def run(form, *arguments):
    done = subprocess.run([batch, form, *arguments], capture_output=True, text=True)
    assert done.returncode == 0, (arguments, done.stderr)
    return done


def write_cases(name, header, rows):
    path = os.path.join(folder, name)
    with open(path, "w", newline="") as out:
        writer = csv.writer(out)
        writer.writerow(header)
        writer.writerows(rows)
    return path


def outputs(tag, *arguments):
    """Runs the form with every output; gives the report and the outputs' paths."""
    paths = {kind: os.path.join(folder, tag + suffix) for kind, suffix in
             [("xlsx", ".xlsx"), ("plot", ".svg"), ("manual", "_manual.xlsx"), ("model", ".json")]}
    done = run("continuous", "--xlsx", paths["xlsx"], "--plot", paths["plot"], "--manual", paths["manual"],
               "--save-model", paths["model"], *arguments)
    return done, paths


def sheets(path):
    book = openpyxl.load_workbook(path)
    return {name: [list(row) for row in book[name].iter_rows(values_only=True)] for name in book.sheetnames}


def content(path):
    with open(path, "rb") as file:
        return file.read()


def family_rows(about):
    return [row[1] for row in about if row[0] == "Family choice"]


def same_as_own(best_paths, own_paths, chosen):
    """Every output of the winner's own run, the About sheet with the family's rows beside."""
    best, own = sheets(best_paths["xlsx"]), sheets(own_paths["xlsx"])
    assert best.keys() == own.keys(), (best.keys(), own.keys())
    for name in own:
        if name != "About":
            assert best[name] == own[name], name
    assert [row for row in best["About"] if row[0] != "Family choice"] == own["About"], best["About"]
    assert "Chosen: " + chosen in family_rows(best["About"]), best["About"]
    assert content(best_paths["plot"]) == content(own_paths["plot"])
    assert sheets(best_paths["manual"]) == sheets(own_paths["manual"])
    assert content(best_paths["model"]) == content(own_paths["model"])


# The beta-binomial wins where the population is one: a 20-item test with a floor at 0.
draw = random.Random(5)
counts = []
for _ in range(600):
    age = 6 + 6 * draw.random()
    mean = 0.1 + 0.06 * (age - 6)
    p = draw.betavariate(3 * mean, 3 * (1 - mean))
    counts.append([repr(age), sum(draw.random() < p for _ in range(20))])
data = write_cases("floor.csv", ["age", "raw"], counts)
common = ["--score", "raw", "--age", "age", "--ages", "7,10.5"]
best, best_paths = outputs("bb_best", "--family", "best", "--width", "1", *common, "0", "20", data)
assert "   Chosen: beta-binomial\n" in best.stdout, best.stdout
_, own_paths = outputs("bb_own", "--family", "betabinomial", "--items", "20", *common, "0", "20", data)
same_as_own(best_paths, own_paths, "beta-binomial")

# The Taylor model alone is judged for scores with decimals, where groups are not the ages.
draw = random.Random(11)
people = []
for band in range(6, 11):
    for _ in range(50):
        age = band + draw.random()
        logit = 0.9 * draw.gauss(0, 1) + 0.35 * (age - 8.5)
        people.append([band, repr(age), round(30 / (1 + math.exp(-logit))) + 0.5])
data = write_cases("decimals.csv", ["band", "age", "raw"], people)
common = ["--score", "raw", "--group", "band", "--age", "age", "--ages", "7,8.5", "0", "31", data]
best, best_paths = outputs("taylor_best", "--family", "best", *common)
assert "   Chosen: Taylor polynomial\n" in best.stdout, best.stdout
_, own_paths = outputs("taylor_own", "--family", "taylor", *common)
same_as_own(best_paths, own_paths, "Taylor polynomial")

# The groups' own norms win where the groups' middles zigzag, which no smooth curve follows.
draw = random.Random(12)
zigzag = [[group, min(40, max(0, round(20 + 5 * draw.gauss(0, 1) + (4 if group % 2 else -4))))]
          for group in range(1, 9) for _ in range(400)]
data = write_cases("zigzag.csv", ["band", "raw"], zigzag)
common = ["--score", "raw", "--group", "band", "--bootstrap", "20", "0", "40", data]
best, paths = outputs("groups_best", "--family", "best", *common)
assert "   Chosen: the ranking groups' own norms\n" in best.stdout, best.stdout
assert not os.path.exists(paths["model"])
assert best.stderr == ("--save-model wrote no file: no model was chosen, as the ranking groups' own norms made "
                       "the tables\n"), best.stderr
book = sheets(paths["xlsx"])
rows = list(csv.reader(io.StringIO(run("continuous", "--family", "best", "--csv", *common).stdout)))
assert list(book) == ["About"] + ["Age " + str(group) for group in range(1, 9)], list(book)
for group in range(1, 9):
    cells = book["Age " + str(group)]
    assert cells[0] == rows[0], cells[0]
    # The CSV's own numbers to the last digit; a score below or above every case's as its text.
    expected = [[x if x in ("-inf", "inf") else float(x) for x in row] for row in rows[1:] if row[0] == str(group)]
    assert cells[1:] == expected, group
about = dict((row[0], row[1]) for row in book["About"])
assert about["Model"] == "The ranking groups' own norms" and "Intercept" not in about, book["About"]
assert about["Tables"].startswith("no model: each raw score's mid-rank PR among the cases of its ranking group, "
                                  "with exact limits by the Bayesian method"), about["Tables"]
assert "Chosen: the ranking groups' own norms" in family_rows(book["About"])
assert "The ranking groups' own norms on the T scale" in content(paths["plot"]).decode()

# The manual's cells and sizes are each group's own norms table, as vornak-batch scores makes it; a raw
# score below or above every case of its group shows the group's end, "<0.1" or ">99.9", instead.
scores_manual = os.path.join(folder, "groups_scores_manual.xlsx")
run("scores", "--group", "band", "--score", "raw", "--manual", scores_manual, "0", "40", data)


def body(rows):
    """The rows of raw scores, each its score and a cell per column."""
    return [row[1:] for row in rows if isinstance(row[0], str) and row[0].isdigit()]


def sizes(rows):
    return [row for row in rows if isinstance(row[1], str) and row[1].startswith("n = ")]


ours, theirs = sheets(paths["manual"])["Manual"], sheets(scores_manual)["Manual"]
assert sizes(ours) == sizes(theirs) == [[None] + ["n = 400"] * 8], sizes(ours)
ours, theirs = body(ours), body(theirs)
assert len(ours) == len(theirs) == 41, (len(ours), len(theirs))
within = [(a, b) for row, own in zip(ours, theirs) for a, b in zip(row, own) if not a[0] in "<>"]
assert len(within) > 41 * 5 and all(a == b for a, b in within), [(a, b) for a, b in within if a != b][:3]
print("ok")
