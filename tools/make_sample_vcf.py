#!/usr/bin/env python3
"""Writes resources/samples/Sample.vcf: the bundled sample file the README opens.

Deterministic: the same cards every run, so the checked-in file only changes with this script.
"""
import base64
import struct
import zlib
from pathlib import Path

PEOPLE = [
    # family, given, phonetic family, phonetic given, org, title, city-kind, categories
    ("Tanaka", "Hiroshi", "", "", "Sakura Trading", "Sales Manager", "jp", ["Work", "Tokyo"]),
    ("山田", "太郎", "ヤマダ", "タロウ", "山田工務店", "代表取締役", "jp", ["Work", "Family"]),
    ("佐藤", "花子", "サトウ", "ハナコ", "", "", "jp", ["Friends"]),
    ("鈴木", "一郎", "スズキ", "イチロウ", "株式会社みどり", "営業部長", "jp", ["Work"]),
    ("高橋", "美咲", "タカハシ", "ミサキ", "", "", "jp", ["Friends", "Tokyo"]),
    ("伊藤", "健太", "イトウ", "ケンタ", "伊藤デザイン", "デザイナー", "jp", ["Work"]),
    ("渡辺", "さくら", "ワタナベ", "サクラ", "", "", "jp", ["Family"]),
    ("中村", "翔", "ナカムラ", "ショウ", "中村法律事務所", "弁護士", "jp", []),
    ("小林", "由美", "コバヤシ", "ユミ", "", "", "jp", ["Friends"]),
    ("加藤", "大輔", "カトウ", "ダイスケ", "加藤歯科医院", "院長", "jp", ["Tokyo"]),
    ("Smith", "John", "", "", "Acme Corporation", "Engineer", "us", ["Work"]),
    ("Johnson", "Emily", "", "", "", "", "us", ["Friends"]),
    ("Williams", "Robert", "", "", "Williams & Sons", "Owner", "us", ["Work"]),
    ("Brown", "Olivia", "", "", "", "", "us", ["Family"]),
    ("García", "María", "", "", "Hospital Central", "Doctora", "es", ["Friends"]),
    ("Müller", "Jürgen", "", "", "Müller GmbH", "Geschäftsführer", "de", ["Work"]),
    ("Schmidt", "Anna", "", "", "", "", "de", []),
    ("Dubois", "Camille", "", "", "Boulangerie Dubois", "Gérante", "fr", ["Friends"]),
    ("Rossi", "Marco", "", "", "", "", "it", []),
    ("O'Connor", "Siobhan", "", "", "Dublin Books", "Editor", "ie", ["Work"]),
    ("Kowalski", "Piotr", "", "", "", "", "pl", ["Friends"]),
    ("Andersson", "Lars", "", "", "Nordic Design AB", "Architect", "se", ["Work"]),
    ("Kim", "Min-jun", "", "", "", "", "us", ["Friends"]),
    ("Nguyen", "Linh", "", "", "Pho Saigon", "Chef", "us", []),
    ("Okafor", "Chinedu", "", "", "", "", "us", ["Work"]),
    ("松本", "真由美", "マツモト", "マユミ", "", "", "jp", ["Family", "Tokyo"]),
    ("井上", "誠", "イノウエ", "マコト", "井上商店", "店主", "jp", []),
    ("木村", "拓也", "キムラ", "タクヤ", "", "", "jp", ["Friends"]),
]

JP_ADDRESSES = [
    ("100-0005", "東京都", "千代田区", "丸の内1-9-1"),
    ("530-0001", "大阪府", "大阪市北区", "梅田3-1-1"),
    ("460-0008", "愛知県", "名古屋市中区", "栄3-5-1"),
    ("060-0005", "北海道", "札幌市中央区", "北五条西2-5"),
    ("812-0012", "福岡県", "福岡市博多区", "博多駅中央街1-1"),
]
WEST_ADDRESSES = {
    "us": ("94103", "CA", "San Francisco", "500 Howard Street", "United States", "us"),
    "es": ("28013", "Madrid", "Madrid", "Calle Mayor 12", "Spain", "es"),
    "de": ("10117", "", "Berlin", "Friedrichstraße 43", "Germany", "de"),
    "fr": ("75004", "", "Paris", "12 Rue de Rivoli", "France", "fr"),
    "it": ("00186", "RM", "Roma", "Via del Corso 101", "Italy", "it"),
    "ie": ("D02 X285", "", "Dublin", "14 Grafton Street", "Ireland", "ie"),
    "pl": ("00-001", "", "Warszawa", "ul. Marszałkowska 10", "Poland", "pl"),
    "se": ("111 52", "", "Stockholm", "Drottninggatan 5", "Sweden", "se"),
}


def escape(text):
    return (text.replace("\\", "\\\\").replace(";", "\\;").replace(",", "\\,").replace("\n", "\\n"))


def fold(line):
    """Folds a content line at 75 octets without splitting a UTF-8 sequence."""
    data = line.encode("utf-8")
    out, start, limit = [], 0, 75
    while len(data) - start > limit:
        end = start + limit
        while end > start and (data[end] & 0xC0) == 0x80:
            end -= 1
        out.append(data[start:end])
        start, limit = end, 74
    out.append(data[start:])
    return b"\r\n ".join(out)


