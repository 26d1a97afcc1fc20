#include "telemetry/c_logger_server.h"

#include <gtest/gtest.h>

#include <set>
#include <thread>

#include "endpoints.h"
#include "platform/files.h"
#include "sdk_test_support.h"

namespace {

using FieldList = std::vector<std::pair<int, std::string>>;
using Strings = std::vector<std::string>;

// The record lines of one kind, in order.
std::vector<Json::Value> OfType(const std::vector<Json::Value>& records, int type) {
  std::vector<Json::Value> out;
  for (const auto& r : records)
    if (r["type"].asInt() == type) out.push_back(r);
  return out;
}

// The first call of that name, or a null value.
Json::Value FindCall(const std::vector<Json::Value>& calls, const std::string& name) {
  for (const auto& c : calls)
    if (c["call"].asString() == name) return c;
  return Json::Value();
}

size_t Count(const Strings& list, const std::string& item) { return std::count(list.begin(), list.end(), item); }

}  // namespace

TEST(LoggerDeployment, FirstRunUnpacksTheSdkAndStartsItWithTheInstallersIdentity) {
  SdkMachine machine;
  ASSERT_FALSE(FolderExists(machine.SdkFolder()));
  auto logger = machine.Logger();

  for (const wchar_t* name : {L"Yelk.dll", L"TNUID.dll", L"Yelk.exe"})
    EXPECT_TRUE(FileExists(machine.SdkFolder() + name)) << WideToUtf8(name);
  EXPECT_TRUE(FileExists(machine.RunFolder() + L"Yelk.zip"));
  EXPECT_EQ(logger->SdkLibraryPath(), machine.SdkFolder() + L"Yelk.dll");
  EXPECT_EQ(logger->AsUserLibraryPath(), machine.SdkFolder() + L"TaskAsUser.dll");

  auto calls = machine.Calls();
  EXPECT_EQ(CallNames(calls), (Strings{"yelkCreate", "yelkSetApplyKey", "yelkSetAppInfo", "yelkSetHostInfo",
                                       "yelkSetSensorUrl", "yelkSetMidVersion", "yelkSetPubCertificate",
                                       "yelkSetPriCcertificate", "yelkEnableCrashReport"}));
  ASSERT_EQ(calls.size(), 9u);
  EXPECT_EQ(calls[1]["app_id"].asString(), "41872306");
  EXPECT_EQ(calls[1]["app_key"].asString(), "7D0A9E21B4C86F53E19A0D7C2B54F8E6");
  EXPECT_EQ(calls[2]["name"].asString(), "win_installer");
  EXPECT_EQ(calls[2]["a"].asInt() | calls[2]["b"].asInt(), 0);
  EXPECT_EQ(calls[3]["host"].asString(), endpoints::kAnalyticsHost);
  EXPECT_EQ(calls[3]["port"].asInt(), 80);
  EXPECT_EQ(calls[4]["url"].asString(), "/sa?project=production");
  EXPECT_EQ(calls[5]["version"].asInt(), 1);
  EXPECT_EQ(calls[6]["length"].asInt(), 392);
  EXPECT_EQ(calls[7]["length"].asInt(), 1588);
  EXPECT_EQ(calls[8]["context"].asInt(), 1);

  EXPECT_TRUE(logger->TrackEvent("vResourceMgrStart"));
  EXPECT_EQ(machine.Records().size(), 1u);
}

TEST(LoggerDeployment, WithoutPerRunFolderTheArchiveCopyGoesToTheCurrentFolder) {
  SdkMachine machine;
  wchar_t previous[MAX_PATH] = {};
  ::GetCurrentDirectoryW(MAX_PATH, previous);
  ASSERT_TRUE(::SetCurrentDirectoryW(machine.Path().c_str()));
  SdkPlace place = machine.Place(kArchiveSdk);
  place.runFolder.clear();
  CLoggerServer logger(place);
  ::SetCurrentDirectoryW(previous);
  EXPECT_TRUE(FileExists(machine / L"Yelk.zip"));
  EXPECT_TRUE(logger.TrackEvent("vSoftQuit"));
}

