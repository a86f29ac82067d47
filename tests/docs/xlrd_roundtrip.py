"""Reads an exported workbook with xlrd and olefile and prints what they see as JSON.

Used by the export round-trip tests: two readers that share no code with the writer.
Output: {"streams": [...], "workbook_size": n, "log": "...", "sheets": [{"name": ...,
"rows": [[cell, ...], ...]}]} where a number cell is a JSON number, a text cell a string
and an empty or blank cell null; a row ends at its last cell. "log" holds every complaint xlrd printed while reading.
Usage: xlrd_roundtrip.py FILE
"""
import io
import json
import sys

import olefile
import xlrd


def cell_value(cell):
    if cell.ctype == xlrd.XL_CELL_NUMBER:
        return cell.value
    if cell.ctype == xlrd.XL_CELL_TEXT:
        return cell.value
    if cell.ctype in (xlrd.XL_CELL_EMPTY, xlrd.XL_CELL_BLANK):
        return None
    return {"unexpected cell type": cell.ctype, "value": repr(cell.value)}


def main():
    path = sys.argv[1]
    ole = olefile.OleFileIO(path, raise_defects=olefile.DEFECT_INCORRECT)
    streams = ["/".join(entry) for entry in ole.listdir(streams=True, storages=True)]
    size = ole.get_size("Workbook") if ole.exists("Workbook") else -1
    ole.close()

    log = io.StringIO()
    # Ragged rows end at their last cell: a far corner cell does not blow up every row.
    book = xlrd.open_workbook(path, logfile=log, verbosity=0, ragged_rows=True)
    sheets = []
    for sheet in book.sheets():
        rows = [[cell_value(cell) for cell in sheet.row(r)] for r in range(sheet.nrows)]
        sheets.append({"name": sheet.name, "rows": rows})
    result = {"streams": streams, "workbook_size": size, "log": log.getvalue(), "sheets": sheets}
    json.dump(result, sys.stdout, ensure_ascii=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
