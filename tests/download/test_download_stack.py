"""The download engine against the stand-in vendor stack, in a private network.

Each case says what the vendor servers do (a scenario for standins/vendor-servers) and checks what the
installer's real code does, through the driver program (download_driver.exe) under Wine. The module
re-executes itself in a network namespace of its own; run it as a script:
    python3 tests/download/test_download_stack.py -v [TestCase.test_name]
"""
import hashlib
import json
import os
import shutil
import subprocess
import sys
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.abspath(os.path.join(HERE, "..", ".."))
sys.path.insert(0, os.path.join(ROOT, "standins", "vendor-servers"))
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
import harness  # noqa: E402
import netns  # noqa: E402
import vendor_stack  # noqa: E402

BUILD = os.environ.get("VEXRA_BUILD", os.path.join(ROOT, "build", "win"))
DRIVER = os.path.join(BUILD, "tests", "download", "download_driver.exe")
DRIVER_QIHU = os.path.join(BUILD, "tests", "download", "download_driver_qihu.exe")
SETUP_EXE = os.path.join(BUILD, "standins", "product-setup", "product_setup.exe")
PKG_URL = vendor_stack.DEFAULT_URL
BUILT_IN_URL = "http://cdn.vexra.test" + vendor_stack.PACKAGE_PATH
UNINSTALL_KEY = ("HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
                 "{5E7B2C19-0D4A-4F63-9B81-C3A6E2D07F45}_is1")


def wine(program, *args, env=None, timeout=180):
    """Runs a Windows program to its end; returns (exit code, stdout text)."""
    harness.require_private_network()
    cmd = ["bash", "-c", 'source "$0/scripts/wineenv.sh"; exec "$WINE" "$@"', ROOT, program, *args]
    p = subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, timeout=timeout,
                       env=dict(os.environ, **(env or {})))
    return p.returncode, p.stdout.decode("utf-8", "replace").replace("\r", "")


def package_folder():
    return os.path.join(harness.roaming(), "VexraPkg", "VXImgConverter")


def api_answer(data=None, code="server.success", **extra):
    body = {"code": code}
    if data is not None:
        body["data"] = data
    return dict({"status": 200, "json": body}, **extra)


def pkg_data(**changes):
    data = {"downloadUrl": "$URL", "softwareCode": "vexra", "versionCode": "$VERSION", "md5": "$MD5",
            "size": "$SIZE", "installationSize": "302445134"}
    for k, v in changes.items():
        if v is None:
            data.pop(k, None)
        else:
            data[k] = v
    return data


class StackCase(unittest.TestCase):
    """A clean settings folder and package folder per case; one stack per scenario."""

    def setUp(self):
        shutil.rmtree(package_folder(), ignore_errors=True)
        self.clear_events()

    @staticmethod
    def clear_events():
        path = os.path.join(harness.sdk_folder(), "records.jsonl")
        if os.path.exists(path):
            os.remove(path)

    @staticmethod
    def events():
        """(event name, {property: value}) of every event the stand-in SDK received since clear_events."""
        return [(r["event"], {p["name"]: p["value"] for p in r["properties"]})
                for r in harness.read_records() if "event" in r]

    def serve(self, scenario):
        stack = vendor_stack.Stack(scenario).start()
        self.addCleanup(stack.stop)
        return stack

    def driver(self, *args, exe=DRIVER, env=None, timeout=180):
        rc, out = wine(exe, *args, env=env, timeout=timeout)
        lines = [json.loads(line) for line in out.splitlines() if line.startswith("{")]
        self.assertTrue(lines, "driver printed nothing (exit %d): %s" % (rc, out))
        return lines if len(lines) > 1 else lines[0]

    @staticmethod
    def requests(stack, server, method=None):
        return [e for e in stack.log if e["server"] == server and (method is None or e.get("method") == method)]

    def gets(self, stack):
        return self.requests(stack, "cdn", "GET")


