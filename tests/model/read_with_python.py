"""Reads what the program wrote with independent readers and prints it as JSON.

Usage: read_with_python.py vcard FILE  -> per card: fn, n, tel, email, note, categories,
                                          photo (Base64 of the bytes), x (name, TYPE, value)
       read_with_python.py csv FILE    -> the rows as Python's csv module reads them
"""
import base64
import csv
import json
import sys


def vcards(path):
    import vobject

    with open(path, encoding="utf-8", newline="") as f:
        data = f.read()
    cards = []
    for card in vobject.readComponents(data):
        n = card.n.value
        got = {
            "fn": card.fn.value,
            "n": [n.family, n.given],
            "tel": [t.value for t in card.contents.get("tel", [])],
            "email": [e.value for e in card.contents.get("email", [])],
            "note": card.note.value if "note" in card.contents else "",
            "categories": [c for line in card.contents.get("categories", []) for c in line.value],
            "photo": base64.b64encode(card.photo.value).decode() if "photo" in card.contents else "",
            "x": [],
        }
        for name, lines in card.contents.items():
            if not name.startswith("x-"):
                continue
            for line in lines:
                if line.group:
                    continue
                types = line.params.get("TYPE", [])
                got["x"].append([line.name, types[0] if types else None, line.value])
        cards.append(got)
    return cards


def rows(path):
    with open(path, encoding="utf-8", newline="") as f:
        return list(csv.reader(f))


def main():
    kind, path = sys.argv[1], sys.argv[2]
    result = vcards(path) if kind == "vcard" else rows(path)
    json.dump(result, sys.stdout, ensure_ascii=False)
    return 0


if __name__ == "__main__":
    sys.exit(main())
