#!/usr/bin/python3
"""Reads vornak-batch's workbook back with openpyxl and checks it against its --csv table.

Usage: check_workbook.py VORNAK_BATCH VERSION
"""
import csv
import datetime
import io
import os
import subprocess
import sys
import tempfile

import openpyxl

batch, version = sys.argv[1], sys.argv[2]
folder = tempfile.mkdtemp()
long_group = "Children aged eight, tested in spring"  # 37 characters
unsafe_group = "grade 3/4: [pilot]"
people = os.path.join(folder, "people.csv")
with open(people, "w", newline="") as out:
    writer = csv.writer(out)
    writer.writerow(["band", "raw"])
    # Groups of 4, 3 and 7: ranks such as 100 * 0.5 / 3 need all 17 digits.
    bands = [long_group] * 4 + [unsafe_group] * 3 + ["about"] * 7
    for band, score in zip(bands, [0, 1, 1, 2, 3, 3, 4, 2, 1, 0, 4, 4, 3, 1]):
        writer.writerow([band, score])

common = ["--group", "band", "--score", "raw", "--scale", "T", "--notes", "Spring norms\nsecond line", "0", "4", people]
table = subprocess.run([batch, "scores", "--csv"] + common, check=True, capture_output=True, text=True).stdout
workbook_path = os.path.join(folder, "norms.xlsx")
run = subprocess.run([batch, "scores", "--xlsx", workbook_path] + common, capture_output=True, text=True)
assert run.returncode == 0, run.stderr
workbook = openpyxl.load_workbook(workbook_path)

# Excel's rules: at most 31 characters, no []:*?/\, unique apart from letter case ("About").
assert workbook.sheetnames == ["About", "Children aged eight, tested in ", "about (2)", "grade 3_4_ _pilot_"], workbook.sheetnames

rows = list(csv.reader(io.StringIO(table)))
header = rows[0][1:]
for group, sheet_name in [(long_group, workbook.sheetnames[1]), ("about", "about (2)"), (unsafe_group, workbook.sheetnames[3])]:
    sheet = workbook[sheet_name]
    assert sheet.freeze_panes == "A2", sheet.freeze_panes
    # Printed on A4 landscape, one page wide (a width left out is 1), the header row on every page.
    assert sheet.page_setup.orientation == "landscape" and sheet.sheet_properties.pageSetUpPr.fitToPage
    assert sheet.page_setup.paperSize == 9  # A4
    assert sheet.page_setup.fitToWidth in (None, 1) and sheet.page_setup.fitToHeight == 0
    assert sheet.print_title_rows == "$1:$1", sheet.print_title_rows
    assert sheet.oddFooter.center.text == "Page &P of &N", sheet.oddFooter.center.text
    cells = list(sheet.iter_rows(values_only=True))
    assert list(cells[0]) == header, cells[0]
    expected = [row[1:] for row in rows[1:] if row[0] == group]
    assert len(cells) - 1 == len(expected) == 5
    for got, want in zip(cells[1:], expected):
        # The CSV's own number, to its last digit; an open end of a scale interval as its text.
        assert [x if x in ("-inf", "inf") else float(x) for x in want] == list(got), (group, got, want)
    assert sheet["D2"].number_format == '[<5]0.0"%";[<=95]0"%";0.0"%"'
    assert all(sheet.cell(2, c).number_format == "0.0%" for c in range(5, 9))
    # T scores show as whole numbers, as a test manual prints them.
    t_formats = {cell.number_format for row in sheet.iter_rows(min_row=2, min_col=9, max_col=13)
                 for cell in row if isinstance(cell.value, float)}
    assert t_formats == {"0"}, (group, t_formats)

about = [row for row in workbook["About"].iter_rows(values_only=True)]
assert about[0][:2] == ("Method", "Bayesian method"), about[0]
assert about[1][:2] == ("Data file", people), about[1]
assert about[2][:2] == ("Program", "Vornak " + version), about[2]
assert about[3][0] == "Date" and about[3][1] == datetime.date.today().isoformat(), about[3]
assert about[4][:2] == ("Notes", "Spring norms") and about[5][1] == "second line", about[4:6]
groups = [row for row in about if row[0] in (long_group, unsafe_group, "about")]
assert groups == [(long_group, workbook.sheetnames[1], 4), ("about", "about (2)", 7),
                  (unsafe_group, workbook.sheetnames[3], 3)], groups
print("workbook read back:", workbook.sheetnames)