class PackageInfoTest(StackCase):
    def test_api_address_answers_after_the_host_name_failed(self):
        stack = self.serve({"api": {"host_down": True}})
        r = self.driver("pkginfo", "15000")
        self.assertEqual(r["state"], 1)
        self.assertEqual(r["md5"], stack.md5)
        api = self.requests(stack, "api")
        self.assertEqual([e["address"] for e in api], ["127.0.10.1"])
        self.assertEqual(api[0]["host"], "127.0.10.1")  # the address is the Host field too
        self.assertEqual(api[0]["path"], "/applicationService/installer/getAppVersion?appId=41872306"
                         "&versionCode=1.0.0.1&packageSystemSupport=2")

    def test_a_fetch_that_keeps_trying_does_not_hold_the_exit(self):
        # The API answers only after a long time: the holder is still pending when the program ends.
        self.serve({"api": {"getAppVersion": api_answer(pkg_data(), delay=60)}})
        begin = time.time()
        r = self.driver("pkginfo", "500")
        self.assertEqual(r["state"], 0)
        self.assertLess(time.time() - begin, 15)

    def test_envelopes_sizes_and_missing_fields(self):
        cases = [
            ("other code", api_answer(pkg_data(), code="server.fail"), {"state": 2}),
            ("no data", api_answer(None), {"state": 2}),
            ("not JSON", {"status": 200, "raw": "<html>"}, {"state": 2}),
            ("size as number", api_answer(pkg_data(size=123)), {"state": 1, "size": 123}),
            ("no md5, zero and missing sizes",
             api_answer(pkg_data(md5=None, size="0", installationSize=None)),
             {"state": 1, "md5": None, "size": 171934019, "installationSize": 302445134}),
        ]
        for name, answer, expected in cases:
            with self.subTest(name):
                stack = self.serve({"api": {"getAppVersion": answer}})
                r = self.driver("pkginfo", "15000")
                stack.stop()
                for key, value in expected.items():
                    self.assertEqual(r[key], value, key)
                if r["state"] == 2:  # a failed fetch leaves the initial values
                    self.assertEqual((r["size"], r["installationSize"], r["urls"]), (171934019, 302445134, []))
                else:
                    self.assertIsNone(r["url1"])


class ChannelInfoTest(StackCase):
    def test_three_silent_passes_then_failed(self):
        stack = self.serve({"api": {"welcome": {"close": True}}})
        r = self.driver("serverinfo", "chan01")
        self.assertEqual(r["state"], 2)
        welcome = [e for e in self.requests(stack, "api") if "channel/welcome" in e["path"]]
        self.assertEqual(len(welcome), 3)
        self.assertEqual(welcome[0]["path"], "/applicationService/channel/welcome?channel=chan01")
        self.assertGreaterEqual(r["ms"], 600)

    def test_empty_channel_asks_nothing(self):
        stack = self.serve({})
        r = self.driver("serverinfo", "")
        self.assertEqual(r["state"], 1)
        self.assertEqual([e for e in self.requests(stack, "api") if "channel" in e["path"]], [])

    def test_typing_rules(self):
        base = {"appId": "41872306", "appName": "Vexra", "welcomeUrl": "http://www.vexra.test/w",
                "advertisingAccountName": "acc"}
        cases = [
            ("flag 1", api_answer(dict(base, tarnelOcpc=1)), 1, True, "41872306"),
            ("flag true", api_answer(dict(base, tarnelOcpc=True)), 1, True, "41872306"),
            ("flag null", api_answer(dict(base, tarnelOcpc=None)), 1, False, "41872306"),
            ("flag missing", api_answer(dict(base)), 1, False, "41872306"),
            ("flag as text", api_answer(dict(base, tarnelOcpc="1")), 2, False, ""),
            ("other code", api_answer(dict(base, tarnelOcpc=1), code="server.busy"), 1, False, ""),
            ("no data", api_answer(None), 1, False, ""),
        ]
        for name, answer, state, flag, app_id in cases:
            with self.subTest(name):
                stack = self.serve({"api": {"welcome": answer}})
                r = self.driver("serverinfo", "c1")
                stack.stop()
                self.assertEqual((r["state"], r["tarnelOcpc"], r["appId"]), (state, flag, app_id))


