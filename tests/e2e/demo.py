"""`make demo`: the installer's run on the embedded local stack, told step by step."""
import glob
import os
import shutil
import sys

sys.path.insert(0, os.path.dirname(__file__))
import harness as h  # noqa: E402


def main():
    shutil.rmtree(os.path.join(h.roaming(), "VexraPkg"), ignore_errors=True)
    exe = h.place_installer("setup_2_Uab12cd34.exe")
    print("demo: installer copied to", h.winpath(exe))
    proc = h.start(h.WINTOOL, "run", h.winpath(exe))
    if not h.wait_main_window():
        print("demo: the main window did not appear")
        return 1
    runs = glob.glob(h.drive_c("MorvelPkg_*"))
    print("demo: main window is up; per-run folder:", ", ".join(h.winpath(r) for r in runs) or "none")
    h.close_main_window()
    out, _ = proc.communicate(timeout=120)
    out = out.decode("utf-8", "replace").replace("\r", "").strip()
    print("demo: installer ended:", out.splitlines()[-1] if out else "?")
    print("demo: per-run folder after exit:", "removed" if not glob.glob(h.drive_c("MorvelPkg_*")) else "LEFT BEHIND")
    print("demo: %s" % h.winpath(h.settings_file()))
    for key, value in h.read_ini():
        print("    %s=%s" % (key, value))
    records = h.read_records()
    print("demo: the vendor SDK received %d records (%s):" % (len(records), h.winpath(h.sdk_folder())))
    for record in records:
        print("    " + h.describe_record(record))
    return 0 if out.endswith("exit 0") and records else 1


if __name__ == "__main__":
    sys.exit(main())
