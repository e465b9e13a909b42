#!/usr/bin/python3
"""A simulated long, narrow line: an HTTP CONNECT proxy whose tunnels carry
every byte half a round trip late in each direction and no faster than the
line's rate.

The proxy stands at the client's end of the line. Opening a tunnel costs one
round trip (the TCP handshake across the line); then each direction is a queue
shared by all tunnels, as on one access line: a chunk goes onto the wire when
the wire is free, takes its length / rate to send, and arrives half a round
trip after it left. At most a window (twice the line's bandwidth-delay
product) of a tunnel's bytes is in flight in each direction, as TCP allows.

It counts what a line operator would see: tunnels opened (one TCP, and with
TLS one handshake, each) and when, bytes down (server to client) and up.
GET /stats on the proxy's own port answers them as JSON; --log writes one
JSON line per tunnel when it closes.

Usage: link_proxy.py [--port N] [--port-file F] [--rtt-ms 50] [--rate-mbit 100]
                     [--connect-to HOST:PORT=HOST2:PORT2]... [--log F]
"""
import argparse
import asyncio
import json
import os
import time

HEAD_LIMIT = 16384
CHUNK = 16384
CONNECT_TIMEOUT = 10


class Direction:
    """One direction of the line."""

    def __init__(self, rate, delay):
        self.rate, self.delay = rate, delay
        self.free_at = 0.0
        self.bytes = 0

    def arrival(self, n):
        """When n bytes handed to the line now arrive at its other end."""
        start = max(time.monotonic(), self.free_at)
        self.free_at = start + n / self.rate
        self.bytes += n
        return self.free_at + self.delay


class Line:
    def __init__(self, rtt, rate, routes, log):
        self.rtt = rtt
        self.down = Direction(rate, rtt / 2)
        self.up = Direction(rate, rtt / 2)
        self.window = max(65536, int(2 * rate * rtt))
        self.routes = routes
        self.log = log
        self.opened = []  # wall-clock time of every tunnel's opening
        self.open = 0

    def stats(self):
        return {"connections": len(self.opened), "opened": self.opened, "open": self.open,
                "down": self.down.bytes, "up": self.up.bytes, "rtt_ms": self.rtt * 1000,
                "rate_bytes": self.down.rate}


async def carry(reader, writer, direction, window):
    """Moves one direction of a tunnel across the line until its sender ends."""
    queue = asyncio.Queue()
    room = asyncio.Condition()
    inflight = 0

    async def feed():
        nonlocal inflight
        while True:
            data = await reader.read(CHUNK)
            if not data:
                await queue.put(None)
                return
            async with room:
                await room.wait_for(lambda: inflight < window)
                inflight += len(data)
            await queue.put((direction.arrival(len(data)), data))

    async def deliver():
        nonlocal inflight
        while True:
            item = await queue.get()
            if item is None:
                if writer.can_write_eof():
                    writer.write_eof()
                return
            due, data = item
            await asyncio.sleep(max(0.0, due - time.monotonic()))
            writer.write(data)
            await writer.drain()
            async with room:
                inflight -= len(data)
                room.notify_all()

    feeder = asyncio.ensure_future(feed())
    try:
        await deliver()
    finally:
        feeder.cancel()


async def answer(writer, status, body=b"", kind=b"text/plain"):
    writer.write(b"HTTP/1.1 %s\r\nContent-Type: %s\r\nContent-Length: %d\r\nConnection: close\r\n\r\n"
                 % (status, kind, len(body)) + body)
    await writer.drain()
    writer.close()


async def tunnel(line, client_reader, client_writer, target):
    host, _, port = target.rpartition(":")
    host, port = line.routes.get(target, (host, int(port)))
    try:
        server_reader, server_writer = await asyncio.wait_for(asyncio.open_connection(host, port), CONNECT_TIMEOUT)
    except (OSError, asyncio.TimeoutError):
        await answer(client_writer, b"502 Bad Gateway")
        return
    opened = time.time()
    line.opened.append(opened)
    line.open += 1
    down_before, up_before = line.down.bytes, line.up.bytes
    try:
        await asyncio.sleep(line.rtt)  # the TCP handshake across the line
        client_writer.write(b"HTTP/1.1 200 Connection established\r\n\r\n")
        await client_writer.drain()
        directions = [asyncio.ensure_future(carry(server_reader, client_writer, line.down, line.window)),
                      asyncio.ensure_future(carry(client_reader, server_writer, line.up, line.window))]
        _, pending = await asyncio.wait(directions, return_when=asyncio.FIRST_EXCEPTION)
        for task in pending:
            task.cancel()
    except OSError:
        pass
    finally:
        line.open -= 1
        for writer in (client_writer, server_writer):
            writer.close()
        if line.log:
            # Bytes of the whole line while this tunnel was open: exact when
            # tunnels follow one another, as an updater's requests do.
            record = {"target": target, "opened": opened, "closed": time.time(),
                      "down": line.down.bytes - down_before, "up": line.up.bytes - up_before}
            with open(line.log, "a", encoding="utf-8") as f:
                f.write(json.dumps(record) + "\n")


async def handle(line, reader, writer):
    try:
        head = await asyncio.wait_for(reader.readuntil(b"\r\n\r\n"), CONNECT_TIMEOUT)
    except (asyncio.IncompleteReadError, asyncio.LimitOverrunError, asyncio.TimeoutError, OSError):
        writer.close()
        return
    parts = head.split(b"\r\n", 1)[0].decode("latin-1").split(" ")
    if len(parts) == 3 and parts[0] == "GET" and parts[1] == "/stats":
        await answer(writer, b"200 OK", json.dumps(line.stats()).encode(), b"application/json")
    elif len(parts) == 3 and parts[0] == "CONNECT" and ":" in parts[1]:
        await tunnel(line, reader, writer, parts[1])
    else:
        await answer(writer, b"405 Method Not Allowed")


def route(text):
    source, _, target = text.partition("=")
    host, _, port = target.rpartition(":")
    return source, (host, int(port))


async def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--port-file")
    parser.add_argument("--rtt-ms", type=float, default=50.0)
    parser.add_argument("--rate-mbit", type=float, default=100.0)
    parser.add_argument("--connect-to", type=route, action="append", default=[],
                        help="tunnel requests for HOST:PORT to HOST2:PORT2 instead")
    parser.add_argument("--log")
    args = parser.parse_args()
    if args.rtt_ms < 0 or args.rate_mbit <= 0:
        parser.error("the round trip must be >= 0 and the rate > 0")
    line = Line(args.rtt_ms / 1000.0, args.rate_mbit * 1e6 / 8, dict(args.connect_to), args.log)
    server = await asyncio.start_server(lambda r, w: handle(line, r, w), "127.0.0.1", args.port, limit=HEAD_LIMIT)
    port = server.sockets[0].getsockname()[1]
    if args.port_file:
        with open(args.port_file + ".tmp", "w") as f:
            f.write("%d\n" % port)
        os.replace(args.port_file + ".tmp", args.port_file)
    async with server:
        await server.serve_forever()


if __name__ == "__main__":
    asyncio.run(main())
