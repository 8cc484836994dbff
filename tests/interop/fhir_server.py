#!/usr/bin/python3
"""A FHIR server for the delivery tests: takes transaction Bundles POSTed to its base URL.

Listens on the loopback interface only, on a free port written to --port-file once it
accepts connections; its base URL is http://127.0.0.1:PORT/fhir. Every POSTed body is kept
as posted-N.json in --folder, and one line per request is appended to --folder/posted.log:
  file <TAB> HTTP status answered <TAB> Content-Type <TAB> Accept <TAB> entries
where entries are "Type:identifier=status" joined by spaces, the identifier percent-encoded. Observations and Patients are
created once per identifier (kept in --folder/store.json, so a restarted server still knows
them); a conditional create of one that exists answers 200. Modes:
  created  every entry is created (201) or found (200)
  refuse   like created, but an Observation of a patient whose ID starts with "Q", and a
           Patient whose ID starts with "Z", are refused: 400 with an OperationOutcome
  error    HTTP 500 with an OperationOutcome; nothing is stored
  garbage  stores the entries as created does, then answers 200 with a body that is no JSON
  short    stores the entries, then answers a transaction-response with one entry too few
  silent   reads the request and never answers
  whole    refuses a whole transaction holding an Observation of a patient whose ID starts
           with "Q" (HTTP 400 with an OperationOutcome, nothing stored); takes the others
  limit    refuses a whole transaction of more than 8 entries, as a server in strict
           isolation does; takes the others
  fold     finds Patients by identifier regardless of case, as a server whose search
           folds case does: a conditional create of "p1" finds the Patient of "P1"
With --tls it serves https://127.0.0.1:PORT/fhir with the certificate given (by default one
nobody vouches for). With --token every request must carry "Authorization: Bearer TOKEN", or
it is answered 401.
The server ends by itself after --lifetime seconds, so a failed test never leaves it behind.
"""
import argparse
import json
import os
import ssl
import threading
import time
from urllib.parse import quote
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

OBSERVATION_REASON = "Observation code not accepted by this server"
PATIENT_REASON = "Patient identifier not accepted by this server"


def identifier_of(resource):
    identifiers = resource.get("identifier", [])
    return identifiers[0].get("value", "") if identifiers else ""


def outcome(text):
    return {"resourceType": "OperationOutcome",
            "issue": [{"severity": "error", "code": "processing", "diagnostics": text}]}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--port-file", required=True)
    parser.add_argument("--folder", required=True)
    parser.add_argument("--mode", required=True,
                        choices=["created", "refuse", "error", "garbage", "short", "silent",
                                 "whole", "limit", "fold"])
    parser.add_argument("--lifetime", type=float, default=60.0)
    parser.add_argument("--tls", help="serve https with this certificate and key (PEM, one file "
                        "each: CERT,KEY)")
    parser.add_argument("--token", help="the bearer token every request must carry")
    args = parser.parse_args()
    store_path = os.path.join(args.folder, "store.json")
    lock = threading.Lock()

    def load_store():
        if os.path.exists(store_path):
            with open(store_path, encoding="utf-8") as f:
                return json.load(f)
        return {}

    def save_store(store):
        with open(store_path + ".part", "w", encoding="utf-8") as f:
            json.dump(store, f)
        os.replace(store_path + ".part", store_path)

    class Handler(BaseHTTPRequestHandler):
        protocol_version = "HTTP/1.1"

        def log_message(self, *unused):
            pass

        def answer(self, status, body, content_type="application/fhir+json"):
            data = body if isinstance(body, bytes) else json.dumps(body).encode("utf-8")
            self.send_response(status)
            self.send_header("Content-Type", content_type)
            self.send_header("Content-Length", str(len(data)))
            self.end_headers()
            self.wfile.write(data)

        def do_POST(self):
            length = int(self.headers.get("Content-Length", "0"))
            body = self.rfile.read(length)
            if args.mode == "silent":
                time.sleep(args.lifetime)
                return
            if args.token and self.headers.get("Authorization", "") != "Bearer " + args.token:
                self.answer(401, outcome("not authorised"))
                return
            with lock:
                posted = sorted(p for p in os.listdir(args.folder) if p.startswith("posted-"))
                name = os.path.join(args.folder, "posted-%04d.json" % len(posted))
                with open(name, "wb") as f:
                    f.write(body)
                status, answer_body, entries = self.process(body)
                line = "\t".join([name, str(status), self.headers.get("Content-Type", ""),
                                  self.headers.get("Accept", ""), " ".join(entries)])
                with open(os.path.join(args.folder, "posted.log"), "a", encoding="utf-8") as log:
                    log.write(line + "\n")
            self.answer(status, answer_body)

        def process(self, body):
            if self.path.rstrip("/") != "/fhir":
                return 404, outcome("no such base " + self.path), []
            try:
                bundle = json.loads(body)
            except ValueError:
                return 400, outcome("not JSON"), []
            if bundle.get("resourceType") != "Bundle" or bundle.get("type") != "transaction":
                return 400, outcome("not a transaction Bundle"), []
            if args.mode == "error":
                return 500, outcome("the database is down"), []
            entries_sent = bundle.get("entry", [])
            if args.mode == "limit" and len(entries_sent) > 8:
                return 400, outcome("Transaction requires strict isolation but has too many "
                                    "entries"), []
            if args.mode == "whole":
                for entry in entries_sent:
                    resource = entry.get("resource", {})
                    patient = resource.get("subject", {}).get("identifier", {}).get("value", "")
                    if resource.get("resourceType") == "Observation" and patient.startswith("Q"):
                        return 400, outcome(OBSERVATION_REASON), []
            store = load_store()
            answers, entries = [], []
            for entry in bundle.get("entry", []):
                resource = entry.get("resource", {})
                kind = resource.get("resourceType", "")
                key = identifier_of(resource)
                if args.mode == "fold" and kind == "Patient":
                    key = key.lower()
                patient = resource.get("subject", {}).get("identifier", {}).get("value", "")
                refused = args.mode == "refuse" and (
                    (kind == "Observation" and patient.startswith("Q")) or
                    (kind == "Patient" and key.startswith("Z")))
                if refused:
                    text = OBSERVATION_REASON if kind == "Observation" else PATIENT_REASON
                    answers.append({"response": {"status": "400 Bad Request",
                                                 "outcome": outcome(text)}})
                    status = "400"
                elif kind + "|" + key in store:
                    answers.append({"response": {"status": "200 OK",
                                                 "location": store[kind + "|" + key]}})
                    status = "200"
                else:
                    location = "%s/%d/_history/1" % (kind, len(store) + 1)
                    store[kind + "|" + key] = location
                    answers.append({"response": {"status": "201 Created", "location": location}})
                    status = "201"
                entries.append("%s:%s=%s" % (kind, quote(key, safe=""), status))
            save_store(store)
            if args.mode == "garbage":
                return 200, b"<html>proxy error{\"entry\": [", entries
            if args.mode == "short":
                answers = answers[:-1]
            return 200, {"resourceType": "Bundle", "type": "transaction-response",
                         "entry": answers}, entries

    server = ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    if args.tls:
        cert, key = args.tls.split(",")
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(cert, key)
        server.socket = context.wrap_socket(server.socket, server_side=True)
    temp = args.port_file + ".part"
    with open(temp, "w") as out:
        out.write(str(server.server_address[1]))
    os.rename(temp, args.port_file)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    time.sleep(args.lifetime)


if __name__ == "__main__":
    main()
