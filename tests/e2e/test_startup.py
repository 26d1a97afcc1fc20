"""Start-up, single instance and the settings file, with the real installer under Wine."""
import glob
import os
import time
import unittest

import harness as h


class StartupTest(h.InstallerTestCase):
    def test_first_run_writes_the_launch_context_and_cleans_up(self):
        exe = h.place_installer("setup_2_Uab12cd34.exe")
        before = int(time.time())
        code, out = h.run_installer_until_window(exe)
        self.assertIn("exit 0", out)
        keys = h.read_ini()
        self.assertEqual([k for k, _ in keys], ["md5", "path", "begin_timestamp", "launch_appname"])
        values = dict(keys)
        self.assertEqual(values["md5"], "")
        self.assertEqual(values["path"], "")
        self.assertTrue(before - 5 <= int(values["begin_timestamp"]) <= int(time.time()) + 5)
        self.assertTrue(values["launch_appname"].lower().endswith("\\wintool.exe"), values["launch_appname"])
        self.assertEqual(glob.glob(h.drive_c("MorvelPkg_*")), [], "the per-run folder is removed at exit")

    def test_existing_settings_are_updated_in_place(self):
        exe = h.place_installer("setup.exe")
        folder = os.path.dirname(h.settings_file())
        os.makedirs(folder)
        with open(h.settings_file(), "wb") as f:
            f.write(b"[General]\r\nmd5=0123456789abcdef0123456789abcdef\r\npath=C:\\gone.exe\r\n"
                    b"begin_timestamp=1\r\ninstall=1\r\n")
        code, out = h.run_installer_until_window(exe)
        self.assertIn("exit 0", out)
        keys = h.read_ini()
        self.assertEqual([k for k, _ in keys], ["md5", "path", "begin_timestamp", "install", "launch_appname"])
        values = dict(keys)
        # A stale remembered package stays on file until the downloader next checks a package.
        self.assertEqual(values["md5"], "0123456789abcdef0123456789abcdef")
        self.assertEqual(values["path"], "C:\\gone.exe")
        self.assertNotEqual(values["begin_timestamp"], "1")


class SingleInstanceTest(h.InstallerTestCase):
    def test_second_instance_hands_over_to_the_first_window_and_exits_0(self):
        exe = h.winpath(h.place_installer("setup.exe"))
        cases = [
            # (who holds the single-instance mutex, window class, expected posts)
            ("fake-first", h.MAIN_CLASS, 1),
            ("fake-first", h.MAIN_CLASS.lower(), 0),  # another program's class in another case
            ("hold-mutex", None, 0),                  # first instance without a window yet
        ]
        for verb, cls, posts in cases:
            with self.subTest(verb=verb, cls=cls):
                args = [verb] + ([cls] if cls else []) + [exe]
                code, out = h.wintool(*args)
                self.assertEqual(code, 0, out)
                self.assertEqual(out.count("posted 0x80ff"), posts, out)
                self.assertIn("exit 0", out)
        self.assertFalse(os.path.exists(h.settings_file()), "a second instance writes nothing")
        self.assertEqual(glob.glob(h.drive_c("MorvelPkg_*")), [], "nor leaves a per-run folder behind")

    def test_a_real_first_instance_keeps_running(self):
        exe = h.place_installer("setup.exe")
        first = h.start(h.WINTOOL, "run", h.winpath(exe))
        try:
            self.assertTrue(h.wait_main_window())
            run_folders = glob.glob(h.drive_c("MorvelPkg_*"))
            self.assertEqual(len(run_folders), 1)
            code, out = h.run(exe, timeout=60)
            self.assertEqual(code, 0)
            self.assertIsNone(first.poll(), "the first instance is still running")
            self.assertEqual(glob.glob(h.drive_c("MorvelPkg_*")), run_folders, "its per-run folder stays")
            self.assertTrue(h.close_main_window())
            out, _ = first.communicate(timeout=120)
            self.assertIn("exit 0", out.decode())
        finally:
            if first.poll() is None:
                first.kill()


if __name__ == "__main__":
    unittest.main()
