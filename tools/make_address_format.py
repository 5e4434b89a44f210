#!/usr/bin/python3
"""Writes resources/data/AddressFormat.json: the address format of every country ICU knows.

Each entry holds "CountryCode", "Country" (English name) and "Alpha3" from ICU and a
"formatString": the address parts "Street", "City", "State", "ZIP" and "Country" in writing
order, a line break between lines and a blank between parts of one line. Countries whose
conventions are written down below get their own order; the rest get the default order.
Japan, the United States and Canada also carry their subdivisions: "States", "StateCodes"
(the ISO 3166-2 code without the country prefix, aligned by position) and, for Japan,
"States.ja".

Every format names all five parts, so no part a user entered disappears from the one-line
text; parts a country rarely uses go where they are written when present. The country is
the last line everywhere, as international mail writes it.

Run with Debian's Python, which has the sources: python3-icu and the iso-codes package
(tool-time only; the checked-in file is what the program reads).
Deterministic: the output changes only with this script or with the installed sources.
"""
import gettext
import json
from pathlib import Path

import icu

OUTPUT = Path(__file__).resolve().parent.parent / "resources" / "data" / "AddressFormat.json"
SUBDIVISIONS = Path("/usr/share/iso-codes/json/iso_3166-2.json")

PARTS = ("Street", "City", "State", "ZIP", "Country")
DEFAULT_FORMAT = "Street City State ZIP Country"

# Lines of each country's postal address, after the recipient's lines.
ZIP_CITY = "Street\nZIP City\nState\nCountry"
ZIP_CITY_STATE = "Street\nZIP City State\nCountry"
CITY_ZIP = "Street\nCity ZIP\nState\nCountry"
CITY_STATE_ZIP = "Street\nCity State ZIP\nCountry"
CITY_STATE_ZIP_LINES = "Street\nCity\nState\nZIP\nCountry"
CITY_STATE_ZIP_LAST = "Street\nCity\nState ZIP\nCountry"
CITY_STATE_NEXT_ZIP = "Street\nCity State\nZIP\nCountry"
BIG_TO_SMALL_ZIP_FIRST = "ZIP\nState City\nStreet\nCountry"

FORMATS = {
    # The 50 most populous countries, in order of population.
    "IN": CITY_ZIP,
    "CN": BIG_TO_SMALL_ZIP_FIRST,
    "US": CITY_STATE_ZIP,
    "ID": CITY_STATE_ZIP_LAST,
    "PK": CITY_ZIP,
    "NG": CITY_ZIP,
    "BR": CITY_STATE_NEXT_ZIP,
    "BD": CITY_ZIP,
    "RU": CITY_STATE_ZIP_LINES,
    "MX": ZIP_CITY_STATE,
    "ET": ZIP_CITY,
    "JP": BIG_TO_SMALL_ZIP_FIRST,
    "PH": "Street\nCity\nZIP State\nCountry",
    "EG": CITY_STATE_ZIP_LINES,
    "CD": CITY_STATE_ZIP_LINES,
    "VN": CITY_STATE_ZIP_LAST,
    "IR": "State\nCity\nStreet\nZIP\nCountry",
    "TR": ZIP_CITY_STATE,
    "DE": ZIP_CITY,
    "TH": CITY_STATE_ZIP_LAST,
    "GB": CITY_STATE_ZIP_LINES,
    "TZ": ZIP_CITY,
    "FR": ZIP_CITY,
    "ZA": CITY_STATE_ZIP_LINES,
    "IT": ZIP_CITY_STATE,
    "KE": CITY_STATE_ZIP_LINES,
    "MM": CITY_ZIP,
    "CO": CITY_STATE_ZIP,
    "KR": "State City\nStreet\nZIP\nCountry",
    "UG": CITY_STATE_ZIP_LINES,
    "SD": CITY_STATE_ZIP_LINES,
    "ES": ZIP_CITY_STATE,
    "AR": ZIP_CITY,
    "DZ": ZIP_CITY,
    "IQ": CITY_STATE_NEXT_ZIP,
    "AF": CITY_STATE_ZIP_LINES,
    "PL": ZIP_CITY,
    "CA": CITY_STATE_ZIP,
    "MA": ZIP_CITY,
    "SA": CITY_ZIP,
    "UA": CITY_STATE_ZIP_LINES,
    "AO": CITY_STATE_ZIP_LINES,
    "UZ": ZIP_CITY,
    "YE": CITY_STATE_ZIP_LINES,
    "PE": CITY_ZIP,
    "MY": ZIP_CITY,
    "GH": CITY_STATE_ZIP_LINES,
    "MZ": ZIP_CITY_STATE,
    "NP": CITY_ZIP,
    "MG": ZIP_CITY,
    # Other countries whose conventions are well documented.
    "VE": "Street\nCity ZIP State\nCountry",
    "AU": CITY_STATE_ZIP,
    "TW": BIG_TO_SMALL_ZIP_FIRST,
    "KZ": "ZIP\nState\nCity\nStreet\nCountry",
    "CL": ZIP_CITY,
    "EC": "Street\nZIP\nCity\nState\nCountry",
    "NL": ZIP_CITY,
    "BE": ZIP_CITY,
    "CH": ZIP_CITY,
    "AT": ZIP_CITY,
    "SE": ZIP_CITY,
    "NO": ZIP_CITY,
    "DK": ZIP_CITY,
    "FI": ZIP_CITY,
    "IS": ZIP_CITY,
    "PT": ZIP_CITY,
    "LU": ZIP_CITY,
    "CZ": ZIP_CITY,
    "SK": ZIP_CITY,
    "SI": ZIP_CITY,
    "HR": ZIP_CITY,
    "RS": ZIP_CITY,
    "BG": ZIP_CITY,
    "GR": ZIP_CITY,
    "BY": ZIP_CITY,
    "HU": "City\nStreet\nZIP\nState\nCountry",
    "IE": CITY_STATE_ZIP_LINES,
    "NZ": CITY_ZIP,
    "SG": CITY_ZIP,
    "IL": CITY_ZIP,
    "LK": CITY_STATE_ZIP_LINES,
}

