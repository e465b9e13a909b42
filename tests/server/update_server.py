#!/usr/bin/python3
"""HTTPS test update server: serves GET /fs_c_get.php?fn=<path> from a folder.

Honours single "Range: bytes=a-b" requests, logs every request as one JSON
line, and injects faults that a per-folder plan file asks for. See README.md.
"""
import argparse
import json
import os
import re
import socket
import ssl
import sys
import threading
import time
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

CHUNK = 1 << 20


class Plans:
    """Fault plans: <control>/<folder>.json holds {"rules": [...]} for the
    files below <root>/<folder>. A plan is re-read on every request; when its
    text changes, the request counters of its folder start again at 1."""

    def __init__(self, control):
        self.control = control
        self.lock = threading.Lock()
        self.texts = {}
        self.counters = {}

    def _read(self, folder):
        if not self.control or not folder:
            return ""
        try:
            with open(os.path.join(self.control, folder + ".json"), encoding="utf-8") as f:
                return f.read()
        except OSError:
            return ""

    def next_request(self, folder, rel, kind, resumed=False):
        """Counts the request and returns (nth of this kind, nth overall, rule or None).
        `resumed`: a range that does not start at byte 0, which rules of kind
        "resumed" match (counted with the ranges)."""
        text = self._read(folder)
        with self.lock:
            if self.texts.get(folder) != text:
                self.texts[folder] = text
                for key in [k for k in self.counters if k[0] == folder]:
                    del self.counters[key]
            by_kind = self.counters[(folder, rel, kind)] = self.counters.get((folder, rel, kind), 0) + 1
            overall = self.counters[(folder, rel, "")] = self.counters.get((folder, rel, ""), 0) + 1
        try:
            rules = json.loads(text).get("rules", []) if text.strip() else []
        except ValueError:
            rules = []
        for rule in rules:
            if rule.get("file", rel) != rel:
                continue
            wanted = rule.get("kind", kind)
            if wanted != kind and not (wanted == "resumed" and resumed):
                continue
            nth = by_kind if "kind" in rule else overall
            want = rule.get("nth")
            if want is not None and nth not in (want if isinstance(want, list) else [want]):
                continue
            return by_kind, overall, rule
        return by_kind, overall, None


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "ArkenfelTestServer"

    def log_message(self, fmt, *args):  # the JSON log replaces stderr chatter
        pass

    def do_GET(self):
        self.close_connection = True
        self.logged = False
        self.record = {"method": "GET", "target": self.path, "status": 0, "bytes": 0, "fault": ""}
        self.record["headers"] = "".join("%s: %s\r\n" % (k, v) for k, v in self.headers.items())
        self.record["range"] = self.headers.get("Range", "")
        cipher = self.connection.cipher()
        self.record["tls"] = "%s %s" % (self.connection.version(), cipher[0] if cipher else "")
        fn = self.fn_value(urllib.parse.urlsplit(self.path).query)
        self.record["fn"] = fn if fn is not None else ""
        self.record["folder"] = self.record["fn"].strip("/").partition("/")[0]
        # Logged before anything is answered, so a client that has seen an
        # answer always finds its request begun in the log.
        self.server.begin_log(self.record)
        try:
            self.serve()
        except (ConnectionError, ssl.SSLError, socket.timeout, OSError):
            pass
        finally:
            if not self.logged:
                self.server.write_log(self.record)

    def serve(self):
        parts = urllib.parse.urlsplit(self.path)
        fn = self.fn_value(parts.query)
        if parts.path != "/fs_c_get.php" or fn is None:
            return self.plain(404)
        full = self.server.resolve(fn)
        if full is None:
            return self.plain(403)
        rel_fn = fn.strip("/")
        folder, _, rel = rel_fn.partition("/")
        kind = "range" if self.record["range"] else "whole"
        first = re.match(r"\s*bytes\s*=\s*(\d+)\s*-", self.record["range"])
        resumed = bool(first) and int(first.group(1)) > 0
        nth, overall, rule = self.server.plans.next_request(folder, rel, kind, resumed)
        self.record.update(folder=folder, file=rel, kind=kind, attempt=nth, nth=overall)
        fault = rule.get("fault", "") if rule else ""
        self.record["fault"] = fault
        if not os.path.isfile(full):
            return self.plain(404)
        self.respond(full, rule or {}, fault)

    @staticmethod
    def fn_value(query):
        for item in query.split("&"):
            name, eq, value = item.partition("=")
            if name == "fn" and eq:
                raw = urllib.parse.unquote_to_bytes(value)
                try:
                    return raw.decode("utf-8")
                except UnicodeDecodeError:
                    return raw.decode("cp949", errors="replace")
        return None

    def plain(self, status, extra=()):
        body = ("%d\n" % status).encode()
        self.send_response(status)
        for name, value in extra:
            self.send_header(name, value)
        self.send_header("Content-Length", str(len(body)))
        self.send_header("Connection", "close")
        self.end_headers()
        self.wfile.write(body)
        self.record["status"] = status

    def respond(self, full, rule, fault):
        size = os.path.getsize(full)
        if fault == "stall" and not rule.get("after_headers"):
            return self.stall(rule)
        if fault == "trickle_headers":
            return self.trickle_headers(size, rule)
        if fault == "status":
            return self.plain(int(rule.get("code", 500)))
        if fault == "redirect":
            return self.plain(302, [("Location", rule.get("location", self.path))])

        first, last, status = 0, size - 1, 200
        wanted = self.record["range"]
        if wanted and fault not in ("ignore_range", "length"):
            span = parse_range(wanted, size)
            if span is None:
                return self.plain(416, [("Content-Range", "bytes */%d" % size)])
            first, last = span
            status = 206
        if fault == "partial":
            status = 206
        count = last - first + 1
        send_first = first
        if fault == "shift":
            send_first = min(first + int(rule.get("by", 1)), max(size - count, 0))
        announced = count
        if fault == "long":
            announced = count + int(rule.get("by", 1))
        claimed = str(rule.get("value", "")) if fault == "length" else None

        self.send_response(status)
        if status == 206:
            self.send_header("Content-Range", "bytes %d-%d/%d" % (send_first, send_first + count - 1, size))
        if fault == "zero_length":
            self.send_header("Content-Length", "0")
        elif claimed is not None:
            self.send_header("Content-Length", claimed)
        elif fault != "no_length":
            self.send_header("Content-Length", str(announced))
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Connection", "close")
        self.end_headers()
        self.wfile.flush()
        self.record["status"] = status
        if fault == "zero_length":
            return
        if fault == "stall":
            return self.stall(rule)

        if claimed is not None:
            return self.send_claimed(full, send_first, count, claimed, rule)
        if fault == "trickle":
            return self.trickle_body(full, send_first, count, rule)

        body_limit = announced
        if fault == "drop":
            body_limit = min(int(rule.get("after", 0)), announced)
        elif fault == "short":
            body_limit = max(announced - int(rule.get("by", 1)), 0)
        self.record["bytes"] = self.send_body(full, send_first, min(body_limit, count))
        if fault == "long":
            self.send_padding(announced - count)
        if fault == "drop":
            self.abort()

    def send_padding(self, count):
        block = b"X" * CHUNK
        while count > 0:
            self.connection.sendall(block[:min(count, CHUNK)])
            self.record["bytes"] += min(count, CHUNK)
            count -= CHUNK

    def send_claimed(self, full, first, count, claimed, rule):
        """The file's bytes, then padding up to `send` bytes (default: as many
        as a numeric claim says, at most 64 MiB); the connection then ends."""
        default = min(int(claimed), 64 * CHUNK) if claimed.isdigit() else count
        total = int(rule.get("send", default))
        self.record["bytes"] = self.send_body(full, first, min(count, total))
        self.send_padding(total - self.record["bytes"])
        self.abort()

    def trickle(self, data, rule):
        """Sends `data` one byte every `every` seconds for at most `seconds`."""
        every, deadline = float(rule.get("every", 1)), time.time() + float(rule.get("seconds", 120))
        for byte in data:
            if time.time() > deadline:
                break
            self.connection.sendall(bytes([byte]))
            self.record["bytes"] += 1
            time.sleep(every)

    def trickle_headers(self, size, rule):
        self.server.write_log(self.record)
        self.logged = True
        self.record["status"] = 200
        head = ("HTTP/1.1 200 OK\r\nContent-Length: %d\r\nConnection: close\r\n\r\n" % size).encode()
        self.trickle(head, rule)

    def trickle_body(self, full, first, count, rule):
        """`after` bytes at once, then the rest a byte at a time."""
        at_once = min(int(rule.get("after", 0)), count)
        self.record["bytes"] = self.send_body(full, first, at_once)
        # Logged before the trickle, so a client that has given up already
        # finds the request in the log.
        self.server.write_log(self.record)
        self.logged = True
        with open(full, "rb") as f:
            f.seek(first + at_once)
            self.trickle(f.read(min(count - at_once, 4096)), rule)

    def stall(self, rule):
        # Logged before the silence, so a client that has given up already
        # finds the request in the log.
        self.server.write_log(self.record)
        self.logged = True
        time.sleep(float(rule.get("seconds", 8)))

    def send_body(self, full, first, count):
        sent = 0
        with open(full, "rb") as f:
            f.seek(first)
            while sent < count:
                block = f.read(min(CHUNK, count - sent))
                if not block:
                    break
                self.connection.sendall(block)
                sent += len(block)
        return sent

    def abort(self):
        """Ends the connection after the bytes sent, without a TLS close_notify."""
        try:
            self.connection.shutdown(socket.SHUT_RDWR)
        except OSError:
            pass
        self.close_connection = True


