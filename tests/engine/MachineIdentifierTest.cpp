#include "engine/MachineIdentifier.h"
#include "engine/BackingStoreManager.h"

#include <gtest/gtest.h>

using namespace kr;
using Interface = MachineIdentifier::Interface;

namespace {

QByteArray bytes(std::initializer_list<int> values) {
  QByteArray result;
  for (int v : values)
    result.append(static_cast<char>(v));
  return result;
}

TEST(MachineIdentifierTest, EachByteIsUnpaddedLowerCaseHex) {
  EXPECT_EQ(MachineIdentifier::formatHardwareAddress(bytes({0x00, 0x1b, 0x63, 0x0a, 0xbc, 0xde})),
            QStringLiteral("01b63abcde"));
  EXPECT_EQ(MachineIdentifier::formatHardwareAddress(bytes({0x0a, 0x00, 0x27, 0x00, 0x00, 0x01})),
            QStringLiteral("a027001"));
  EXPECT_EQ(MachineIdentifier::formatHardwareAddress(bytes({0xff, 0xff, 0xff, 0xff, 0xff, 0xff})),
            QStringLiteral("ffffffffffff"));
}

TEST(MachineIdentifierTest, PrimaryInterfaceIsPhysicalFirstThenLowestName) {
  const QList<Interface> interfaces = {
      {QStringLiteral("lo"), bytes({0, 0, 0, 0, 0, 0}), true, false},
      {QStringLiteral("docker0"), bytes({2, 0x42, 0xac, 0x11, 0, 2}), false, false},
      {QStringLiteral("wlp3s0"), bytes({0x10, 0x20, 0x30, 0x40, 0x50, 0x60}), false, true},
      {QStringLiteral("enp0s31f6"), bytes({0xaa, 0xbb, 0xcc, 0xdd, 0xee, 0x01}), false, true},
      {QStringLiteral("ib0"), QByteArray(20, '\x7'), false, true},
      {QStringLiteral("a-zero"), bytes({0, 0, 0, 0, 0, 0}), false, true},
  };
  EXPECT_EQ(MachineIdentifier::choose(interfaces, {}, {}), QStringLiteral("aabbccddee1"));

  // Without physical interfaces the lowest-named virtual one is used.
  QList<Interface> virtualOnly = {
      interfaces[0],
      interfaces[1],
      {QStringLiteral("veth9"), bytes({1, 2, 3, 4, 5, 6}), false, false}};
  EXPECT_EQ(MachineIdentifier::choose(virtualOnly, {}, {}), QStringLiteral("242ac1102"));
  // An address the kernel drew at random changes at each boot: others go first.
  virtualOnly[1].randomAddress = true;
  EXPECT_EQ(MachineIdentifier::choose(virtualOnly, {}, {}), QStringLiteral("123456"));
}

TEST(MachineIdentifierTest, WithoutAnInterfaceTheIdentifierIsStillHex) {
  const QList<Interface> none = {{QStringLiteral("lo"), bytes({0, 0, 0, 0, 0, 0}), true, false}};
  EXPECT_EQ(MachineIdentifier::choose(none, "0123456789ABCDEF0123456789abcdef\n", "host"),
            QStringLiteral("0123456789ab"));

  // No machine id either: a stable hex name derived from the host.
  const QString fallback = MachineIdentifier::choose(none, "short", "host");
  EXPECT_EQ(fallback.size(), 12);
  EXPECT_TRUE(MachineIdentifier::isHex(fallback));
  EXPECT_EQ(fallback, MachineIdentifier::choose({}, {}, "host"));
  EXPECT_NE(fallback, MachineIdentifier::choose({}, {}, "other host"));
  EXPECT_FALSE(MachineIdentifier::isHex(QStringLiteral("default")));
}

TEST(MachineIdentifierTest, ThisMachineHasAStableHexIdentifier) {
  const QString first = MachineIdentifier::compute();
  EXPECT_TRUE(MachineIdentifier::isHex(first)) << first.toStdString();
  EXPECT_GE(first.size(), 6);
  EXPECT_LE(first.size(), 12);
  EXPECT_EQ(first, MachineIdentifier::compute());
  EXPECT_EQ(BackingStoreManager::sharedManager().obtainMACAddress(),
            BackingStoreManager::sharedManager().obtainMACAddress());
}

} // namespace
