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
    ok = out.endswith("exit 0") and bool(records)
    return 0 if download_and_install() and ok else 1


def download_and_install():
    """Until the progress page exists, the driver runs the real downloader and setup runner."""
    import json
    driver = os.path.join(h.BUILD, "tests", "download", "download_driver.exe")
    events_before = len(h.read_records())
    folder = "C:\\vexra-demo\\Vexra图片格式转换器"
    shutil.rmtree(h.drive_c("vexra-demo"), ignore_errors=True)
    print("demo: downloading the package from the local vendor stack (its first range drops once) and "
          "installing it into", folder)
    code, out = h.run(driver, "install", folder, "plan", timeout=300)
    lines = [json.loads(line) for line in out.splitlines() if line.startswith("{")]
    for record in h.read_records()[events_before:]:
        print("    " + h.describe_record(record))
    if len(lines) < 2:
        print("demo: download failed:", lines)
        return False
    download, setup = lines[0], lines[1]
    print("demo: verified package %s (md5 %s, %d ms)" % (download["path"], download["md5"], download["ms"]))
    print("demo: remembered in config.ini: md5=%s path=%s" % (download["rememberedMd5"], download["rememberedPath"]))
    print("demo: setup command line:", setup["commandLine"])
    print("demo: setup outcome: %s, exit code %s" % (setup["outcome"], setup["exitCode"]))
    product = h.drive_c("vexra-demo", "Vexra图片格式转换器", "VexraImgConverter.exe")
    print("demo: installed product:", h.winpath(product), "present" if os.path.exists(product) else "MISSING")
    return code == 0 and os.path.exists(product)


if __name__ == "__main__":
    sys.exit(main())
