"""Reads vCard text with python3-vobject and compares it with the fields we meant to write.

Usage: vobject_check.py CARDS.vcf EXPECTED.json
EXPECTED is a list, one object per card: n (five texts), tel, email (lists of texts),
adr (lists of street, city, state, postal code, country).
"""
import json
import sys

import vobject


def text(value):
    if isinstance(value, list):
        return ",".join(value)
    return value or ""


def main():
    with open(sys.argv[1], encoding="utf-8", newline="") as f:
        data = f.read()
    with open(sys.argv[2], encoding="utf-8") as f:
        expected = json.load(f)
    cards = list(vobject.readComponents(data))
    problems = []
    if len(cards) != len(expected):
        problems.append("%d cards read, %d written" % (len(cards), len(expected)))
    for index, (card, want) in enumerate(zip(cards, expected)):
        n = card.n.value
        got = {
            "n": [text(n.family), text(n.given), text(n.additional), text(n.prefix), text(n.suffix)],
            "tel": [t.value for t in card.contents.get("tel", [])],
            "email": [e.value for e in card.contents.get("email", [])],
            "adr": [[text(a.value.street), text(a.value.city), text(a.value.region), text(a.value.code),
                     text(a.value.country)] for a in card.contents.get("adr", [])],
        }
        for key in ("n", "tel", "email", "adr"):
            if got[key] != want[key]:
                problems.append("card %d %s: vobject read %r, we wrote %r" % (index, key, got[key], want[key]))
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
