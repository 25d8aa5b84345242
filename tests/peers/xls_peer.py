#!/usr/bin/python3
"""Spreadsheet peer for the tests: python3-xlrd reads our .xls files.

Reads {"files": [PATH, ...]} on stdin and writes, per file,
{"encoding": ..., "rows": [[cell text, ...], ...]} on stdout (a JSON list).
"""
import json
import sys

import xlrd


def read(path):
    book = xlrd.open_workbook(path)
    sheet = book.sheet_by_index(0)
    rows = [[str(sheet.cell_value(r, c)) for c in range(sheet.ncols)] for r in range(sheet.nrows)]
    return {"encoding": book.encoding, "rows": rows}


def main():
    request = json.load(sys.stdin)
    json.dump([read(p) for p in request["files"]], sys.stdout, ensure_ascii=True)


if __name__ == "__main__":
    main()
