#!/usr/bin/env python3
"""Prints a workbook as python3-xlrd reads it, in the dump form the keeping tests compare:
META biff codepage sheets / NAME hex / SIZE rows cols / one line per row of tab-joined hex cells
(hex of the UTF-8 text). The workbook is opened a second time with formatting_info so the
FONT, XF and STYLE records are parsed too."""
import sys

import xlrd


def hexed(text):
    return text.encode("utf-8").hex()


def main(path):
    xlrd.open_workbook(path, formatting_info=True)
    book = xlrd.open_workbook(path)
    sheet = book.sheet_by_index(0)
    out = sys.stdout
    out.write("META %d %d %d\n" % (book.biff_version // 10, book.codepage or 0, book.nsheets))
    out.write("NAME %s\n" % hexed(sheet.name))
    out.write("SIZE %d %d\n" % (sheet.nrows, sheet.ncols))
    for r in range(sheet.nrows):
        cells = []
        for c in range(sheet.ncols):
            if sheet.cell_type(r, c) not in (xlrd.XL_CELL_TEXT, xlrd.XL_CELL_EMPTY):
                sys.exit("cell %d,%d is not text" % (r, c))
            cells.append(hexed(sheet.cell_value(r, c)))
        out.write("\t".join(cells) + "\n")


if __name__ == "__main__":
    main(sys.argv[1])
