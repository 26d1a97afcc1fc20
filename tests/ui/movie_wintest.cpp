#include "ui/movie_resource.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>

#include "net/app_environment.h"
#include "ui_support.h"

namespace {

// What the banner's fetch hands back in a test, and what it was asked for.
struct FetchScript {
  std::mutex mutex;
  std::string bytes;
  std::atomic<int> calls{0};
  std::string host, path;
  uint16_t port = 0;
};
FetchScript g_script;

std::string ScriptedFetch(const std::string& host, uint16_t port, const std::string& path) {
  std::lock_guard<std::mutex> hold(g_script.mutex);
  ++g_script.calls;
  g_script.host = host;
  g_script.port = port;
  g_script.path = path;
  return g_script.bytes;
}

std::string ThrowingFetch(const std::string&, uint16_t, const std::string&) { throw std::runtime_error("socket recv failed"); }

// A hidden window that counts WM_APP+124 and notes the frame that was current at each.
class FrameCounter {
 public:
  FrameCounter() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &FrameCounter::Proc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"VexraMovieTestSink";
    ::RegisterClassW(&wc);
    hwnd_ = ::CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance, nullptr);
    ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  ~FrameCounter() { ::DestroyWindow(hwnd_); }
  HWND Hwnd() const { return hwnd_; }
  CMovieResource* movie = nullptr;
  std::vector<int32_t> frames;  // current frame at each message
  std::vector<DWORD> times;

 private:
  static LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<FrameCounter*>(::GetWindowLongPtrW(h, GWLP_USERDATA));
    if (self && m == kMsgMovieFrame) {
      self->frames.push_back(self->movie ? self->movie->CurrentFrame() : -1);
      self->times.push_back(::GetTickCount());
      return 0;
    }
    return ::DefWindowProcW(h, m, wp, lp);
  }
  HWND hwnd_;
};

class Movie : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!GetAppEnvironment()) CreateAppEnvironment();
    GetAppEnvironment()->scale = 1.0;
    std::lock_guard<std::mutex> hold(g_script.mutex);
    g_script.bytes.clear();
    g_script.calls = 0;
  }
  void Script(const std::string& bytes) {
    std::lock_guard<std::mutex> hold(g_script.mutex);
    g_script.bytes = bytes;
  }
  std::unique_ptr<CMovieResource> Make(const std::string& host = "api.vexra.test", BannerFetch fetch = &ScriptedFetch) {
    MovieParams p;
    p.notifyWindow = sink_.Hwnd();
    p.configHost = host;
    p.configPort = 80;
    p.configPath = "/applicationService/app/installerConfig?appId=41872306";
    p.builtinImage = builtin_.get();
    p.fetch = fetch;
    auto movie = std::make_unique<CMovieResource>(p, 3, nullptr);
    movie->SetRect(0, 0, 200, 100);
    sink_.movie = movie.get();
    return movie;
  }
  void Paint(CMovieResource& m) {
    Surface s(200, 100);
    m.Draw(s.Dc());
  }
  // Waits until `n` frame messages arrived or `ms` passed.
  void WaitFrames(size_t n, DWORD ms) {
    DWORD end = ::GetTickCount() + ms;
    while (sink_.frames.size() < n && static_cast<int32_t>(end - ::GetTickCount()) > 0) PumpFor(5);
  }

  GdiplusScope gdiplus_;
  std::unique_ptr<Gdiplus::Bitmap> builtin_ = MakePicture(400, 100, 0xFF00FF00);  // 4:1 built-in banner
  FrameCounter sink_;
};

TEST_F(Movie, NothingIsFetchedBeforeTheFirstPaintThenExactlyOnce) {
  Script(ResourceBytes(201));
  auto m = Make();
  PumpFor(100);
  EXPECT_EQ(g_script.calls.load(), 0);
  Paint(*m);
  WaitFrames(1, 2000);
  EXPECT_EQ(g_script.calls.load(), 1);
  EXPECT_EQ(g_script.host, "api.vexra.test");
  EXPECT_EQ(g_script.port, 80);
  EXPECT_EQ(g_script.path, "/applicationService/app/installerConfig?appId=41872306");
  Paint(*m);
  PumpFor(50);
  EXPECT_EQ(g_script.calls.load(), 1);
}

TEST_F(Movie, AnimatedGifCyclesItsFramesWithTheirDelays) {
  Script(ResourceBytes(201));  // three frames: 100, 200, 300 ms
  auto m = Make();
  Paint(*m);
  DWORD painted = ::GetTickCount();
  WaitFrames(4, 3000);
  ASSERT_GE(sink_.frames.size(), 4u);
  EXPECT_EQ(m->FrameCount(), 3);
  EXPECT_EQ(m->FrameDelays(), (std::vector<uint32_t>{10, 20, 30}));
  EXPECT_TRUE(m->HasDownloadedImage());
  // The first message comes after the first frame's delay, with the second frame current; after the
  // last frame it starts again at the first.
  EXPECT_EQ((std::vector<int32_t>(sink_.frames.begin(), sink_.frames.begin() + 4)), (std::vector<int32_t>{1, 2, 0, 1}));
  EXPECT_GE(sink_.times[0] - painted, 90u);
  EXPECT_GE(sink_.times[1] - sink_.times[0], 190u);
  EXPECT_GE(sink_.times[2] - sink_.times[1], 290u);
  EXPECT_LT(sink_.times[2] - sink_.times[1], 600u);
  // The picture is 2:1, so it is drawn as 200 x 100 in the 200 x 100 widget.
  EXPECT_EQ(m->DrawRect(), (ui::Rect{0, 0, 200, 100}));
}

