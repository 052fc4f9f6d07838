"""Reads a workbook written by the program with openpyxl and prints what the
tests compare: the sheet names, the frozen cell, the number of rows, the
header, the rows of the codes given (a figure as "n:" and its value, an empty
cell as nothing), the heights of the rows of "Fuentes" after its header, and
its first column.

    read_workbook.py WORKBOOK CODE...
"""
import sys

import openpyxl


def cell(value):
    if value is None:
        return ""
    if isinstance(value, bool):
        return "b:" + str(value)
    if isinstance(value, (int, float)):
        return "n:" + (str(int(value)) if float(value).is_integer() else str(value))
    return value


def main():
    book = openpyxl.load_workbook(sys.argv[1], read_only=False)
    print("sheets=" + ",".join(book.sheetnames))
    units = book["Unidades"]
    print("freeze=" + str(units.freeze_panes))
    rows = list(units.iter_rows(values_only=True))
    print("rows=" + str(len(rows)))
    print("header=" + "|".join(cell(v) for v in rows[0]))
    wanted = set(sys.argv[2:])
    for row in rows[1:]:
        if row[0] in wanted:
            print("row=" + "|".join(cell(v) for v in row))
    sources = book["Fuentes"]
    print("alto=" + ",".join(str(sources.row_dimensions[r].height) for r in range(2, sources.max_row + 1)))
    for row in sources.iter_rows(values_only=True):
        if row[0] is not None:
            print("fuentes=" + row[0])
            if row[3] is not None:
                print("cita=" + row[2] + " / " + row[3])


main()
