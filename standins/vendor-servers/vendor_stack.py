"""Stand-in for the vendor's servers: the API service and the package CDN, driven by a scenario file.

Everything listens on loopback addresses inside the private test network (scripts/netns-run, see
netns.py); host names reach the installer through that network's hosts file (hosts, next to this file). Python standard library only.

Scenario (JSON), every key optional:
  "package":  {"file": path} or {"size": n, "seed": s}; "version": the version code the API publishes
  "api":      {"host_down": bool, "ip_down": bool, "getAppVersion": answer, "welcome": answer,
               "installerConfig": answer, "banner": path}
              answer = {"status": 200, "json": {...}} or {"status": 200, "raw": "text"}; "$MD5", "$SIZE",
              "$VERSION", "$URL" inside texts are replaced by the package's values
  "cdn":      {"routes": {path: route}, "faults": [fault...], "random_faults": {...}}
              route = {"package": true, "filename": text, "length": bool, "head_status": int}
                    | {"status": 30x, "location": text}
              fault = {"kind": "drop"|"stall"|"ignore_range"|"status"|"split_header"|"wrong_range"|
                       "overlong"|"reset"|"corrupt", "after": bytes, "status": int, "times": n, "from": offset}
  "support":  {"down": bool}
"""
import hashlib
import json
import os
import random
import socket
import socketserver
import threading
import time


def read_hosts(path=os.path.join(os.path.dirname(os.path.abspath(__file__)), "hosts")):
    names = {}
    with open(path) as f:
        for line in f:
            parts = line.split("#", 1)[0].split()
            for name in parts[1:]:
                names[name] = parts[0]
    return names


# Where each server listens: the names of the hosts file, and the API server's own address.
ADDRESSES = dict(read_hosts(), api_ip="127.0.10.1")
PACKAGE_PATH = "/application/soft_package/pc/41872306/software/install.exe"
DEFAULT_URL = "http://cdn.vexra.test/pkg/VexraImgConverter_setup.exe"


def make_package(size, seed):
    rnd = random.Random(seed)
    piece = 1 << 24  # randbytes takes at most 2**31 bits at a time
    return b"".join(rnd.randbytes(min(piece, size - at)) for at in range(0, size, piece))


