#!/usr/bin/env python3
"""Reads the files command_tests exported back with Python's csv module, as a spreadsheet
program's importer would, and checks that each cell is the text the grid showed. A text that a
spreadsheet would run as a formula must come back with one leading apostrophe and nothing else
changed. Each <file>.json beside an exported file says how it was written and what the grid showed.
"""
import csv
import io
import json
import pathlib
import sys

BOMS = {"utf-16": b"\xff\xfe", "utf-8": b"\xef\xbb\xbf"}


def runs_as_formula(text):
    if not text:
        return False
    if text[0] in "=+@\t\r":
        return True
    if text[0] == "-":
        if text == "--":
            return False
        return len(text) == 1 or not (text[1].isdigit() or text[1] == ".")
    return False


def check(description, folder):
    spec = json.loads(description.read_text(encoding="utf-8"))
    raw = (folder / spec["file"]).read_bytes()
    bom = BOMS[spec["encoding"]]
    problems = []
    if not raw.startswith(bom):
        return [f"{spec['file']}: no {spec['encoding']} byte order mark"]
    text = raw[len(bom):].decode("utf-16-le" if spec["encoding"] == "utf-16" else "utf-8")
    if not text.endswith(spec["delimiter"] + "\r\n"):
        problems.append(f"{spec['file']}: the last line does not end with the separator and CR LF")
    rows = list(csv.reader(io.StringIO(text, newline=""), delimiter=spec["delimiter"]))
    expected = spec["cells"]
    if len(rows) != len(expected):
        return problems + [f"{spec['file']}: {len(rows)} lines read, {len(expected)} shown"]
    for number, (row, shown) in enumerate(zip(rows, expected), start=1):
        if not row or row[-1] != "":
            problems.append(f"{spec['file']} line {number}: no separator after the last field")
            continue
        row = row[:-1]
        wanted = [("'" + cell) if runs_as_formula(cell) else cell for cell in shown]
        if row != wanted:
            problems.append(f"{spec['file']} line {number}: read {row!r}, shown {wanted!r}")
    return problems


def main():
    folder = pathlib.Path(sys.argv[1])
    descriptions = sorted(folder.glob("*.json"))
    if len(descriptions) < 4:
        print(f"expected four exported files with descriptions in {folder}, found {len(descriptions)}")
        return 1
    problems = []
    for description in descriptions:
        problems += check(description, folder)
    for problem in problems:
        print(problem)
    print(f"{len(descriptions)} files read back, {len(problems)} problems")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
