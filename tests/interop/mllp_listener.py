#!/usr/bin/python3
"""An MLLP receiver for the delivery tests, built on python3-hl7's own server.

Listens on the loopback interface only, on a free port written to --port-file once it
accepts connections. Every message is parsed by python3-hl7 and recorded as one JSON line in
--log (control ID and patient ID components) before it is answered:
  aa        acknowledge with AA
  ae        acknowledge with AE and a reason in MSA-3
  silent    never answer (a receiver that hangs)
  other-id  acknowledge with AA, but naming another message's control ID in MSA-2
  late      first a late AA for another message's control ID, then the AA of this one
  unknown   acknowledge with a code that is none of HL7's acknowledgement codes
  not-ack   answer AA with this message's control ID inside a message that is no ACK
  close     acknowledge with AA, then close the connection (a receiver that takes one message
            per connection)
  two-msa   one ACK holding two MSA segments: AE, then AA
  echo      the message itself sent back with an MSA AA of its control ID appended
  slow      acknowledge with AA a fifth of a second after each message
With --tls CERT,KEY it speaks MLLP over TLS with that certificate (mllps://).
The listener ends by itself after --lifetime seconds, so a failed test never leaves it behind.
"""
import argparse
import asyncio
import json
import os
import ssl

import hl7
from hl7.mllp import start_hl7_server

REASON = "Patient not registered"
# What a receiver answers for a message it has not seen: a control ID of the sender's own form.
STRANGER_ID = "QAH0123456789abcdef"


def record(log_path, message):
    msh = message.segment("MSH")
    entry = {"control_id": str(msh(10)), "type": str(msh(9))}
    try:
        pid = message.segment("PID")
        entry["patient_id"] = message.unescape(str(pid(3)(1)(1)))
        entry["patient_name"] = message.unescape(str(pid(5))) if len(pid) > 5 else ""
    except KeyError:
        entry["patient_id"] = None
    obr = message.segment("OBR")
    entry["filler"] = message.unescape(str(obr(3))) if len(obr) > 3 else ""
    entry["obr_status"] = str(obr(25)) if len(obr) > 25 else ""
    obx = message.segment("OBX")
    entry["value_type"] = str(obx(2))
    entry["value"] = str(obx(5))
    entry["obx_status"] = str(obx(11)) if len(obx) > 11 else ""
    with open(log_path, "a", encoding="utf-8") as log:
        log.write(json.dumps(entry, ensure_ascii=False) + "\n")
        log.flush()
        os.fsync(log.fileno())


async def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--port-file", required=True)
    parser.add_argument("--log", required=True)
    parser.add_argument(
        "--mode",
        choices=["aa", "ae", "silent", "other-id", "late", "unknown", "not-ack", "close",
                 "two-msa", "echo", "slow"],
        required=True,
    )
    parser.add_argument("--lifetime", type=float, default=60.0)
    parser.add_argument("--tls", help="serve MLLP over TLS with this certificate and key (PEM)")
    args = parser.parse_args()

    def answer(message, code, control_id=None, message_type=None):
        ack = message.create_ack(code)
        if control_id is not None:
            ack.segment("MSA").assign_field(control_id, 2)
        if message_type is not None:
            for component, value in enumerate(message_type, start=1):
                ack.segment("MSH").assign_field(value, 9, 1, component)
        text = str(ack).rstrip("\r")
        if code == "AE":
            text += "|" + ack.escape(REASON)
        return text + "\r"

    async def serve(reader, writer):
        # The control ID of the message before, for answers that name another message.
        previous = STRANGER_ID
        try:
            while not writer.is_closing():
                message = await reader.readmessage()
                record(args.log, message)
                own = str(message.segment("MSH")(10))
                if args.mode == "silent":
                    continue
                if args.mode in ("aa", "ae", "close"):
                    texts = [answer(message, "AE" if args.mode == "ae" else "AA")]
                elif args.mode == "slow":
                    await asyncio.sleep(0.2)
                    texts = [answer(message, "AA")]
                elif args.mode == "two-msa":
                    refused = answer(message, "AE")
                    texts = [refused + "MSA|AA|" + own + "\r"]
                elif args.mode == "echo":
                    texts = [str(message).rstrip("\r") + "\rMSA|AA|" + own + "\r"]
                elif args.mode == "other-id":
                    texts = [answer(message, "AA", control_id=previous)]
                elif args.mode == "late":
                    texts = [answer(message, "AA", control_id=previous), answer(message, "AA")]
                elif args.mode == "unknown":
                    texts = [answer(message, "OK")]
                else:
                    texts = [answer(message, "AA", message_type=("ORU", "R01", "ORU_R01"))]
                previous = own
                for text in texts:
                    writer.writemessage(text)
                await writer.drain()
                if args.mode == "close":
                    break
        except asyncio.IncompleteReadError:
            pass
        finally:
            writer.close()

    tls = None
    if args.tls:
        cert, key = args.tls.split(",")
        tls = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        tls.load_cert_chain(cert, key)
    server = await start_hl7_server(serve, host="127.0.0.1", port=0, encoding="utf-8", ssl=tls)
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