class BannerTest(StackCase):
    def test_installer_config_names_the_image(self):
        banner = os.path.join(ROOT, "src", "res", "installer.ico")  # any bytes will do
        with open(banner, "rb") as f:
            digest = hashlib.md5(f.read()).hexdigest()
        no_url = api_answer({"ProductsShow": {}})
        cases = [("image named", {}, digest), ("no gif_url", {"installerConfig": no_url}, ""),
                 ("other code", {"installerConfig": api_answer({"ProductsShow": {
                     "gif_url": "http://api.vexra.test/banner/b.gif"}}, code="x")}, "")]
        for name, api, md5 in cases:
            with self.subTest(name):
                stack = self.serve({"api": dict(api, banner=banner)})
                r = self.driver("banner")
                stack.stop()
                self.assertEqual(r["md5"], md5)
                image_requests = [e for e in self.requests(stack, "api") if e["path"].startswith("/banner/")]
                self.assertEqual(len(image_requests), 1 if md5 else 0)
                config = [e for e in self.requests(stack, "api") if "installerConfig" in e["path"]]
                self.assertEqual(config[0]["path"], "/applicationService/app/installerConfig?appId=41872306")


class QueryTest(StackCase):
    def test_redirects_file_names_and_sizes(self):
        cases = [
            ("relative redirect uses the query host and port",
             {"/r": {"status": 302, "location": "/pkg/VexraImgConverter_setup.exe"}},
             "http://cdn.vexra.test/r", "http://cdn.vexra.test:80/pkg/VexraImgConverter_setup.exe", None),
            ("absolute redirect chain to another host",
             {"/a": {"status": 301, "location": "http://cdn2.vexra.test/b"},
              "/b": {"status": 307, "location": "http://cdn.vexra.test/pkg/VexraImgConverter_setup.exe"}},
             "http://cdn.vexra.test/a", PKG_URL, None),
            ("quoted file name with a blank",
             {"/n": {"package": True, "filename": '"a b.exe"'}}, "http://cdn.vexra.test/n",
             "http://cdn.vexra.test/n", "a b.exe"),
            ("a path in the file name falls back to the own name",
             {"/n": {"package": True, "filename": '"..\\..\\Windows\\evil.exe"'}}, "http://cdn.vexra.test/n",
             "http://cdn.vexra.test/n", "download_driver_install.exe"),
            ("a reserved device name falls back too",
             {"/n": {"package": True, "filename": "nul.exe"}}, "http://cdn.vexra.test/n",
             "http://cdn.vexra.test/n", "download_driver_install.exe"),
        ]
        for name, routes, url, final, file_name in cases:
            with self.subTest(name):
                stack = self.serve({"package": {"size": 5000}, "cdn": {"routes": routes}})
                r = self.driver("query", url)
                stack.stop()
                self.assertEqual(r["urls"], [final])
                self.assertEqual(r["size"], 5000)
                self.assertEqual(r["fileName"], file_name or "download_driver_install.exe")

    def test_redirect_loop_is_bounded(self):
        stack = self.serve({"cdn": {"routes": {"/x": {"status": 302, "location": "/y"},
                                               "/y": {"status": 302, "location": "/x"}}}})
        r = self.driver("query", "http://cdn.vexra.test/x")
        self.assertEqual((r["size"], r["urls"]), (0, []))
        self.assertLessEqual(len(self.requests(stack, "cdn", "HEAD")), 12)
        self.assertIn(("vSoftDownloadError", {"error_type": "获取下载信息线程出错", "error_status": "获取头信息失败"}),
                      self.events())

    def test_fallback_names_from_the_own_file_name(self):
        for own, expected in [("setup.exe", "setup_install_v2.1.0.3.exe"),
                              ("x_install.exe", "x_install_v2.1.0.3.exe")]:
            with self.subTest(own):
                stack = self.serve({"version": "2.1.0.3"})
                r = self.driver("query", exe=harness.place_installer(own, source=DRIVER))
                stack.stop()
                self.assertEqual(r["fileName"], expected)
                self.assertEqual(r["urls"], [PKG_URL])

    def test_missing_content_length_falls_back_to_the_built_in_url(self):
        stack = self.serve({"package": {"size": 7000}, "cdn": {"routes": {
            "/pkg/VexraImgConverter_setup.exe": {"package": True, "length": False}}}})
        r = self.driver("query")
        self.assertEqual(r["urls"], [BUILT_IN_URL])
        self.assertEqual(r["size"], 7000)
        heads = [e["path"] for e in self.requests(stack, "cdn", "HEAD")]
        self.assertEqual(heads, ["/pkg/VexraImgConverter_setup.exe", vendor_stack.PACKAGE_PATH])

    def test_package_info_pending_for_ten_seconds_takes_the_built_in_url(self):
        self.serve({"api": {"getAppVersion": api_answer(pkg_data(), delay=40)}})
        r = self.driver("query")
        self.assertEqual(r["urls"], [BUILT_IN_URL])
        self.assertGreaterEqual(r["ms"], 10000)
        self.assertLess(r["ms"], 20000)


