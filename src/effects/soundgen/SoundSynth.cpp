#include "effects/soundgen/SoundSynth.h"

#include <QDir>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

namespace kr {

namespace {
constexpr double kTwoPi = 2.0 * std::numbers::pi;

using Samples = std::vector<double>;

Samples silence(double seconds) {
  return Samples(size_t(std::lround(seconds * SoundSynth::kSampleRate)), 0.0);
}

size_t at(double seconds) { return size_t(std::lround(seconds * SoundSynth::kSampleRate)); }

// A decaying sine with a short attack, added into the buffer.
void bell(Samples& out, double start, double length, double frequency, double amplitude,
          double decay) {
  const size_t first = at(start);
  const size_t count = std::min(at(length), out.size() - std::min(first, out.size()));
  for (size_t i = 0; i < count; ++i) {
    const double t = double(i) / SoundSynth::kSampleRate;
    const double attack = std::min(1.0, t / 0.004);
    const double release = std::min(1.0, (length - t) / 0.01);
    const double envelope = attack * release * std::exp(-decay * t);
    out[first + i] +=
        amplitude * envelope *
        (std::sin(kTwoPi * frequency * t) + 0.3 * std::sin(kTwoPi * 2 * frequency * t));
  }
}

// A short filtered click, as of a clock's escapement.
void click(Samples& out, double start, double pitch, double amplitude) {
  bell(out, start, 0.03, pitch, amplitude, 180.0);
  bell(out, start, 0.012, pitch * 2.7, amplitude * 0.5, 400.0);
}

// A tone with a flat envelope and soft edges.
void beep(Samples& out, double start, double length, double frequency, double amplitude) {
  const size_t first = at(start);
  const size_t count = at(length);
  for (size_t i = 0; i < count && first + i < out.size(); ++i) {
    const double t = double(i) / SoundSynth::kSampleRate;
    const double edge = std::min({1.0, t / 0.005, (length - t) / 0.005});
    out[first + i] += amplitude * edge * std::sin(kTwoPi * frequency * t);
  }
}

// Pink noise (Paul Kellet's filter over a fixed-seed generator), made to loop
// without a seam: the tail is cross-faded into the head.
Samples pinkNoise(double seconds) {
  const size_t n = at(seconds);
  const size_t fade = at(0.5);
  Samples raw(n + fade);
  uint32_t state = 0x12345678u;
  double b0 = 0, b1 = 0, b2 = 0, b3 = 0, b4 = 0, b5 = 0, b6 = 0;
  for (double& s : raw) {
    state = state * 1664525u + 1013904223u;
    const double white = double(state >> 8) / double(1u << 24) * 2.0 - 1.0;
    b0 = 0.99886 * b0 + white * 0.0555179;
    b1 = 0.99332 * b1 + white * 0.0750759;
    b2 = 0.96900 * b2 + white * 0.1538520;
    b3 = 0.86650 * b3 + white * 0.3104856;
    b4 = 0.55000 * b4 + white * 0.5329522;
    b5 = -0.7616 * b5 - white * 0.0168980;
    s = (b0 + b1 + b2 + b3 + b4 + b5 + b6 + white * 0.5362) * 0.11;
    b6 = white * 0.115926;
  }
  Samples out(raw.begin(), raw.begin() + long(n));
  for (size_t i = 0; i < fade; ++i) {
    const double w = double(i) / double(fade);
    out[i] = raw[n + i] * (1.0 - w) + raw[i] * w;
  }
  return out;
}

Samples compose(const QString& name, double seconds) {
  Samples s = silence(seconds);
  if (name == QLatin1String("sosumi")) {
    bell(s, 0.0, 0.35, 880.0, 0.45, 9.0);
    bell(s, 0.18, 0.52, 1174.7, 0.45, 7.0);
  } else if (name == QLatin1String("clock1")) {
    click(s, 0.0, 2200.0, 0.8);
    click(s, 0.25, 1700.0, 0.7);
  } else if (name == QLatin1String("clock1_c")) {
    // One tick a second, alternating pitch; the loop repeats every two seconds.
    click(s, 0.0, 2200.0, 0.6);
    click(s, 1.0, 1700.0, 0.55);
  } else if (name == QLatin1String("alarm_clock")) {
    for (int burst = 0; burst < 3; ++burst) {
      for (int strike = 0; strike < 10; ++strike) {
        const double start = burst * 0.8 + strike * 0.05;
        bell(s, start, 0.05, strike % 2 ? 1318.5 : 1046.5, 0.35, 20.0);
      }
    }
  } else if (name == QLatin1String("morse")) {
    beep(s, 0.0, 0.1, 700.0, 0.5);
    beep(s, 0.2, 0.3, 700.0, 0.5);
    beep(s, 0.6, 0.1, 700.0, 0.5);
  } else if (name == QLatin1String("pop")) {
    const size_t count = s.size();
    double phase = 0.0;
    for (size_t i = 0; i < count; ++i) {
      const double t = double(i) / SoundSynth::kSampleRate;
      phase += kTwoPi * (420.0 - 1800.0 * t) / SoundSynth::kSampleRate;
      s[i] = 0.7 * std::min(1.0, t / 0.002) * std::exp(-35.0 * t) * std::sin(phase);
    }
  } else if (name == QLatin1String("pink_noise")) {
    s = pinkNoise(seconds);
  }
  return s;
}

QByteArray toPcm16(const Samples& samples) {
  QByteArray pcm;
  pcm.resize(qsizetype(samples.size() * 2));
  char* p = pcm.data();
  for (double v : samples) {
    const auto value = int16_t(std::lround(std::clamp(v, -1.0, 1.0) * 32767.0));
    p[0] = char(value & 0xff);
    p[1] = char((value >> 8) & 0xff);
    p += 2;
  }
  return pcm;
}
} // namespace

const std::vector<SoundSynth::Sound>& SoundSynth::catalog() {
  static const std::vector<Sound> sounds = {
      {QStringLiteral("sosumi"), 0.7},      {QStringLiteral("clock1"), 0.5},
      {QStringLiteral("clock1_c"), 2.0},    {QStringLiteral("alarm_clock"), 2.4},
      {QStringLiteral("morse"), 0.9},       {QStringLiteral("pop"), 0.15},
      {QStringLiteral("pink_noise"), 10.0},
  };
  return sounds;
}

WavFile SoundSynth::synthesize(const QString& fileName) {
  WavFile wav;
  wav.sampleRate = kSampleRate;
  wav.channels = 1;
  wav.bitsPerSample = 16;
  for (const Sound& sound : catalog()) {
    if (sound.fileName == fileName)
      wav.pcm = toPcm16(compose(fileName, sound.seconds));
  }
  return wav;
}

bool SoundSynth::writeAll(const QString& folder, QString* error) {
  if (!QDir().mkpath(folder)) {
    if (error)
      *error = QStringLiteral("cannot create %1").arg(folder);
    return false;
  }
  for (const Sound& sound : catalog()) {
    if (!synthesize(sound.fileName)
             .write(folder + u'/' + sound.fileName + QStringLiteral(".wav"), error))
      return false;
  }
  return true;
}

} // namespace kr
