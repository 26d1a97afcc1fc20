"""Fixture servers for the hermetic test network: HTTP origin, DNS over UDP, CONNECT proxy.

Every server runs on its own thread, serves what its description says and records what it received.
Only ever bound to loopback addresses inside the test network namespace.
"""
import socket
import struct
import threading
import time


def text_bytes(text):
    """Scenario texts are written as Latin-1 escapes of bytes (JSON has no byte strings)."""
    return text.encode("latin-1") if isinstance(text, str) else bytes(text)


def _close_listener(server):
    # close() alone does not wake a thread blocked in accept/recvfrom, and the port stays taken until
    # it returns; shutdown() wakes it.
    server._stop = True
    try:
        server.sock.shutdown(socket.SHUT_RDWR)
    except OSError:
        pass
    server.sock.close()
    server.thread.join(5)


def _check_loopback(addr):
    if not addr.startswith("127."):
        raise ValueError("fixture servers listen on loopback only, not " + addr)


class TcpServer:
    """Accepts connections on its own thread and serves each on another (subclasses give _serve)."""

    def __init__(self, addr, port):
        _check_loopback(addr)
        self.sock = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        self.sock.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        self.sock.bind((addr, port))
        self.sock.listen(16)
        self._stop = False
        self.thread = threading.Thread(target=self._loop, daemon=True)
        self.thread.start()

    def _loop(self):
        while not self._stop:
            try:
                conn, _ = self.sock.accept()
            except OSError:
                return
            threading.Thread(target=self._serve, args=(conn,), daemon=True).start()

    def _serve(self, conn):
        raise NotImplementedError

    def close(self):
        _close_listener(self)


class HttpOrigin(TcpServer):
    def __init__(self, addr, port=80, responses=None, files=None):
        self.responses = responses or [{"status": "HTTP/1.1 200 OK", "headers": [], "body": ""}]
        self.files = files or {}
        self.requests = []  # exact bytes of every request received
        self.served = 0
        TcpServer.__init__(self, addr, port)

    @staticmethod
    def read_request(conn):
        data = b""
        conn.settimeout(10)
        while b"\r\n\r\n" not in data:
            piece = conn.recv(65536)
            if not piece:
                return data
            data += piece
        head, _, rest = data.partition(b"\r\n\r\n")
        length = 0
        for line in head.split(b"\r\n")[1:]:
            name, _, value = line.partition(b":")
            if name.strip().lower() == b"content-length":
                length = int(value.strip() or b"0")
        while len(rest) < length:
            piece = conn.recv(65536)
            if not piece:
                break
            rest += piece
        return head + b"\r\n\r\n" + rest

    def response_bytes(self, spec, request):
        target = request.split(b" ")[1].decode("latin-1") if request.count(b" ") >= 2 else ""
        if target in self.files:
            body = text_bytes(self.files[target])
            return b"HTTP/1.1 200 OK\r\nContent-Length: %d\r\n\r\n" % len(body) + body
        if "raw" in spec:
            return text_bytes(spec["raw"])
        out = text_bytes(spec.get("status", "HTTP/1.1 200 OK")) + b"\r\n"
        headers = [tuple(h) for h in spec.get("headers", [])]
        if spec.get("pad_header"):
            headers.append(("X-Pad", "p" * spec["pad_header"]))
        body = b""
        if "chunks" in spec:
            for chunk in spec["chunks"]:
                c = text_bytes(chunk)
                body += b"%x\r\n" % len(c) + c + b"\r\n"
            body += b"0\r\n\r\n"
        else:
            body = text_bytes(spec.get("body", ""))
        for name, value in headers:
            out += text_bytes(name) + b": " + text_bytes(value) + b"\r\n"
        return out + b"\r\n" + body

    def _serve(self, conn):
        with conn:
            try:
                request = self.read_request(conn)
                self.requests.append(request)
                spec = self.responses[min(self.served, len(self.responses) - 1)]
                self.served += 1
                if spec.get("stall"):
                    time.sleep(spec["stall"])
                data = self.response_bytes(spec, request)
                if spec.get("close_after") is not None:
                    data = data[: spec["close_after"]]
                if spec.get("trickle_ms"):
                    for i in range(len(data)):
                        conn.sendall(data[i:i + 1])
                        time.sleep(spec["trickle_ms"] / 1000.0)
                else:
                    conn.sendall(data)
                time.sleep(0.05)
            except OSError:
                pass


def encode_name(name):
    out = b""
    for label in name.rstrip(".").split("."):
        out += bytes([len(label)]) + label.encode()
    return out + b"\0"


