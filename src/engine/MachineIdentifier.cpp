#include "engine/MachineIdentifier.h"

#include "platform/files/FileOperations.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QNetworkInterface>
#include <QRegularExpression>
#include <QSysInfo>

#include <algorithm>
#include <tuple>

namespace kr {

namespace {
QByteArray readSmallFile(const QString& path) {
  // System files (/etc, /sys): read as any file, never waiting on one.
  RegularFileReadOptions bounded;
  bounded.maximumSize = 64 * 1024;
  return FileOperations::readRegularFile(path, nullptr, bounded).value_or(QByteArray()).left(256);
}

QByteArray parseHardwareAddress(const QString& text) {
  const QStringList parts = text.split(u':', Qt::SkipEmptyParts);
  QByteArray bytes;
  for (const QString& part : parts) {
    bool ok = false;
    const uint value = part.toUInt(&ok, 16);
    if (!ok || value > 0xff)
      return {};
    bytes.append(static_cast<char>(value));
  }
  return bytes;
}
} // namespace

QString MachineIdentifier::formatHardwareAddress(const QByteArray& bytes) {
  QString text;
  for (const char byte : bytes.left(6))
    text += QString::asprintf("%x", static_cast<unsigned>(static_cast<unsigned char>(byte)));
  return text;
}

const MachineIdentifier::Interface*
MachineIdentifier::primaryInterface(const QList<Interface>& interfaces) {
  const Interface* best = nullptr;
  for (const Interface& candidate : interfaces) {
    if (candidate.loopback || candidate.hardwareAddress.size() != 6 ||
        candidate.hardwareAddress.count('\0') == 6)
      continue;
    const auto rank = [](const Interface& i) {
      return std::make_tuple(!i.physical, i.randomAddress, i.name);
    };
    if (!best || rank(candidate) < rank(*best))
      best = &candidate;
  }
  return best;
}

QString MachineIdentifier::fromMachineId(const QByteArray& content) {
  const QString digits = QString::fromLatin1(content).trimmed().toLower().remove(
      QRegularExpression(QStringLiteral("[^0-9a-f]")));
  return digits.size() >= 12 ? digits.left(12) : QString();
}

QString MachineIdentifier::choose(const QList<Interface>& interfaces, const QByteArray& machineId,
                                  const QByteArray& fallbackSeed) {
  if (const Interface* primary = primaryInterface(interfaces))
    return formatHardwareAddress(primary->hardwareAddress);
  const QString fromId = fromMachineId(machineId);
  if (!fromId.isEmpty())
    return fromId;
  // Still hex and still the same at every launch on this machine.
  return QString::fromLatin1(
      QCryptographicHash::hash(fallbackSeed, QCryptographicHash::Sha1).toHex().left(12));
}

bool MachineIdentifier::isHex(const QString& identifier) {
  static const QRegularExpression pattern(QStringLiteral("^[0-9a-f]+$"));
  return pattern.match(identifier).hasMatch();
}

QList<MachineIdentifier::Interface> MachineIdentifier::systemInterfaces() {
  QList<Interface> result;
  const QList<QNetworkInterface> all = QNetworkInterface::allInterfaces();
  for (const QNetworkInterface& each : all) {
    Interface entry;
    entry.name = each.name();
    entry.hardwareAddress = parseHardwareAddress(each.hardwareAddress());
    entry.loopback = each.flags().testFlag(QNetworkInterface::IsLoopBack) ||
                     each.type() == QNetworkInterface::Loopback;
    // Interfaces of real hardware have a device link in sysfs.
    entry.physical = QFileInfo::exists(QStringLiteral("/sys/class/net/%1/device").arg(each.name()));
    // 1 is the kernel's code for an address chosen at random.
    entry.randomAddress =
        readSmallFile(QStringLiteral("/sys/class/net/%1/addr_assign_type").arg(each.name()))
            .trimmed() == "1";
    result << entry;
  }
  return result;
}

QString MachineIdentifier::compute() {
  QByteArray machineId = readSmallFile(QStringLiteral("/etc/machine-id"));
  if (fromMachineId(machineId).isEmpty())
    machineId = readSmallFile(QStringLiteral("/var/lib/dbus/machine-id"));
  return choose(systemInterfaces(), machineId, QSysInfo::machineHostName().toUtf8());
}

} // namespace kr
