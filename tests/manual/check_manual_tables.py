#!/usr/bin/python3
"""Reads vornak-batch's manual tables back, the PDF through pdftotext and the workbook through
openpyxl, and checks every cell against the --csv table rounded as the windows round it.

Usage: check_manual_tables.py VORNAK_BATCH EXAMPLES_FOLDER
"""
import csv
import decimal
import io
import os
import re
import subprocess
import sys
import tempfile

import openpyxl

batch, examples = sys.argv[1], sys.argv[2]
data = os.path.join(examples, "spelling_by_age.csv")
folder = tempfile.mkdtemp()
common = ["scores", "--group", "age_band", "--score", "raw", "--notes", "Spelling test\nspring"]
groups = ["8", "9", "10"]
sizes = {"8": 97, "9": 103, "10": 100}


def run(*arguments):
    done = subprocess.run([batch, *common, *arguments, "0", "30", data], capture_output=True, text=True)
    assert done.returncode == 0, done.stderr
    return done


# The CSV's values by group and raw score, with every digit.
table = {}
for row in csv.DictReader(io.StringIO(run("--csv", "--scale", "T").stdout)):
    table[(row["group"], int(row["raw_score"]))] = row


def fixed(text, decimals):
    """The number as the windows print it: to its decimals, halves away from zero."""
    return str(decimal.Decimal(text).quantize(decimal.Decimal(1).scaleb(-decimals), decimal.ROUND_HALF_UP))


def rank(text):
    value = decimal.Decimal(text)
    return fixed(text, 1 if value < 5 or value > 95 else 0)


def limit(text):
    return fixed(str(decimal.Decimal(text) * 100), 1)


def t_score(text):
    if text == "-inf" or (text != "inf" and decimal.Decimal(text) < 10):
        return "<10"
    if text == "inf" or decimal.Decimal(text) > 90:
        return ">90"
    return fixed(text, 0)


def expected_cell(group, score, scale, level):
    row = table[(group, score)]
    if scale == "PR":
        point, low, high = rank(row["pr"]), limit(row["lower" + level]), limit(row["upper" + level])
    else:
        point, low, high = (t_score(row[name]) for name in ("T", "T_lower" + level, "T_upper" + level))
    return f"{point} ({low}\u2013{high})"


def scores_of(raw):
    first, _, last = raw.partition("\u2013")
    return range(int(first), int(last or first) + 1)


def check_rows(rows, scale, level, where):
    """Every raw score once, each cell as the CSV gives it, no two neighbouring rows alike."""
    seen = []
    for raw, cells in rows:
        assert len(cells) == len(groups), (where, raw, cells)
        for score in scores_of(raw):
            seen.append(score)
            for group, cell in zip(groups, cells):
                assert cell == expected_cell(group, score, scale, level), (where, raw, group, cell)
    assert seen == list(range(0, 31)), (where, seen)
    for (raw, cells), (next_raw, next_cells) in zip(rows, rows[1:]):
        assert cells != next_cells, (where, "rows to merge", raw, next_raw)


# The PDF: every row of the table, found on its pages by the raw score first.
row_line = re.compile(r"^\s*(\d+(?:\u2013\d+)?)\s{3,}(\S.*)$")
cell = re.compile(r"(\S+) \((\S+?)(?: \u2013 |\u2013)(\S+)\)")


def pdf_rows(path):
    text = subprocess.run(["pdftotext", "-layout", path, "-"], capture_output=True, text=True, check=True).stdout
    rows = []
    for line in text.splitlines():
        match = row_line.match(line)
        if match and "(" in match.group(2):
            rows.append((match.group(1), [f"{p} ({lo}\u2013{hi})" for p, lo, hi in cell.findall(match.group(2))]))
    return text, rows


for scale, level in [("PR", "95"), ("T", "90")]:
    path = os.path.join(folder, f"manual_{scale}.pdf")
    run("--manual", path, "--manual-scale", scale, "--manual-interval", level)
    info = subprocess.run(["pdfinfo", path], capture_output=True, text=True, check=True).stdout
    assert re.search(r"Page size:\s+595(\.\d+)? x 842", info), info  # A4, portrait
    text, rows = pdf_rows(path)
    check_rows(rows, scale, level, path)
    lines = text.splitlines()
    assert lines[0] == "Spelling test", lines[0]
    title = "percentile rank (PR)" if scale == "PR" else "T score"
    assert lines[1] == f"Norm score: {title}. Columns: age_band. Bayesian method.", lines[1]
    assert re.match(r"Raw score\s+8\s+9\s+10$", lines[2]), lines[2]
    assert re.match(r"\s+n = 97\s+n = 103\s+n = 100$", lines[3]), lines[3]
    assert f"In parentheses: the {level}% interval of the norm score, Bayesian method." in text
    assert re.search(r"Page 1 of 1\s*$", text), text[-200:]