class Stack:
    """All vendor servers of one scenario; start() returns once every listener is bound."""

    def __init__(self, scenario, log_path=None):
        self.scenario = scenario
        self.log_path = log_path
        self.log = []
        self.lock = threading.Lock()
        self.servers = []
        pkg = scenario.get("package", {})
        if "file" in pkg:
            with open(pkg["file"], "rb") as f:
                self.package = f.read()
        else:
            size = pkg.get("size", 1000001)
            self.package = make_package(size, pkg.get("seed", 1))
        self.md5 = hashlib.md5(self.package).hexdigest()
        self.version = scenario.get("version", "2.1.0.3")
        cdn = scenario.get("cdn", {})
        self.faults = [dict(f) for f in cdn.get("faults", [])]
        rf = cdn.get("random_faults")
        self.random = random.Random(rf["seed"]) if rf else None

    # -- bookkeeping ---------------------------------------------------------------------------------
    def record(self, entry):
        with self.lock:
            self.log.append(entry)
            if self.log_path:
                with open(self.log_path, "a") as f:
                    f.write(json.dumps(entry, ensure_ascii=False) + "\n")

    def substitute(self, text):
        return (text.replace("$MD5", self.md5).replace("$SIZE", str(len(self.package)))
                .replace("$VERSION", self.version).replace("$URL", DEFAULT_URL))

    def fill(self, value):
        if isinstance(value, str):
            return self.substitute(value)
        if isinstance(value, dict):
            return {k: self.fill(v) for k, v in value.items()}
        if isinstance(value, list):
            return [self.fill(v) for v in value]
        return value

    # -- life cycle ----------------------------------------------------------------------------------
    def start(self):
        api = self.scenario.get("api", {})
        if not api.get("host_down"):
            self.listen(ADDRESSES["api.vexra.test"], 80, self.handle_api)
        if not api.get("ip_down"):
            self.listen(ADDRESSES["api_ip"], 80, self.handle_api)
        if not self.scenario.get("cdn", {}).get("down"):
            self.listen(ADDRESSES["cdn.vexra.test"], 80, self.handle_cdn)
            self.listen(ADDRESSES["cdn2.vexra.test"], 80, self.handle_cdn)
        if not self.scenario.get("support", {}).get("down"):
            self.listen(ADDRESSES["support.vexra.test"], 80, self.handle_support)
        return self

    def stop(self):
        for s in self.servers:
            s.shutdown()
            s.server_close()
        self.servers = []

    def listen(self, address, port, handler):
        stack = self

        class Handler(socketserver.BaseRequestHandler):
            def handle(self):
                try:
                    handler(self.request, self.server.server_address[0])
                except OSError:
                    pass

        class Server(socketserver.ThreadingTCPServer):
            allow_reuse_address = True
            daemon_threads = True
            request_queue_size = 64

        server = Server((address, port), Handler)
        threading.Thread(target=server.serve_forever, daemon=True).start()
        self.servers.append(server)

    # -- HTTP ----------------------------------------------------------------------------------------
    @staticmethod
    def read_request(conn):
        data = b""
        conn.settimeout(10)
        while b"\r\n\r\n" not in data:
            chunk = conn.recv(4096)
            if not chunk:
                return None
            data += chunk
        head = data.split(b"\r\n\r\n", 1)[0].decode("latin-1")
        lines = head.split("\r\n")
        parts = lines[0].split(" ")
        headers = {}
        for line in lines[1:]:
            if ":" in line:
                k, v = line.split(":", 1)
                headers[k.strip().lower()] = v.strip()
        return {"method": parts[0], "path": parts[1] if len(parts) > 1 else "", "headers": headers,
                "raw": head}

    @staticmethod
    def status_line(code):
        reasons = {200: "OK", 206: "Partial Content", 301: "Moved Permanently", 302: "Found",
                   303: "See Other", 307: "Temporary Redirect", 404: "Not Found", 500: "Internal Server Error"}
        return "HTTP/1.1 %d %s\r\n" % (code, reasons.get(code, "Status"))

    def send_answer(self, conn, code, body, content_type="application/json"):
        head = self.status_line(code) + "Content-Type: %s\r\nContent-Length: %d\r\nConnection: close\r\n\r\n" % (
            content_type, len(body))
        conn.sendall(head.encode() + body)

    def handle_support(self, conn, address):
        self.record({"server": "support", "address": address})

    def handle_api(self, conn, address):
        req = self.read_request(conn)
        if req is None:
            return
        self.record({"server": "api", "address": address, "method": req["method"], "path": req["path"],
                     "host": req["headers"].get("host", "")})
        api = self.scenario.get("api", {})
        path = req["path"]
        if "getAppVersion" in path:
            default = {"status": 200, "json": {"code": "server.success", "data": {
                "downloadUrl": "$URL", "softwareCode": "vexra", "versionCode": "$VERSION", "md5": "$MD5",
                "size": "$SIZE", "installationSize": "302445134"}}}
            answer = api.get("getAppVersion", default)
        elif "channel/welcome" in path:
            answer = api.get("welcome", {"status": 200, "json": {"code": "server.success", "data": {
                "appId": "41872306", "appName": "Vexra", "welcomeUrl": "http://www.vexra.test/welcome",
                "advertisingAccountName": "acc", "tarnelOcpc": False}}})
        elif "installerConfig" in path:
            answer = api.get("installerConfig", {"status": 200, "json": {"code": "server.success", "data": {
                "ProductsShow": {"gif_url": "http://api.vexra.test/banner/banner.gif"}}}})
        elif path.startswith("/banner/") and api.get("banner"):
            with open(api["banner"], "rb") as f:
                self.send_answer(conn, 200, f.read(), "image/gif")
            return
        else:
            answer = {"status": 404, "raw": "no such API"}
        if isinstance(answer, list):  # one answer per request, the last one repeated
            index = sum(1 for e in self.log if e.get("server") == "api" and e.get("path") == path) - 1
            answer = answer[min(index, len(answer) - 1)]
        if answer.get("delay"):
            time.sleep(answer["delay"])
        if answer.get("close"):
            return
        body = json.dumps(self.fill(answer["json"]), ensure_ascii=False) if "json" in answer else \
            self.substitute(answer.get("raw", ""))
        self.send_answer(conn, answer.get("status", 200), body.encode("utf-8"))

    def pick_fault(self, req_range):
        with self.lock:
            for f in self.faults:
                if f.get("times", 1) <= 0:
                    continue
                if "from" in f and (req_range is None or req_range[0] != f["from"]):
                    continue
                f["times"] = f.get("times", 1) - 1
                return f
            rf = self.scenario.get("cdn", {}).get("random_faults")
            if self.random and self.random.random() < rf.get("probability", 0.5):
                kind = self.random.choice(rf.get("kinds", ["drop", "ignore_range", "status", "split_header",
                                                             "wrong_range", "overlong", "reset"]))
                return {"kind": kind, "after": self.random.randrange(1, 200000), "status":
                        self.random.choice([404, 500])}
        return None

    def handle_cdn(self, conn, address):
        req = self.read_request(conn)
        if req is None:
            return
        routes = self.scenario.get("cdn", {}).get("routes", {})
        path = req["path"]
        route = routes.get(path)
        if route is None and path in (PACKAGE_PATH, "/pkg/VexraImgConverter_setup.exe"):
            route = {"package": True}
        rng = None
        m = req["headers"].get("range", "")
        if m.startswith("bytes="):
            a, _, b = m[6:].partition("-")
            try:
                rng = (int(a), int(b) if b else len(self.package) - 1)
            except ValueError:
                rng = None
        entry = {"server": "cdn", "address": address, "method": req["method"], "path": path,
                 "host": req["headers"].get("host", ""), "range": list(rng) if rng else None}
        if route is None:
            self.record(entry)
            self.send_answer(conn, 404, b"not found", "text/plain")
            return
        if "location" in route or route.get("status", 200) in range(300, 400):
            self.record(entry)
            head = self.status_line(route.get("status", 302))
            if "location" in route:
                head += "Location: %s\r\n" % route["location"]
            conn.sendall((head + "Content-Length: 0\r\nConnection: close\r\n\r\n").encode("latin-1"))
            return
        if req["method"] == "HEAD":
            self.record(entry)
            head = self.status_line(route.get("head_status", 200))
            if "filename" in route:
                head += "Content-Disposition: attachment; filename=%s\r\n" % route["filename"]
            if route.get("length", True):
                head += "Content-Length: %d\r\n" % len(self.package)
            head += "Accept-Ranges: bytes\r\nConnection: close\r\n\r\n"
            conn.sendall(head.encode("utf-8"))
            return
        fault = self.pick_fault(rng)
        entry["fault"] = fault["kind"] if fault else None
        self.record(entry)
        self.serve_range(conn, rng, fault)

    def serve_range(self, conn, rng, fault):
        data = self.package
        kind = fault["kind"] if fault else None
        if kind == "status":
            body = ("<html>error %d</html>" % fault.get("status", 500)).encode()
            self.send_answer(conn, fault.get("status", 500), body, "text/html")
            return
        if kind == "reset":
            conn.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, b"\x01\x00\x00\x00\x00\x00\x00\x00")
            return
        if rng is None or kind == "ignore_range":
            head = self.status_line(200) + "Content-Length: %d\r\n" % len(data)
            start, end = 0, len(data) - 1
        else:
            start, end = rng
            end = min(end, len(data) - 1)
            shown = start
            if kind == "wrong_range":
                shown = max(0, start - 1000) if start else start + 7
            if kind == "overlong":
                end = len(data) - 1
            head = self.status_line(206) + "Content-Range: bytes %d-%d/%d\r\nContent-Length: %d\r\n" % (
                shown, end, len(data), end - start + 1)
            if kind == "wrong_range":
                start = shown
        head = (head + "Accept-Ranges: bytes\r\nConnection: close\r\n\r\n").encode("latin-1")
        if kind == "split_header":
            for i in range(0, len(head), 7):
                conn.sendall(head[i:i + 7])
                time.sleep(0.002)
        else:
            conn.sendall(head)
        body = memoryview(data)[start:end + 1]
        if kind == "corrupt":  # a proper-looking answer whose bytes are wrong
            spoiled = bytearray(body)
            spoiled[len(spoiled) // 2] ^= 0xFF
            body = memoryview(bytes(spoiled))
        limit = len(body)
        if kind in ("drop", "stall"):
            limit = min(limit, fault.get("after", 300000))
        sent = 0
        while sent < limit:
            n = conn.send(body[sent:min(limit, sent + 262144)])
            sent += n
        if kind == "stall":
            time.sleep(fault.get("seconds", 6))


def main():
    import argparse
    import signal
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("scenario")
    ap.add_argument("--log")
    args = ap.parse_args()
    with open(args.scenario) as f:
        scenario = json.load(f)
    stack = Stack(scenario, args.log).start()
    print("vendor stack up: package %d bytes, md5 %s" % (len(stack.package), stack.md5), flush=True)
    signal.sigwait([signal.SIGINT, signal.SIGTERM])
    stack.stop()


if __name__ == "__main__":
    main()
