#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace kr {

// The name of this computer in log-file names: the hardware address of its
// primary network interface, each byte as unpadded lower-case hex ("%x"), so
// 00 1b 63 0a bc de gives "01b63abcde". Always hexadecimal: without a usable
// interface the system's machine id stands in.
class MachineIdentifier {
public:
  struct Interface {
    QString name;
    QByteArray hardwareAddress; // raw bytes
    bool loopback = false;
    bool physical = false;      // backed by a device, not a bridge, tunnel or veth
    bool randomAddress = false; // given a random address by the kernel at creation
  };

  // Reads the interfaces and the machine id of this system.
  static QString compute();

  // The primary interface: non-loopback with a 6-byte address that is not all
  // zero; physical ones first, then those whose address is not random (it
  // would change at the next boot), then the lowest name. None when no
  // interface fits.
  static const Interface* primaryInterface(const QList<Interface>& interfaces);
  static QString formatHardwareAddress(const QByteArray& bytes);
  // The first 12 hex digits of a machine-id file's content; empty when it
  // holds fewer.
  static QString fromMachineId(const QByteArray& content);
  // The whole rule over given inputs; `fallbackSeed` names the machine when
  // neither an interface nor a machine id is there.
  static QString choose(const QList<Interface>& interfaces, const QByteArray& machineId,
                        const QByteArray& fallbackSeed);

  static bool isHex(const QString& identifier);

  static QList<Interface> systemInterfaces();
};

} // namespace kr
