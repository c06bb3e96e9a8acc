// Reading and writing a 1 MB RTF document: a daily log file grown large.
#include "platform/richtext/RtfReader.h"
#include "platform/richtext/RtfWriter.h"

#include <benchmark/benchmark.h>

namespace {

// About 1 MB of RTF in the style of the log files: keyword lines in bold,
// values, objectives with links, colours, non-ASCII text and escapes.
QByteArray megabyteDocument() {
  QByteArray rtf = "{\\rtf1\\ansi\\ansicpg1252\\cocoartf2709\n"
                   "{\\fonttbl\\f0\\fswiss\\fcharset0 Helvetica;\\f1\\fswiss\\fcharset0 "
                   "Helvetica-Bold;}\n{\\colortbl;\\red255\\green255\\blue255;\\red12\\green96"
                   "\\blue200;}\n{\\*\\expandedcolortbl;;\\cssrgb\\c5000\\c45000\\c82000;}\n"
                   "\\pard\\pardirnatural\\partightenfactor0\n";
  int entry = 0;
  while (rtf.size() < 1024 * 1024) {
    rtf.append("\\f1\\b\\fs24 \\cf0 #TimeSlice\\\n\\f0\\b0 ");
    rtf.append(QByteArray::number(entry++).rightJustified(8, '0'));
    rtf.append("-4C1A-9E2B-7D3F5A6B8C9D\\\n\\f1\\b #objective\\\n\\f0\\b0 Write the "
               "\\'8bquarterly\\'9b report for caf\\'e9 \\uc0\\u8364  and call "
               "{\\field{\\*\\fldinst{HYPERLINK \"korvaner2things://A1B2C3\"}}{\\fldrslt \\cf2 "
               "\\ul the dentist}}\\cf0 \\ulnone  today \\{really\\}\\\n"
               "\\f1\\b #duration\\\n\\f0\\b0 1500\\\n\\f1\\b #actualDuration\\\n\\f0\\b0 "
               "1499\\\n\\f1\\b #startDate\\\n\\f0\\b0 2020-03-07 09:05:00\\\n\\f1\\b "
               "#endDate\\\n\\f0\\b0 2020-03-07 09:30:00\\\n\\f1\\b #completed\\\n\\f0\\b0 "
               "YES\\\n\\f1\\b #focusRating\\\n\\f0\\b0 \\i highly focused\\i0 \\\n\\f1\\b "
               "#tags\\\n\\f0\\b0 work,writing\\\n");
  }
  rtf.append('}');
  return rtf;
}

void readRtf(benchmark::State& state) {
  const QByteArray rtf = megabyteDocument();
  for (auto _ : state) {
    kr::RichText text = kr::RtfReader::read(rtf).text;
    benchmark::DoNotOptimize(text);
  }
  state.SetBytesProcessed(state.iterations() * rtf.size());
  state.counters["rtf_bytes"] = double(rtf.size());
}

void writeRtf(benchmark::State& state) {
  const kr::RichText text = kr::RtfReader::read(megabyteDocument()).text;
  qsizetype written = 0;
  for (auto _ : state) {
    const QByteArray rtf = kr::RtfWriter::write(text);
    written = rtf.size();
    benchmark::DoNotOptimize(rtf);
  }
  state.counters["rtf_bytes"] = double(written);
  state.counters["runs"] = double(text.runs().size());
}

} // namespace

BENCHMARK(readRtf)->Unit(benchmark::kMillisecond);
BENCHMARK(writeRtf)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
