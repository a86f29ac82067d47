"""The competitors of bench_xlsx_export: the same .xlsx sheet written by python3-xlsxwriter
(constant_memory) or python3-openpyxl (write-only).

Reads the records of one file of the VTR asphalt kind from the database, in the order N,
DateTime, and writes what the export writes: the 13 headers in bold, numbers as number cells,
the date-time as a date cell shown "dd.mm.yyyy hh:mm:ss", texts as text, the header frozen
under an autofilter. Prints one JSON line with the seconds the work took (database read
included, interpreter start-up excluded) and the peak resident memory in KiB.
Usage: xlsx_peers_export.py xlsxwriter|openpyxl DATABASE FILE_NAME_ID OUT.xlsx
"""
import datetime
import json
import sqlite3
import sys
import time

from peak_memory import peak_kib

HEADERS = ["N", "Дата/Время", "№ серии", "№ образца", "Материал", "Метод испытания", "P, кН",
           "R, МПа", "Размер, мм", "Перемещение L,мм.", "Скорость нагружения V, мм/мин. ",
           "Работа A, Дж. ", "Примечание"]
FIELDS = ["N", "[DateTime]", "F1", "F2", "T1", "T7", "F3", "T8", "T2", "F5", "T9", "F10",
          "Comment"]
DATE_FORMAT = "dd.mm.yyyy hh:mm:ss"
LAST_COLUMN = "M"


def records(database, file_id):
    connection = sqlite3.connect(database)
    return connection.execute(
        "SELECT %s FROM Data WHERE FileNameId = ? ORDER BY N, [DateTime]" % ", ".join(FIELDS),
        (file_id,))


def with_date(row):
    row = list(row)
    if row[1] is not None:
        row[1] = datetime.datetime.fromisoformat(row[1])
    return row


def write_xlsxwriter(rows, out):
    import xlsxwriter
    book = xlsxwriter.Workbook(out, {"constant_memory": True})
    sheet = book.add_worksheet("Асфальт")
    bold = book.add_format({"bold": True})
    date = book.add_format({"num_format": DATE_FORMAT})
    sheet.write_row(0, 0, HEADERS, bold)
    sheet.freeze_panes(1, 0)
    last = 0
    for number, row in enumerate(rows, 1):
        last = number
        for column, value in enumerate(with_date(row)):
            if value is None:
                continue
            if column == 1:
                sheet.write_datetime(number, column, value, date)
            elif isinstance(value, str):
                sheet.write_string(number, column, value)
            else:
                sheet.write_number(number, column, value)
    sheet.autofilter(0, 0, last, len(HEADERS) - 1)
    book.close()


def write_openpyxl(rows, out):
    import openpyxl
    from openpyxl.cell import WriteOnlyCell
    from openpyxl.styles import Font
    book = openpyxl.Workbook(write_only=True)
    sheet = book.create_sheet("Асфальт")
    sheet.freeze_panes = "A2"
    bold = Font(bold=True)
    header = []
    for text in HEADERS:
        cell = WriteOnlyCell(sheet, value=text)
        cell.font = bold
        header.append(cell)
    sheet.append(header)
    last = 1
    for row in rows:
        last += 1
        values = with_date(row)
        if values[1] is not None:
            cell = WriteOnlyCell(sheet, value=values[1])
            cell.number_format = DATE_FORMAT
            values[1] = cell
        sheet.append(values)
    sheet.auto_filter.ref = "A1:%s%d" % (LAST_COLUMN, last)
    book.save(out)

def main():
    writer, database, file_id, out = sys.argv[1], sys.argv[2], int(sys.argv[3]), sys.argv[4]
    start = time.perf_counter()
    rows = records(database, file_id)
    {"xlsxwriter": write_xlsxwriter, "openpyxl": write_openpyxl}[writer](rows, out)
    seconds = time.perf_counter() - start
    peak = peak_kib()
    print(json.dumps({"seconds": seconds, "peak_kib": peak}))
    return 0


if __name__ == "__main__":
    sys.exit(main())
