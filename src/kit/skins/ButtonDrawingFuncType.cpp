#include "kit/skins/ButtonDrawingFuncType.h"

namespace kr {

ButtonDrawingFuncType ButtonDrawingFuncType::text(TextFunc func) {
  ButtonDrawingFuncType f;
  f.kind_ = Kind::text;
  f.text_ = std::move(func);
  return f;
}

ButtonDrawingFuncType ButtonDrawingFuncType::image(ImageFunc func) {
  ButtonDrawingFuncType f;
  f.kind_ = Kind::image;
  f.image_ = std::move(func);
  return f;
}

ButtonDrawingFuncType ButtonDrawingFuncType::plain(PlainFunc func) {
  ButtonDrawingFuncType f;
  f.kind_ = Kind::plain;
  f.plain_ = std::move(func);
  return f;
}

} // namespace kr