TEST_F(Movie, PausingSuppressesRepaintRequestsButFramesKeepAdvancing) {
  Script(ResourceBytes(201));
  auto m = Make();
  m->SetPaused(true);
  Paint(*m);
  PumpFor(700);  // 100 + 200 + 300 ms: a full cycle and more
  EXPECT_TRUE(sink_.frames.empty());
  int32_t reached = m->CurrentFrame();
  m->SetPaused(false);
  WaitFrames(1, 2000);
  ASSERT_FALSE(sink_.frames.empty());
  EXPECT_EQ(sink_.frames[0], (reached + 1) % 3);  // continues from where it got to while paused
  EXPECT_TRUE(m->HasDownloadedImage());
}

TEST_F(Movie, StillPictureIsShownOnceAndNeverAnimated) {
  Script(ResourceBytes(202));
  auto m = Make();
  Paint(*m);
  WaitFrames(1, 2000);
  PumpFor(300);
  EXPECT_EQ(sink_.frames, std::vector<int32_t>{0});
  EXPECT_TRUE(m->HasDownloadedImage());
  // Fitted by its own 2:1 proportions, not squeezed into the 4:1 built-in banner's rectangle.
  EXPECT_EQ(m->DrawRect(), (ui::Rect{0, 0, 200, 100}));
}

TEST_F(Movie, BuiltInBannerStaysWhenNothingUsableArrives) {
  struct Case {
    const char* name;
    std::string host;
    std::string bytes;
    BannerFetch fetch;
    int calls;
  } cases[] = {
      {"empty config host", "", ResourceBytes(201), &ScriptedFetch, 0},
      {"no bytes", "api.vexra.test", "", &ScriptedFetch, 1},
      {"bytes that are no picture", "api.vexra.test", "<html>502 Bad Gateway</html>", &ScriptedFetch, 1},
      {"failing exchange", "api.vexra.test", "", &ThrowingFetch, 0},
  };
  for (const auto& c : cases) {
    g_script.calls = 0;
    sink_.frames.clear();
    Script(c.bytes);
    auto m = Make(c.host, c.fetch);
    Paint(*m);
    PumpFor(200);
    EXPECT_EQ(g_script.calls.load(), c.calls) << c.name;
    EXPECT_FALSE(m->HasDownloadedImage()) << c.name;
    EXPECT_TRUE(sink_.frames.empty()) << c.name;
    // The built-in 4:1 banner is what gets drawn.
    EXPECT_EQ(m->DrawRect(), (ui::Rect{0, 25, 200, 75})) << c.name;
    Surface s(200, 100);
    m->Draw(s.Dc());
    EXPECT_EQ(s.At(100, 50), 0xFF00FF00u) << c.name;
    EXPECT_EQ(s.At(100, 10), 0u) << c.name;
    sink_.movie = nullptr;
  }
}

TEST_F(Movie, DownloadedFrameIsWhatGetsDrawn) {
  Script(ResourceBytes(201));
  auto m = Make();
  m->SetPaused(true);
  Paint(*m);
  DWORD end = ::GetTickCount() + 2000;
  while (!m->HasDownloadedImage() && static_cast<int32_t>(end - ::GetTickCount()) > 0) ::Sleep(5);
  ASSERT_TRUE(m->HasDownloadedImage());
  const uint32_t colours[3] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF};
  Surface s(200, 100);
  m->Draw(s.Dc());
  int32_t frame = m->CurrentFrame();
  uint32_t seen = s.At(100, 50);
  // The frame may advance between the two reads; the colour must be that of one of them.
  EXPECT_TRUE(seen == colours[frame] || seen == colours[(frame + 2) % 3]) << std::hex << seen;
}

TEST_F(Movie, FramesThatSayZeroAreShownForATenthOfASecondInsteadOfSpinning) {
  Script(ResourceBytes(204));
  auto m = Make();
  Paint(*m);
  PumpFor(550);
  EXPECT_EQ(m->FrameDelays(), (std::vector<uint32_t>{0, 0}));
  EXPECT_GE(sink_.frames.size(), 3u);
  EXPECT_LE(sink_.frames.size(), 6u);
}

TEST_F(Movie, DestructionDoesNotWaitOutALongFrameDelay) {
  Script(ResourceBytes(203));  // 50 ms, then a frame of 3 seconds
  auto m = Make();
  Paint(*m);
  WaitFrames(1, 2000);  // now in the 3-second frame
  ASSERT_EQ(sink_.frames, std::vector<int32_t>{1});
  DWORD before = ::GetTickCount();
  m.reset();
  EXPECT_LT(::GetTickCount() - before, 1000u);

  auto unpainted = Make();  // never painted: ends within its 10 ms poll, fetches nothing
  before = ::GetTickCount();
  g_script.calls = 0;
  unpainted.reset();
  EXPECT_LT(::GetTickCount() - before, 1000u);
  EXPECT_EQ(g_script.calls.load(), 0);
}

}  // namespace
