#include "net/http_wire.h"

#include <cstring>

#include "platform/error.h"
#include "platform/text.h"

std::string FormatGetRequest(const std::string& host, const std::string& path) {
  std::string r = "GET " + path + " HTTP/1.1\r\n";
  if (!host.empty()) r += "Host: " + host + "\r\n";
  r += "Connection: close\r\n\r\n";
  return r;
}

// HEAD keeps the compact field spelling (no blank after the colon) and the old browser agent that the
// CDN's HEAD handling has always been given.
std::string FormatHeadRequest(const std::string& host, const std::string& path) {
  std::string r = "HEAD " + path + " HTTP/1.1\r\n";
  if (!host.empty()) r += "Host:" + host + "\r\n";
  r += "Accept:*/*\r\n";
  r += "User-Agent:Mozilla/4.0 (compatible; MSIE 5.00; Windows 98)\r\n";
  r += "Connection:close\r\n";
  r += "\r\n";
  return r;
}

std::string FormatPostHeader(const std::string& host, const std::string& path, const std::string& boundary,
                             int64_t bodyLength) {
  std::string r = "POST " + path + " HTTP/1.1\r\n";
  if (!host.empty()) r += "Host: " + host + "\r\n";
  // The header names the boundary without the two hyphens every delimiter line adds in front of it.
  r += "Content-Type: multipart/form-data; boundary=" + boundary.substr(boundary.size() >= 2 ? 2 : 0) + "\r\n";
  r += "Content-Length: " + FormatInt64(bodyLength) + "\r\n";
  r += "Connection: close\r\n\r\n";
  return r;
}

std::string FormatConnectRequest(const std::string& host, uint16_t port) {
  return "CONNECT " + host + ":" + FormatInt64(port) + " HTTP/1.1\r\n\r\n";
}

bool IsConnectReplyOk(const std::string& reply) {
  std::string code = HttpStatusText(reply);
  if (code.size() != 3) return false;
  for (char c : code)
    if (c < '0' || c > '9') return false;
  return code == "200";
}

void SendAll(IByteChannel& channel, const std::string& text) {
  size_t sent = 0;
  while (sent < text.size()) {
    size_t left = text.size() - sent;
    int n = channel.Send(text.data() + sent, left > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(left));
    if (n < 0) throw MorvelError("socket send failed");
    if (n == 0) throw MorvelError("Server can't recv data");
    sent += static_cast<size_t>(n);
  }
}

void RecvExact(IByteChannel& channel, size_t n, std::string& out) {
  // Received in pieces into a growing text: what a server announces is not allocated up front.
  char buffer[16384];
  size_t got = 0;
  while (got < n) {
    size_t want = n - got < sizeof(buffer) ? n - got : sizeof(buffer);
    int r = channel.Recv(buffer, static_cast<int>(want));
    if (r < 0) throw MorvelError("socket recv failed");
    if (r == 0) throw MorvelError("Server can't send data");
    out.append(buffer, static_cast<size_t>(r));
    got += static_cast<size_t>(r);
  }
}

HttpResponseHead ParseHeaderBlock(const std::string& block) {
  HttpResponseHead head;
  head.lines = SplitAny(block, "\r\n");
  if (!head.lines.empty()) head.statusCode = HttpStatusText(head.lines[0]);
  static const char kField[] = "Content-Length:";  // exact case: "content-length:" is not recognised
  const size_t fieldLen = sizeof(kField) - 1;
  for (const std::string& line : head.lines) {
    if (line.size() > fieldLen && line.compare(0, fieldLen, kField) == 0) {
      head.contentLength = ParseInt64(line.substr(fieldLen));
      break;
    }
  }
  return head;
}

