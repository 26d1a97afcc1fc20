"""What the real installer reports through the vendor SDK in a run, read back from the SDK's log."""
import os
import time
import unittest

import harness as h

PACKAGE = "setup_2_Uab12cd34"


class TelemetryTest(h.InstallerTestCase):
    def test_a_run_reports_its_start_and_its_end_in_order(self):
        exe = h.place_installer(PACKAGE + ".exe")
        before = int(time.time())
        code, out = h.run_installer_until_window(exe)
        after = int(time.time())
        self.assertIn("exit 0", out)
        for name in ("Yelk.dll", "TNUID.dll", "Yelk.exe"):
            self.assertTrue(os.path.isfile(os.path.join(h.sdk_folder(), name)), name)

        records = h.read_records()
        self.assertGreaterEqual(len(records), 5, [h.describe_record(r) for r in records])
        start, launch, lifecycle_start = records[0], records[1], records[2]
        lifecycle_end, quit_event = records[-2], records[-1]

        self.assertEqual((start["type"], start["event"]), (6, "pSoftInstall"))
        self.assertEqual(start["properties"], [
            # by set (int, bool, text), then by name
            {"name": "download_time", "type": "int", "value": 0},
            {"name": "is_first_install", "type": "bool", "value": True},
            {"name": "install_type", "type": "string", "value": "安装器"},
            {"name": "parent_app_name", "type": "string", "value": "wintool.exe"},
            {"name": "soft_package_name", "type": "string", "value": PACKAGE},
        ])
        self.assertEqual((launch["type"], launch["field_list"]), (1, [(1, 1)]))
        self.assertEqual((lifecycle_start["type"], lifecycle_start["field_list"]),
                         (4, [(50, 4), (51, b"0001"), (52, b"0001"), (53, PACKAGE.encode())]))
        self.assertEqual((lifecycle_end["type"], lifecycle_end["field_list"]),
                         (4, [(50, 4), (51, b"0001"), (52, b"0002")]))
        self.assertEqual((quit_event["type"], quit_event["event"]), (6, "vSoftQuit"))
        self.assertEqual(quit_event["properties"], [{"name": "event_name", "type": "string", "value": "软件退出"}])

        # serial = (seconds mod 10^7) * 100 + (event number mod 100); pSoftInstall is the run's first event
        events = [r for r in records if "event" in r]
        for number, event in enumerate(events):
            self.assertIn(event["serial"] // 100, range(before % 10**7, after % 10**7 + 1), event["event"])
            self.assertEqual(event["serial"] % 100, number % 100, event["event"])
        self.assertEqual(sorted(r["seq"] for r in records), [r["seq"] for r in records])
        calls = [c["call"] for c in h.read_records(os.path.join(h.sdk_folder(), "calls.jsonl"))]
        self.assertNotIn("Yelk.exe", calls, "the installer never starts the SDK's program")

    def test_a_crash_reported_by_the_sdk_reaches_it_as_the_four_crash_steps(self):
        exe = h.place_installer(PACKAGE + ".exe")
        dump = h.drive_c("vexra-tests", "crash.dmp")
        with open(dump, "wb") as f:
            f.write(b"MDMP")
        os.environ.update(YELK_CRASH_DUMP=h.winpath(dump), YELK_CRASH_DELAY_MS="300")
        try:
            proc = h.start(h.WINTOOL, "run", h.winpath(exe))
        finally:
            del os.environ["YELK_CRASH_DUMP"], os.environ["YELK_CRASH_DELAY_MS"]
        try:
            self.assertTrue(h.wait_main_window())
            deadline = time.time() + 30
            while time.time() < deadline and not any(r.get("event") == "vSoftDump" for r in h.read_records()):
                time.sleep(0.2)
            # The installer goes on after the SDK's report and still ends its run as usual.
            self.assertTrue(h.close_main_window())
            out, _ = proc.communicate(timeout=120)
        finally:
            if proc.poll() is None:
                proc.kill()
        self.assertIn("exit 0", out.decode())

        records = h.read_records()
        dump_index = next(i for i, r in enumerate(records) if r.get("event") == "vSoftDump")
        crash = records[dump_index - 2:dump_index + 2]
        self.assertEqual([r["field_list"] for r in crash[:2]], [
            [(50, 1), (51, b"0001"), (52, b"0001"), (55, h.winpath(dump).encode())],
            [(50, 4), (51, b"0001"), (52, b"0002")],
        ])
        self.assertEqual(crash[2]["properties"], [])
        self.assertEqual((crash[3]["event"], crash[3]["properties"]),
                         ("vSoftQuit", [{"name": "event_name", "type": "string", "value": "软件崩溃"}]))
        self.assertEqual(records[-1]["properties"][0]["value"], "软件退出")


if __name__ == "__main__":
    unittest.main()
