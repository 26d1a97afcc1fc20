"""The network scenarios: fixture servers do what a scenario file says, netprobe.exe (the installer's
network code under Wine) runs the scenario's client operation, and the test checks what the client
reported and the exact bytes the servers received.

Runs only inside the hermetic test network (scripts/netns-run), which ctest arranges; it refuses to run
anywhere else, because it rewrites /etc/hosts and opens servers on ports 80 and 53.
"""
import glob
import json
import os
import re
import subprocess
import sys
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.abspath(os.path.join(HERE, "..", ".."))
sys.path.insert(0, os.path.join(ROOT, "standins", "network-servers"))
import servers  # noqa: E402

BUILD = os.environ.get("VEXRA_BUILD", os.path.join(ROOT, "build", "win"))
NETPROBE = os.path.join(BUILD, "tests", "net", "netprobe.exe")
WINE = os.environ.get("WINE", "/usr/lib/wine/wine64")
INTERNET_SETTINGS = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings\Connections"
DEFAULT_HOSTS = {"localhost": "127.0.0.1", "api.vexra.test": "127.0.10.1"}


def inside_test_network():
    if os.environ.get("VEXRA_NETNS_INSIDE") != "1":
        return False
    with open("/proc/self/mountinfo") as f:
        return any(line.split()[4] == "/etc/hosts" for line in f)


def unescape(value):
    """Undoes netprobe's C-style escaping into the raw bytes (as Latin-1 text)."""
    out, i = [], 0
    while i < len(value):
        c = value[i]
        if c == "\\" and i + 1 < len(value):
            n = value[i + 1]
            if n == "x":
                out.append(chr(int(value[i + 2:i + 4], 16)))
                i += 4
                continue
            out.append({"r": "\r", "n": "\n", "\\": "\\"}[n])
            i += 2
            continue
        out.append(c)
        i += 1
    return "".join(out)


def connection_settings(proxy_list="", pac_url=""):
    """The binary DefaultConnectionSettings value that Wine's WinHTTP reads (as Windows does)."""
    flags = 1 | (2 if proxy_list else 0) | (4 if pac_url else 0)

    def counted(text):
        raw = text.encode("latin-1")
        return len(raw).to_bytes(4, "little") + raw

    blob = (0x46).to_bytes(4, "little") + (1).to_bytes(4, "little") + flags.to_bytes(4, "little")
    blob += counted(proxy_list) + counted("") + counted(pac_url) + bytes(32)
    return blob.hex()


def wine_reg(*args):
    env = dict(os.environ, WINEDEBUG="-all")
    subprocess.run([WINE, "reg"] + list(args), check=True, env=env, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, timeout=120)


def load_scenarios():
    for path in sorted(glob.glob(os.path.join(HERE, "scenarios", "*.json"))):
        with open(path, encoding="utf-8") as f:
            yield os.path.basename(path)[:-5], json.load(f)


class NetScenarios(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        if not inside_test_network():
            raise RuntimeError("run through scripts/netns-run: this test needs the private test network")
        if not os.path.exists(NETPROBE):
            raise RuntimeError("netprobe.exe is not built: " + NETPROBE)
        cls.registry_set = False

    @classmethod
    def tearDownClass(cls):
        # The prefix is shared with the other Wine suites: leave no proxy configured behind.
        if cls.registry_set:
            wine_reg("add", INTERNET_SETTINGS, "/v", "DefaultConnectionSettings", "/t", "REG_BINARY", "/d",
                     connection_settings(), "/f")

    def set_hosts(self, mapping):
        with open("/etc/hosts", "w") as f:
            for name, addr in mapping.items():
                f.write("%s %s\n" % (addr, name))

    def set_registry(self, reg):
        if reg:
            wine_reg("add", INTERNET_SETTINGS, "/v", "DefaultConnectionSettings", "/t", "REG_BINARY", "/d",
                     connection_settings(reg.get("proxy_list", ""), reg.get("pac", "")), "/f")
            NetScenarios.registry_set = True
        elif NetScenarios.registry_set:
            wine_reg("add", INTERNET_SETTINGS, "/v", "DefaultConnectionSettings", "/t", "REG_BINARY", "/d",
                     connection_settings(), "/f")
            NetScenarios.registry_set = False

    def run_probe(self, args):
        env = dict(os.environ, WINEDEBUG="-all")
        started = time.monotonic()
        done = subprocess.run([WINE, NETPROBE] + args, capture_output=True, env=env, timeout=120)
        wall = time.monotonic() - started
        out = {}
        # Values are escaped to ASCII; event lines carry their UTF-8 texts as they are.
        for line in done.stdout.decode("utf-8", "replace").splitlines():
            key, sep, value = line.partition("=")
            if sep:
                out[key] = unescape(value)
        self.assertEqual(done.returncode, 0, done.stderr.decode("latin-1", "replace"))
        return out, wall

    def check(self, name, sc):
        self.set_hosts(sc.get("hosts", DEFAULT_HOSTS))
        self.set_registry(sc.get("registry"))
        running = [servers.start(d) for d in sc.get("servers", [])]
        try:
            out, _ = self.run_probe(sc["client"])
        finally:
            for s in running:
                s.close()
        for key, want in sc.get("expect", {}).items():
            self.assertEqual(out.get(key), want, "%s: %s (all: %r)" % (name, key, out))
        for key in sc.get("expect_absent", []):
            self.assertNotIn(key, out, name)
        for key, (low, high) in sc.get("elapsed_ms", {}).items():
            took = int(out.get(key, "-1"))
            self.assertTrue(low <= took <= high, "%s: %s took %d ms, not %d..%d" % (name, key, took, low, high))
        for index, wanted in sc.get("requests", {}).items():
            got = [r.decode("latin-1") for r in running[int(index)].requests]
            self.assertEqual(got, wanted, name)
        for index, wanted in sc.get("dns_questions", {}).items():
            got = [q[12:].hex() for q in running[int(index)].queries]
            self.assertEqual(got, wanted, name)
        for index in sc.get("distinct_dns_ids", []):
            ids = [q[:2] for q in running[int(index)].queries]
            self.assertGreater(len(ids), 1, name)
            self.assertEqual(len(set(ids)), len(ids), "%s: repeated DNS IDs %r" % (name, ids))

    def test_scenarios(self):
        only = os.environ.get("VEXRA_SCENARIO")
        count = 0
        for name, sc in load_scenarios():
            if only and not re.search(only, name):
                continue
            count += 1
            print("scenario", name, flush=True)
            with self.subTest(scenario=name):
                self.check(name, sc)
        self.assertGreater(count, 0, "no scenario files found")


if __name__ == "__main__":
    unittest.main()
