// The progress page's banner: shows the built-in skin picture, and once first painted fetches the
// installer config and its (animated) image on its own thread, then animates it frame by frame.
#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/thread.h"
#include "ui/resource.h"

constexpr UINT kMsgMovieFrame = WM_APP + 124;  // posted to the notify window for every frame to show

// The installer-config exchange and its image download: the image bytes, or empty when there are none.
// Runs on the widget's thread and may block as long as the network allows.
using BannerFetch = std::string (*)(const std::string& host, uint16_t port, const std::string& path);
// The fetch every banner uses unless its parameters name one; the HTTP client installs it. Until then
// nothing is fetched and the built-in picture stays.
void SetBannerFetch(BannerFetch fetch);

struct MovieParams {
  HWND notifyWindow = nullptr;
  std::string configHost;
  uint16_t configPort = 80;
  std::string configPath;
  Gdiplus::Image* builtinImage = nullptr;  // owned by the resource manager
  BannerFetch fetch = nullptr;             // null: the one SetBannerFetch installed
};

class CMovieResource : public CImageResource, public CMorvelBasedThread {
 public:
  CMovieResource(const MovieParams& params, int32_t id, const StyleSet* styles);
  ~CMovieResource() override;
  bool Draw(HDC dc) override;
  bool SetRect(int32_t left, int32_t top, int32_t right, int32_t bottom) override;
  void SetPaused(bool paused) { paused_.store(paused); }

  // For the page and tests: what the widget would draw now.
  int32_t CurrentFrame();
  int32_t FrameCount();
  std::vector<uint32_t> FrameDelays();
  bool HasDownloadedImage();
  ui::Rect DrawRect();

 protected:
  unsigned Run() override;

 private:
  void Install(std::unique_ptr<Gdiplus::Image> image);
  void ComputeDrawRect();  // holding the lock
  bool SleepUnlessStopped(uint32_t ms);

  std::atomic<bool> started_{false};
  std::atomic<bool> paused_{false};
  CXMutex lock_;
  MovieParams params_;
  GUID frameDimension_{};
  std::vector<uint32_t> delays_;
  int32_t frameCount_ = 0;
  int32_t currentFrame_ = 0;
  ui::Rect drawRect_;
  std::unique_ptr<Gdiplus::Image> downloaded_;
};

// Decodes image bytes through an in-memory stream; null when they are not a picture GDI+ can read.
std::unique_ptr<Gdiplus::Image> DecodeImageBytes(const std::string& bytes);
