#!/usr/bin/python3
"""vCard peer for the tests: python3-vobject reads our .vcf files.

Reads {"file": PATH} on stdin and writes {"cards": [[[name, params, value], ...], ...],
"serialized": TEXT} on stdout: per card every property with its parameters as sorted
"NAME=value" words joined by blanks, structured values (N, ADR, ORG, CATEGORIES) joined by
"|"; then all cards as vobject writes them again.
"""
import json
import sys

import vobject


def text(v):
    return ",".join(v) if isinstance(v, list) else str(v)


def value(prop):
    v = prop.value
    if prop.name == "N":
        return "|".join(text(x) for x in (v.family, v.given, v.additional, v.prefix, v.suffix))
    if prop.name == "ADR":
        return "|".join(text(x) for x in (v.box, v.extended, v.street, v.city, v.region, v.code, v.country))
    if isinstance(v, list):
        return "|".join(v)
    return str(v)


def main():
    request = json.load(sys.stdin)
    with open(request["file"], encoding="utf-8", newline="") as f:
        data = f.read()
    cards = list(vobject.readComponents(data))
    out = []
    for card in cards:
        props = []
        for prop in card.getChildren():
            params = sorted("%s=%s" % (k.upper(), p) for k, vs in prop.params.items() for p in vs)
            props.append([prop.name, " ".join(params), value(prop)])
        out.append(props)
    json.dump({"cards": out, "serialized": "".join(c.serialize() for c in cards)}, sys.stdout, ensure_ascii=True)


if __name__ == "__main__":
    main()
