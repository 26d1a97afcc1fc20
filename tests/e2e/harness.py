"""Runs the real installer and its neighbours under Wine, in the run's prefix (scripts/wineprefix).

The source tree is drive D: inside the prefix and C: is the only fixed drive; test copies of the installer
are placed below C:\\vexra-tests so that each can carry the file name a case needs.
"""
import glob
import json
import os
import shutil
import subprocess
import time
import unittest

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
BUILD = os.environ.get("VEXRA_BUILD", os.path.join(ROOT, "build", "win"))
PREFIX = os.environ.get("WINEPREFIX", os.path.join(ROOT, "build", "wine", "prefix"))
WINRUN = os.path.join(ROOT, "scripts", "winrun")
INSTALLER = os.path.join(BUILD, "src", "VexraSetup.exe")
WINTOOL = os.path.join(BUILD, "tests", "tools", "wintool.exe")
MAIN_CLASS = "MorvelPkg-Window-B81D4A07-6C2E-4E95-A3F0-7D19C5B2E864"


def drive_c(*parts):
    return os.path.join(PREFIX, "drive_c", *parts)


def winpath(path):
    """The Windows name of a host path below the source tree or the prefix's C: drive."""
    path = os.path.abspath(path)
    c = drive_c()
    if path.startswith(c + os.sep) or path == c:
        rel = os.path.relpath(path, c)
        return "C:\\" + ("" if rel == "." else rel.replace("/", "\\"))
    rel = os.path.relpath(path, ROOT)
    if rel.startswith(".."):
        raise ValueError("not reachable from Wine: " + path)
    return "D:\\" + rel.replace("/", "\\")


def roaming():
    found = glob.glob(drive_c("users", "*", "AppData", "Roaming"))
    found = [f for f in found if "Public" not in f]
    if not found:
        raise RuntimeError("no roaming application-data folder in the prefix")
    return found[0]


def settings_file():
    return os.path.join(roaming(), "VexraPkg", "VXImgConverter", "config.ini")


def read_ini(path=None):
    """config.ini as an ordered list of (key, value), in the system code page."""
    path = path or settings_file()
    pairs = []
    with open(path, "rb") as f:
        for raw in f.read().decode("gbk", "replace").splitlines():
            if "=" in raw and not raw.startswith("["):
                key, value = raw.split("=", 1)
                pairs.append((key, value))
    return pairs


def sdk_folder():
    return os.path.join(roaming(), "VexraPkg", "Yelk")


def read_records(path=None):
    """What the stand-in SDK received: records.jsonl in the SDK folder, one dict per committed record,
    in commit order. Each record gets "field_list", its fields as (number, value) pairs in the order
    written: integers as int, data fields as bytes. Empty when nothing arrived."""
    path = path or os.path.join(sdk_folder(), "records.jsonl")
    if not os.path.exists(path):
        return []
    records = []
    with open(path, "rb") as f:
        for line in f.read().decode("utf-8").splitlines():
            record = json.loads(line)
            record["field_list"] = [(x["field"], x["int"] if "int" in x else bytes.fromhex(x["hex"]))
                                    for x in record.get("fields", [])]
            records.append(record)
    return records


def describe_record(record):
    """One line for people: the event with its properties, or the record type with its fields."""
    if "event" in record:
        props = ", ".join("%s=%s" % (p["name"], json.dumps(p["value"], ensure_ascii=False))
                          for p in record["properties"])
        return "event %s serial %d {%s}" % (record["event"], record["serial"], props)
    fields = ", ".join("%d=%s" % (n, v if isinstance(v, int) else v.decode("gbk", "replace"))
                       for n, v in record["field_list"])
    return "record type %d {%s}" % (record["type"], fields)


def require_private_network():
    """The installer asks the vendor's hosts from its first moment: it may only run where the only
    network device is loopback (scripts/netns-run), never where a lookup could leave the machine."""
    # /proc/self/net follows this process's network namespace (/sys/class/net would still show the
    # host's devices unless sysfs were mounted again inside).
    with open("/proc/self/net/dev") as f:
        devices = sorted(line.split(":")[0].strip() for line in f.readlines()[2:])
    if devices != ["lo"]:
        raise RuntimeError("refusing to run the installer outside the private test network "
                           "(network devices here: %s); run it through scripts/netns-run" % ", ".join(devices))


def place_installer(name, source=INSTALLER):
    """Copies the installer to C:\\vexra-tests\\<n>\\<name>; returns its host path."""
    require_private_network()
    base = drive_c("vexra-tests")
    os.makedirs(base, exist_ok=True)
    folder = os.path.join(base, str(len(os.listdir(base)) + 1))
    os.makedirs(folder)
    target = os.path.join(folder, name)
    shutil.copyfile(source, target)
    return target


def run(program, *args, timeout=120, check=False):
    """Runs a Windows program to its end; returns (exit code, stdout)."""
    p = subprocess.run([WINRUN, "--timeout", str(timeout), program, *args],
                       stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, timeout=timeout + 30)
    out = p.stdout.decode("utf-8", "replace").replace("\r", "")
    if check and p.returncode != 0:
        raise AssertionError("%s exited %d: %s" % (program, p.returncode, out))
    return p.returncode, out


def start(program, *args):
    return subprocess.Popen([WINRUN, program, *args], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)


def wintool(*args, timeout=120):
    return run(WINTOOL, *args, timeout=timeout)


def wait_main_window(seconds=60):
    code, _ = wintool("wait-window", MAIN_CLASS, str(seconds), timeout=seconds + 30)
    return code == 0


def close_main_window():
    code, _ = wintool("close", MAIN_CLASS)
    return code == 0


def run_installer_until_window(path, via_wintool=True, seconds=60):
    """Starts the installer (as a child of wintool, so it has a known parent), waits for its main
    window, closes it and returns (exit code, wintool output)."""
    proc = start(WINTOOL, "run", winpath(path)) if via_wintool else start(path)
    try:
        if not wait_main_window(seconds):
            raise AssertionError("the installer's main window did not appear")
        close_main_window()
        out, _ = proc.communicate(timeout=120)
    finally:
        if proc.poll() is None:
            proc.kill()
    return proc.returncode, out.decode("utf-8", "replace").replace("\r", "")


class InstallerTestCase(unittest.TestCase):
    """Each test starts from a machine without settings, package copies or per-run folders."""

    def setUp(self):
        shutil.rmtree(os.path.join(roaming(), "VexraPkg"), ignore_errors=True)
        for leftover in glob.glob(drive_c("MorvelPkg_*")):
            shutil.rmtree(leftover, ignore_errors=True)
