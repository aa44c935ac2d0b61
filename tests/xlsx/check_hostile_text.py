#!/usr/bin/python3
"""Runs vornak-batch on group names and notes that could break its outputs, and reads each
output back: the CSV table, the report, the workbook (with openpyxl) and the group files.

Usage: check_hostile_text.py VORNAK_BATCH
"""
import csv
import io
import os
import subprocess
import sys
import tempfile

import openpyxl

batch = sys.argv[1]
folder = tempfile.mkdtemp()
escape = "\x1bx"
formulas = ['=HYPERLINK("http://x","y")', "+1-1", "@SUM(1)"]
long_group = "L" * 40000  # longer than the 32,767 characters of a cell
groups = [escape, "-1"] + formulas


def people(name, names):
    path = os.path.join(folder, name)
    with open(path, "w", newline="", encoding="utf-8") as out:
        writer = csv.writer(out)
        writer.writerow(["band", "raw"])
        for group in names:
            for score in (0, 1, 2):
                writer.writerow([group, score])
    return path


def run(*arguments):
    done = subprocess.run([batch, "scores", "--group", "band", "--score", "raw", *arguments],
                          capture_output=True)
    assert done.returncode == 0, done.stderr
    return done.stdout


data = people("people.csv", groups + [long_group])
notes = b"caf\xe9\n\x1b[31mred"  # not UTF-8, and a terminal's escape

# The CSV table: UTF-8, and every text that a spreadsheet would run as a formula made text.
table = run("--csv", "0", "2", data).decode("utf-8")
names = {row[0] for row in list(csv.reader(io.StringIO(table)))[1:]}
assert names == {escape, "-1", long_group} | {"'" + f for f in formulas}, names - {long_group}

# The report: UTF-8, and neither the notes nor the names reach the terminal as they are.
report = run("--notes", notes, "0", "2", data).decode("utf-8")
assert "\x1b" not in report
assert (" User's Notes: Group: band = \\x1Bx\n               caf\\xE9\n"
        "               \\x1B[31mred\n") in report

# The workbook: a reader takes it, with the names and notes shown as the report shows them.
workbook_path = os.path.join(folder, "hostile.xlsx")
run("--notes", notes, "--xlsx", workbook_path, "0", "2", data)
workbook = openpyxl.load_workbook(workbook_path)
assert "_x" in workbook.sheetnames and "L" * 31 in workbook.sheetnames, workbook.sheetnames
about = list(workbook["About"].iter_rows(values_only=True))
assert about[4][:2] == ("Notes", "caf\\xE9") and about[5][1] == "\\x1B[31mred", about[4:6]
listed = [row[0] for row in about[7:]]
assert "\\x1Bx" in listed and "L" * 32766 + "\u2026" in listed, [n[:40] for n in listed]

# The group files: names that are UTF-8 without a control character.
files = os.path.join(folder, "groups")
run("--write-frequencies", files, "--csv", "0", "2", people("short.csv", groups))
for name in os.listdir(os.fsencode(files)):
    text = name.decode("utf-8")
    assert not any(ord(c) < 32 or 127 <= ord(c) < 160 for c in text), text
print("hostile names and notes read back from every output")
