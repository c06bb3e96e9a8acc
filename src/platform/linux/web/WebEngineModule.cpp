// The entry point of the web engine's module, loaded by DeferredHtmlView when
// the first web view is shown. The module carries only the engine's view; the
// rest of the program's classes come from the program that loads it.
#include "platform/linux/web/WebEngineHtmlView.h"

extern "C" Q_DECL_EXPORT kr::HtmlView* kr_make_web_engine_html_view(QWidget* parent) {
  return new kr::WebEngineHtmlView(parent);
}
