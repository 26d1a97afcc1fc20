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


if __name__ == "__main__":
    unittest.main()
