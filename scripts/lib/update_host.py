#!/usr/bin/env python3
"""A loopback update host for scripts/run and the end-to-end tests.

Serves the files under --root by path (/ostrel/ver.txt, /ostrel/BF2.exe, ...) with their length and with
byte ranges ("Range: bytes=N-" gives 206 and Content-Range), the way the launcher's download engine asks for
them. A faults file (JSON, read again for every request; it may be absent) changes how a path answers:

  {"/ostrel/BF2.exe": {"status": 404}}             this status with a short HTML page instead of the file
  {"/ostrel/BF2.exe": {"no_length": true}}         the body without Content-Length, then the connection closes
  {"/ostrel/BF2.exe": {"drop_at": 300000}}         the connection closes when the file offset reaches N
                      "drop_times": 2              ... on the first 2 requests that get there (default: all)
  {"/ostrel/BF2.exe": {"stall_at": 300000, "stall_s": 20}}
                                                   the answer pauses at file offset N for up to S seconds ...
                      "stall_times": 1             ... on the first request that gets there (default: all)
                      "release": "/tmp/x"          ... or until that file exists
  {"/ostrel/BF2.exe": {"rate": 200000}}            at most this many body bytes per second per answer
  {"/ostrel/ver.txt": {"body_hex": "554e00ff"}}    these bytes instead of the file (NULs allowed)

Every request is logged to --log as one line: the method, the path and the Range header when there is one.
The host listens on --bind (127.0.0.1 unless told) only, and ends by itself after --lifetime seconds.
"""
import argparse
import http.server
import json
import os
import signal
import socketserver
import sys
import threading
import time

LOCK = threading.Lock()
COUNTS = {}  # (path, fault) -> how many answers that fault has hit so far


def load_faults(path):
    if not path:
        return {}
    try:
        with open(path, encoding="utf-8") as f:
            return json.load(f)
    except (OSError, ValueError):
        return {}


def take_turn(path, fault, limit):
    """True when this answer still gets `fault` (at most `limit` answers get it; None: all)."""
    if limit is None:
        return True
    with LOCK:
        n = COUNTS.get((path, fault), 0)
        if n >= limit:
            return False
        COUNTS[(path, fault)] = n + 1
        return True


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "KvUpdateHost/1"

    def log_message(self, *args):
        pass

    def log_request_line(self):
        line = f"{self.command} {self.path}"
        rng = self.headers.get("Range")
        if rng:
            line += f" {rng}"
        with LOCK:
            with open(self.server.log_path, "a", encoding="utf-8") as f:
                f.write(line + "\n")

    def send_page(self, status, text):
        body = f"<html><body>{status} {text}</body></html>".encode()
        self.send_response(status)
        self.send_header("Content-Type", "text/html")
        self.send_header("Content-Length", str(len(body)))
        self.send_header("Connection", "close")
        self.end_headers()
        self.wfile.write(body)

    def do_GET(self):
        self.close_connection = True
        path = self.path.split("?", 1)[0]
        if self.server.log_path:
            self.log_request_line()
        fault = load_faults(self.server.faults_path).get(path, {})
        if "status" in fault:
            self.send_page(int(fault["status"]), "Test")
            return
        if "body_hex" in fault:
            data = bytes.fromhex(fault["body_hex"])
        else:
            file = os.path.realpath(os.path.join(self.server.root, path.lstrip("/")))
            if os.path.isdir(file):
                file = os.path.join(file, "index.html")  # a folder answers with its page, as web hosts do
            if not file.startswith(self.server.root + os.sep) or not os.path.isfile(file):
                self.send_page(404, "Not Found")
                return
            with open(file, "rb") as f:
                data = f.read()
        try:
            self.answer(path, data, fault)
        except (BrokenPipeError, ConnectionResetError):
            pass  # the client went away (a stopped download)

    def answer(self, path, data, fault):
        size = len(data)
        start, partial = 0, False
        rng = self.headers.get("Range", "")
        if rng.startswith("bytes=") and "-" in rng:
            first = rng[6:].split("-", 1)[0]
            if first.isdigit():
                start, partial = int(first), True
        if partial and start >= size:
            self.send_response(416)
            self.send_header("Content-Range", f"bytes */{size}")
            self.send_header("Content-Length", "0")
            self.send_header("Connection", "close")
            self.end_headers()
            return
        if partial:
            self.send_response(206)
            self.send_header("Content-Range", f"bytes {start}-{size - 1}/{size}")
        else:
            self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        if not fault.get("no_length"):
            self.send_header("Content-Length", str(size - start))
        self.send_header("Connection", "close")
        self.end_headers()
        self.send_body(path, data, start, fault)

    def send_body(self, path, data, pos, fault):
        drop_at = fault.get("drop_at")
        stall_at = fault.get("stall_at")
        rate = fault.get("rate")
        dropping = drop_at is not None and pos <= drop_at < len(data)
        stalling = stall_at is not None and pos <= stall_at < len(data)
        chunk = 16384
        while pos < len(data):
            end = min(len(data), pos + chunk)
            if dropping and end > drop_at:
                end = drop_at
            if stalling and end > stall_at:
                end = stall_at
            if end > pos:
                self.wfile.write(data[pos:end])
                self.wfile.flush()
                if rate:
                    time.sleep((end - pos) / float(rate))
                pos = end
            if dropping and pos == drop_at:
                dropping = False
                if take_turn(path, "drop", fault.get("drop_times")):
                    return  # the connection closes mid-body
            if stalling and pos == stall_at:
                stalling = False
                if take_turn(path, "stall", fault.get("stall_times")):
                    self.stall(fault)

    def stall(self, fault):
        until = time.time() + min(float(fault.get("stall_s", 30)), 600)
        release = fault.get("release")
        while time.time() < until and not (release and os.path.exists(release)):
            time.sleep(0.05)


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    allow_reuse_address = True


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--root", required=True)
    ap.add_argument("--bind", default="127.0.0.1")
    ap.add_argument("--port", type=int, default=0)
    ap.add_argument("--port-file")
    ap.add_argument("--log")
    ap.add_argument("--faults")
    ap.add_argument("--lifetime", type=float, default=900)
    ap.add_argument("--bind-wait", type=float, default=0, help="seconds to keep trying a port that is in use")
    a = ap.parse_args()
    if not a.bind.startswith("127."):
        sys.exit("update_host: loopback addresses only")

    deadline = time.time() + a.bind_wait
    while True:
        try:
            server = Server((a.bind, a.port), Handler)
            break
        except OSError:
            if time.time() >= deadline:
                raise
            time.sleep(0.5)
    server.root = os.path.realpath(a.root)
    server.log_path = a.log
    server.faults_path = a.faults
    if a.port_file:
        tmp = a.port_file + ".tmp"
        with open(tmp, "w") as f:
            f.write(str(server.server_address[1]))
        os.replace(tmp, a.port_file)

    stop = threading.Event()
    signal.signal(signal.SIGTERM, lambda *_: stop.set())
    threading.Thread(target=server.serve_forever, kwargs={"poll_interval": 0.2}, daemon=True).start()
    stop.wait(a.lifetime)
    server.shutdown()


if __name__ == "__main__":
    main()