class DnsServer:
    def __init__(self, addr, port=53, answers=None, count=None, id_delta=0, from_port=None, truncate=None,
                 loop=False, silent=False):
        _check_loopback(addr)
        self.addr = addr
        self.answers = answers or []
        self.count, self.id_delta, self.from_port = count, id_delta, from_port
        self.truncate, self.loop, self.silent = truncate, loop, silent
        self.queries = []
        self.sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        self.sock.bind((addr, port))
        self._stop = False
        self.thread = threading.Thread(target=self._loop, daemon=True)
        self.thread.start()

    def reply_for(self, query):
        qid = struct.unpack(">H", query[:2])[0]
        # the question as sent: from offset 12 to the end of the query
        question = query[12:]
        records = b""
        for a in self.answers:
            owner = b"\xc0\x0c"
            if a["type"] == "A":
                rdata = socket.inet_aton(a["data"])
                rtype = 1
            else:
                rdata = encode_name(a["data"])
                rtype = 5
            records += owner + struct.pack(">HHIH", rtype, 1, 300, len(rdata)) + rdata
        if self.loop:
            # the first record's owner points at itself
            at = 12 + len(question)
            records = struct.pack(">H", 0xC000 | at) + records[2:]
        count = len(self.answers) if self.count is None else self.count
        header = struct.pack(">HBBHHHH", (qid + self.id_delta) & 0xFFFF, 0x81, 0x80, 1, count, 0, 0)
        msg = header + question + records
        if self.truncate is not None:
            msg = msg[: self.truncate]
        return msg

    def _loop(self):
        while not self._stop:
            try:
                query, peer = self.sock.recvfrom(65536)
            except OSError:
                return
            if self._stop:  # woken by close()
                return
            self.queries.append(query)
            if self.silent:
                continue
            reply = self.reply_for(query)
            if self.from_port:
                with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as other:
                    other.bind((self.addr, self.from_port))
                    other.sendto(reply, peer)
            else:
                self.sock.sendto(reply, peer)

    def close(self):
        _close_listener(self)


class ConnectProxy(TcpServer):
    def __init__(self, addr, port=3128, reply="HTTP/1.1 200 Connection established\r\n\r\n", close=False,
                 upstream=None):
        self.reply = text_bytes(reply)
        self.upstream = upstream  # "ADDR:PORT" the tunnel goes to instead of the requested target
        self.close_without_reply = close
        self.requests = []  # the CONNECT requests, exact bytes
        TcpServer.__init__(self, addr, port)

    def _serve(self, conn):
        with conn:
            data = b""
            conn.settimeout(10)
            try:
                while b"\r\n\r\n" not in data:
                    piece = conn.recv(4096)
                    if not piece:
                        return
                    data += piece
            except OSError:
                return
            self.requests.append(data)
            if self.close_without_reply:
                return
            conn.sendall(self.reply)
            if not self.reply.startswith(b"HTTP/1.1 200") and not self.reply.startswith(b"HTTP/1.0 200"):
                time.sleep(0.2)
                return
            target = self.upstream or data.split(b" ")[1].decode()
            host, _, port = target.rpartition(":")
            try:
                address = socket.gethostbyname(host)
                _check_loopback(address)
                upstream = socket.create_connection((address, int(port)), timeout=5)
            except (OSError, ValueError):
                return
            with upstream:
                self._relay(conn, upstream)

    @staticmethod
    def _relay(a, b):
        def pump(src, dst):
            try:
                while True:
                    piece = src.recv(65536)
                    if not piece:
                        break
                    dst.sendall(piece)
            except OSError:
                pass
            try:
                dst.shutdown(socket.SHUT_WR)
            except OSError:
                pass
        t = threading.Thread(target=pump, args=(b, a), daemon=True)
        t.start()
        pump(a, b)
        t.join(10)


class Blackhole:
    """A port whose connection attempts are never answered: its accept queue is full and nobody accepts,
    so the kernel drops further SYNs and a client's connect just waits, as with a proxy that is gone."""

    def __init__(self, addr, port):
        _check_loopback(addr)
        self.sock = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        self.sock.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        self.sock.bind((addr, port))
        self.sock.listen(0)
        self.fillers = []
        for _ in range(4):
            c = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
            c.setblocking(False)
            try:
                c.connect((addr, port))
            except BlockingIOError:
                pass
            self.fillers.append(c)
        time.sleep(0.1)

    def close(self):
        for c in self.fillers:
            c.close()
        self.sock.close()


def start(desc):
    """A server from its scenario description."""
    kind = desc["kind"]
    args = {k: v for k, v in desc.items() if k != "kind"}
    if kind == "http":
        return HttpOrigin(**args)
    if kind == "dns":
        return DnsServer(**args)
    if kind == "proxy":
        return ConnectProxy(**args)
    if kind == "blackhole":
        return Blackhole(**args)
    raise ValueError("unknown server kind " + kind)
