#!/usr/bin/env python3
"""Reads a report of hoardscope back with Python's own readers (csv, json, html.parser) and prints its rows, one a
line, the fields separated by tabs, after a line of the column names. Exits with 1 when the report does not
parse."""
import csv
import html.parser
import io
import json
import sys


def csv_rows(text):
    return list(csv.reader(io.StringIO(text, newline=""), strict=True))


def json_rows(text):
    rows = []
    for line in text.split("\n"):
        if not line:
            continue
        record = json.loads(line)
        if not rows:
            rows.append(list(record.keys()))
        rows.append(["" if value is None else str(value) for value in record.values()])
    return rows


class TableReader(html.parser.HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.rows, self.cell = [], None

    def handle_starttag(self, tag, attrs):
        if tag == "tr":
            self.rows.append([])
        elif tag in ("td", "th"):
            self.cell = ""

    def handle_endtag(self, tag):
        if tag in ("td", "th"):
            self.rows[-1].append(self.cell)
            self.cell = None

    def handle_data(self, data):
        if self.cell is not None:
            self.cell += data


def html_rows(text):
    reader = TableReader()
    reader.feed(text)
    reader.close()
    return reader.rows


def main():
    kind, path = sys.argv[1], sys.argv[2]
    with open(path, encoding="utf-8", newline="") as report:
        text = report.read()
    try:
        rows = {"csv": csv_rows, "json": json_rows, "html": html_rows}[kind](text)
    except (csv.Error, ValueError) as error:
        print(f"{path}: {error}", file=sys.stderr)
        return 1
    for row in rows:
        print("\t".join(row))
    return 0


sys.exit(main())
