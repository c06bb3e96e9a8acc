#include "kit/skins/DrawingAsset.h"

namespace kr {

DrawingAsset DrawingAsset::image(DrawnImage image) {
  DrawingAsset asset;
  asset.kind_ = Kind::image;
  asset.image_ = std::move(image);
  return asset;
}

DrawingAsset DrawingAsset::path(BezierPath path) {
  DrawingAsset asset;
  asset.kind_ = Kind::path;
  asset.path_ = std::move(path);
  return asset;
}

DrawingAsset DrawingAsset::text(QString text) {
  DrawingAsset asset;
  asset.kind_ = Kind::text;
  asset.text_ = std::move(text);
  return asset;
}

DrawingAsset DrawingAsset::textProvider(TextProvider provider) {
  DrawingAsset asset;
  asset.kind_ = Kind::textProvider;
  asset.provider_ = std::move(provider);
  return asset;
}

} // namespace kr
