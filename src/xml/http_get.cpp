// HTTP GET with libcurl's multi interface, handed to the reader piece by piece as it arrives,
// bounded in time and size.
#include "xml/http_get.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstring>
#include <mutex>

namespace zz {

struct THttpStream::TState {
  CURLM* multi = nullptr;
  CURL* easy = nullptr;
  size_t limit = 0;
  long totalTimeoutMs = 0;
  std::chrono::steady_clock::time_point deadline;
  size_t received = 0;
  // "scheme://host:port" of the URL asked for: the only place a redirect may lead to.
  std::string origin;
  int redirects = 0;
  std::string refusal;  // why this side gave the transfer up, when curl did not fail
  bool overflow = false;
  bool done = false;
  bool startFailed = false;
  CURLcode result = CURLE_OK;
  // What curl has delivered and the reader has not taken yet.
  std::string pending;
  size_t taken = 0;
};

namespace {

constexpr int kMaxRedirects = 5;

bool IsRedirect(long status) { return status >= 300 && status < 400; }

// "scheme://host:port" of an absolute URL, lower-case and with the port always given; empty when
// the URL cannot be read.
std::string Origin(const char* url) {
  std::string origin;
  CURLU* u = curl_url();
  if (!u) return origin;
  char* scheme = nullptr;
  char* host = nullptr;
  char* port = nullptr;
  if (curl_url_set(u, CURLUPART_URL, url, 0) == CURLUE_OK &&
      curl_url_get(u, CURLUPART_SCHEME, &scheme, 0) == CURLUE_OK &&
      curl_url_get(u, CURLUPART_HOST, &host, 0) == CURLUE_OK &&
      curl_url_get(u, CURLUPART_PORT, &port, CURLU_DEFAULT_PORT) == CURLUE_OK) {
    origin = std::string(scheme) + "://" + host + ":" + port;
    for (char& c : origin) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  curl_free(scheme);
  curl_free(host);
  curl_free(port);
  curl_url_cleanup(u);
  return origin;
}

// After a hop that ended well: true when it was a redirect within the origin and the next hop has
// started. A redirect anywhere else is refused, so that a reply of the server asked can never make
// the program take its document from a host nobody configured.
bool FollowRedirect(THttpStream::TState& st) {
  long status = 0;
  char* next = nullptr;
  curl_easy_getinfo(st.easy, CURLINFO_RESPONSE_CODE, &status);
  if (!IsRedirect(status) || curl_easy_getinfo(st.easy, CURLINFO_REDIRECT_URL, &next) != CURLE_OK || !next)
    return false;
  const std::string url = next;  // owned by the handle, which the next hop reuses
  const std::string target = Origin(url.c_str());
  if (target.empty() || target != st.origin) {
    st.refusal = "сервер перенаправил запрос на другой сервер" +
                 (target.empty() ? std::string() : " (" + target + ")") +
                 ": перенаправления выполняются только в пределах запрошенного сервера и порта";
    return false;
  }
  if (++st.redirects > kMaxRedirects) {
    st.refusal = "сервер перенаправил запрос больше " + std::to_string(kMaxRedirects) + " раз";
    return false;
  }
  // The bound on time is the whole request's, however many hops it takes.
  const auto left =
      std::chrono::duration_cast<std::chrono::milliseconds>(st.deadline - std::chrono::steady_clock::now()).count();
  if (left <= 0) {
    st.result = CURLE_OPERATION_TIMEDOUT;
    return false;
  }
  curl_multi_remove_handle(st.multi, st.easy);
  curl_easy_setopt(st.easy, CURLOPT_URL, url.c_str());
  curl_easy_setopt(st.easy, CURLOPT_TIMEOUT_MS, static_cast<long>(left));
  if (curl_multi_add_handle(st.multi, st.easy) != CURLM_OK) {
    st.result = CURLE_FAILED_INIT;
    return false;
  }
  return true;
}

size_t WriteBody(char* data, size_t size, size_t count, void* user) {
  auto* st = static_cast<THttpStream::TState*>(user);
  size_t len = size * count;
  // A redirect's own body is not the document.
  long status = 0;
  curl_easy_getinfo(st->easy, CURLINFO_RESPONSE_CODE, &status);
  if (IsRedirect(status)) return len;
  // Returning less than len aborts the transfer.
  if (len > st->limit - st->received) {
    st->overflow = true;
    return 0;
  }
  try {
    st->pending.append(data, len);
  } catch (...) {
    return 0;
  }
  st->received += len;
  return len;
}

}  // namespace

void InitHttp() {
  // curl_global_init is not thread-safe; run it once before any handle exists.
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

THttpStream::THttpStream(const std::string& url, const THttpGetLimits& limits) : fState(std::make_unique<TState>()) {
  InitHttp();
  TState& st = *fState;
  st.limit = limits.MaxBodyBytes;
  st.totalTimeoutMs = limits.TotalTimeoutMs;
  st.deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limits.TotalTimeoutMs);
  st.origin = Origin(url.c_str());
  st.multi = curl_multi_init();
  st.easy = curl_easy_init();
  if (!st.multi || !st.easy) {
    st.startFailed = st.done = true;
    return;
  }
  CURL* c = st.easy;
  curl_easy_setopt(c, CURLOPT_URL, url.c_str());
  curl_easy_setopt(c, CURLOPT_HTTPGET, 1L);
  curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);  // timeouts without SIGALRM
  curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, limits.ConnectTimeoutMs);
  curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, limits.TotalTimeoutMs);
  curl_easy_setopt(c, CURLOPT_FAILONERROR, 1L);
  // Redirects are followed here, hop by hop (FollowRedirect), not by curl: curl would go anywhere.
  curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 0L);