HttpResponseHead ReadHeaders(IByteChannel& channel) {
  static const char kEnd[] = "\r\n\r\n";
  std::string block;
  size_t matched = 0;
  while (block.size() < kMaxHeaderBytes) {
    std::string one;
    RecvExact(channel, 1, one);
    block += one[0];
    // A broken partial sequence is not re-examined: the breaking byte does not start a new one.
    if (one[0] == kEnd[matched]) {
      if (++matched == 4) break;
    } else {
      matched = 0;
    }
  }
  return ParseHeaderBlock(block);
}

int64_t ParseChunkSizeLine(const std::string& line) {
  size_t crlf = line.find("\r\n");
  if (crlf == std::string::npos) return -1;
  if (crlf == 0) return 0;
  uint32_t value = 0;
  for (size_t i = 0; i < crlf; ++i) {
    char c = line[i];
    uint32_t digit = 0;  // any other character counts as the digit 0
    if (c >= '0' && c <= '9') digit = static_cast<uint32_t>(c - '0');
    else if (c >= 'a' && c <= 'f') digit = static_cast<uint32_t>(c - 'a' + 10);
    else if (c >= 'A' && c <= 'F') digit = static_cast<uint32_t>(c - 'A' + 10);
    value = value * 16 + digit;
  }
  return value;
}

namespace {

// Bytes one at a time until CR LF or 10 bytes: a longer line (extensions, more than 8 digits) has no
// CR LF within the 10 bytes and is refused by ParseChunkSizeLine.
int64_t ReadChunkSize(IByteChannel& channel) {
  std::string line;
  while (line.size() < 10) {
    std::string one;
    RecvExact(channel, 1, one);
    line += one[0];
    if (line.size() >= 2 && line[line.size() - 2] == '\r' && line[line.size() - 1] == '\n') break;
  }
  return ParseChunkSizeLine(line);
}

}  // namespace

std::string ReadChunkedBody(IByteChannel& channel, int64_t limit) {
  std::string body;
  for (;;) {
    int64_t size = ReadChunkSize(channel);
    // The empty line after each chunk's data reads as 0: the real size is on the next line.
    if (size == 0) size = ReadChunkSize(channel);
    if (size < 0) throw MorvelError("Read body stream error");
    if (size == 0) return body;
    if (size > limit - static_cast<int64_t>(body.size())) throw MorvelError("Response body too large");
    RecvExact(channel, static_cast<size_t>(size), body);
  }
}

std::string ReadBody(IByteChannel& channel, const HttpResponseHead& head, int64_t limit) {
  if (head.contentLength > 0) {
    if (head.contentLength > limit) throw MorvelError("Response body too large");
    std::string body;
    RecvExact(channel, static_cast<size_t>(head.contentLength), body);
    return body;
  }
  return ReadChunkedBody(channel, limit);
}

void MultipartForm::AddField(const std::string& name, const std::string& value) {
  if (sending_) return;
  Part& part = parts_[name];
  part.value = value;
  part.header = "Content-Disposition: form-data; name=\"" + name + "\"\r\n\r\n";
}

int64_t MultipartForm::Start() {
  boundary_ = kBoundary;
  totalLength_ = 0;
  for (const auto& entry : parts_) {
    totalLength_ += static_cast<int64_t>(boundary_.size() + 2 + entry.second.header.size() +
                                         entry.second.value.size() + 2);
  }
  totalLength_ += static_cast<int64_t>(boundary_.size() + 4);
  cursor_ = parts_.begin();
  closingSent_ = false;
  sending_ = true;
  return totalLength_;
}

bool MultipartForm::NextPiece(std::string& piece) {
  piece.clear();
  if (!sending_) return false;
  if (cursor_ == parts_.end()) {
    // A form without parts still owes the closing line it announced in its length.
    if (parts_.empty() && !closingSent_) {
      piece = boundary_ + "--\r\n";
      closingSent_ = true;
      return true;
    }
    return false;
  }
  piece = boundary_ + "\r\n" + cursor_->second.header + cursor_->second.value + "\r\n";
  ++cursor_;
  if (cursor_ == parts_.end()) piece += boundary_ + "--\r\n";
  return true;
}
