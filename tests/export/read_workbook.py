"""Prints a workbook as the spreadsheet readers see it, one line per sheet and
per cell, tab-separated:

    sheet <name> <rows> <columns>
    cell <row> <column> <kind> <number format> <value>

kind is text, empty (no cell), blank (a formatted cell without a value) or
other. Anything the reader complains about is printed as a further line.
"""
import io
import sys
import warnings


def escape(text):
    return (str(text).replace("\\", "\\\\").replace("\t", "\\t")
            .replace("\n", "\\n").replace("\r", "\\r"))


def emit(*fields):
    print("\t".join(escape(f) for f in fields))


def read_xls(path):
    import xlrd
    log = io.StringIO()
    book = xlrd.open_workbook(path, formatting_info=True, logfile=log)
    kinds = {xlrd.XL_CELL_TEXT: "text", xlrd.XL_CELL_EMPTY: "empty", xlrd.XL_CELL_BLANK: "blank"}
    for sheet in book.sheets():
        emit("sheet", sheet.name, sheet.nrows, sheet.ncols)
        for r in range(sheet.nrows):
            for c in range(sheet.ncols):
                cell = sheet.cell(r, c)
                fmt = "-"
                if cell.xf_index is not None and cell.xf_index >= 0:
                    key = book.xf_list[cell.xf_index].format_key
                    fmt = book.format_map[key].format_str
                emit("cell", r, c, kinds.get(cell.ctype, "other"), fmt, cell.value)
    for line in log.getvalue().splitlines():
        if line.strip():
            print("reader: " + line)


def read_xlsx(path):
    import openpyxl
    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter("always")
        book = openpyxl.load_workbook(path)
        for sheet in book.worksheets:
            emit("sheet", sheet.title, sheet.max_row, sheet.max_column)
            for row in sheet.iter_rows():
                for cell in row:
                    if isinstance(cell.value, str):
                        kind = "text"
                    elif cell.value is None:
                        kind = "blank" if cell.has_style else "empty"
                    else:
                        kind = "other"
                    value = "" if cell.value is None else cell.value
                    emit("cell", cell.row - 1, cell.column - 1, kind, cell.number_format, value)
    for warning in caught:
        print("reader: " + str(warning.message))


def main():
    sys.stdout.reconfigure(encoding="utf-8")
    path = sys.argv[1]
    if path.lower().endswith(".xls"):
        read_xls(path)
    else:
        read_xlsx(path)


main()