class DownloadTest(StackCase):
    def download(self, *args, **kw):
        r = self.driver("download", *args, **kw)
        return r

    def assert_package(self, r, stack):
        self.assertEqual(r["state"], 4, r)
        self.assertEqual(r["md5"], stack.md5)
        with open(harness.drive_c(*r["path"][3:].split("\\")), "rb") as f:
            self.assertEqual(f.read(), stack.package)

    def test_two_ranges_of_an_odd_size_and_remembering(self):
        stack = self.serve({"package": {"size": 1000001}})
        r = self.download()
        self.assert_package(r, stack)
        self.assertEqual(sorted(e["range"] for e in self.gets(stack)), [[0, 499999], [500000, 1000000]])
        self.assertEqual([name for name, _ in self.events()], ["vSoftDownloadStart", "pSoftDownloadResult"])
        self.assertEqual(self.events()[1][1]["soft_download_status"], "下载成功")
        self.assertEqual((r["rememberedMd5"], r["rememberedPath"]), (stack.md5, r["path"]))
        ini = dict(harness.read_ini())
        self.assertEqual((ini["md5"], ini["path"]), (stack.md5, r["path"]))

    def test_drop_after_300000_bytes_resumes_there(self):
        stack = self.serve({"package": {"size": 1000001},
                            "cdn": {"faults": [{"kind": "drop", "after": 300000, "from": 0}]}})
        r = self.download()
        self.assert_package(r, stack)
        first = [e["range"] for e in self.gets(stack) if e["range"][1] == 499999]
        self.assertEqual(first, [[0, 499999], [300000, 499999]])

    def test_one_byte_range(self):
        stack = self.serve({"package": {"size": 3}})
        r = self.download()
        self.assert_package(r, stack)
        self.assertEqual(sorted(e["range"] for e in self.gets(stack)), [[0, 0], [1, 2]])

    def test_answers_that_are_not_the_range_are_retried_not_written(self):
        for kind, extra in [("ignore_range", {}), ("status", {"status": 404}), ("status", {"status": 500}),
                            ("wrong_range", {}), ("overlong", {}), ("split_header", {}), ("reset", {}),
                            ("stall", {"after": 1000, "seconds": 4})]:
            with self.subTest(kind + str(extra)):
                shutil.rmtree(package_folder(), ignore_errors=True)
                stack = self.serve({"package": {"size": 400000},
                                    "cdn": {"faults": [dict({"kind": kind, "from": 200000}, **extra)]}})
                r = self.download()
                stack.stop()
                self.assert_package(r, stack)
                second = [e["range"] for e in self.gets(stack) if e["range"][1] == 399999]
                retried = kind not in ("overlong", "split_header")
                self.assertEqual(len(second), 2 if retried else 1, second)

    def test_md5_mismatch_resets_and_downloads_again(self):
        stack = self.serve({"package": {"size": 300000},
                            "cdn": {"faults": [{"kind": "corrupt", "from": 0}]}})
        r = self.download("--restarts", "2")
        self.assert_package(r, stack)
        self.assertEqual(r["starts"], 2)
        self.assertEqual(sorted(e["range"] for e in self.gets(stack)),
                         [[0, 149999], [0, 149999], [150000, 299999], [150000, 299999]])

    def test_no_md5_is_accepted_and_its_own_digest_remembered(self):
        stack = self.serve({"package": {"size": 50000},
                            "api": {"getAppVersion": api_answer(pkg_data(md5=None))}})
        r = self.download()
        self.assert_package(r, stack)
        self.assertEqual(r["rememberedMd5"], stack.md5)

    def test_remembered_copy_is_reused_without_downloading(self):
        scenario = {"package": {"file": SETUP_EXE}, "version": "2.1.0.3"}
        stack = self.serve(scenario)
        first = self.download()
        self.assert_package(first, stack)
        stack.stop()
        stack = self.serve(scenario)
        self.clear_events()
        second = self.download()
        self.assertEqual((second["state"], second["path"]), (4, first["path"]))
        self.assertEqual(self.gets(stack), [])
        self.assertEqual(self.events(), [("vSoftDownloadStart", {}), ("pSoftDownloadResult", {
            "soft_download_status": "存在本地文件", "download_time": -1})])

    def test_newer_offer_is_downloaded_despite_a_remembered_copy(self):
        stack = self.serve({"package": {"file": SETUP_EXE}, "version": "2.1.0.3"})
        self.assert_package(self.download(), stack)
        stack.stop()
        stack = self.serve({"package": {"file": SETUP_EXE}, "version": "2.1.0.4"})
        self.assert_package(self.download(), stack)
        self.assertEqual(len(self.gets(stack)), 2)

    def test_channel_build_stores_the_fixed_name(self):
        stack = self.serve({"package": {"size": 20000}, "cdn": {"routes": {
            "/pkg/VexraImgConverter_setup.exe": {"package": True, "filename": "server-name.exe"}}}})
        r = self.download(exe=DRIVER_QIHU)
        self.assert_package(r, stack)
        self.assertTrue(r["path"].endswith("\\VXImgConverter\\install_qihu3600.exe"), r["path"])
        plain = self.download()
        self.assertTrue(plain["path"].endswith("\\server-name.exe"), plain["path"])

    def test_no_network_and_nothing_remembered_fails(self):
        self.serve({"api": {"host_down": True, "ip_down": True}, "support": {"down": True}, "cdn": {"down": True}})
        r = self.download()
        self.assertEqual(r["state"], 5)
        errors = [p for name, p in self.events() if name == "vSoftDownloadError"]
        self.assertEqual(errors, [{"error_type": "获取下载信息线程出错", "error_status": "网络失败"},
                                  {"error_type": "下载线程出错", "error_status": "参数错误"}])


