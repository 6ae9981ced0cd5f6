"""Prints what an .xlsx file holds, as JSON, read with openpyxl: the sheet
names, the first sheet's cell values row by row, its hyperlinks and its
pictures with their anchors and bytes (base64).

openpyxl itself drops pictures when Pillow is missing, so they are read
with its drawing parser directly.
"""
import base64
import json
import sys
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


if __name__ == "__main__":
    main(sys.argv[1])
