// HTTP GET into memory with libcurl, bounded in time and size.
#include "xml/http_get.h"

#include <curl/curl.h>

#include <memory>
#include <mutex>

namespace zz {

namespace {

struct TSink {
  std::string* body;
  size_t limit;
  bool overflow = false;
};

size_t WriteBody(char* data, size_t size, size_t count, void* user) {
  auto* sink = static_cast<TSink*>(user);
  size_t len = size * count;
  // Returning less than len aborts the transfer.
  if (len > sink->limit - sink->body->size()) {
    sink->overflow = true;
    return 0;
  }
  try {
    sink->body->append(data, len);
  } catch (...) {
    return 0;
  }
  return len;
}

}  // namespace

void InitHttp() {
  // curl_global_init is not thread-safe; run it once before any handle exists.
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

bool HttpGetToMemory(const std::string& url, std::string& body, const THttpGetLimits& limits, std::string* error) {
  body.clear();
  if (error) error->clear();
  InitHttp();

  std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> h(curl_easy_init(), &curl_easy_cleanup);
  if (!h) {
    if (error) *error = "не удалось начать запрос";
    return false;
  }
  TSink sink{&body, limits.MaxBodyBytes};
  CURL* c = h.get();
  curl_easy_setopt(c, CURLOPT_URL, url.c_str());
  curl_easy_setopt(c, CURLOPT_HTTPGET, 1L);
  curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);  // timeouts without SIGALRM
  curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, limits.ConnectTimeoutMs);
  curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, limits.TotalTimeoutMs);
  curl_easy_setopt(c, CURLOPT_FAILONERROR, 1L);
  curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(c, CURLOPT_MAXREDIRS, 5L);
#if LIBCURL_VERSION_NUM >= 0x075500
  curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
#else
  curl_easy_setopt(c, CURLOPT_PROTOCOLS, static_cast<long>(CURLPROTO_HTTP | CURLPROTO_HTTPS));
  curl_easy_setopt(c, CURLOPT_REDIR_PROTOCOLS, static_cast<long>(CURLPROTO_HTTP | CURLPROTO_HTTPS));
#endif
  // A declared length over the bound is refused before any of the body is read.
  curl_easy_setopt(c, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(limits.MaxBodyBytes));
  curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, &WriteBody);
  curl_easy_setopt(c, CURLOPT_WRITEDATA, &sink);

  CURLcode rc = curl_easy_perform(c);
  long status = 0;
  curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &status);
  if (rc != CURLE_OK || status >= 400) {
    body.clear();
    if (error) {
      if (sink.overflow || rc == CURLE_FILESIZE_EXCEEDED)
        *error = "ответ сервера больше " + std::to_string(limits.MaxBodyBytes) + " байт";
      else if (rc == CURLE_OPERATION_TIMEDOUT)
        *error = "сервер не ответил за " + std::to_string(limits.TotalTimeoutMs) + " мс";
      else if (status >= 400)
        *error = "ответ сервера с кодом HTTP " + std::to_string(status);
      else
        *error = curl_easy_strerror(rc);
    }
    return false;
  }
  return true;
}

}  // namespace zz
