#pragma once

#include <QWidget>

class QCheckBox;
class QComboBox;

namespace kr {

class PreferenceControls;

// The "General" pane: the tray icon's picture and whether a click on it
// brings the window below the icon.
class GeneralPane final : public QWidget {
  Q_OBJECT

public:
  explicit GeneralPane(PreferenceControls& controls, QWidget* parent = nullptr);

  QComboBox* iconChoice() const { return icon_; }
  QCheckBox* moveBelowIcon() const { return below_; }

private:
  QComboBox* icon_;
  QCheckBox* below_;
};

} // namespace kr
