"""Checks the records of an .xls Workbook stream that point at other records,
which readers such as xlrd skip but Excel may follow: BOUNDSHEET to each
sheet's BOF, INDEX to DEFCOLWIDTH and the DBCELLs, each DBCELL to its rows and
their first cells, EXTSST into the shared strings, and the SST counts.
Prints "ok" or one line per problem.
"""
import struct
import sys

from xlrd import compdoc

BOF, EOF, BOUNDSHEET, SST, CONTINUE, EXTSST = 0x0809, 0x000A, 0x0085, 0x00FC, 0x003C, 0x00FF
INDEX, DEFCOLWIDTH, DIMENSIONS, ROW, DBCELL = 0x020B, 0x0055, 0x0200, 0x0208, 0x00D7
LABELSST, BLANK = 0x00FD, 0x0201

problems = []


def check(condition, message):
    if not condition:
        problems.append(message)


def records(stream):
    at, found = 0, []
    while at + 4 <= len(stream):
        kind, size = struct.unpack_from("<HH", stream, at)
        if kind == 0 and size == 0 and not any(stream[at:]):
            break  # the zero padding after the last sheet
        check(size <= 8224, "record 0x%04x at %d has %d bytes" % (kind, at, size))
        found.append((at, kind, stream[at + 4:at + 4 + size]))
        at += 4 + size
    return found


def check_shared_strings(recs, label_count):
    first = next(i for i, r in enumerate(recs) if r[1] == SST)
    pieces = [recs[first]]
    for r in recs[first + 1:]:
        if r[1] != CONTINUE:
            break
        pieces.append(r)
    extsst = recs[first + len(pieces)]
    check(extsst[1] == EXTSST, "EXTSST does not follow the SST")
    total, unique = struct.unpack_from("<II", pieces[0][2], 0)
    check(total == label_count, "SST total %d, LABELSST cells %d" % (total, label_count))

    starts = []  # (stream position, position of its record) per string
    piece, at = 0, 8
    for _ in range(unique):
        if at >= len(pieces[piece][2]):
            piece, at = piece + 1, 0
        body = pieces[piece][2]
        starts.append((pieces[piece][0] + 4 + at, pieces[piece][0]))
        cch, flags = struct.unpack_from("<HB", body, at)
        at += 3
        width = 2 if flags & 1 else 1
        left = cch
        while True:
            fit = min(left, (len(body) - at) // width)
            at += fit * width
            left -= fit
            if left == 0:
                break
            piece, at = piece + 1, 0
            body = pieces[piece][2]
            width = 2 if body[0] & 1 else 1
            at = 1
    check(piece == len(pieces) - 1 and at == len(pieces[piece][2]),
          "the SST holds more than its %d strings" % unique)

    dsst = struct.unpack_from("<H", extsst[2], 0)[0]
    buckets = (len(extsst[2]) - 2) // 8
    check(dsst >= 8, "EXTSST bucket size %d" % dsst)
    check(buckets == (unique + dsst - 1) // dsst and buckets <= 128,
          "EXTSST has %d buckets for %d strings of %d" % (buckets, unique, dsst))
    for b in range(buckets):
        ib, cb = struct.unpack_from("<IH", extsst[2], 2 + 8 * b)
        position, record = starts[b * dsst]
        check(ib == position and cb == position - record,
              "EXTSST bucket %d: %d/%d, string at %d/%d" % (b, ib, cb, position, position - record))
    return unique


def check_sheet(recs, begin, unique):
    """Checks one sheet's pointers; returns its LABELSST count and its EOF."""
    by_position = {r[0]: r for r in recs}
    end = next(i for i in range(begin, len(recs)) if recs[i][1] == EOF)
    sheet = recs[begin:end + 1]
    kinds = [r[1] for r in sheet]
    index = sheet[kinds.index(INDEX)]
    _, first_row, row_end, default_width = struct.unpack_from("<IIII", index[2], 0)
    dbcells = list(struct.unpack_from("<%dI" % ((len(index[2]) - 16) // 4), index[2], 16))
    dims = sheet[kinds.index(DIMENSIONS)]
    check((first_row, row_end) == struct.unpack_from("<II", dims[2], 0), "INDEX rows differ from DIMENSIONS")
    check(by_position.get(default_width, (0, 0))[1] == DEFCOLWIDTH, "INDEX does not point at DEFCOLWIDTH")
    check(dbcells == [r[0] for r in sheet if r[1] == DBCELL], "INDEX does not list the DBCELLs")
    rows_seen = 0
    for position in dbcells:
        body = by_position[position][2]
        first = position - struct.unpack_from("<I", body, 0)[0]
        offsets = struct.unpack_from("<%dH" % ((len(body) - 4) // 2), body, 4)
        cell = first + 20  # the second ROW record, where the first offset counts from
        for k, offset in enumerate(offsets):
            row = by_position.get(first + 20 * k)
            check(row is not None and row[1] == ROW, "DBCELL at %d: row %d is not a ROW" % (position, k))
            cell += offset
            target = by_position.get(cell)
            check(target is not None and target[1] in (LABELSST, BLANK) and
                  struct.unpack_from("<H", target[2], 0)[0] == struct.unpack_from("<H", row[2], 0)[0],
                  "DBCELL at %d: offset %d does not reach row %d's first cell" % (position, k, k))
            rows_seen += 1
    check(rows_seen == row_end, "the DBCELLs find %d of %d rows" % (rows_seen, row_end))
    labels = 0
    for r in sheet:
        if r[1] == LABELSST:
            labels += 1
            check(struct.unpack_from("<I", r[2], 6)[0] < unique, "LABELSST beyond the SST")
    return labels, end


def main():
    data = open(sys.argv[1], "rb").read()
    stream = compdoc.CompDoc(data, logfile=sys.stderr).get_named_stream("Workbook")
    recs = records(stream)
    by_position = {r[0]: r for r in recs}
    check(recs[0][1] == BOF and struct.unpack_from("<H", recs[0][2], 2)[0] == 5, "no globals BOF")
    sheets = [struct.unpack_from("<I", r[2], 0)[0] for r in recs if r[1] == BOUNDSHEET]
    labels = 0
    begins = []
    for position in sheets:
        target = by_position.get(position)
        check(target is not None and target[1] == BOF and struct.unpack_from("<H", target[2], 2)[0] == 0x10,
              "BOUNDSHEET %d does not point at a sheet BOF" % position)
        begins.append(recs.index(target))
    sst = next(r for r in recs if r[1] == SST)
    unique = struct.unpack_from("<I", sst[2], 4)[0]
    for begin in begins:
        count, _ = check_sheet(recs, begin, unique)
        labels += count
    check_shared_strings(recs, labels)
    print("\n".join(problems) if problems else "ok")


main()
