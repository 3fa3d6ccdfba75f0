#pragma once
// Where libxml2's messages go while this program reads XML: to the reader that asked, never to
// standard error or to a handler someone else installed.
#include <libxml/xmlerror.h>

#include <functional>

namespace zz {

// For the lifetime of the object, every error (not warning) libxml2 reports on the calling thread is
// handed to `keep`, and every other message is dropped; the handlers installed before are put back
// after. libxml2 keeps these handlers per thread, so captures on several threads do not meet.
class TXmlErrorCapture {
 public:
  using TKeep = std::function<void(const xmlError&)>;
  explicit TXmlErrorCapture(TKeep keep);
  ~TXmlErrorCapture();
  TXmlErrorCapture(const TXmlErrorCapture&) = delete;
  TXmlErrorCapture& operator=(const TXmlErrorCapture&) = delete;

  // The same keeping for libxml2's contexts that take a handler of their own (a schema's parser
  // and validator): xmlSchemaSet…StructuredErrors(ctxt, capture.Handler(), capture.Context()).
  static xmlStructuredErrorFunc Handler();
  void* Context() { return &fKeep; }

 private:
  TKeep fKeep;
  xmlGenericErrorFunc fGeneric;
  void* fGenericCtx;
  xmlStructuredErrorFunc fStructured;
  void* fStructuredCtx;
};

// A handler of libxml2's unstructured messages that drops them.
void DropXmlMessage(void* ctx, const char* format, ...);

}  // namespace zz
