#include "platform/linux/media/LoopingPcmSource.h"
#include "platform/files/WavFile.h"

#include <gtest/gtest.h>

namespace {

TEST(LoopingPcmSourceTest, RepeatsTheSamplesEndlesslyWithoutAGapOrAShift) {
  const QByteArray pcm("ABCDEFGH");          // four 2-byte frames
  kr::LoopingPcmSource source(pcm + "X", 2); // a partial frame is dropped
  ASSERT_TRUE(source.open(QIODevice::ReadOnly | QIODevice::Unbuffered));
  EXPECT_GT(source.bytesAvailable(), 0);
  QByteArray out;
  for (int chunk : {3, 6, 10, 1, 20}) // odd requests are cut to whole frames
    out += source.read(chunk);
  EXPECT_EQ(out.size(), 2 + 6 + 10 + 0 + 20);
  EXPECT_EQ(out, QByteArray("ABCDEFGHABCDEFGHABCDEFGHABCDEFGHABCDEF"));
}

TEST(LoopingPcmSourceTest, AnEmptySoundGivesNothing) {
  kr::LoopingPcmSource source(QByteArray(), 4);
  ASSERT_TRUE(source.open(QIODevice::ReadOnly | QIODevice::Unbuffered));
  EXPECT_EQ(source.bytesAvailable(), 0);
  EXPECT_TRUE(source.read(100).isEmpty());
}

} // namespace
