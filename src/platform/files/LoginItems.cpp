#include "platform/files/LoginItems.h"

#include "platform/files/FileOperations.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace kr {

namespace {

const QString kEntryName = QStringLiteral("korvane-r.desktop");

// The escapes of a desktop entry's string values.
QString unescapeValue(const QString& value) {
  QString out;
  for (qsizetype i = 0; i < value.size(); ++i) {
    const QChar c = value.at(i);
    if (c != QLatin1Char('\\') || i + 1 == value.size()) {
      out += c;
      continue;
    }
    const QChar next = value.at(++i);
    switch (next.unicode()) {
    case 's':
      out += QLatin1Char(' ');
      break;
    case 'n':
      out += QLatin1Char('\n');
      break;
    case 't':
      out += QLatin1Char('\t');
      break;
    case 'r':
      out += QLatin1Char('\r');
      break;
    default:
      out += next;
    }
  }
  return out;
}

QString escapeValue(const QString& value) {
  QString out = value;
  out.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
  return out;
}

struct MainGroup {
  QStringList lines;
  // The index of the first line after the main group.
  qsizetype end = 0;
};

// Reads the value of `key` in the "[Desktop Entry]" group.
std::optional<QString> mainGroupValue(const QStringList& lines, const QString& key) {
  bool inMain = false;
  for (const QString& raw : lines) {
    const QString line = raw.trimmed();
    if (line.startsWith(QLatin1Char('['))) {
      inMain = line == QStringLiteral("[Desktop Entry]");
      continue;
    }
    if (!inMain || line.startsWith(QLatin1Char('#')))
      continue;
    const qsizetype equals = line.indexOf(QLatin1Char('='));
    if (equals > 0 && line.left(equals).trimmed() == key)
      return unescapeValue(line.mid(equals + 1).trimmed());
  }
  return std::nullopt;
}

// A desktop entry is a few hundred bytes; anything near this is no entry.
constexpr qint64 kMaximumEntrySize = 256 * 1024;

// The lines of the desktop entry at `path`, read as any file a user or
// another program can put there: nothing when it is no regular file (a pipe,
// a device, a folder) or too large.
std::optional<QStringList> entryLines(const QString& path) {
  RegularFileReadOptions options;
  options.maximumSize = kMaximumEntrySize;
  const std::optional<QByteArray> bytes = FileOperations::readRegularFile(path, nullptr, options);
  if (!bytes)
    return std::nullopt;
  return QString::fromUtf8(*bytes).split(QLatin1Char('\n'));
}

QString installedEntryPath() {
  return QStandardPaths::locate(QStandardPaths::ApplicationsLocation, kEntryName);
}

bool samePath(const QString& a, const QString& b) {
  if (a == b)
    return true;
  const QString canonicalA = QFileInfo(a).canonicalFilePath();
  return !canonicalA.isEmpty() && canonicalA == QFileInfo(b).canonicalFilePath();
}

} // namespace

XdgAutostartLoginItems::XdgAutostartLoginItems(QString programPath, QString installedEntry)
    : programPath_(programPath.isEmpty() ? QCoreApplication::applicationFilePath()
                                         : std::move(programPath)),
      installedEntry_(std::move(installedEntry)) {}

QString XdgAutostartLoginItems::entryPath() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
         QStringLiteral("/autostart/") + kEntryName;
}

QString XdgAutostartLoginItems::programOfExec(const QString& exec) {
  const QString text = exec.trimmed();
  if (!text.startsWith(QLatin1Char('"')))
    return text.section(QLatin1Char(' '), 0, 0);
  QString program;
  for (qsizetype i = 1; i < text.size(); ++i) {
    const QChar c = text.at(i);
    if (c == QLatin1Char('"'))
      return program;
    if (c == QLatin1Char('\\') && i + 1 < text.size())
      program += text.at(++i);
    else
      program += c;
  }
  return {}; // an unclosed quote starts nothing
}

QString XdgAutostartLoginItems::execOfProgram(const QString& program) {
  QString quoted;
  for (const QChar c : program) {
    if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
        c == QLatin1Char('\\'))
      quoted += QLatin1Char('\\');
    if (c == QLatin1Char('%'))
      quoted += QLatin1Char('%');
    quoted += c;
  }
  return QLatin1Char('"') + quoted + QLatin1Char('"');
}

std::optional<QString> XdgAutostartLoginItems::itemForThisProgram() const {
  const QString path = entryPath();
  const std::optional<QStringList> read = entryLines(path);
  if (!read)
    return std::nullopt;
  const QStringList& lines = *read;
  if (mainGroupValue(lines, QStringLiteral("Hidden")).value_or(QString()) == QStringLiteral("true"))
    return std::nullopt;
  const std::optional<QString> exec = mainGroupValue(lines, QStringLiteral("Exec"));
  if (!exec)
    return std::nullopt;
  QString program = programOfExec(*exec);
  program.replace(QStringLiteral("%%"), QStringLiteral("%"));
  if (!samePath(program, programPath_))
    return std::nullopt;
  return path;
}

bool XdgAutostartLoginItems::addThisProgram(QString* error) {
  const QString source = installedEntry_.isEmpty() ? installedEntryPath() : installedEntry_;
  QStringList lines;
  if (!source.isEmpty())
    lines = entryLines(source).value_or(QStringList());
  if (!mainGroupValue(lines, QStringLiteral("Type"))) {
    lines = QStringList{QStringLiteral("[Desktop Entry]"), QStringLiteral("Type=Application"),
                        QStringLiteral("Name=Korvane-R"), QStringLiteral("Terminal=false")};
  }
  // Only the main group: the entry starts the program, with no arguments,
  // and is never hidden.
  QStringList entry;
  bool inMain = false;
  for (const QString& raw : lines) {
    const QString line = raw.trimmed();
    if (line.startsWith(QLatin1Char('['))) {
      inMain = line == QStringLiteral("[Desktop Entry]");
      if (inMain)
        entry << line;
      continue;
    }
    if (!inMain || line.isEmpty())
      continue;
    const QString key = line.section(QLatin1Char('='), 0, 0).trimmed();
    if (key == QStringLiteral("Exec") || key == QStringLiteral("Hidden") ||
        key == QStringLiteral("TryExec") || key == QStringLiteral("Actions") ||
        key == QStringLiteral("MimeType"))
      continue;
    entry << line;
  }
  entry.insert(1, QStringLiteral("Exec=") + escapeValue(execOfProgram(programPath_)));

  const QString path = entryPath();
  if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
    if (error)
      *error = QStringLiteral("could not make the folder %1").arg(QFileInfo(path).absolutePath());
    return false;
  }
  QString why;
  if (!FileOperations::writeRegularFile(
          path, (entry.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8(), &why)) {
    if (error)
      *error = QStringLiteral("could not write %1: %2").arg(path, why);
    return false;
  }
  return true;
}

bool XdgAutostartLoginItems::removeThisProgram(QString* error) {
  QFile file(entryPath());
  if (!file.exists() || file.remove())
    return true;
  if (error)
    *error = QStringLiteral("could not remove %1: %2").arg(file.fileName(), file.errorString());
  return false;
}

} // namespace kr
