"""A private network for the vendor stack and the programs that talk to it.

enter() re-executes the calling program inside a new network and mount namespace (root only): there,
only the loopback interface exists, the vendor names resolve through a hosts file bind-mounted over
/etc/hosts, and nothing can reach any other host. Wine keeps its sockets in the wineserver, so a
wineserver of the same prefix must not be running outside while programs run inside.
"""
import os
import subprocess
import sys
import tempfile

import vendor_stack

MARKER = "VEXRA_IN_NETNS"


def inside():
    return os.environ.get(MARKER) == "1"


def enter():
    """Returns only inside the namespace (after re-executing the program there)."""
    if inside():
        return
    if os.geteuid() != 0:
        raise SystemExit("the hermetic network needs root (unshare --net --mount)")
    stop_wineserver()
    env = dict(os.environ, **{MARKER: "1"})
    cmd = ["unshare", "--net", "--mount", "--", sys.executable] + sys.argv
    os.execvpe("unshare", cmd, env)


def setup():
    """Brings the namespace's loopback up and installs the vendor hosts file."""
    subprocess.run(["ip", "link", "set", "lo", "up"], check=True)
    fd, path = tempfile.mkstemp(prefix="vexra-hosts-")
    with os.fdopen(fd, "w") as f:
        f.write(vendor_stack.hosts_file_text())
    os.chmod(path, 0o644)
    subprocess.run(["mount", "--bind", path, "/etc/hosts"], check=True)


def stop_wineserver():
    env = dict(os.environ)
    subprocess.run(["wineserver", "-k"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