class SetupTest(StackCase):
    def tearDown(self):
        wine("reg", "delete", UNINSTALL_KEY, "/f")

    def test_command_line_and_exit_codes(self):
        folder = "C:\\vexra-tests\\inst x y"
        setup = harness.winpath(SETUP_EXE)
        cases = [("plan", "0", "succeeded", "0"), ("noplan", "0", "succeeded", "0"),
                 ("plan", "2", "failed", "2"), ("noplan", "-1", "failed", "4294967295")]
        for plan, code, outcome, reported in cases:
            with self.subTest(plan=plan, code=code):
                shutil.rmtree(harness.drive_c("vexra-tests", "inst x y"), ignore_errors=True)
                self.clear_events()
                r = self.driver("setup", setup, folder, plan, env={"VEXRA_SETUP_EXIT_CODE": code})
                self.assertEqual((r["outcome"], r["exitCode"]), (outcome, reported))
                expected_events = [("vSoftInstallStart", {})]
                if outcome == "failed":
                    expected_events.append(("vSoftInstallError", {"error_status": reported}))
                self.assertEqual(self.events(), expected_events)
                expected = '"%s" /SILENT /VERYSILENT /SP- /noicons %s-nowelcome /DIR="%s"' % (
                    setup, "" if plan == "plan" else "-noexperience ", folder)
                self.assertEqual(r["commandLine"], expected)
                with open(harness.drive_c("vexra-tests", "inst x y", "setup-switches.txt"), encoding="utf-8") as f:
                    got = dict(line.split("=", 1) for line in f.read().splitlines())
                self.assertEqual(got["command_line"], expected)  # the line arrives unchanged
                self.assertEqual(got["noexperience"], "0" if plan == "plan" else "1")
                self.assertEqual(got["dir"], folder)

    def test_a_setup_that_cannot_start_is_a_failure(self):
        r = self.driver("setup", "C:\\vexra-tests\\missing\\setup.exe", "C:\\vexra-tests\\never", "plan")
        self.assertEqual(r["outcome"], "failed")
        self.assertNotEqual(r["exitCode"], "0")

    def test_download_then_install(self):
        stack = self.serve({"package": {"file": SETUP_EXE}})
        shutil.rmtree(harness.drive_c("vexra-tests", "product"), ignore_errors=True)
        lines = self.driver("install", "C:\\vexra-tests\\product", "noplan")
        self.assertEqual(lines[0]["md5"], stack.md5)
        self.assertEqual(lines[1]["outcome"], "succeeded")
        self.assertTrue(os.path.exists(harness.drive_c("vexra-tests", "product", "VexraImgConverter.exe")))
        rc, out = wine("reg", "query", UNINSTALL_KEY, "/v", "DisplayIcon")
        self.assertIn("C:\\vexra-tests\\product\\VexraImgConverter.exe", out)


