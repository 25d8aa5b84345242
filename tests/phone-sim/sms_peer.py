#!/usr/bin/python3
"""SMS peer of the virtual phone's tests: python3-gammu reads the phone's PDUs and writes
SMS-SUBMIT PDUs the way another program would.

Reads one JSON object on stdin:
  {"decode": ["HEX", ...], "submit": [{"number": ..., "text": ..., "unicode": bool}, ...]}
and writes {"decoded": [...], "submitted": [["HEX", ...], ...]} on stdout.
"""
import json
import sys

import gammu


def decode(pdu_hex):
    sms = gammu.DecodePDU(bytes.fromhex(pdu_hex), True)
    udh = sms["UDH"]
    # The binding sizes a seven-bit text by septets, so escape pairs leave a NUL and
    # whatever followed it in its buffer at the end.
    return {
        "type": sms["Type"],
        "number": sms["Number"],
        "text": sms["Text"].split("\0", 1)[0],
        "coding": sms["Coding"],
        "udhType": udh["Type"],
        "reference": udh["ID16bit"] if udh["Type"].endswith("16bit") else udh["ID8bit"],
        "part": udh["PartNumber"],
        "parts": udh["AllParts"],
    }


def submit(wanted):
    entry = {"ID": "ConcatenatedTextLong", "Buffer": wanted["text"]}
    parts = gammu.EncodeSMS({"Class": -1, "Unicode": bool(wanted.get("unicode")), "Entries": [entry]})
    out = []
    for sms in parts:
        sms["Number"] = wanted["number"]
        sms["SMSC"] = {"Location": 0, "Number": ""}
        out.append(gammu.EncodePDU(sms, "Submit").hex().upper())
    return out


def main():
    request = json.load(sys.stdin)
    answer = {
        "decoded": [decode(p) for p in request.get("decode", [])],
        "submitted": [submit(s) for s in request.get("submit", [])],
    }
    json.dump(answer, sys.stdout, ensure_ascii=True)


if __name__ == "__main__":
    main()
