#pragma once

#include <QWidget>

namespace kr {

// A backdrop view. Linux has no blurred window backdrop, so the dark material
// is painted as a translucent dark fill; other materials paint nothing and let
// the views behind show through.
class VisualEffectView : public QWidget {
  Q_OBJECT

public:
  enum class Material { appearanceBased = 0, light = 1, dark = 2 };
  enum class State { followsWindowActiveState = 0, active = 1, inactive = 2 };
  enum class BlendingMode { behindWindow = 0, withinWindow = 1 };

  explicit VisualEffectView(QWidget* parent = nullptr);

  Material material() const { return material_; }
  void setMaterial(Material material);
  State state() const { return state_; }
  void setState(State state) { state_ = state; }
  BlendingMode blendingMode() const { return blendingMode_; }
  void setBlendingMode(BlendingMode mode) { blendingMode_ = mode; }
  QString appearanceName() const { return appearance_; }
  void setAppearanceName(const QString& name) { appearance_ = name; }

  static QColor darkMaterialColor();

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  Material material_ = Material::appearanceBased;
  State state_ = State::followsWindowActiveState;
  BlendingMode blendingMode_ = BlendingMode::behindWindow;
  QString appearance_;
};

} // namespace kr
