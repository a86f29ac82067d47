"""The competitor of bench_export: writes the same cells with python3-xlwt.

Reads the records of one file of the VTR asphalt kind from the database, in the order N,
DateTime, and writes the same sheet the export writes: the 13 headers, numbers as number
cells, the date-time as its Russian text, texts as text. Prints one JSON line with the seconds
the work took (database read included, interpreter start-up excluded) and the peak resident
memory in KiB.
Usage: xlwt_export.py DATABASE FILE_NAME_ID OUT.xls
"""
import json
import sqlite3
import sys
import time

import xlwt

from peak_memory import peak_kib

HEADERS = ["N", "Дата/Время", "№ серии", "№ образца", "Материал", "Метод испытания", "P, кН",
           "R, МПа", "Размер, мм", "Перемещение L,мм.", "Скорость нагружения V, мм/мин. ",
           "Работа A, Дж. ", "Примечание"]
FIELDS = ["N", "[DateTime]", "F1", "F2", "T1", "T7", "F3", "T8", "T2", "F5", "T9", "F10",
          "Comment"]


def date_time_text(stored):
    date, clock = stored.split(" ")
    year, month, day = date.split("-")
    hour, minute, second = clock.split(":")
    text = "%s.%s.%s" % (day, month, year)
    if clock != "00:00:00":
        text += " %d:%s:%s" % (int(hour), minute, second)
    return text

def main():
    database, file_id, out = sys.argv[1], int(sys.argv[2]), sys.argv[3]
    start = time.perf_counter()
    connection = sqlite3.connect(database)
    rows = connection.execute(
        "SELECT %s FROM Data WHERE FileNameId = ? ORDER BY N, [DateTime]" % ", ".join(FIELDS),
        (file_id,))
    book = xlwt.Workbook(encoding="utf-8")
    sheet = book.add_sheet("Sheet1")
    for column, header in enumerate(HEADERS):
        sheet.write(0, column, header)
    for row_number, row in enumerate(rows, 1):
        for column, value in enumerate(row):
            if value is None:
                continue
            if column == 1:
                value = date_time_text(value)
            sheet.write(row_number, column, value)
    book.save(out)
    seconds = time.perf_counter() - start
    peak = peak_kib()
    print(json.dumps({"seconds": seconds, "peak_kib": peak}))
    return 0


if __name__ == "__main__":
    sys.exit(main())
