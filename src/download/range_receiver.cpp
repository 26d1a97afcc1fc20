#include "download/range_receiver.h"

#include <algorithm>
#include <cstring>

#include "download/url_rules.h"
#include "platform/text.h"

namespace {

constexpr char kBlankLine[] = "\r\n\r\n";

bool StartsWithNoCase(const std::string& line, const std::string& prefix) {
  if (line.size() < prefix.size()) return false;
  return ToUpperAscii(line.substr(0, prefix.size())) == ToUpperAscii(prefix);
}

}  // namespace

bool ContentRangeStartsAt(const std::vector<std::string>& lines, int64_t start) {
  static const std::string kKey = "Content-Range:";
  for (size_t i = 1; i < lines.size(); ++i) {
    if (!StartsWithNoCase(lines[i], kKey)) continue;
    std::string value = TrimLeft(lines[i].substr(kKey.size()), " \t");
    if (!StartsWithNoCase(value, "bytes")) return false;
    value = TrimLeft(value.substr(5), " \t");
    if (value.empty() || value[0] < '0' || value[0] > '9') return false;
    size_t dash = value.find('-');
    if (dash == std::string::npos) return false;
    return ParseInt64(value.substr(0, dash)) == start;
  }
  return false;
}

RangeReceiver::RangeReceiver(int64_t start, int64_t end, size_t capacity)
    : buffer_(capacity), base_(start), next_(start), end_(end) {}

void RangeReceiver::BeginResponse() {
  buffered_ = 0;
  headerPending_ = true;
  redirect_.clear();
}

size_t RangeReceiver::ReceiveRoom(size_t maxReceive) const {
  return std::min(maxReceive, buffer_.size() - buffered_);
}

RangeReceiver::Step RangeReceiver::OnReceived(size_t count, const WriteFn& write) {
  size_t before = buffered_;
  buffered_ += count;
  size_t fresh = count;
  if (headerPending_) {
    // The header may arrive in any number of pieces: keep every byte until the blank line is there.
    size_t from = before >= 3 ? before - 3 : 0;
    const char* begin = buffer_.data();
    const char* hit = std::search(begin + from, begin + buffered_, kBlankLine, kBlankLine + 4);
    if (hit == begin + buffered_) {
      if (buffered_ >= std::min(kMaxHeader, buffer_.size())) return Step::kFailed;
      return Step::kMore;
    }
    size_t headerEnd = static_cast<size_t>(hit - begin) + 4;
    Step verdict = ExamineHeader(headerEnd);
    if (verdict != Step::kMore) {
      buffered_ = 0;  // nothing of a rejected answer reaches the file
      return verdict;
    }
    fresh = buffered_ - headerEnd;
    std::memmove(buffer_.data(), buffer_.data() + headerEnd, fresh);
    buffered_ = fresh;
    headerPending_ = false;
  }
  // Bytes past the range's last byte belong to the next range (or to no range at all): drop them.
  int64_t room = end_ - next_ + 1;
  if (static_cast<int64_t>(fresh) > room) {
    size_t excess = fresh - static_cast<size_t>(std::max<int64_t>(room, 0));
    buffered_ -= excess;
    fresh -= excess;
  }
  next_ += static_cast<int64_t>(fresh);
  if (buffered_ == buffer_.size() || next_ > end_) {
    if (!WriteOut(write)) return Step::kWriteFailed;
  }
  return next_ > end_ ? Step::kComplete : Step::kMore;
}

RangeReceiver::Step RangeReceiver::OnClosed(const WriteFn& write) {
  if (!headerPending_ && !WriteOut(write)) return Step::kWriteFailed;
  buffered_ = 0;
  return next_ > end_ ? Step::kComplete : Step::kFailed;
}

RangeReceiver::Step RangeReceiver::ExamineHeader(size_t headerEnd) {
  std::string header(buffer_.data(), headerEnd);
  header = header.substr(0, header.find('\0'));
  std::vector<std::string> lines = SplitAny(header, "\r\n");
  std::string status = HeaderStatus(lines);
  if (lines.size() >= 2 && IsRedirectStatus(status)) {
    static const std::string kKey = "Location:";
    for (const std::string& line : lines) {
      if (line.compare(0, kKey.size(), kKey) == 0) redirect_ = TrimLeft(line.substr(kKey.size()), " \t");
    }
    return redirect_.empty() ? Step::kFailed : Step::kRedirect;
  }
  // Only the range we asked for may be written: a 200 carries the whole file from its first byte and
  // an error status carries an error page, either of which would land at this range's offset.
  if (status != "206" || !ContentRangeStartsAt(lines, next_)) return Step::kFailed;
  return Step::kMore;
}

bool RangeReceiver::WriteOut(const WriteFn& write) {
  if (buffered_ == 0) return true;
  if (!write(buffer_.data(), buffered_, base_ + written_)) return false;
  written_ += static_cast<int64_t>(buffered_);
  buffered_ = 0;
  return true;
}
