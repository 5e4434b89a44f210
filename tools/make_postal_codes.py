#!/usr/bin/python3
"""Writes resources/data/ken_all.gzip and resources/data/jigyosyo.gzip, the Japanese
postal-code lists the address editor's lookup reads, from the npm package
jquery-jpostal-ja (MIT licence), a cleaned derivative of Japan Post's national list.

Usage:
    npm pack jquery-jpostal-ja@2.14.73        # in a scratch folder outside the repository
    tools/make_postal_codes.py jquery-jpostal-ja-2.14.73.tgz

The package keeps rows ["_" + seven digits, state, city, town, business street, business
name, state kana, city kana, town kana] in json/000.json ... json/999.json (JSONP). Rows
with a business name go to "jigyosyo", the rest to "ken_all", in the package's order, as
the national lists lay them out:

    ken_all:  00000,"     ","zip7","sK","cK","tK","state","city","town",0,0,0,0,0,0
    jigyosyo: 00000,"","name","state","city","town","street","zip7","     ","",0,0,0

The package leaves the town empty where the national list writes "以下に掲載がない場合"
(an area without listed streets); the placeholder is written back, since the lookup knows
it by that text. Rows whose key is not seven digits (the package's version and prefix
entries) are left out. Text is encoded as Shift_JIS through ICU's "windows-31j" (the uconv
tool, icu-devtools), one LF after every line, and compressed with "gzip -9n", so the output
is byte for byte the same on every run. Tool-time only: builds and tests read the checked-in
files.
"""
import gzip
import hashlib
import json
import re
import subprocess
import sys
import tarfile
from pathlib import Path

PACKAGE = "jquery-jpostal-ja-2.14.73.tgz"
PACKAGE_SHA256 = "2ce7baa752dc8ecc1264e694c49d3713f6279538299062499215eaa302a966c4"
OUTPUT = Path(__file__).resolve().parent.parent / "resources" / "data"
NO_LISTED_STREET = "以下に掲載がない場合"
JSONP = re.compile(r"\s*jQuery_jpostal_callback\(\s*(.*)\s*\)\s*;?\s*\Z", re.S)
ZIP = re.compile(r"_(\d{7})")


def package_rows(tarball):
    with tarfile.open(tarball) as archive:
        names = sorted(n for n in archive.getnames() if re.fullmatch(r"package/json/\d{3}\.json", n))
        if len(names) != 1000:
            sys.exit(f"expected json/000.json ... json/999.json, found {len(names)} files")
        for name in names:
            text = archive.extractfile(name).read().decode("utf-8")
            match = JSONP.match(text)
            if not match:
                sys.exit(f"{name}: not a jQuery_jpostal_callback(...) file")
            yield from json.loads(match.group(1))


def quoted(field):
    # The lookup splits lines at every comma and keeps quotes: a field may hold neither.
    if any(c in field for c in ',"\r\n'):
        sys.exit(f"field cannot be written unescaped: {field!r}")
    return f'"{field}"'


def convert(rows):
    areas, businesses = [], []
    for row in rows:
        if len(row) != 9:
            sys.exit(f"row of {len(row)} fields: {row!r}")
        match = ZIP.fullmatch(row[0])
        if not match:
            continue
        code = match.group(1)
        state, city, town, street, name, state_kana, city_kana, town_kana = row[1:]
        if name:
            fields = ["", name, state, city, town, street, code, "     ", ""]
            businesses.append("00000," + ",".join(map(quoted, fields)) + ",0,0,0\n")
        else:
            fields = ["     ", code, state_kana, city_kana, town_kana, state, city, town or NO_LISTED_STREET]
            areas.append("00000," + ",".join(map(quoted, fields)) + ",0,0,0,0,0,0\n")
    return areas, businesses


def uconv(data, source, target):
    return subprocess.run(["uconv", "-f", source, "-t", target, "--callback", "stop"],
                          input=data, capture_output=True, check=True).stdout


def gzip_9n(data):
    return subprocess.run(["gzip", "-9n"], input=data, capture_output=True, check=True).stdout


def main():
    if len(sys.argv) != 2:
        sys.exit(f"usage: {sys.argv[0]} path/to/{PACKAGE}")
    tarball = Path(sys.argv[1])
    digest = hashlib.sha256(tarball.read_bytes()).hexdigest()
    if digest != PACKAGE_SHA256:
        sys.exit(f"{tarball}: sha256 {digest}, expected {PACKAGE_SHA256} ({PACKAGE})")
    areas, businesses = convert(package_rows(tarball))
    for name, lines in (("ken_all", areas), ("jigyosyo", businesses)):
        text = "".join(lines)
        encoded = uconv(text.encode("utf-8"), "utf-8", "windows-31j")
        # The program decodes strictly: every character must come back as it was.
        if uconv(encoded, "windows-31j", "utf-8").decode("utf-8") != text:
            sys.exit(f"{name}: windows-31j does not round-trip")
        compressed = gzip_9n(encoded)
        if gzip.decompress(compressed) != encoded:
            sys.exit(f"{name}: gzip round trip failed")
        path = OUTPUT / f"{name}.gzip"
        path.write_bytes(compressed)
        print(f"{path.name}: {len(lines)} lines, {len(encoded)} bytes, {path.stat().st_size} compressed")


if __name__ == "__main__":
    main()
