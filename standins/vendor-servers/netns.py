"""Running a program inside the private test network (scripts/netns-run) with the vendor names.

enter() re-executes the calling program through scripts/netns-run with the vendor stack's hosts file:
inside, only the loopback device exists, the vendor names resolve to the stack's addresses, and the
wineserver runs inside too (Wine keeps a program's sockets there).
"""
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.abspath(os.path.join(HERE, "..", ".."))
NETNS_RUN = os.path.join(ROOT, "scripts", "netns-run")
HOSTS = os.path.join(HERE, "hosts")


def inside():
    return os.environ.get("VEXRA_NETNS_INSIDE") == "1"


def enter(stop_outside_wineserver=True):
    """Returns only inside the namespace (after re-executing the program there)."""
    if inside():
        return
    cmd = [NETNS_RUN, "--hosts", HOSTS]
    if stop_outside_wineserver:
        cmd.append("--stop-outside-wineserver")
    os.execv(NETNS_RUN, cmd + ["--", sys.executable] + sys.argv)
