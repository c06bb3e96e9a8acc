#pragma once

#include <QString>

#include <optional>

namespace kr {

// Whether the desktop starts this program when the user logs in, and turning
// that on and off.
class LoginItems {
public:
  virtual ~LoginItems() = default;

  // The entry that starts this program at login, or none.
  virtual std::optional<QString> itemForThisProgram() const = 0;
  bool containsThisProgram() const { return itemForThisProgram().has_value(); }
  // Whether it worked; `error` says why not.
  virtual bool addThisProgram(QString* error) = 0;
  virtual bool removeThisProgram(QString* error) = 0;
};

// The freedesktop autostart entry "$XDG_CONFIG_HOME/autostart/korvane-r.desktop",
// made from the installed desktop entry with Exec the running program. An
// entry that is hidden or starts another program does not count.
class XdgAutostartLoginItems final : public LoginItems {
public:
  // `programPath`: the program the entry starts (default: this process's).
  // `installedEntry`: the desktop entry copied (default: the one installed in
  // the applications folders; without one a plain entry is written).
  explicit XdgAutostartLoginItems(QString programPath = {}, QString installedEntry = {});

  std::optional<QString> itemForThisProgram() const override;
  bool addThisProgram(QString* error) override;
  bool removeThisProgram(QString* error) override;

  static QString entryPath();
  // The program an Exec line starts (its first word, unquoted).
  static QString programOfExec(const QString& exec);
  // The Exec value that starts `program` with no arguments.
  static QString execOfProgram(const QString& program);

private:
  QString programPath_;
  QString installedEntry_;
};

} // namespace kr
