#pragma once
// Plain HTTP GET into memory, with bounded waiting.
#include <cstddef>
#include <string>

namespace zz {

struct THttpGetLimits {
  long ConnectTimeoutMs = 15000;
  long TotalTimeoutMs = 120000;
  size_t MaxBodyBytes = size_t{1} << 30;
};

// Initialises the HTTP library for the whole process (HttpGetToMemory does it at its first call).
// A process that forks runs calls it first, so that no run repeats it.
void InitHttp();

// Fetches url into body. False on a transport failure, a timeout, an oversized body or a status of
// 400 and above; body is then empty and, when error is given, it says why. The usual proxy
// variables apply.
bool HttpGetToMemory(const std::string& url, std::string& body, const THttpGetLimits& limits = {},
                     std::string* error = nullptr);

}  // namespace zz
