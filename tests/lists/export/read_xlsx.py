"""Prints what an .xlsx file holds, as JSON.

read_xlsx.py FILE: read with openpyxl, the sheet names, the first sheet's
cell values row by row, its hyperlinks and its pictures with their anchors
and bytes (base64). openpyxl itself drops pictures when Pillow is missing,
so they are read with its drawing parser directly.

read_xlsx.py --cells FILE REF...: for sheets too big for openpyxl to load
quickly, the first sheet's XML read directly: the cells that carry a
hyperlink and the text of the named cells.
"""
import base64
import json
import sys
import xml.etree.ElementTree as ElementTree
import zipfile

import openpyxl
from openpyxl.drawing.spreadsheet_drawing import SpreadsheetDrawing
from openpyxl.packaging.relationship import get_dependents, get_rels_path
from openpyxl.xml.functions import fromstring


def pictures(path):
    found = []
    with zipfile.ZipFile(path) as archive:
        for name in archive.namelist():
            if not (name.startswith("xl/drawings/") and name.endswith(".xml")) or "/_rels/" in name:
                continue
            drawing = SpreadsheetDrawing.from_tree(fromstring(archive.read(name)))
            dependents = get_dependents(archive, get_rels_path(name))
            for rel in drawing._blip_rels:
                anchor = rel.anchor
                to = getattr(anchor, "to", None)
                found.append({
                    "row": anchor._from.row,
                    "col": anchor._from.col,
                    "toRow": to.row if to is not None else anchor._from.row,
                    "toCol": to.col if to is not None else anchor._from.col,
                    "bytes": base64.b64encode(archive.read(dependents[rel.embed].target)).decode("ascii"),
                })
    return found


def main(path):
    book = openpyxl.load_workbook(path)
    sheet = book.worksheets[0]
    rows, links = [], []
    for row in sheet.iter_rows():
        rows.append([cell.value for cell in row])
        for cell in row:
            if cell.hyperlink is not None:
                links.append({"row": cell.row - 1, "col": cell.column - 1, "target": cell.hyperlink.target})
    json.dump({"sheets": book.sheetnames, "rows": rows, "links": links, "pictures": pictures(path)}, sys.stdout)


MAIN_NS = "{http://schemas.openxmlformats.org/spreadsheetml/2006/main}"


def cells(path, refs):
    with zipfile.ZipFile(path) as archive:
        strings = ElementTree.fromstring(archive.read("xl/sharedStrings.xml"))
        shared = ["".join(t.text or "" for t in si.iter(MAIN_NS + "t")) for si in strings.iter(MAIN_NS + "si")]
        sheet = ElementTree.fromstring(archive.read("xl/worksheets/sheet1.xml"))
    values = {}
    for cell in sheet.iter(MAIN_NS + "c"):
        ref = cell.get("r")
        value = cell.find(MAIN_NS + "v")
        if ref in refs and value is not None:
            values[ref] = shared[int(value.text)] if cell.get("t") == "s" else value.text
    links = [link.get("ref") for link in sheet.iter(MAIN_NS + "hyperlink")]
    json.dump({"links": links, "cells": values}, sys.stdout)


if __name__ == "__main__":
    if sys.argv[1] == "--cells":
        cells(sys.argv[2], set(sys.argv[3:]))
    else:
        main(sys.argv[1])
