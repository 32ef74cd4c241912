#!/usr/bin/env python3
"""Reads the files command_tests exported back with Python's csv module, as a spreadsheet
program's importer would, and checks that each cell is the text the grid showed. Each <file>.json
beside an exported file says how it was written and what the grid showed.

The texts a spreadsheet would run as formulas are listed below with what must be read back: the
text behind one leading apostrophe. Every other cell must come back exactly as the grid showed it,
and every listed text must be among the cells, so the list is what the files are checked against.
"""
import csv
import io
import json
import pathlib
import sys

BOMS = {"utf-16": b"\xff\xfe", "utf-8": b"\xef\xbb\xbf"}

READ_BACK = {
    # Run by a spreadsheet: written with an apostrophe, read back as text.
    "=1+2": "'=1+2",
    "+1": "'+1",
    "@SUM(1)": "'@SUM(1)",
    "@SUM(A1)": "'@SUM(A1)",
    "-2+3": "'-2+3",
    "-.5+1": "'-.5+1",
    "-.5+cmd|' /C calc'!A0": "'-.5+cmd|' /C calc'!A0",
    " =1+2": "' =1+2",
    "\t=1": "'\t=1",
    "\uff1d1+2": "'\uff1d1+2",  # full-width equals sign
    "\uff0d1": "'\uff0d1",  # full-width minus sign
    "+进取": "'+进取",
    "-负面": "'-负面",
    # Numbers and the missing mark stay as they are.
    "-0.50%": "-0.50%",
    "-12.3456": "-12.3456",
    "--": "--",
    "1-2": "1-2",
    "a=b": "a=b",
}


def check(description, folder):
    info = json.loads(description.read_text(encoding="utf-8"))
    raw = (folder / info["file"]).read_bytes()
    bom = BOMS[info["encoding"]]
    problems = []
    if not raw.startswith(bom):
        return [f"{info['file']}: no {info['encoding']} byte order mark"]
    text = raw[len(bom):].decode("utf-16-le" if info["encoding"] == "utf-16" else "utf-8")
    if not text.endswith(info["delimiter"] + "\r\n"):
        problems.append(f"{info['file']}: the last line does not end with the separator and CR LF")
    rows = list(csv.reader(io.StringIO(text, newline=""), delimiter=info["delimiter"]))
    expected = info["cells"]
    if len(rows) != len(expected):
        return problems + [f"{info['file']}: {len(rows)} lines read, {len(expected)} shown"]
    for number, (row, shown) in enumerate(zip(rows, expected), start=1):
        if not row or row[-1] != "":
            problems.append(f"{info['file']} line {number}: no separator after the last field")
            continue
        row = row[:-1]
        wanted = [READ_BACK.get(cell, cell) for cell in shown]
        if row != wanted:
            problems.append(f"{info['file']} line {number}: read {row!r}, wanted {wanted!r}")
    shown_cells = {cell for line in expected for cell in line}
    for text in READ_BACK:
        if text not in shown_cells:
            problems.append(f"{info['file']}: no cell shows {text!r}")
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
