"""Reads an exported .xlsx workbook with openpyxl and prints what it sees as JSON.

Used by the .xlsx export tests: a reader that shares no code with the writer.
Output: {"title": ..., "sheets": [{"name", "freeze", "filter", "widths": [...], "bold": [...],
"rows", "date_formats": [...]: [[cell, ...], ...]}]} where a number is a JSON number, a text a
string, a date-time {"date": "YYYY-MM-DD HH:MM:SS"} (rounded to the second) and an empty cell
null. With --first-column only the first column of the rows is given, as "first_column".
Usage: openpyxl_readback.py [--first-column] FILE
"""
import datetime
import json
import sys

import openpyxl
from openpyxl.utils import get_column_letter


def cell_value(cell):
    value = cell.value
    if isinstance(value, datetime.datetime):
        seconds = round(value.microsecond / 1e6)
        value = value.replace(microsecond=0) + datetime.timedelta(seconds=seconds)
        return {"date": value.strftime("%Y-%m-%d %H:%M:%S")}
    if isinstance(value, bool):
        return {"unexpected bool": value}
    return value


def main():
    first_column = sys.argv[1] == "--first-column"
    path = sys.argv[-1]
    book = openpyxl.load_workbook(path)
    sheets = []
    for sheet in book.worksheets:
        columns = sheet.max_column
        described = {
            "name": sheet.title,
            "freeze": sheet.freeze_panes,
            "filter": sheet.auto_filter.ref,
            "widths": [sheet.column_dimensions[get_column_letter(c)].width
                       for c in range(1, columns + 1)],
            "bold": [bool(sheet.cell(1, c).font.b) for c in range(1, columns + 1)],
        }
        if first_column:
            described["first_column"] = [row[0] for row in
                                         sheet.iter_rows(min_col=1, max_col=1, values_only=True)]
        else:
            rows = list(sheet.iter_rows())
            described["rows"] = [[cell_value(cell) for cell in row] for row in rows]
            described["date_formats"] = sorted({cell.number_format for row in rows[1:]
                                                for cell in row if cell.is_date})
        sheets.append(described)
    json.dump({"title": book.properties.title, "sheets": sheets}, sys.stdout, ensure_ascii=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