# The workbook: the same cells on the sheet "Manual", which prints one page wide, and the
# reversals that a decreasing ability finds, on a sheet of their own.
path = os.path.join(folder, "manual.xlsx")
found = run("--manual", path, "--reversals", "decreasing").stderr
workbook = openpyxl.load_workbook(path)
assert workbook.sheetnames == ["Manual", "Reversals"], workbook.sheetnames
sheet = workbook["Manual"]
cells = [list(row) for row in sheet.iter_rows(values_only=True)]
assert cells[0][0] == "Spelling test" and cells[1][0].startswith("Norm score: percentile rank (PR)"), cells[:2]
assert cells[3] == ["Raw score", "8", "9", "10"], cells[3]
assert cells[4] == [None, "n = 97", "n = 103", "n = 100"], cells[4]
body = [(row[0], list(row[1:])) for row in cells[5:] if row[0] and row[0][0].isdigit()]
check_rows(body, "PR", "95", path)
assert cells[5 + len(body) + 1][0] == "In parentheses: the 95% interval of the norm score, Bayesian method."
setup = sheet.page_setup
assert setup.orientation == "landscape" and setup.paperSize == 9, (setup.orientation, setup.paperSize)  # A4
# One page wide (a width left out is 1), as many pages long as it takes (0).
assert sheet.sheet_properties.pageSetUpPr.fitToPage and setup.fitToWidth in (None, 1) and setup.fitToHeight == 0
assert sheet.print_title_rows == "$1:$5", sheet.print_title_rows
assert sheet.oddFooter.center.text == "Page &P of &N", sheet.oddFooter.center.text

# Reversals worked out from the CSV: neighbouring groups, the later one's rank below the earlier
# one's, intervals compared in percent.
expected = []
for score in range(0, 31):
    for earlier, later in zip(groups, groups[1:]):
        a, b = table[(earlier, score)], table[(later, score)]
        if float(b["pr"]) < float(a["pr"]):
            overlap = float(a["lower95"]) <= float(b["upper95"]) and float(b["lower95"]) <= float(a["upper95"])
            expected.append([score, "age_band " + earlier, float(a["pr"]), float(a["lower95"]) * 100,
                             float(a["upper95"]) * 100, "age_band " + later, float(b["pr"]),
                             float(b["lower95"]) * 100, float(b["upper95"]) * 100,
                             "overlap" if overlap else "do not overlap"])
reversals = workbook["Reversals"]
listed = [list(row) for row in reversals.iter_rows(min_row=2, values_only=True) if isinstance(row[0], (int, float))]
assert len(listed) == len(expected) > 0, (len(listed), len(expected))
for got, want in zip(listed, expected):
    assert got[0] == want[0] and got[1] == want[1] and got[5] == want[5] and got[9] == want[9], (got, want)
    assert all(abs(got[i] - want[i]) < 1e-9 for i in (2, 3, 4, 6, 7, 8)), (got, want)
assert any(row[9] == "overlap" for row in listed) and any(row[9] == "do not overlap" for row in listed)
assert reversals.print_title_rows == "$1:$1" and reversals.page_setup.orientation == "landscape"
assert found.count("reversal at raw score") == len(expected), found
print("manual tables read back:", len(rows), "PDF rows,", len(body), "sheet rows,", len(listed), "reversals")

# A continuous model's manual table, the ages across: every cell of the PDF against the CSV of
# the same model and resamples, a raw score beyond the model's range shown with "<" or ">".
vocabulary = os.path.join(examples, "vocabulary_by_age.csv")
model = ["continuous", "--family", "taylor", "--score", "raw", "--age", "age", "--width", "1", "--ages", "6,10,14",
         "--bootstrap", "40", "--seed", "7"]


# A limit as a T column shows it: an open end, where a resample's score lay beyond its model's
# range, beyond the scale's shown range.
def open_limit(text):
    return {"-inf": "<10", "inf": ">90"}.get(text) or fixed(text, 0)


def run_model(*arguments):
    done = subprocess.run([batch, *model, *arguments, "0", "50", vocabulary], capture_output=True, text=True)
    assert done.returncode == 0, done.stderr
    return done


ages = {}
for row in csv.DictReader(io.StringIO(run_model("--csv").stdout)):
    ages[(row["age"], int(row["raw_score"]))] = row
path = os.path.join(folder, "continuous.pdf")
run_model("--manual", path, "--manual-scale", "T")
text = subprocess.run(["pdftotext", "-layout", path, "-"], capture_output=True, text=True, check=True).stdout
seen = []
for line in text.splitlines():
    match = row_line.match(line)
    if not match:
        continue
    cells = re.findall(r"[<>]\d+|\d+ \([<>]?\d+\u2013[<>]?\d+\)", match.group(2))
    assert len(cells) == 3, (line, cells)
    for score in scores_of(match.group(1)):
        seen.append(score)
        for age, shown in zip(["6", "10", "14"], cells):
            row = ages[(age, score)]
            if row["norm"] in ("-inf", "inf"):
                assert shown[0] == ("<" if row["norm"] == "-inf" else ">"), (score, age, shown)
            else:
                assert shown == f"{fixed(row['norm'], 0)} ({open_limit(row['norm_lower95'])}\u2013" \
                                f"{open_limit(row['norm_upper95'])})", (score, age, shown)
assert seen == list(range(0, 51)), seen
assert "Columns: age. Continuous norm model, 40 bootstrap resamples." in text, text[:300]
