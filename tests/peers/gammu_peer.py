#!/usr/bin/python3
"""SMS peer for the tests: python3-gammu decodes our SUBMIT PDUs and makes DELIVER PDUs.

Reads one JSON object on stdin:
  {"decode": ["HEX", ...], "deliver": [{"text": ..., "number": ..., "unicode": bool, "long": bool}, ...]}
and writes {"decoded": [...], "delivered": [[HEX, ...], ...]} on stdout.
"""
import datetime
import json
import sys

import gammu


def decode(pdu_hex):
    sms = gammu.DecodePDU(bytes.fromhex(pdu_hex), True)
    udh = sms["UDH"]
    # The binding sizes the text by the user-data length in septets, so a text with escape
    # pairs comes back with its terminating NUL and whatever followed it in the buffer.
    text = sms["Text"].split("\0", 1)[0]
    return {
        "number": sms["Number"],
        "text": text,
        "coding": sms["Coding"],
        "class": sms["Class"],
        "type": sms["Type"],
        "udhType": udh["Type"],
        "concatReference": udh["ID8bit"],
        "part": udh["PartNumber"],
        "parts": udh["AllParts"],
        "reference": sms["MessageReference"],
        "deliveryStatus": sms["DeliveryStatus"],
        "sent": sms["DateTime"].isoformat() if sms["DateTime"] else "",
        "delivered": sms["SMSCDateTime"].isoformat() if sms.get("SMSCDateTime") else "",
        "validity": sms["SMSC"]["Validity"],
    }


def deliver(wanted):
    entry = {"ID": "ConcatenatedTextLong" if wanted.get("long") else "Text", "Buffer": wanted["text"]}
    parts = gammu.EncodeSMS({"Class": -1, "Unicode": bool(wanted.get("unicode")), "Entries": [entry]})
    out = []
    for sms in parts:
        sms["Type"] = "Deliver"
        sms["Number"] = wanted["number"]
        sms["SMSC"] = {"Number": wanted.get("centre", "+420603052000"), "Location": 0}
        sms["DateTime"] = datetime.datetime(2007, 1, 15, 8, 30, 0)
        out.append(gammu.EncodePDU(sms, "Deliver").hex().upper())
    return out


def main():
    request = json.load(sys.stdin)
    answer = {
        "decoded": [decode(p) for p in request.get("decode", [])],
        "delivered": [deliver(s) for s in request.get("deliver", [])],
    }
    json.dump(answer, sys.stdout, ensure_ascii=True)


if __name__ == "__main__":
    main()
