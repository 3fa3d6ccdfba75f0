#include "xml/error_capture.h"

#include <libxml/xmlversion.h>

namespace zz {

namespace {

#if LIBXML_VERSION >= 21200
void Keep(void* ctx, const xmlError* e) {
#else
void Keep(void* ctx, xmlError* e) {
#endif
  if (!e || e->level < XML_ERR_ERROR) return;
  (*static_cast<TXmlErrorCapture::TKeep*>(ctx))(*e);
}

}  // namespace

void DropXmlMessage(void*, const char*, ...) {}

TXmlErrorCapture::TXmlErrorCapture(TKeep keep)
    : fKeep(std::move(keep)),
      fGeneric(xmlGenericError),
      fGenericCtx(xmlGenericErrorContext),
      fStructured(xmlStructuredError),
      fStructuredCtx(xmlStructuredErrorContext) {
  xmlSetGenericErrorFunc(nullptr, &DropXmlMessage);
  xmlSetStructuredErrorFunc(Context(), &Keep);
}

xmlStructuredErrorFunc TXmlErrorCapture::Handler() { return &Keep; }

TXmlErrorCapture::~TXmlErrorCapture() {
  xmlSetStructuredErrorFunc(fStructuredCtx, fStructured);
  xmlSetGenericErrorFunc(fGenericCtx, fGeneric);
}

}  // namespace zz
