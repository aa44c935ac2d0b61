#!/usr/bin/python3
"""Writes a small norm sample with Debian's pspp as an SPSS portable file (EXPORT) and as an
SPSS system file (SAVE), reads both with vornak-batch scores, and checks every count against
the data and against the same sample as CSV.

Usage: check_pspp_files.py PSPP VORNAK_BATCH
"""
import collections
import csv
import io
import os
import subprocess
import sys
import tempfile

pspp, batch = sys.argv[1], sys.argv[2]
folder = tempfile.mkdtemp()

# Age band codes with labels; raw scores from 0 to 12, with the user-missing code 99 and
# system-missing values (".") among them.
labels = {8: "age 08", 9: "age 09", 10: "age 10"}
cases = [(8, 0), (8, 3), (8, 3), (8, 12), (8, 99), (9, 1), (9, 5), (9, 5), (9, 7), (9, None),
         (10, 2), (10, 9), (10, 10), (10, 11), (10, 12), (10, 12)]
lines = "\n".join(f"{band} {'.' if raw is None else raw}" for band, raw in cases)
syntax = f"""DATA LIST LIST /age_band raw.
BEGIN DATA
{lines}
END DATA.
VALUE LABELS age_band {' '.join(f"{code} '{label}'" for code, label in labels.items())}.
MISSING VALUES raw (99).
EXPORT OUTFILE='sample.por'.
SAVE OUTFILE='sample.sav'.
"""
with open(os.path.join(folder, "sample.sps"), "w") as out:
    out.write(syntax)
subprocess.run([pspp, "sample.sps"], cwd=folder, check=True, capture_output=True)

with open(os.path.join(folder, "sample.csv"), "w", newline="") as out:
    writer = csv.writer(out)
    writer.writerow(["AGE_BAND", "RAW"])  # as PSPP names the variables in a portable file
    for band, raw in cases:
        writer.writerow([labels[band], "NA" if raw in (None, 99) else raw])


def scores(file, group, score):
    done = subprocess.run([batch, "scores", "--group", group, "--score", score, "--csv", "0", "12",
                           os.path.join(folder, file)], capture_output=True, text=True)
    assert done.returncode == 0, (file, done.stderr)
    return done.stdout, done.stderr


portable = scores("sample.por", "AGE_BAND", "RAW")
system = scores("sample.sav", "age_band", "raw")
text = scores("sample.csv", "AGE_BAND", "RAW")
assert portable == system == text, (portable, system, text)

# The frequencies are the data's own.
expected = collections.Counter((labels[band], raw) for band, raw in cases if raw not in (None, 99))
rows = list(csv.reader(io.StringIO(portable[0])))
assert rows[0][:3] == ["group", "raw_score", "frequency"], rows[0]
read = collections.Counter({(row[0], int(row[1])): int(row[2]) for row in rows[1:] if int(row[2])})
assert read == expected, (read, expected)
assert portable[1] == "group age 08: 1 missing score skipped\ngroup age 09: 1 missing score skipped\n", portable[1]
print("PSPP's portable and system files read as the data")