def parse_range(value, size):
    unit, _, ranges = value.partition("=")
    if unit.strip() != "bytes" or "," in ranges:
        return None
    a, _, b = ranges.strip().partition("-")
    try:
        if a == "":
            n = int(b)
            first, last = max(size - n, 0), size - 1
        else:
            first = int(a)
            last = int(b) if b else size - 1
    except ValueError:
        return None
    if first > last or first >= size:
        return None
    return first, min(last, size - 1)


class UpdateServer(ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True

    def __init__(self, address, root, context, plans, log_path):
        super().__init__(address, Handler)
        self.root = os.path.realpath(root)
        self.context = context
        self.plans = plans
        self.log_path = log_path
        self.log_lock = threading.Lock()
        self.sequence = 0

    def finish_request(self, request, client_address):
        # The handshake runs on the request's own thread, so a stalled client
        # never blocks the accept loop.
        request.settimeout(60)
        # Headers and body go out as two sends: with Nagle's algorithm the
        # body would wait for the client's delayed ACK of the headers, about
        # 40 ms a response.
        request.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        try:
            tls = self.context.wrap_socket(request, server_side=True)
        except (ssl.SSLError, OSError):
            return
        try:
            self.RequestHandlerClass(tls, client_address, self)
        finally:
            try:
                tls.close()
            except OSError:
                pass

    def resolve(self, fn):
        full = os.path.realpath(os.path.join(self.root, fn.lstrip("/")))
        if full != self.root and not full.startswith(self.root + os.sep):
            return None
        return full

    def begin_log(self, record):
        """Numbers the request and logs that it has begun."""
        with self.log_lock:
            self.sequence += 1
            record["seq"] = self.sequence
            self._append({"event": "begin", "seq": self.sequence, "folder": record["folder"]})

    def write_log(self, record):
        """Logs the finished request, under the number it began with."""
        record["event"] = "end"
        with self.log_lock:
            self._append(record)

    def _append(self, line):
        if self.log_path:
            with open(self.log_path, "a", encoding="utf-8") as f:
                f.write(json.dumps(line, ensure_ascii=True) + "\n")


def main():
    p = argparse.ArgumentParser(description=__doc__)
    p.add_argument("--root", required=True, help="folder served as fn=<path>")
    p.add_argument("--cert", required=True, help="server certificate (PEM, DNS:localhost)")
    p.add_argument("--key", required=True, help="its private key (PEM)")
    p.add_argument("--port", type=int, default=0, help="0 picks a free port")
    p.add_argument("--port-file", help="write the port here once listening")
    p.add_argument("--pid-file", help="write the process id here")
    p.add_argument("--control", help="folder of fault plans (<folder>.json)")
    p.add_argument("--log", help="append one JSON line per request here")
    args = p.parse_args()

    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(args.cert, args.key)
    server = UpdateServer(("127.0.0.1", args.port), args.root, context, Plans(args.control), args.log)
    port = server.server_address[1]
    if args.pid_file:
        with open(args.pid_file, "w") as f:
            f.write("%d\n" % os.getpid())
    if args.port_file:
        tmp = args.port_file + ".tmp"
        with open(tmp, "w") as f:
            f.write("%d\n" % port)
        os.replace(tmp, args.port_file)
    print("serving %s on https://localhost:%d/fs_c_get.php?fn=" % (server.root, port), flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
    return 0


if __name__ == "__main__":
    sys.exit(main())
