// The installer's HTTP/1.1 wire format: request texts, the byte-by-byte header reader, the chunked-body
// reader and the multipart form. No Windows headers: the readers work on any IByteChannel, so the same
// code runs on a socket, in native tests and under the fuzzer.
#pragma once
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

// A connected byte stream. Both calls return the byte count (> 0), 0 when the peer closed (recv) or took
// nothing (send), and a negative value on error; they behave like send/recv on a blocking socket.
class IByteChannel {
 public:
  virtual ~IByteChannel() = default;
  virtual int Send(const char* data, int size) = 0;
  virtual int Recv(char* data, int size) = 0;
};

// The most a body may claim or grow to. The installer's answers are small JSON texts and images; a
// server that announces gigabytes is broken or hostile, and must not make us allocate what it claims.
constexpr int64_t kMaxHttpBodyBytes = 64 * 1024 * 1024;
constexpr size_t kMaxHeaderBytes = 4096;

struct HttpResponseHead {
  std::vector<std::string> lines;  // the status line first, then the fields in order of arrival
  std::string statusCode;          // three characters, empty when the status line is too short
  int64_t contentLength = 0;       // 0 when no "Content-Length:" field was found
};

std::string FormatGetRequest(const std::string& host, const std::string& path);
std::string FormatHeadRequest(const std::string& host, const std::string& path);
std::string FormatPostHeader(const std::string& host, const std::string& path, const std::string& boundary,
                             int64_t bodyLength);
std::string FormatConnectRequest(const std::string& host, uint16_t port);

// True when a proxy's reply to CONNECT carries the status 200 at offset 9.
bool IsConnectReplyOk(const std::string& reply);

// Raise "socket send failed" / "Server can't recv data" and "socket recv failed" / "Server can't send data".
void SendAll(IByteChannel& channel, const std::string& text);
void RecvExact(IByteChannel& channel, size_t n, std::string& out);

// Splits a header block into lines and takes the status code and Content-Length from them.
HttpResponseHead ParseHeaderBlock(const std::string& block);
// Reads one byte at a time until CR LF CR LF or kMaxHeaderBytes bytes.
HttpResponseHead ReadHeaders(IByteChannel& channel);

// Size of a chunk-size line: -1 without CR LF, 0 for a bare CR LF, else its hexadecimal value.
int64_t ParseChunkSizeLine(const std::string& line);
// Raises "Read body stream error" on a bad size line and "Response body too large" beyond `limit`.
std::string ReadChunkedBody(IByteChannel& channel, int64_t limit = kMaxHttpBodyBytes);
// The body after the header: Content-Length bytes when positive, else chunked.
std::string ReadBody(IByteChannel& channel, const HttpResponseHead& head, int64_t limit = kMaxHttpBodyBytes);

// The body of a multipart POST. Parts go out in byte-wise order of their names.
class MultipartForm {
 public:
  static constexpr const char* kBoundary = "-----------------------------7da1f4c300560";

  // Adds a part or replaces the value of the part of that name; ignored while a body is being sent.
  void AddField(const std::string& name, const std::string& value);

  // Restarts the form for a send and returns the total body length.
  int64_t Start();
  // The next piece of the body; false once the last piece was taken (the form then stays in the sending
  // state until the next Start).
  bool NextPiece(std::string& piece);
  bool Sending() const { return sending_; }
  const std::string& Boundary() const { return boundary_; }
  int64_t TotalLength() const { return totalLength_; }

 private:
  struct Part {
    std::string value;
    std::string header;
  };
  std::map<std::string, Part> parts_;
  std::string boundary_;
  int64_t totalLength_ = 0;
  bool sending_ = false;
  bool closingSent_ = false;
  std::map<std::string, Part>::const_iterator cursor_;
};
