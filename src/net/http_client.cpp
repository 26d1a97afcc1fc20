#include "net/http_client.h"

int CSocketChannel::Send(const char* data, int size) { return ::send(s_, data, size, 0); }
int CSocketChannel::Recv(char* data, int size) { return ::recv(s_, data, size, 0); }

CTCPHttp::CTCPHttp(const std::string& host, uint16_t port) { ResolveWithFallback(host, port); }

void CTCPHttp::SendAll(const std::string& text) {
  CSocketChannel channel(Socket());
  ::SendAll(channel, text);
}

void CTCPHttp::RecvExact(size_t n, std::string& out) {
  CSocketChannel channel(Socket());
  ::RecvExact(channel, n, out);
}

HttpResponseHead CTCPHttp::ReadHeaders() {
  CSocketChannel channel(Socket());
  return ::ReadHeaders(channel);
}

std::string CTCPHttp::ReadChunkedBody() {
  CSocketChannel channel(Socket());
  return ::ReadChunkedBody(channel);
}

HttpResponseHead CTCPHttp::SendGet(const std::string& host, const std::string& path) {
  Connect();
  SendAll(FormatGetRequest(host, path));
  return ReadHeaders();
}

std::string CTCPHttp::GetBody(const std::string& host, const std::string& path) {
  HttpResponseHead head = SendGet(host, path);
  // Not an error: the owners treat an empty text as "no answer" and retry or report.
  if (head.statusCode != "200") return std::string();
  CSocketChannel channel(Socket());
  return ReadBody(channel, head);
}

HttpResponseHead CTCPHttp::Head(const std::string& host, const std::string& path) {
  Connect();
  SendAll(FormatHeadRequest(host, path));
  return ReadHeaders();
}

std::string CTCPHttp::PostForm(const std::string& host, const std::string& path, MultipartForm& form) {
  form.Start();
  std::string header = FormatPostHeader(host, path, form.Boundary(), form.TotalLength());
  Connect();
  SendAll(header);
  std::string piece;
  while (form.NextPiece(piece)) {
    if (!piece.empty()) SendAll(piece);
  }
  HttpResponseHead head = ReadHeaders();
  CSocketChannel channel(Socket());
  return ReadBody(channel, head);
}
