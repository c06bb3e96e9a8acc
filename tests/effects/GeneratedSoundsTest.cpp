#include "effects/soundgen/SoundSynth.h"
#include "platform/files/WavFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>

#include <sys/stat.h>

namespace {

std::vector<int16_t> samples(const kr::WavFile& wav) {
  std::vector<int16_t> out(size_t(wav.frameCount()));
  std::memcpy(out.data(), wav.pcm.constData(), out.size() * 2);
  return out;
}

TEST(GeneratedSounds, TheBuildWritesEveryCatalogSoundAsAValidWavOfItsLength) {
  const QString folder = QStringLiteral(KR_SOUNDS_DIR);
  ASSERT_EQ(kr::SoundSynth::catalog().size(), 7u);
  for (const kr::SoundSynth::Sound& sound : kr::SoundSynth::catalog()) {
    SCOPED_TRACE(sound.fileName.toStdString());
    QString error;
    const auto wav =
        kr::WavFile::read(folder + u'/' + sound.fileName + QStringLiteral(".wav"), &error);
    ASSERT_TRUE(wav) << error.toStdString();
    EXPECT_EQ(wav->sampleRate, 44100);
    EXPECT_EQ(wav->channels, 1);
    EXPECT_EQ(wav->bitsPerSample, 16);
    EXPECT_EQ(wav->frameCount(), std::lround(sound.seconds * 44100));
    EXPECT_NEAR(wav->durationSeconds(), sound.seconds, 1e-4);

    // Audible, never clipped, and silent at both ends unless it is a loop.
    const std::vector<int16_t> s = samples(*wav);
    int peak = 0;
    for (int16_t v : s)
      peak = std::max(peak, std::abs(int(v)));
    EXPECT_GT(peak, 3000);
    EXPECT_LT(peak, 32767);
    EXPECT_EQ(wav->pcm, kr::SoundSynth::synthesize(sound.fileName).pcm) << "not reproducible";
  }
}

TEST(GeneratedSounds, LoopsJoinWithoutAClick) {
  for (const char* name : {"pink_noise", "clock1_c"}) {
    SCOPED_TRACE(name);
    const std::vector<int16_t> s = samples(kr::SoundSynth::synthesize(QString::fromLatin1(name)));
    ASSERT_GT(s.size(), 2u);
    // The step across the seam is no larger than the steps inside the sound.
    int largestStep = 0;
    for (size_t i = 1; i < s.size(); ++i)
      largestStep = std::max(largestStep, std::abs(int(s[i]) - int(s[i - 1])));
    EXPECT_LE(std::abs(int(s.front()) - int(s.back())), largestStep);
  }
}

TEST(WavFileTest, ReadsWhatItWritesAndSkipsUnknownChunks) {
  kr::WavFile wav;
  wav.sampleRate = 8000;
  wav.channels = 2;
  wav.bitsPerSample = 16;
  wav.pcm = QByteArray("\x01\x00\x02\x00\x03\x00\x04\x00", 8);
  QByteArray bytes = wav.serialize();
  ASSERT_EQ(bytes.size(), 44 + 8);
  auto back = kr::WavFile::parse(bytes);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->frameCount(), 2);
  EXPECT_EQ(back->pcm, wav.pcm);

  // An odd-sized "LIST" chunk (padded) before the data.
  QByteArray withList = bytes.left(36) +
                        QByteArray("LIST\x03\x00\x00\x00"
                                   "abc\x00",
                                   12) +
                        bytes.mid(36);
  const quint32 riffSize = quint32(withList.size() - 8);
  withList.replace(4, 4, QByteArray(reinterpret_cast<const char*>(&riffSize), 4));
  back = kr::WavFile::parse(withList);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->pcm, wav.pcm);
}

TEST(WavFileTest, RejectsDamagedFilesWithAReason) {
  kr::WavFile wav;
  wav.sampleRate = 8000;
  wav.channels = 1;
  wav.bitsPerSample = 16;
  wav.pcm = QByteArray(100, '\0');
  const QByteArray good = wav.serialize();
  QString error;
  EXPECT_FALSE(kr::WavFile::parse(QByteArray("RIFX") + good.mid(4), &error));
  EXPECT_FALSE(error.isEmpty());
  EXPECT_FALSE(kr::WavFile::parse(good.left(60), &error)); // truncated
  QByteArray compressed = good;
  compressed[20] = 3; // IEEE float, not PCM
  EXPECT_FALSE(kr::WavFile::parse(compressed, &error));
  QByteArray lying = good;
  lying[40] = char(0xff); // data size past the end
  EXPECT_FALSE(kr::WavFile::parse(lying, &error));
  EXPECT_FALSE(kr::WavFile::parse(QByteArray(), &error));
  EXPECT_FALSE(kr::WavFile::read(QStringLiteral("/nonexistent/x.wav"), &error));
  EXPECT_TRUE(error.contains(QStringLiteral("cannot open")));
}

TEST(GeneratedSounds, ASoundThatIsAPipeADeviceOrAFolderIsRefusedAtOnce) {
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  const QString pipe = folder.filePath(QStringLiteral("pipe.wav"));
  ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
  const QString device = folder.filePath(QStringLiteral("zero.wav"));
  ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), device));
  const QString inner = folder.filePath(QStringLiteral("folder.wav"));
  ASSERT_TRUE(QDir().mkpath(inner));
  for (const QString& path : {pipe, device, inner}) {
    QString error;
    EXPECT_FALSE(kr::WavFile::read(path, &error)) << path.toStdString();
    EXPECT_TRUE(error.contains(QStringLiteral("not a regular file"))) << error.toStdString();
  }
}

} // namespace
