#pragma once
// Plain HTTP GET, read as it arrives, with bounded waiting and size.
#include <cstddef>
#include <memory>
#include <string>

namespace zz {

struct THttpGetLimits {
  long ConnectTimeoutMs = 15000;
  long TotalTimeoutMs = 120000;
  size_t MaxBodyBytes = size_t{1} << 30;
};

// Initialises the HTTP library for the whole process (the first request does it otherwise).
// A process that forks runs calls it first, so that no run repeats it.
void InitHttp();

// A GET whose body is read in pieces as it arrives, so that a large reply is parsed while it is
// received and never held whole. Redirects are followed (up to five) only within the scheme, host
// and port of the URL asked for; one elsewhere fails the request. The usual proxy variables apply.
class THttpStream {
 public:
  THttpStream(const std::string& url, const THttpGetLimits& limits);
  ~THttpStream();
  THttpStream(const THttpStream&) = delete;
  THttpStream& operator=(const THttpStream&) = delete;

  // Up to n bytes of the body, waiting for them as needed; 0 at its end or once the transfer failed.
  size_t Read(char* buf, size_t n);
  // After the last Read: true when the whole body came with a status below 400. Otherwise false,
  // and `error` says why (a transport failure, a timeout, an oversized body, an error status, a
  // redirect refused).
  bool Succeeded(std::string* error = nullptr) const;
  // The transfer has ended, well or not (a reader that stops early leaves it unfinished).
  bool Finished() const;

  struct TState;  // the transfer's state, shared with its write callback

 private:
  std::unique_ptr<TState> fState;
};

}  // namespace zz
