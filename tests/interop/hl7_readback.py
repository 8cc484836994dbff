#!/usr/bin/python3
"""Reads an HL7 v2 file with python3-hl7 and prints what the tests compare.

The file is either one message or a batch file (FHS/BHS … BTS/FTS). For every message:
the MSH fields, the patient identifier components, name and birth date, and the OBR/OBX
fields, each unescaped by python3-hl7 itself.
"""
import json
import sys

import hl7


def text(message, value):
    return message.unescape(str(value))


def field(segment, index):
    """The field, or "" when the segment ends before it (trailing empty fields are left out)."""
    try:
        return segment(index)
    except IndexError:
        return ""


def components(value):
    """The components of a field's first repetition; a field without any is one component."""
    if isinstance(value, str):
        return [value]
    repetition = value(1)
    if isinstance(repetition, str):
        return [repetition]
    return [str(c) for c in repetition]


def component(value, index):
    parts = components(value)
    return parts[index - 1] if index <= len(parts) else ""


def describe(message):
    msh = message.segment("MSH")
    out = {
        "field_separator": str(msh(1)),
        "encoding": str(msh(2)),
        "sending_application": text(message, field(msh, 3)),
        "sending_facility": text(message, field(msh, 4)),
        "receiving_application": text(message, field(msh, 5)),
        "receiving_facility": text(message, field(msh, 6)),
        "time": str(field(msh, 7)),
        "type": components(field(msh, 9)),
        "control_id": str(field(msh, 10)),
        "processing_id": str(field(msh, 11)),
        "version": str(field(msh, 12)),
        "segments": [str(s(0)) for s in message],
    }
    try:
        pid = message.segment("PID")
    except KeyError:
        pid = None
    if pid is None:
        out["patient_id"] = None
    else:
        cx = field(pid, 3)
        out["patient_id"] = text(message, component(cx, 1))
        out["patient_id_authority"] = text(message, component(cx, 4))
        out["patient_id_type"] = text(message, component(cx, 5))
        out["patient_name"] = text(message, field(pid, 5))
        out["birth_date"] = str(field(pid, 7))
    obr = message.segment("OBR")
    obx = message.segment("OBX")
    out["obr_code"] = components(field(obr, 4))
    out["obr_time"] = str(field(obr, 7))
    out["obr_filler"] = text(message, field(obr, 3))
    out["obr_reported"] = str(field(obr, 22))
    out["obr_status"] = str(field(obr, 25))
    out["obx_type"] = str(field(obx, 2))
    out["obx_code"] = [text(message, c) for c in components(field(obx, 3))]
    out["obx_value"] = components(field(obx, 5))
    out["obx_units"] = components(field(obx, 6))
    out["obx_range"] = text(message, field(obx, 7))
    out["obx_flags"] = text(message, field(obx, 8))
    out["obx_status"] = str(field(obx, 11))
    out["obx_time"] = str(field(obx, 14))
    out["obx_observer"] = text(message, field(obx, 16))
    out["obx_equipment"] = text(message, field(obx, 18))
    return out


def main():
    with open(sys.argv[1], encoding="utf-8", newline="") as f:
        data = f.read()
    if data.startswith("FHS"):
        file = hl7.parse_file(data)
        batches = list(file)
        messages = [m for b in batches for m in b]
        trailer = {
            "batches": len(batches),
            "batch_count": str(batches[0].trailer(1)) if batches and batches[0].trailer else "",
            "file_count": str(file.trailer(1)) if file.trailer else "",
        }
    else:
        messages = [hl7.parse(data)]
        trailer = {}
    lines = ["messages=%d" % len(messages)]
    lines += ["trailer.%s=%s" % (k, v) for k, v in trailer.items()]
    for index, message in enumerate(messages):
        for key, value in describe(message).items():
            if isinstance(value, list):
                for n, item in enumerate(value, 1):
                    lines.append("m%d.%s.%d=%s" % (index, key, n, flat(item)))
            else:
                lines.append("m%d.%s=%s" % (index, key, flat(value)))
    sys.stdout.write("\n".join(lines) + "\n")


def flat(value):
    if value is None:
        return "<none>"
    return str(value).replace("\\", "\\\\").replace("\r", "\\r").replace("\n", "\\n")


if __name__ == "__main__":
    main()
