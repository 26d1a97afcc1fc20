// The installer's HTTP/1.1 client for short exchanges: one request per connection ("Connection: close"),
// written by hand on CTCPClient's socket; the wire format lives in http_wire.h.
#pragma once
#include <string>
#include <vector>

#include "net/http_wire.h"
#include "net/tcp_client.h"

class CTCPHttp : public CTCPClient {
 public:
  // Resolves at once (ResolveWithFallback); a failed second resolution propagates.
  CTCPHttp(const std::string& host, uint16_t port);
  ~CTCPHttp() override = default;

  // The body when the status code is exactly "200", otherwise empty text.
  std::string GetBody(const std::string& host, const std::string& path);
  // Sends a GET and reads the header; the body stays on the socket.
  HttpResponseHead SendGet(const std::string& host, const std::string& path);
  HttpResponseHead Head(const std::string& host, const std::string& path);
  // The response body whatever the status code.
  std::string PostForm(const std::string& host, const std::string& path, MultipartForm& form);

  void SendAll(const std::string& text);
  void RecvExact(size_t n, std::string& out);
  HttpResponseHead ReadHeaders();
  std::string ReadChunkedBody();
};

// An IByteChannel over a connected socket (blocking, with the socket's own time-outs).
class CSocketChannel : public IByteChannel {
 public:
  explicit CSocketChannel(SOCKET s) : s_(s) {}
  int Send(const char* data, int size) override;
  int Recv(char* data, int size) override;

 private:
  SOCKET s_;
};