#if LIBCURL_VERSION_NUM >= 0x075500
  curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
#else
  curl_easy_setopt(c, CURLOPT_PROTOCOLS, static_cast<long>(CURLPROTO_HTTP | CURLPROTO_HTTPS));
#endif
  // A declared length over the bound is refused before any of the body is read.
  curl_easy_setopt(c, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(limits.MaxBodyBytes));
  curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, &WriteBody);
  curl_easy_setopt(c, CURLOPT_WRITEDATA, &st);
  if (curl_multi_add_handle(st.multi, c) != CURLM_OK) st.startFailed = st.done = true;
}

THttpStream::~THttpStream() {
  TState& st = *fState;
  if (st.multi && st.easy) curl_multi_remove_handle(st.multi, st.easy);
  if (st.easy) curl_easy_cleanup(st.easy);
  if (st.multi) curl_multi_cleanup(st.multi);
}

size_t THttpStream::Read(char* buf, size_t n) {
  // The buffer is filled as far as the body goes: the parser works best on large pieces, and curl
  // hands the body over in pieces of a few kilobytes.
  TState& st = *fState;
  size_t filled = 0;
  while (filled < n) {
    if (st.taken < st.pending.size()) {
      size_t take = std::min(n - filled, st.pending.size() - st.taken);
      std::memcpy(buf + filled, st.pending.data() + st.taken, take);
      st.taken += take;
      filled += take;
      continue;
    }
    if (st.done) break;
    st.pending.clear();
    st.taken = 0;
    int running = 0;
    if (curl_multi_perform(st.multi, &running) != CURLM_OK) {
      st.result = CURLE_FAILED_INIT;
      st.done = true;
      break;
    }
    if (running == 0) {
      int left = 0;
      while (CURLMsg* msg = curl_multi_info_read(st.multi, &left))
        if (msg->msg == CURLMSG_DONE) st.result = msg->data.result;
      if (st.result == CURLE_OK && FollowRedirect(st)) continue;
      st.done = true;
      continue;  // what this last step delivered is still taken
    }
    // curl's own timeouts end the transfer; the wait only spares the processor meanwhile.
    if (st.pending.empty()) curl_multi_poll(st.multi, nullptr, 0, 1000, nullptr);
  }
  // Nothing of a failed transfer reaches the reader past the failure.
  if (st.done && (st.result != CURLE_OK || !st.refusal.empty())) return 0;
  return filled;
}

bool THttpStream::Finished() const { return fState->done; }

bool THttpStream::Succeeded(std::string* error) const {
  const TState& st = *fState;
  std::string reason;
  long status = 0;
  if (st.easy) curl_easy_getinfo(st.easy, CURLINFO_RESPONSE_CODE, &status);
  if (st.startFailed)
    reason = "не удалось начать запрос";
  else if (!st.done)
    reason = "ответ сервера прочитан не до конца";
  else if (!st.refusal.empty())
    reason = st.refusal;
  else if (st.overflow || st.result == CURLE_FILESIZE_EXCEEDED)
    reason = "ответ сервера больше " + std::to_string(st.limit) + " байт";
  else if (st.result == CURLE_OPERATION_TIMEDOUT)
    reason = "сервер не ответил за " + std::to_string(st.totalTimeoutMs) + " мс";
  else if (status >= 400)
    reason = "ответ сервера с кодом HTTP " + std::to_string(status);
  else if (st.result != CURLE_OK)
    reason = curl_easy_strerror(st.result);
  if (error) *error = reason;
  return reason.empty();
}

}  // namespace zz