// Each archive leaves the logger in its own state; records and events need the whole start-up, the
// services only the loaded library.
TEST(LoggerDeployment, EachSdkVariantLeavesTheLoggerInItsState) {
  const struct {
    const char* what;
    int archive;
    bool records;
    bool services;
    bool started;  // yelkCreate was called
    bool kept;     // the start-up block was kept: Release frees the handle, Init restarts the SDK
  } cases[] = {
      {"complete SDK", kArchiveSdk, true, true, true, true},
      {"no yelkSetMidVersion: still starts", kArchiveNoMidVersion, true, true, true, true},
      {"no yelkSetSensorUrl: binding fails before start-up", kArchiveNoSensorUrl, false, true, false, false},
      {"yelkSetAppInfo refuses: start-up fails", kArchiveFailAppInfo, false, true, true, false},
      {"no yelkCLTFree: record block missing", kArchiveNoRecordFree, false, true, true, true},
      {"no archive resource", kArchiveMissing, false, false, false, false},
      {"truncated archive, nothing left by an earlier run", kArchiveTruncated, false, false, false, false},
      {"not a zip, nothing left by an earlier run", kArchiveNotAZip, false, false, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    SdkMachine machine;
    auto logger = machine.Logger(c.archive);
    EXPECT_EQ(logger->TrackEvent("pSoftInstall"), c.records);
    EXPECT_EQ(logger->ReportAction("0001", "0002", ""), c.records);
    EXPECT_EQ(logger->ReportLaunch(1, "", "", ""), c.records);
    EXPECT_EQ(logger->ReportLifecycle(4, "0001", "0001", "setup", "", {}), c.records);
    EXPECT_EQ(machine.Records().size(), c.records ? 4u : 0u);
    EXPECT_EQ(!logger->GetMid().empty(), c.services);
    EXPECT_EQ(logger->OpenUrl("http://www.vexra.test/"), c.services);
    Strings calls = machine.CallList();
    EXPECT_EQ(Count(calls, "yelkCreate"), c.started ? 1u : 0u);
    EXPECT_EQ(Count(calls, "yelkOpenUrl"), c.services ? 1u : 0u);
    if (!c.services) EXPECT_FALSE(FileExists(machine.SdkFolder() + L"Yelk.dll"));
    // The as-user fallback never uses the given verb; it reports false whatever happens.
    EXPECT_FALSE(logger->OpenAsUser("open", "", "", "", SW_SHOWNORMAL));

    EXPECT_TRUE(logger->Release());
    logger->Init();
    calls = machine.CallList();
    EXPECT_EQ(Count(calls, "yelkFree"), c.kept ? 1u : 0u);
    EXPECT_EQ(Count(calls, "yelkCreate"), (c.started ? 1u : 0u) + (c.kept ? 1u : 0u));
  }
}

TEST(LoggerDeployment, ACorruptArchiveStillLoadsTheSdkAnEarlierRunLeft) {
  for (int archive : {kArchiveTruncated, kArchiveNotAZip}) {
    SCOPED_TRACE(archive);
    SdkMachine machine;
    machine.Leave(StandIn(L"sdk", L"Yelk.dll"), L"Yelk.dll");
    auto logger = machine.Logger(archive);
    EXPECT_FALSE(FileExists(machine.SdkFolder() + L"TNUID.dll")) << "nothing is unpacked";
    EXPECT_TRUE(logger->TrackEvent("pSoftInstall"));
    EXPECT_EQ(machine.Records().size(), 1u);
  }
}

TEST(LoggerDeployment, AYelkDllInUseFromAnEarlierRunIsLoadedAndTheOtherFilesAreStillUnpacked) {
  SdkMachine machine;
  // The earlier run's library is one whose start-up fails, so which one got loaded shows in the state.
  machine.Leave(StandIn(L"fail_app_info", L"Yelk.dll"), L"Yelk.dll");
  HANDLE inUse = ::CreateFileW((machine.SdkFolder() + L"Yelk.dll").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                               OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(inUse, INVALID_HANDLE_VALUE);
  auto logger = machine.Logger();
  ::CloseHandle(inUse);
  EXPECT_FALSE(logger->TrackEvent("pSoftInstall")) << "the new library would have started";
  EXPECT_FALSE(logger->GetMid().empty()) << "the old library is loaded";
  EXPECT_TRUE(FileExists(machine.SdkFolder() + L"TNUID.dll"));
  EXPECT_TRUE(FileExists(machine.SdkFolder() + L"Yelk.exe"));
}

class LoggerRecords : public testing::Test {
 protected:
  SdkMachine machine;
  std::unique_ptr<CLoggerServer> logger = machine.Logger();
};

TEST_F(LoggerRecords, FieldsAreWrittenByNumberAndEmptyTextsAreLeftOut) {
  ScratchFolder files;
  WriteFileBytes(files / L"dump1.dmp", "x");
  WriteFileBytes(files / L"dump2.dmp", "y");
  CreateFolders(files / L"folder.dmp");
  const std::string dump1 = WideToAnsi(files / L"dump1.dmp"), dump2 = WideToAnsi(files / L"dump2.dmp");

  const struct {
    const char* what;
    std::function<bool(ILoggerServer*)> send;
    int type;
    FieldList fields;
  } cases[] = {
      {"action, empty detail", [](ILoggerServer* l) { return l->ReportAction("0001", "0002", ""); }, 2,
       {{10, "0001"}, {11, "0002"}}},
      {"action with detail", [](ILoggerServer* l) { return l->ReportAction("0007", "0001", "d"); }, 2,
       {{10, "0007"}, {11, "0001"}, {12, "d"}}},
      {"launch", [](ILoggerServer* l) { return l->ReportLaunch(1, "", "", ""); }, 1, {{1, "1"}}},
      {"launch with texts", [](ILoggerServer* l) { return l->ReportLaunch(-7, "a", "", "c"); }, 1,
       {{1, "-7"}, {2, "a"}, {4, "c"}}},
      {"lifecycle of the start", [](ILoggerServer* l) { return l->ReportLifecycle(4, "0001", "0001", "setup_2_U1", "", {}); },
       4, {{50, "4"}, {51, "0001"}, {52, "0001"}, {53, "setup_2_U1"}}},
      {"lifecycle, kind always written", [](ILoggerServer* l) { return l->ReportLifecycle(0, "", "", "", "", {}); }, 4,
       {{50, "0"}}},
      {"lifecycle: only existing files, in list order",
       [&](ILoggerServer* l) {
         return l->ReportLifecycle(1, "0001", "0001", "", "x2",
                                   {dump2, "", WideToAnsi(files / L"missing.dmp"), WideToAnsi(files / L"folder.dmp"), dump1});
       },
       4, {{50, "1"}, {51, "0001"}, {52, "0001"}, {54, "x2"}, {55, dump2}, {55, dump1}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    size_t before = machine.Records().size();
    EXPECT_TRUE(c.send(logger.get()));
    auto records = machine.Records();
    ASSERT_EQ(records.size(), before + 1);
    EXPECT_EQ(records.back()["type"].asInt(), c.type);
    EXPECT_EQ(Fields(records.back()), c.fields);
    EXPECT_FALSE(records.back().isMember("event"));
  }
}

TEST_F(LoggerRecords, EventPropertiesFollowTheStagingRules) {
  const struct {
    const char* what;
    std::function<void(ILoggerServer*)> stage;  // what the sender does before TrackEvent
    Strings properties;
  } cases[] = {
      {"by set, then by name",
       [](ILoggerServer* l) {
         l->ClearProperties();
         l->SetStringProperty("windows_name", "立即安装");
         l->SetBoolProperty("is_reinstall", true);
         l->SetIntProperty("download_time", 12);
         l->SetStringProperty("browser_name", "x");
         l->SetIntProperty("browser_num", 2);
         l->SetBoolProperty("choose_join_plan", false);
       },
       {"int browser_num=2", "int download_time=12", "bool choose_join_plan=false", "bool is_reinstall=true",
        "string browser_name=x", "string windows_name=立即安装"}},
      {"a name set twice keeps its first value",
       [](ILoggerServer* l) {
         l->ClearProperties();
         l->SetStringProperty("error_status", "磁盘空间不足");
         l->SetStringProperty("error_status", "最大磁盘空间不足");
       },
       {"string error_status=磁盘空间不足"}},
      {"without ClearProperties the previous event's properties come along",
       [](ILoggerServer* l) { l->SetIntProperty("conn_type", 1); },
       {"int conn_type=1", "string error_status=磁盘空间不足"}},
      {"an empty text is sent", [](ILoggerServer* l) {
         l->ClearProperties();
         l->SetStringProperty("parent_app_name", "");
       },
       {"string parent_app_name="}},
      {"texts arrive byte for byte", [](ILoggerServer* l) {
         l->ClearProperties();
         l->SetStringProperty("host_name", "a\"b\\c\nd\te\x01");
       },
       {"string host_name=a\"b\\c\nd\te\x01"}},
      {"no properties", [](ILoggerServer* l) { l->ClearProperties(); }, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    c.stage(logger.get());
    EXPECT_TRUE(logger->TrackEvent("vTest"));
    auto records = machine.Records();
    ASSERT_FALSE(records.empty());
    EXPECT_EQ(records.back()["type"].asInt(), 6);
    EXPECT_EQ(records.back()["event"].asString(), "vTest");
    EXPECT_EQ(Properties(records.back()), c.properties);
    EXPECT_TRUE(records.back()["fields"].empty());
  }
}

TEST_F(LoggerRecords, SerialsCountEventsWithinTheCurrentSecond) {
  const int64_t before = NowSeconds();
  for (int i = 0; i < 3; ++i) {
    logger->ClearProperties();
    ASSERT_TRUE(logger->TrackEvent("vSerial"));
  }
  const int64_t after = NowSeconds();
  auto events = OfType(machine.Records(), 6);
  ASSERT_EQ(events.size(), 3u);
  for (size_t i = 0; i < events.size(); ++i) {
    int64_t serial = events[i]["serial"].asInt64();
    EXPECT_GE(serial / 100, before % 10000000);
    EXPECT_LE(serial / 100, after % 10000000);
    if (i > 0) EXPECT_EQ(serial % 100, (events[i - 1]["serial"].asInt64() % 100 + 1) % 100);
  }
}

TEST_F(LoggerRecords, AfterReleaseNothingArrivesButServicesStillReachTheSdk) {
  ASSERT_TRUE(logger->TrackEvent("vJoinPlan"));
  EXPECT_TRUE(logger->Release());
  EXPECT_TRUE(logger->Release());  // the second finds no handle
  EXPECT_FALSE(logger->TrackEvent("pSoftInstallResult"));
  EXPECT_FALSE(logger->ReportAction("0004", "0001", ""));
  EXPECT_FALSE(logger->ReportLifecycle(4, "0001", "0002", "", "", {}));
  EXPECT_FALSE(logger->ReportLaunch(1, "", "", ""));
  EXPECT_FALSE(logger->GetMid().empty());
  EXPECT_TRUE(logger->OpenUrl("http://www.vexra.test/down?id=1"));
  EXPECT_FALSE(logger->OpenUrl(""));

  EXPECT_EQ(machine.Records().size(), 1u);
  auto calls = machine.Calls();
  Strings names = CallNames(calls);
  EXPECT_EQ(Count(names, "yelkFree"), 1u);
  auto freed = std::find(names.begin(), names.end(), "yelkFree");
  EXPECT_NE(std::find(freed, names.end(), "yelkMid"), names.end());
  Json::Value url = FindCall(calls, "yelkOpenUrl");
  ASSERT_FALSE(url.isNull());
  EXPECT_EQ(url["url"].asString(), "http://www.vexra.test/down?id=1");
  EXPECT_EQ(Count(names, "yelkOpenUrl"), 1u);
  for (const char* never : {"yelkEnableSandbox", "yelkSetNetProtocol", "yelkSetURLVersion"})
    EXPECT_EQ(Count(names, never), 0u) << never;
}

TEST_F(LoggerRecords, InitRestartsOnlyAReleasedSdk) {
  logger->Init();  // running: nothing happens
  EXPECT_EQ(Count(machine.CallList(), "yelkCreate"), 1u);
  logger->Release();
  logger->Init();
  EXPECT_EQ(Count(machine.CallList(), "yelkCreate"), 2u);
  EXPECT_TRUE(logger->TrackEvent("vAgain"));
}

TEST_F(LoggerRecords, HttpDataServicesRoundTripAndGiveNothingOnFailure) {
  const std::string payload("uid=1&\0binary\xff", 15);
  std::string built = logger->BuildHttpData(nullptr, payload);
  EXPECT_FALSE(built.empty());
  EXPECT_NE(built, payload);
  EXPECT_EQ(logger->DecryptData(built), payload);
  EXPECT_EQ(logger->BuildHttpData(nullptr, ""), "");
  EXPECT_EQ(logger->DecryptData("not built by the SDK"), "");
  Json::Value call = FindCall(machine.Calls(), "yelkBuildHttpData");
  ASSERT_FALSE(call.isNull());
  EXPECT_EQ(call["url_version"].asString(), "/v1.1");
  EXPECT_EQ(call["flags"].asInt(), 0);
  EXPECT_EQ(logger->GetMidEx(0), logger->GetMid());
  EXPECT_NE(logger->GetMidEx(3), logger->GetMid());
}

TEST(LoggerOpenAsUser, UsesTaskAsUserWhenPresentAndTheShellOtherwise) {
  const struct {
    const char* what;
    const wchar_t* taskAsUser;  // variant folder, or none
    const char* verb;
    bool result;
    bool viaLibrary;    // ShellExecAsUser was called
    const char* args;   // what the started program got, or null when nothing starts
  } cases[] = {
      {"no TaskAsUser.dll: the shell opens it with \"open\" and nothing else", nullptr, "runas", false, false, "[]"},
      {"TaskAsUser.dll opens it with everything given", L"task_as_user", "open", true, true, "[\"--from-test\"]"},
      {"TaskAsUser.dll, empty verb: nothing opens", L"task_as_user", "", false, false, nullptr},
      {"TaskAsUser.dll without its export: nothing opens", L"task_as_user_no_export", "open", false, false, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    SdkMachine machine;
    if (c.taskAsUser) machine.Leave(StandIn(c.taskAsUser, L"TaskAsUser.dll"), L"TaskAsUser.dll");
    auto logger = machine.Logger();
    const std::string program = WideToUtf8(machine.SdkFolder() + L"Yelk.exe");
    EXPECT_EQ(logger->OpenAsUser(c.verb, program, "--from-test", WideToUtf8(machine.SdkFolder()), SW_HIDE), c.result);
    auto started = [&] { return !FindCall(machine.Calls(), "Yelk.exe").isNull(); };
    if (c.args) {
      ASSERT_TRUE(WaitUntil(started));
      Json::StreamWriterBuilder w;
      w["indentation"] = "";
      EXPECT_EQ(Json::writeString(w, FindCall(machine.Calls(), "Yelk.exe")["args"]), c.args);
    } else {
      ::Sleep(500);
      EXPECT_FALSE(started());
    }
    Json::Value call = FindCall(machine.Calls(), "ShellExecAsUser");
    EXPECT_EQ(!call.isNull(), c.viaLibrary);
    if (!call.isNull()) {
      EXPECT_EQ(call["verb"].asString(), "open");
      EXPECT_EQ(call["file"].asString(), program);
      EXPECT_EQ(call["parameters"].asString(), "--from-test");
      EXPECT_EQ(call["directory"].asString(), WideToUtf8(machine.SdkFolder()));
      EXPECT_EQ(call["show"].asInt(), SW_HIDE);
    }
  }
}

TEST(LoggerCrash, TheCrashCallbackSendsTheFourCrashStepsInOrder) {
  for (bool dumpExists : {true, false}) {
    SCOPED_TRACE(dumpExists ? "dump file present" : "dump file missing");
    SdkMachine machine;
    const std::wstring dump = machine / L"crash.dmp";
    if (dumpExists) WriteFileBytes(dump, "MDMP");
    std::unique_ptr<CLoggerServer> logger;
    {
      ScopedEnv trigger(L"YELK_CRASH_DUMP", dump);
      ScopedEnv delay(L"YELK_CRASH_DELAY_MS", L"200");
      logger = machine.Logger();
    }
    // This thread's staged properties are its own: the crash callback's clearing doesn't touch them.
    logger->ClearProperties();
    logger->SetStringProperty("windows_name", "立即安装");
    ASSERT_TRUE(WaitUntil([&] { return Count(machine.CallList(), "crash-callback-returned") == 1; }));

    auto records = machine.Records();
    ASSERT_EQ(records.size(), 4u);
    FieldList first{{50, "1"}, {51, "0001"}, {52, "0001"}};
    if (dumpExists) first.push_back({55, WideToAnsi(dump)});
    EXPECT_EQ(Fields(records[0]), first);
    EXPECT_EQ(Fields(records[1]), (FieldList{{50, "4"}, {51, "0001"}, {52, "0002"}}));
    EXPECT_EQ(records[2]["event"].asString(), "vSoftDump");
    EXPECT_EQ(Properties(records[2]), Strings{});
    EXPECT_EQ(records[3]["event"].asString(), "vSoftQuit");
    EXPECT_EQ(Properties(records[3]), Strings{"string event_name=软件崩溃"});
    for (const auto& r : records) EXPECT_NE(r["thread"].asUInt(), ::GetCurrentThreadId()) << "the SDK's own thread";

    EXPECT_TRUE(logger->TrackEvent("vInstallPage"));
    EXPECT_EQ(Properties(machine.Records().back()), Strings{"string windows_name=立即安装"});
  }
}

TEST(LoggerCrash, TheCrashCallbackReturnsWhileAnotherThreadIsStuckInTheLogger) {
  SdkMachine machine;
  std::unique_ptr<CLoggerServer> logger;
  ScopedEnv stall(L"YELK_STALL_EVENT", L"vStuck");
  ScopedEnv stallMs(L"YELK_STALL_MS", L"8000");
  {
    ScopedEnv trigger(L"YELK_CRASH_DUMP", machine / L"crash.dmp");
    ScopedEnv afterStall(L"YELK_CRASH_AFTER_STALL", L"1");
    ScopedEnv delay(L"YELK_CRASH_DELAY_MS", L"200");
    logger = machine.Logger();
  }
  std::thread stuck([&] {
    logger->ClearProperties();
    logger->TrackEvent("vStuck");  // holds the logger's lock for 8 s inside the SDK
  });
  bool callbackReturned = WaitUntil([&] { return Count(machine.CallList(), "crash-callback-returned") == 1; }, 12000);
  stuck.join();
  ASSERT_TRUE(callbackReturned) << "the crash callback never returned";

  Strings calls = machine.CallList();
  auto returned = std::find(calls.begin(), calls.end(), "crash-callback-returned");
  auto stallEnd = std::find(calls.begin(), calls.end(), "stall-end");
  EXPECT_LT(returned, stallEnd);
  // What couldn't be locked in time was dropped; the stuck event itself arrived.
  auto records = machine.Records();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0]["event"].asString(), "vStuck");
  EXPECT_TRUE(logger->TrackEvent("vAfter"));
}

TEST(LoggerConcurrency, ConcurrentSendersEachSendExactlyTheirOwnProperties) {
  SdkMachine machine;
  auto logger = machine.Logger();
  constexpr int kThreads = 6, kEvents = 40;
  std::vector<std::thread> senders;
  for (int t = 0; t < kThreads; ++t) {
    senders.emplace_back([&, t] {
      for (int i = 0; i < kEvents; ++i) {
        // The sender's steps are separate calls, interleaving freely with the other threads'.
        logger->ClearProperties();
        logger->SetIntProperty("sender", t);
        logger->SetIntProperty("seq", i);
        if (i % 2) logger->SetBoolProperty("odd", true);
        logger->SetStringProperty("tag", "t" + std::to_string(t) + "-" + std::to_string(i));
        logger->SetStringProperty("tag", "overwritten");
        ASSERT_TRUE(logger->TrackEvent("vStress"));
        if (i % 10 == 0) ASSERT_TRUE(logger->ReportAction("0003", "0001", ""));
      }
    });
  }
  for (auto& s : senders) s.join();

  auto events = OfType(machine.Records(), 6);
  ASSERT_EQ(events.size(), static_cast<size_t>(kThreads * kEvents));
  EXPECT_EQ(OfType(machine.Records(), 2).size(), static_cast<size_t>(kThreads * kEvents / 10));
  std::set<std::string> seen;
  for (const auto& e : events) {
    Strings props = Properties(e);
    ASSERT_GE(props.size(), 3u);
    // "int sender=T", "int seq=I", optional "bool odd=true", "string tag=tT-I"
    int t = std::stoi(props[0].substr(props[0].find('=') + 1));
    int i = std::stoi(props[1].substr(props[1].find('=') + 1));
    Strings expected{"int sender=" + std::to_string(t), "int seq=" + std::to_string(i)};
    if (i % 2) expected.push_back("bool odd=true");
    expected.push_back("string tag=t" + std::to_string(t) + "-" + std::to_string(i));
    EXPECT_EQ(props, expected);
    seen.insert(props.back());
  }
  EXPECT_EQ(seen.size(), events.size()) << "every event arrived once";
}
