"""A small HTTP/1.1 server on 127.0.0.1 for the update client's tests.

It binds port 0 and reports the port it got. Every connection is kept alive across requests
unless a reply says otherwise. Every request is recorded with its raw bytes and its connection.

Two kinds of request path:
  * a path listed in the routes: {"body": text}, {"file": path} or {"status": code}; a body or
    file route may announce another "length" than it has, send "after" filler bytes behind the
    body that it does not announce, and "close" the connection after it;
  * "/t/<options>/<hex>": a reply described by the path itself, so a test program can script
    the server without a side channel. Options, joined by '+':
      raw       the hex is the whole reply, status line and header included
      status=N  status code of the reply (default 200)
      nolen     no Content-Length line
      len=N     announce N instead of the true length
      lower     write the header as "Content-length"
      pad=N     one more header line of N filler bytes
      echo      the body is the raw bytes of this request
      fill=N    the body is N filler bytes (the hex is not read)
      conn      the body is "conn=<connection number> req=<request number on it>"
      chunk=N   send the reply in pieces of N bytes, a short pause between them
      gap=MS    that pause in milliseconds (default 15)
      close     close the connection after the reply
      stall     send the reply and then nothing: hold the connection until the client closes

The server is bounded: it stops by itself after its lifetime, each connection after an idle time,
and a request header may be at most 64 KiB.
"""

import json
import socket
import threading
import time

MAX_REQUEST = 64 * 1024
IDLE_SECONDS = 30
CHUNK_PAUSE = 0.015


class TestHttpServer:
    def __init__(self, routes=None, lifetime=300):
        self.routes = dict(routes or {})
        self.requests = []          # dicts: conn, seq, path, raw (bytes)
        self.connections = 0
        self.lock = threading.Lock()
        self.listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        self.listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        self.listener.bind(("127.0.0.1", 0))
        self.listener.listen(16)
        self.listener.settimeout(0.5)
        self.port = self.listener.getsockname()[1]
        self.deadline = time.monotonic() + lifetime
        self.stopping = threading.Event()
        self.thread = threading.Thread(target=self._accept_loop, daemon=True)

    def __enter__(self):
        self.thread.start()
        return self

    def __exit__(self, *exc):
        self.stop()

    def stop(self):
        self.stopping.set()
        self.thread.join(5)
        self.listener.close()

    def snapshot(self):
        with self.lock:
            return list(self.requests), self.connections

    def wait_for_requests(self, count, timeout):
        end = time.monotonic() + timeout
        while time.monotonic() < end:
            if len(self.snapshot()[0]) >= count:
                return True
            time.sleep(0.05)
        return False

    # ---- serving ----

    def _accept_loop(self):
        while not self.stopping.is_set() and time.monotonic() < self.deadline:
            try:
                conn, _ = self.listener.accept()
            except socket.timeout:
                continue
            except OSError:
                break
            with self.lock:
                self.connections += 1
                number = self.connections
            threading.Thread(target=self._serve, args=(conn, number), daemon=True).start()

    def _serve(self, conn, number):
        conn.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        conn.settimeout(IDLE_SECONDS)
        pending = b""
        seq = 0
        try:
            while not self.stopping.is_set() and time.monotonic() < self.deadline:
                while b"\r\n\r\n" not in pending:
                    if len(pending) > MAX_REQUEST:
                        return
                    data = conn.recv(4096)
                    if not data:
                        return
                    pending += data
                end = pending.index(b"\r\n\r\n") + 4
                raw, pending = pending[:end], pending[end:]
                seq += 1
                parts = raw.split(b"\r\n", 1)[0].split(b" ")
                path = parts[1].decode("latin-1") if len(parts) >= 3 else ""
                with self.lock:
                    self.requests.append({"conn": number, "seq": seq, "path": path, "raw": raw})
                keep = self._reply(conn, path, raw, number, seq)
                if not keep:
                    return
        except OSError:
            return
        finally:
            try:
                conn.shutdown(socket.SHUT_RDWR)
            except OSError:
                pass
            conn.close()

    def _reply(self, conn, path, raw, number, seq):
        if path in self.routes:
            route = self.routes[path]
            if "status" in route:
                body = b"Not here"
                self._send(conn, self._header(route["status"], len(body)) + body, 0)
                return False
            if "file" in route:
                with open(route["file"], "rb") as f:
                    body = f.read()
            else:
                body = route["body"].encode("latin-1")
            after = b"z" * route.get("after", 0)
            self._send(conn, self._header(200, route.get("length", len(body))) + body + after, 0)
            return not route.get("close", False)
        if path.startswith("/t/"):
            return self._scripted(conn, path, raw, number, seq)
        body = b"No such route"
        self._send(conn, self._header(404, len(body)) + body, 0)
        return False

    def _scripted(self, conn, path, raw, number, seq):
        pieces = path[3:].split("/", 1)
        options = {}
        for item in pieces[0].split("+"):
            if item:
                key, _, value = item.partition("=")
                options[key] = value
        try:
            payload = bytes.fromhex(pieces[1]) if len(pieces) > 1 else b""
        except ValueError:
            payload = b""  # echo and conn replies need none; a query may follow them
        if "raw" in options:
            reply = payload
        else:
            if "echo" in options:
                body = raw
            elif "conn" in options:
                body = ("conn=%d req=%d" % (number, seq)).encode()
            elif "fill" in options:
                body = b"z" * int(options["fill"])
            else:
                body = payload
            length = int(options["len"]) if "len" in options else len(body)
            reply = self._header(int(options.get("status", 200)), None if "nolen" in options else length,
                                 "lower" in options, int(options.get("pad", 0))) + body
        gap = int(options["gap"]) / 1000.0 if "gap" in options else CHUNK_PAUSE
        self._send(conn, reply, int(options.get("chunk", 0)), gap)
        if "stall" in options:
            try:
                while conn.recv(4096):
                    pass
            except OSError:
                pass
            return False
        return "close" not in options

    @staticmethod
    def _header(status, length, lower=False, pad=0):
        lines = ["HTTP/1.1 %d Test" % status]
        if length is not None:
            lines.append("%s: %d" % ("Content-length" if lower else "Content-Length", length))
        if pad:
            lines.append("X-Pad: " + "p" * pad)
        lines.append("Connection: keep-alive")
        return ("\r\n".join(lines) + "\r\n\r\n").encode()

    @staticmethod
    def _send(conn, data, chunk, gap=CHUNK_PAUSE):
        if chunk <= 0:
            conn.sendall(data)
            return
        for start in range(0, len(data), chunk):
            conn.sendall(data[start:start + chunk])
            time.sleep(gap)


def requests_as_json(requests):
    return json.dumps([{"conn": r["conn"], "seq": r["seq"], "path": r["path"],
                        "raw": r["raw"].decode("latin-1")} for r in requests], indent=1)
