"""Benchmark (not a test): a 256 MiB package over loopback through the installer's real downloader under
Wine, beside curl (one connection) and aria2c (two connections) fetching the same file from the same
server in the same run, and Md5HexOfFile beside md5sum. Prints MB/s, the ratios and the downloader's
peak working set. Runs in the private test network with the demo's Wine prefix:
    python3 bench/download_bench.py [--mib 256]
"""
import argparse
import hashlib
import json
import os
import subprocess
import sys
import tempfile
import time

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), ".."))
sys.path.insert(0, os.path.join(ROOT, "standins", "vendor-servers"))
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
os.environ.setdefault("WINEPREFIX", os.path.join(ROOT, "build", "wine", "demo-prefix"))
os.environ.setdefault("VEXRA_BUILD", os.path.join(ROOT, "build", "win"))
import netns  # noqa: E402
import vendor_stack  # noqa: E402

DRIVER = os.path.join(os.environ["VEXRA_BUILD"], "tests", "download", "download_driver.exe")


def wine(*args):
    cmd = ["bash", "-c", 'source "$0/scripts/wineenv.sh"; exec "$WINE" "$@"', ROOT, *args]
    out = subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, check=True).stdout
    return [json.loads(x) for x in out.decode("utf-8", "replace").splitlines() if x.startswith("{")]


def timed(cmd):
    t = time.perf_counter()
    subprocess.run(cmd, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return time.perf_counter() - t


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--mib", type=int, default=256)
    args = ap.parse_args()
    netns.enter(stop_outside_wineserver=False)
    size = args.mib << 20
    stack = vendor_stack.Stack({"package": {"size": size, "seed": 5}}).start()
    mb = size / 1e6
    url = vendor_stack.DEFAULT_URL
    print("package: %d MiB, md5 %s" % (args.mib, stack.md5))
    try:
        import harness as h
        import shutil
        # A remembered copy of the same version would be reused instead of downloaded.
        shutil.rmtree(os.path.join(h.roaming(), "VexraPkg", "VXImgConverter"), ignore_errors=True)
        r = wine(DRIVER, "download", "--timeout", "600")
        assert r[0]["state"] == 4 and r[0]["md5"] == stack.md5, r
        dl_s = r[0]["ms"] / 1000.0
        package = h.drive_c(*r[0]["path"][3:].split("\\"))
        with tempfile.TemporaryDirectory() as tmp:
            curl_s = timed(["curl", "-s", "-o", os.path.join(tmp, "c"), url])
            aria_s = timed(["aria2c", "-q", "-x2", "-s2", "--file-allocation=none", "--allow-overwrite=true",
                            "-d", tmp, "-o", "a", url])
            for name in ("c", "a"):
                with open(os.path.join(tmp, name), "rb") as f:
                    assert hashlib.md5(f.read()).hexdigest() == stack.md5, name
        m = wine(DRIVER, "md5", r[0]["path"])[0]
        assert m["md5"] == stack.md5
        md5_s = m["ms"] / 1000.0
        t = time.perf_counter()
        out = subprocess.run(["md5sum", package], stdout=subprocess.PIPE, check=True).stdout.decode()
        md5sum_s = time.perf_counter() - t
        assert out.split()[0] == stack.md5
    finally:
        stack.stop()
    rows = [("downloader (2 workers, Wine)", dl_s), ("curl (1 connection)", curl_s), ("aria2c -x2", aria_s)]
    for name, s in rows:
        print("%-30s %7.2f s %8.1f MB/s" % (name, s, mb / s))
    print("downloader / curl  : %.2f" % (curl_s / dl_s))
    print("downloader / aria2c: %.2f" % (aria_s / dl_s))
    print("downloader peak working set: %.1f MiB" % (r[0]["peakWorkingSet"] / 1048576.0))
    print("%-30s %7.2f s %8.1f MB/s" % ("Md5HexOfFile (Wine)", md5_s, mb / md5_s))
    print("%-30s %7.2f s %8.1f MB/s" % ("md5sum", md5sum_s, mb / md5sum_s))
    print("Md5HexOfFile / md5sum: %.2f" % (md5sum_s / md5_s))


if __name__ == "__main__":
    main()
