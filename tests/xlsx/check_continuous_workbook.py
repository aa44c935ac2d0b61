#!/usr/bin/python3
"""Reads vornak-batch continuous's workbook back with openpyxl and checks it against the --csv
tables and the saved model.

Usage: check_continuous_workbook.py VORNAK_BATCH
"""
import csv
import decimal
import io
import json
import math
import os
import random
import subprocess
import sys
import tempfile

import openpyxl

batch = sys.argv[1]
folder = tempfile.mkdtemp()
people = os.path.join(folder, "people.csv")
draw = random.Random(11)
with open(people, "w", newline="") as out:
    writer = csv.writer(out)
    writer.writerow(["band", "age", "raw"])
    for band in range(6, 11):
        for _ in range(50):
            age = band + draw.random()
            logit = 0.9 * draw.gauss(0, 1) + 0.35 * (age - 8.5)
            writer.writerow([band, repr(age), round(30 / (1 + math.exp(-logit)))])

common = ["--score", "raw", "--group", "band", "--age", "age", "--terms", "3", "--bootstrap", "20",
          "--ages", "7,8.5", "0", "30", people]
table = subprocess.run([batch, "continuous", "--csv"] + common, check=True, capture_output=True, text=True).stdout
workbook_path = os.path.join(folder, "norms.xlsx")
model_path = os.path.join(folder, "model.json")
run = subprocess.run([batch, "continuous", "--xlsx", workbook_path, "--save-model", model_path] + common,
                     capture_output=True, text=True)
assert run.returncode == 0, run.stderr
workbook = openpyxl.load_workbook(workbook_path)
assert workbook.sheetnames == ["About", "Age 7", "Age 8.5"], workbook.sheetnames

rows = list(csv.reader(io.StringIO(table)))
rank = '[<5]0.0"%";[<=95]0"%";0.0"%"'
for age, name in [("7", "Age 7"), ("8.5", "Age 8.5")]:
    sheet = workbook[name]
    assert sheet.freeze_panes == "A2", sheet.freeze_panes
    cells = list(sheet.iter_rows(values_only=True))
    assert list(cells[0]) == rows[0], cells[0]
    expected = [row for row in rows[1:] if row[0] == age]
    assert len(cells) - 1 == len(expected) == 31
    for got, want in zip(cells[1:], expected):
        # The CSV's own number, to its last digit; a norm beyond the model's range as its text.
        assert [x if x in ("-inf", "inf") else float(x) for x in want] == list(got), (name, got, want)
    # Norm scores and their limits with one decimal, ranks and theirs as the report rounds them.
    for first, last, wanted in [(3, 3, "0.0"), (5, 8, "0.0"), (4, 4, rank), (9, 12, rank)]:
        formats = {cell.number_format for row in sheet.iter_rows(min_row=2, min_col=first, max_col=last)
                   for cell in row if isinstance(cell.value, float)}
        assert formats == {wanted}, (first, formats)
assert any(row[2] == "-inf" for row in rows[1:]) and any(row[2] == "inf" for row in rows[1:])

about = {row[0]: row[1] for row in workbook["About"].iter_rows(values_only=True)}
model = json.load(open(model_path))
assert about["Intercept"] == model["intercept"], about
for term, coefficient in model["terms"].items():
    assert about[term] == coefficient, (term, about.get(term), coefficient)
assert about["Cases"] == model["cases"] == 250, about
assert about["Scale"] == "T (mean 50, SD 10)", about["Scale"]
assert about["Data file"] == people
assert 0.9 < about["Adjusted R²"] < about["R²"] < 1, about

# Scores with one decimal by --step 0.1: each sheet's rows are 0.0, 0.1, ... 3.0, every cell the
# decimal's own double and shown with one decimal.
tenths = os.path.join(folder, "tenths.csv")
with open(people) as source, open(tenths, "w", newline="") as out:
    writer = csv.writer(out)
    for number, row in enumerate(csv.reader(source)):
        writer.writerow(row if number == 0 else row[:2] + [str(decimal.Decimal(row[2]) / 10)])
stepped = ["--score", "raw", "--group", "band", "--terms", "3", "--ages", "7", "--step", "0.1", "0", "3", tenths]
table = subprocess.run([batch, "continuous", "--csv"] + stepped, check=True, capture_output=True, text=True).stdout
run = subprocess.run([batch, "continuous", "--xlsx", workbook_path] + stepped, capture_output=True, text=True)
assert run.returncode == 0, run.stderr
sheet = openpyxl.load_workbook(workbook_path)["Age 7"]
cells = list(sheet.iter_rows(min_row=2, values_only=True))
assert [row[1] for row in cells] == [float(decimal.Decimal(k) / 10) for k in range(31)], cells
assert [[x if x in ("-inf", "inf") else float(x) for x in row] for row in list(csv.reader(io.StringIO(table)))[1:]] \
    == [list(row) for row in cells]
assert {row[0].number_format for row in sheet.iter_rows(min_row=2, min_col=2, max_col=2)} == {"0.0"}
print("ok")