class RandomFaultTest(StackCase):
    """Downloads against randomly chosen faults: a package is never accepted with other bytes."""

    def run_many(self, count, answer, kinds, seed):
        stack = self.serve({"package": {"size": 300001, "seed": seed},
                            "api": {"getAppVersion": answer},
                            "cdn": {"random_faults": {"seed": seed, "probability": 0.5, "kinds": kinds}}})
        lines = self.driver("repeat", str(count), "--restarts", "3", timeout=900)
        lines = lines if isinstance(lines, list) else [lines]
        self.assertEqual(len(lines), count)
        accepted = [r for r in lines if r["state"] == 4]
        for r in accepted:
            self.assertEqual(r["md5"], stack.md5)
        faults = [e["fault"] for e in self.gets(stack) if e.get("fault")]
        return len(accepted), faults

    def test_with_md5_every_fault_kind(self):
        kinds = ["drop", "ignore_range", "status", "split_header", "wrong_range", "overlong", "reset", "corrupt"]
        accepted, faults = self.run_many(100, api_answer(pkg_data()), kinds, 11)
        self.assertGreaterEqual(accepted, 95)
        self.assertEqual(set(faults), set(kinds))

    def test_without_md5_the_ranges_alone_keep_the_bytes(self):
        # No digest to catch a mistake: only the range checks stand between a fault and a bad package.
        kinds = ["drop", "ignore_range", "status", "split_header", "wrong_range", "overlong", "reset"]
        accepted, faults = self.run_many(40, api_answer(pkg_data(md5=None)), kinds, 23)
        self.assertGreaterEqual(accepted, 38)
        self.assertEqual(set(faults), set(kinds))


if __name__ == "__main__":
    netns.enter()
    unittest.main()
