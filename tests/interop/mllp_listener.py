#!/usr/bin/python3
"""An MLLP receiver for the delivery tests, built on python3-hl7's own server.

Listens on the loopback interface only, on a free port written to --port-file once it
accepts connections. Every message is parsed by python3-hl7 and recorded as one JSON line in
--log (control ID and patient ID components) before it is answered:
  aa      acknowledge with AA
  ae      acknowledge with AE and a reason in MSA-3
  silent  never answer (a receiver that hangs)
The listener ends by itself after --lifetime seconds, so a failed test never leaves it behind.
"""
import argparse
import asyncio
import json
import os

import hl7
from hl7.mllp import start_hl7_server

REASON = "Patient not registered"


def record(log_path, message):
    msh = message.segment("MSH")
    entry = {"control_id": str(msh(10)), "type": str(msh(9))}
    try:
        pid = message.segment("PID")
        entry["patient_id"] = message.unescape(str(pid(3)(1)(1)))
    except KeyError:
        entry["patient_id"] = None
    obx = message.segment("OBX")
    entry["value_type"] = str(obx(2))
    entry["value"] = str(obx(5))
    with open(log_path, "a", encoding="utf-8") as log:
        log.write(json.dumps(entry) + "\n")
        log.flush()
        os.fsync(log.fileno())


async def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--port-file", required=True)
    parser.add_argument("--log", required=True)
    parser.add_argument("--mode", choices=["aa", "ae", "silent"], required=True)
    parser.add_argument("--lifetime", type=float, default=60.0)
    args = parser.parse_args()

    async def serve(reader, writer):
        try:
            while not writer.is_closing():
                message = await reader.readmessage()
                record(args.log, message)
                if args.mode == "silent":
                    continue
                ack = message.create_ack(args.mode.upper())
                text = str(ack).rstrip("\r")
                if args.mode == "ae":
                    text += "|" + ack.escape(REASON)
                text += "\r"
                writer.writemessage(text)
                await writer.drain()
        except asyncio.IncompleteReadError:
            pass
        finally:
            writer.close()

    server = await start_hl7_server(serve, host="127.0.0.1", port=0, encoding="utf-8")
    port = server.sockets[0].getsockname()[1]
    temp = args.port_file + ".part"
    with open(temp, "w") as out:
        out.write(str(port))
    os.rename(temp, args.port_file)
    async with server:
        try:
            await asyncio.wait_for(server.serve_forever(), timeout=args.lifetime)
        except asyncio.TimeoutError:
            pass


if __name__ == "__main__":
    asyncio.run(main())