def png(width, height):
    """A small round avatar: a coloured disc on a light background."""
    rows = []
    for y in range(height):
        row = bytearray([0])
        for x in range(width):
            dx, dy = x - width / 2, y - height / 2
            inside = dx * dx + dy * dy < (width / 2 - 2) ** 2
            row += bytes((70 + y * 2, 130, 200 - x)) if inside else bytes((235, 235, 240))
        rows.append(bytes(row))
    raw = zlib.compress(b"".join(rows), 9)

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", raw) + chunk(b"IEND", b"")


def card(index, person):
    family, given, pfamily, pgiven, org, title, region, categories = person
    japanese = region == "jp"
    lines = ["BEGIN:VCARD", "VERSION:3.0"]
    lines.append(f"N:{escape(family)};{escape(given)};;;")
    lines.append(f"FN:{escape(given + ' ' + family if given.isascii() else family + given)}")
    if pfamily:
        lines.append(f"X-PHONETIC-LAST-NAME:{pfamily}")
        lines.append(f"X-PHONETIC-FIRST-NAME:{pgiven}")
    if org:
        lines.append(f"ORG:{escape(org)};")
    if title:
        lines.append(f"TITLE:{escape(title)}")
    if japanese:
        lines.append(f"TEL;type=CELL;type=VOICE;type=pref:090-{1200 + index:04d}-{3400 + index * 7:04d}")
        if index % 2 == 0:
            lines.append(f"TEL;type=HOME;type=VOICE:03-{5500 + index:04d}-{1000 + index * 3:04d}")
        if org:
            lines.append(f"TEL;type=WORK;type=VOICE:06-{6300 + index:04d}-{2000 + index:04d}")
        lines.append(f"EMAIL;type=INTERNET;type=HOME;type=pref:user{index}@example.jp")
        if org:
            lines.append(f"EMAIL;type=INTERNET;type=WORK:contact{index}@company.example.jp")
        zipcode, state, city, street = JP_ADDRESSES[index % len(JP_ADDRESSES)]
        lines.append(f"item1.ADR;type=HOME;type=pref:;;{street};{city};{state};{zipcode};日本")
        lines.append("item1.X-ABADR:jp")
        if index % 3 == 0:
            zipcode, state, city, street = JP_ADDRESSES[(index + 2) % len(JP_ADDRESSES)]
            lines.append(f"item2.ADR;type=WORK:;;{street};{city};{state};{zipcode};日本")
            lines.append("item2.X-ABADR:jp")
    else:
        lines.append(f"TEL;type=CELL;type=VOICE;type=pref:+1 415 555 {1000 + index * 13:04d}")
        if index % 2 == 1:
            lines.append(f"TEL;type=HOME;type=VOICE:+1 415 555 {2000 + index:04d}")
        if org:
            lines.append(f"TEL;type=WORK;type=VOICE:+1 212 555 {3000 + index:04d}")
            lines.append(f"TEL;type=WORK;type=FAX:+1 212 555 {3100 + index:04d}")
        name = given.lower().replace("'", "").replace("ü", "u").replace("í", "i").replace("-", "")
        lines.append(f"EMAIL;type=INTERNET;type=HOME;type=pref:{name}.{index}@example.com")
        if org:
            lines.append(f"EMAIL;type=INTERNET;type=WORK:{name}@{org.split()[0].lower().replace('ü', 'u')}.example.com")
        zipcode, state, city, street, country, code = WEST_ADDRESSES[region]
        lines.append(f"item1.ADR;type=HOME;type=pref:;;{escape(street)};{escape(city)};{escape(state)};{zipcode};{country}")
        lines.append(f"item1.X-ABADR:{code}")
    if index % 4 == 0:
        lines.append(f"item3.URL;type=pref:https://www.example.org/~member{index}")
        lines.append("item3.X-ABLabel:_$!<HomePage>!$_")
    if index % 5 == 1:
        lines.append(f"BDAY:{1960 + index}-{1 + index % 12:02d}-{1 + index % 28:02d}")
    if index % 7 == 3:
        lines.append(f"BDAY:--{1 + index % 12:02d}{10 + index % 18:02d}")
    if index % 6 == 2:
        lines.append(f"item4.X-ABRELATEDNAMES:{'山田 花子' if japanese else 'Jane Doe'}")
        lines.append("item4.X-ABLabel:_$!<Spouse>!$_")
    if index == 1:
        lines.append(escape_note("建築・リフォームのご相談窓口。\n営業時間：平日 9:00〜18:00"))
    if index == 10:
        lines.append(escape_note("Met at the 2024 trade fair; prefers e-mail.\nCall after 10 am, Pacific time."))
    if index == 15:
        lines.append("X-ABShowAs:COMPANY")
    if index == 11:
        photo = base64.b64encode(png(32, 32)).decode("ascii")
        lines.append(f"PHOTO;ENCODING=b;TYPE=PNG:{photo}")
    if categories:
        lines.append("CATEGORIES:" + ",".join(escape(c) for c in categories))
    lines.append("END:VCARD")
    return b"".join(fold(line) + b"\r\n" for line in lines)


def escape_note(text):
    return "NOTE:" + escape(text)


def main():
    target = Path(__file__).resolve().parent.parent / "resources" / "samples" / "Sample.vcf"
    target.write_bytes(b"".join(card(i, p) for i, p in enumerate(PEOPLE)))
    print(f"wrote {target} ({len(PEOPLE)} cards)")


if __name__ == "__main__":
    main()