TOP_40_BY_POPULATION = list(FORMATS)[:40]

# Japanese prefecture names carry their suffix as addresses write them (東京都, 大阪府, 青森県).
JAPANESE_PREFECTURES = (
    "北海道 青森県 岩手県 宮城県 秋田県 山形県 福島県 茨城県 栃木県 群馬県 埼玉県 千葉県 東京都 "
    "神奈川県 新潟県 富山県 石川県 福井県 山梨県 長野県 岐阜県 静岡県 愛知県 三重県 滋賀県 京都府 "
    "大阪府 兵庫県 奈良県 和歌山県 鳥取県 島根県 岡山県 広島県 山口県 徳島県 香川県 愛媛県 高知県 "
    "福岡県 佐賀県 長崎県 熊本県 大分県 宮崎県 鹿児島県 沖縄県"
).split()

# States, the federal district and the inhabited territories, which have mail service; the
# minor outlying islands have none.
US_EXCLUDED = {"UM"}
US_NAMES = {"VI": "U.S. Virgin Islands"}  # iso-codes inverts it as "Virgin Islands, U.S."


def subdivisions(country):
    """(code without the country prefix, English name) pairs in code order."""
    entries = json.loads(SUBDIVISIONS.read_text(encoding="utf-8"))["3166-2"]
    prefix = country + "-"
    return sorted((e["code"][len(prefix):], e["name"]) for e in entries if e["code"].startswith(prefix))


def japan_states():
    pairs = subdivisions("JP")
    assert len(pairs) == 47 == len(JAPANESE_PREFECTURES)
    # iso-codes' Japanese names lack the suffix: they check that the two lists are in step.
    translation = gettext.translation("iso_3166-2", languages=["ja"])
    for (_, english), japanese in zip(pairs, JAPANESE_PREFECTURES):
        assert japanese.startswith(translation.gettext(english)), (english, japanese)
    return {
        "States": [name for _, name in pairs],
        "StateCodes": [code for code, _ in pairs],
        "States.ja": JAPANESE_PREFECTURES,
    }


def states_by_name(country, excluded=frozenset(), names=None):
    names = names or {}
    pairs = sorted(
        ((names.get(code, name), code) for code, name in subdivisions(country) if code not in excluded),
        key=lambda pair: pair[0],
    )
    return {"States": [name for name, _ in pairs], "StateCodes": [code for _, code in pairs]}


def entries():
    english = icu.Locale("en")
    states = {
        "JP": japan_states(),
        "US": states_by_name("US", US_EXCLUDED, US_NAMES),
        "CA": states_by_name("CA"),
    }
    result = []
    for code in sorted(icu.Locale.getISOCountries()):
        locale = icu.Locale("und", code)
        entry = {
            "CountryCode": code,
            "Country": locale.getDisplayCountry(english),
            "Alpha3": locale.getISO3Country(),
            "formatString": FORMATS.get(code, DEFAULT_FORMAT),
        }
        entry.update(states.get(code, {}))
        result.append(entry)
    return result


def check(table):
    codes = [entry["CountryCode"] for entry in table]
    assert len(codes) == len(set(codes)), "duplicate country code"
    assert set(FORMATS) <= set(codes), set(FORMATS) - set(codes)
    assert len(TOP_40_BY_POPULATION) == 40
    for entry in table:
        assert len(entry["Alpha3"]) == 3 and entry["Country"] != entry["CountryCode"], entry
        order = entry["formatString"].replace("\n", " ").split(" ")
        assert sorted(order) == sorted(PARTS), entry
        if "States" in entry:
            assert len(entry["States"]) == len(entry["StateCodes"]) > 0, entry


def main():
    table = entries()
    check(table)
    text = json.dumps({"AddressFormat": table}, ensure_ascii=False, indent=1)
    OUTPUT.parent.mkdir(parents=True, exist_ok=True)
    OUTPUT.write_text(text + "\n", encoding="utf-8")
    specific = sum(1 for entry in table if entry["CountryCode"] in FORMATS)
    print(f"{OUTPUT}: {len(table)} countries, {specific} with their own format")


if __name__ == "__main__":
    main()
