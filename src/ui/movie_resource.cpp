#include "ui/movie_resource.h"

#include <shlwapi.h>

#include <algorithm>

namespace {

std::atomic<BannerFetch> g_bannerFetch{nullptr};

constexpr PROPID kFrameDelayTag = 0x5100;
// GIFs that say 0 would make the thread spin; browsers show them at 100 ms, and so do we.
constexpr uint32_t kZeroDelayUnits = 10;

}  // namespace

void SetBannerFetch(BannerFetch fetch) { g_bannerFetch.store(fetch); }

std::unique_ptr<Gdiplus::Image> DecodeImageBytes(const std::string& bytes) {
  if (bytes.empty()) return nullptr;
  IStream* stream = ::SHCreateMemStream(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<UINT>(bytes.size()));
  if (!stream) return nullptr;
  std::unique_ptr<Gdiplus::Image> image(new Gdiplus::Image(stream));
  stream->Release();  // the image keeps its own reference
  if (!image || image->GetLastStatus() != Gdiplus::Ok || image->GetWidth() == 0 || image->GetHeight() == 0)
    return nullptr;
  return image;
}

CMovieResource::CMovieResource(const MovieParams& params, int32_t id, const StyleSet* styles)
    : CImageResource(id, styles, kTypeMovie), params_(params) {
  Start();
}

CMovieResource::~CMovieResource() {
  RequestStop();
  Join();  // before anything Run uses goes away
  CXMutexLock hold(lock_);
  downloaded_.reset();  // before the resource manager shuts GDI+ down
}

bool CMovieResource::SleepUnlessStopped(uint32_t ms) {
  // Sliced, so that a long frame delay does not hold up the page's destruction.
  while (ms > 0 && !StopRequested()) {
    uint32_t slice = std::min<uint32_t>(ms, 10);
    ::Sleep(slice);
    ms -= slice;
  }
  return !StopRequested();
}

unsigned CMovieResource::Run() {
  while (!StopRequested() && !started_.load()) ::Sleep(10);
  if (StopRequested()) return 0;  // destroyed before it was ever painted: nothing to fetch for

  BannerFetch fetch = params_.fetch ? params_.fetch : g_bannerFetch.load();
  if (!params_.configHost.empty() && fetch) {
    std::string bytes;
    try {
      bytes = fetch(params_.configHost, params_.configPort, params_.configPath);
    } catch (...) {
      bytes.clear();  // any failure of the exchange keeps the built-in picture
    }
    // Bytes that are not a picture leave the built-in banner in place instead of an empty frame.
    if (auto image = DecodeImageBytes(bytes)) Install(std::move(image));
  }

  int32_t count = 0;
  bool hasDelays = false;
  {
    CXMutexLock hold(lock_);
    count = frameCount_;
    hasDelays = !delays_.empty();
  }
  if (count == 1) {
    {
      CXMutexLock hold(lock_);
      currentFrame_ = 0;
    }
    ::PostMessageW(params_.notifyWindow, kMsgMovieFrame, 0, 0);
    return 0;
  }
  if (count <= 1 || !hasDelays) return 0;
  while (!StopRequested()) {
    uint32_t delay = 0;
    {
      CXMutexLock hold(lock_);
      delay = delays_[static_cast<size_t>(currentFrame_)];
    }
    if (!SleepUnlessStopped(10 * (delay ? delay : kZeroDelayUnits))) break;
    CXMutexLock hold(lock_);
    currentFrame_ = (currentFrame_ + 1) % frameCount_;
    if (!paused_.load()) ::PostMessageW(params_.notifyWindow, kMsgMovieFrame, 0, 0);
  }
  return 0;
}

void CMovieResource::Install(std::unique_ptr<Gdiplus::Image> image) {
  CXMutexLock hold(lock_);
  downloaded_ = std::move(image);
  // Fitted at once: a picture without frame data (a still PNG or JPEG) must not be drawn squeezed into
  // the rectangle fitted for the built-in banner's proportions.
  ComputeDrawRect();
  UINT dimensions = downloaded_->GetFrameDimensionsCount();
  if (dimensions == 0) return;
  std::vector<GUID> list(dimensions);
  if (downloaded_->GetFrameDimensionsList(list.data(), dimensions) != Gdiplus::Ok) return;
  frameDimension_ = list[0];
  UINT frames = downloaded_->GetFrameCount(&frameDimension_);
  frameCount_ = static_cast<int32_t>(frames);
  if (frameCount_ <= 0) return;
  UINT size = downloaded_->GetPropertyItemSize(kFrameDelayTag);
  if (size < sizeof(Gdiplus::PropertyItem)) return;
  std::vector<unsigned char> buffer(size);
  auto* item = reinterpret_cast<Gdiplus::PropertyItem*>(buffer.data());
  if (downloaded_->GetPropertyItem(kFrameDelayTag, size, item) != Gdiplus::Ok || !item->value) return;
  // The property may hold fewer delays than frames; missing ones count as 0.
  size_t have = item->length / sizeof(uint32_t);
  const auto* values = static_cast<const uint32_t*>(item->value);
  delays_.assign(static_cast<size_t>(frameCount_), 0);
  std::copy(values, values + std::min(have, delays_.size()), delays_.begin());
}

void CMovieResource::ComputeDrawRect() {
  Gdiplus::Image* image = downloaded_ ? downloaded_.get() : params_.builtinImage;
  if (!image || image->GetWidth() == 0 || image->GetHeight() == 0 || rect.Width() <= 0 || rect.Height() <= 0) return;
  drawRect_ = ui::ContainFit(rect, image->GetWidth(), image->GetHeight());
}

bool CMovieResource::SetRect(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  CXMutexLock hold(lock_);
  CImageResource::SetRect(left, top, right, bottom);
  ComputeDrawRect();
  return true;
}

bool CMovieResource::Draw(HDC dc) {
  if (!started_.load()) started_.store(true);
  CXMutexLock hold(lock_);
  bool result = CImageResource::Draw(dc);
  if (!visible) return result;
  Gdiplus::Graphics g(dc);
  g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
  Gdiplus::Image* image = params_.builtinImage;
  if (downloaded_) {
    if (frameCount_ > 0) downloaded_->SelectActiveFrame(&frameDimension_, static_cast<UINT>(currentFrame_));
    image = downloaded_.get();
  }
  if (image) g.DrawImage(image, drawRect_.left, drawRect_.top, drawRect_.Width(), drawRect_.Height());
  return result;
}

int32_t CMovieResource::CurrentFrame() {
  CXMutexLock hold(lock_);
  return currentFrame_;
}
int32_t CMovieResource::FrameCount() {
  CXMutexLock hold(lock_);
  return frameCount_;
}
std::vector<uint32_t> CMovieResource::FrameDelays() {
  CXMutexLock hold(lock_);
  return delays_;
}
bool CMovieResource::HasDownloadedImage() {
  CXMutexLock hold(lock_);
  return downloaded_ != nullptr;
}
ui::Rect CMovieResource::DrawRect() {
  CXMutexLock hold(lock_);
  return drawRect_;
}
