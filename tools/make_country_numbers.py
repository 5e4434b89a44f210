#!/usr/bin/python3
"""Writes resources/data/CountryNumbers.csv: one line per ITU country calling code.

Fields: the code (digits, no "+"), the ISO 3166 code of its main region ("001" for the
non-geographic codes), the region's Japanese name and the Japanese name of its area (the UN
subregion; for the non-geographic codes, the kind of service). The phone-number layouts read
the lines unquoted, split at ",", so no field may hold a comma.

Run with Debian's Python, which has the sources: python3-phonenumbers and python3-icu
(tool-time only; the checked-in file is what the program reads).
Deterministic: the output changes only with this script or with the installed sources.
"""
from pathlib import Path

import icu
import phonenumbers

OUTPUT = Path(__file__).resolve().parent.parent / "resources" / "data" / "CountryNumbers.csv"

WORLD = "001"
JAPANESE = icu.Locale("ja")

# ICU names the region "001" only "世界": the service behind each code says more.
NON_GEOGRAPHIC_SERVICES = {
    800: "国際フリーフォン",
    808: "国際費用分担番号",
    870: "インマルサット",
    878: "ユニバーサル・パーソナル通信",
    881: "グローバル移動衛星通信",
    882: "国際ネットワーク",
    883: "国際ネットワーク",
    888: "国連人道問題調整事務所",
    979: "国際プレミアムレート",
}


def japanese_region_name(region):
    return icu.Locale("und", region).getDisplayCountry(JAPANESE)


# ICU files Ascension under "outlying Oceania"; it is part of Saint Helena, Ascension and
# Tristan da Cunha in the South Atlantic.
AREA_AS_FOR = {"AC": "SH"}


def area_name(code, region):
    if region == WORLD:
        return NON_GEOGRAPHIC_SERVICES[code]
    containing = icu.Region.getInstance(AREA_AS_FOR.get(region, region)).getContainingRegion()
    return japanese_region_name(containing.getRegionCode())


def rows():
    result = []
    for code, regions in sorted(phonenumbers.COUNTRY_CODE_TO_REGION_CODE.items()):
        main_region = regions[0]  # the library lists the code's main region first
        result.append((str(code), main_region, japanese_region_name(main_region), area_name(code, main_region)))
    return result


def check(table):
    codes = [row[0] for row in table]
    assert len(codes) == len(set(codes)), "duplicate calling code"
    for row in table:
        assert row[0].isdigit(), row
        assert all(field and "," not in field and "\n" not in field for field in row), row
    # The lookup takes the shortest code that begins a number, so a code that is a proper
    # prefix of another would make the longer one unreachable.
    shadowed = [(a, b) for a in codes for b in codes if a != b and b.startswith(a)]
    assert not shadowed, f"calling codes shadowed by a shorter one: {shadowed}"


def main():
    table = rows()
    check(table)
    lines = ["number,country,国名,エリア名"] + [",".join(row) for row in table]
    OUTPUT.parent.mkdir(parents=True, exist_ok=True)
    OUTPUT.write_text("\n".join(lines) + "\n", encoding="utf-8")
    print(f"{OUTPUT}: {len(table)} calling codes")


if __name__ == "__main__":
    main()
