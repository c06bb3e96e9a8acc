// Text added at the end of a document in place reads as if the whole
// document had been written again, at every step of the append; documents
// where that cannot be promised are declined.
#include "platform/richtext/RtfInPlaceAppend.h"
#include "platform/richtext/RtfReader.h"
#include "platform/richtext/RtfWriter.h"

#include <QFile>
#include <QTemporaryDir>

#include "support/LogFormats.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace kr;
using kr::test::charFormat;

namespace kr {
// Failures show the runs, not the bytes of the object.
void PrintTo(const RichText& text, std::ostream* out) {
  for (const RichText::Run& run : text.runs()) {
    const CharFormat& f = run.format;
    *out << "\n["
         << text.plainText().mid(run.start, run.length).toUtf8().toPercentEncoding(" ").constData()
         << "] font=" << f.fontFamily.toStdString() << " size=" << f.fontSize << " b=" << f.bold
         << " fg=" << (f.foreground ? f.foreground->toHex().toStdString() : "-")
         << " link=" << f.link.toStdString() << " att=" << f.attachment.toStdString();
  }
}
} // namespace kr

namespace {

using Step = RtfInPlaceAppend::Step;

const RgbColor kBlack{0, 0, 0};
const RgbColor kRed{190, 20, 20};

// A day as the log keeps it: entries in Helvetica, a link, another font,
// characters of the other formats the editor keeps, a picture, characters
// outside ASCII and beyond the first plane.
RichText day() {
  RichText text;
  text.append(u"#TimeSlice\n", charFormat(QStringLiteral("Helvetica"), 12, true, false, kBlack));
  CharFormat marked = charFormat(QStringLiteral("Helvetica"), 12, false, false, kBlack);
  marked.background = kRed;
  marked.capitals = true;
  marked.letterSpacing = 30;
  marked.strikeThrough = marked.doubleStrike = true;
  text.append(u"marked ", marked);
  text.append(u"Notes: caf\u00e9 \u20ac5\ttab\u2028line \U0001F600 ",
              charFormat(QStringLiteral("Helvetica"), 12, false, false, kBlack));
  text.append(u"the plan", charFormat(QStringLiteral("Helvetica"), 12, false, false, kBlack,
                                      QStringLiteral("https://example.org/a?b=c&d")));
  text.append(u" {braces} and \\ back\n",
              charFormat(QStringLiteral("Menlo; Mono"), 9, false, false, kRed));
  text.appendAttachment(QStringLiteral("picture.png"), QByteArray("png"));
  text.append(u"\nplain end");
  return text;
}

RichText entry() {
  RichText text(QStringLiteral("#TimeSlice\n"),
                charFormat(QStringLiteral("Helvetica"), 12, true, false, kBlack));
  text.append(u"Write the report \u00e9\U0001F680\n",
              charFormat(QStringLiteral("Helvetica"), 12, false, false, kBlack));
  text.append(u"plain and ");
  text.append(u"red", charFormat(QStringLiteral("Menlo; Mono"), 9, false, false, kRed));
  return text;
}

RichText joined(RichText first, const RichText& second) {
  first.append(second);
  return first;
}

// What the document reads as: its text, which must be read in full.
RichText readWhole(const QByteArray& rtf) {
  RtfReader::Result result = RtfReader::read(rtf);
  EXPECT_TRUE(result.wellFormed) << rtf.right(200).toStdString();
  return result.text;
}

TEST(RtfInPlaceAppend, WritersHeaderGivesBackItsTables) {
  for (const RichText& text : {RichText(), day(), entry()}) {
    const QByteArray rtf = RtfWriter::write(text);
    const auto header = RtfWriter::readHeader(rtf);
    ASSERT_TRUE(header) << rtf.left(300).toStdString();
    EXPECT_EQ(RtfWriter::header(header->first), rtf.left(header->second));
    EXPECT_EQ(rtf.at(header->second - 1), '\n');
    if (text.isEmpty()) { // the table a reader expects, which no run uses
      EXPECT_EQ(header->first.fonts, QStringList{QStringLiteral("Helvetica")});
    }
  }
  const auto tables = RtfWriter::readHeader(RtfWriter::write(day()))->first;
  EXPECT_EQ(tables.fonts,
            (QStringList{QStringLiteral("Helvetica"), QStringLiteral("Menlo; Mono")}));
  EXPECT_EQ(tables.colors, (std::vector<RgbColor>{kBlack, kRed}));

  // Beginnings the writer never writes.
  const QByteArray rtf = RtfWriter::write(day());
  QByteArray other = rtf;
  EXPECT_FALSE(RtfWriter::readHeader(other.replace("ansicpg1252", "ansicpg1251")));
  other = rtf;
  EXPECT_FALSE(RtfWriter::readHeader(other.replace("\\fnil", "\\fswiss")));
  other = rtf;
  EXPECT_FALSE(RtfWriter::readHeader(other.replace("\\red190", "\\red290")));
  other = rtf;
  EXPECT_FALSE(RtfWriter::readHeader(other.replace("\\f1", "\\f2")));
  EXPECT_FALSE(RtfWriter::readHeader("\xEF\xBB\xBF" + rtf));
  EXPECT_FALSE(RtfWriter::readHeader(rtf.left(60)));
  // A font name spelt otherwise than the writer does.
  other = rtf;
  EXPECT_FALSE(RtfWriter::readHeader(other.replace("Menlo\\'3b Mono", "Menlo\\u59? Mono")));
  QFile cocoa(QStringLiteral(KR_TEST_DATA_DIR "/rtf/cocoa-log-entry.rtf"));
  ASSERT_TRUE(cocoa.open(QIODevice::ReadOnly));
  EXPECT_FALSE(RtfWriter::readHeader(cocoa.readAll()));
}

TEST(RtfInPlaceAppend, AppendedTextReadsAsTheWholeDocumentWrittenAgain) {
  RichText endsWithLink = day();
  endsWithLink.append(u"the plan", charFormat(QStringLiteral("Helvetica"), 12, false, false, kBlack,
                                              QStringLiteral("https://example.org/a?b=c&d")));
  RichText startsWithLink(QStringLiteral("more of the plan"),
                          charFormat(QStringLiteral("Helvetica"), 12, false, false, kBlack,
                                     QStringLiteral("https://example.org/a?b=c&d")));
  RichText endsWithPicture = day();
  endsWithPicture.appendAttachment(QStringLiteral("last.png"), QByteArray("png"));
  RichText startsWithStandIn(QStringLiteral("\u00ac not a stand-in"));

  const std::pair<RichText, RichText> cases[] = {
      {day(), entry()},
      {day(), RichText(QStringLiteral("plain and nothing else\n"))},
      {endsWithLink, startsWithLink},
      {endsWithPicture, startsWithStandIn},
      {joined(day(), entry()), entry()},
      {RichText(), RichText(QStringLiteral("first of the day"))},
      {day(), RichText()},
  };
  for (const auto& [old, added] : cases) {
    SCOPED_TRACE(old.plainText().right(40).toStdString() + " + " +
                 added.plainText().left(40).toStdString());
    const QByteArray document = RtfWriter::write(old);
    QString why;
    const auto plan = RtfInPlaceAppend::plan(document, added, &why);
    ASSERT_TRUE(plan) << why.toStdString();
    EXPECT_EQ(plan->size, document.size());
    EXPECT_EQ(document.at(qsizetype(plan->closingBrace)), '}');

    const RichText rewritten = readWhole(RtfWriter::write(joined(old, added)));
    EXPECT_EQ(readWhole(RtfInPlaceAppend::applied(document, *plan, Step::Finished)), rewritten);
    EXPECT_EQ(readWhole(RtfInPlaceAppend::applied(document, *plan, Step::Brace)), rewritten);
    // Cut short anywhere before the brace goes, the document reads as before.
    const RichText before = readWhole(document);
    for (qsizetype cut : {qsizetype(0), qsizetype(1), plan->tail.size() / 2, plan->tail.size()})
      EXPECT_EQ(readWhole(RtfInPlaceAppend::applied(document, *plan, Step::Tail, cut)), before);

    // The finished document takes the next entry in place too.
    const QByteArray finished = RtfInPlaceAppend::applied(document, *plan, Step::Finished);
    const RichText more(QStringLiteral("and more\n"));
    const auto next = RtfInPlaceAppend::plan(finished, more, &why);
    ASSERT_TRUE(next) << why.toStdString();
    EXPECT_EQ(readWhole(RtfInPlaceAppend::applied(finished, *next, Step::Finished)),
              readWhole(RtfWriter::write(joined(joined(old, added), more))));
  }
}

TEST(RtfInPlaceAppend, DeclinesWhatItCannotAppendToSafely) {
  const QByteArray document = RtfWriter::write(day());
  const qsizetype end = document.lastIndexOf('}');
  auto declined = [](const QByteArray& rtf, const RichText& added, const char* reason) {
    QString why;
    EXPECT_FALSE(RtfInPlaceAppend::plan(rtf, added, &why)) << reason;
    EXPECT_TRUE(why.contains(QLatin1String(reason))) << why.toStdString();
  };
  auto withBody = [&](const char* body) {
    return document.left(end) + QByteArray(body) + document.mid(end);
  };
  declined(document, RichText(QStringLiteral("x"), charFormat(QStringLiteral("Times"))),
           "font or colour");
  declined(document,
           RichText(QStringLiteral("x"), charFormat({}, 0, false, false, RgbColor{1, 2, 3})),
           "font or colour");
  RichText picture;
  picture.appendAttachment(QStringLiteral("new.png"), QByteArray("png"));
  declined(document, picture, "attachments");

  declined(document.left(end), entry(), "groups do not close");
  declined(document.left(document.size() / 2), entry(), "");
  // The tail of an append of ours cut short gives way to the entry's own.
  const QByteArray cutShort = document + "\n{tail of an append cut short";
  const auto overTail = RtfInPlaceAppend::plan(cutShort, entry());
  ASSERT_TRUE(overTail);
  EXPECT_EQ(overTail->size, document.size() + 1);
  EXPECT_EQ(RtfInPlaceAppend::applied(cutShort, *overTail, Step::Finished),
            RtfInPlaceAppend::applied(document + "\n", *overTail, Step::Finished));
  declined(document + " ", entry(), "follows the document's end");
  declined(withBody("\\b bold from here on"), entry(), "control word \\b");
  declined(withBody("{\\bin5 }}}}}}"), entry(), "control word \\bin");
  declined(withBody("{\\*\\generator x}"), entry(), "ignorable group");
  declined(withBody("{\\uc0 x}"), entry(), "control word \\uc");
  declined(withBody("\\~"), entry(), "control symbol");
  declined(withBody("{\\fs99999999999999999999 x}"), entry(), "overlong number");
  declined(withBody("\\'4"), entry(), "hex escape");
  declined(withBody("{{\\NeXTGraphic x.png}}"), entry(), "ends in an attachment");
  // A link's address, a zero byte are no characters of the text: the
  // stand-in is still due.
  declined(document.left(end) + "{{\\NeXTGraphic x.png}}" + QByteArray(1, '\0') + document.mid(end),
           entry(), "ends in an attachment");
  declined(withBody("{{\\NeXTGraphic x.png}}{\\field{\\*\\fldinst{HYPERLINK \"u\"}}{\\fldrslt }}"),
           entry(), "ends in an attachment");
  // Half a pair at the end: the reader would join it to the entry.
  declined(withBody("\\u-10179?"), entry(), "half a character");
  declined(withBody("{\\b \\u55357?}"), entry(), "half a character");
  RichText half(QString(QChar(0xDE00)) + QStringLiteral(" the other half"));
  declined(document, half, "half a character");
  declined(withBody(QByteArray(100, '{').append(QByteArray(100, '}')).constData()), entry(),
           "nest too deeply");
  QFile cocoa(QStringLiteral(KR_TEST_DATA_DIR "/rtf/cocoa-log-entry.rtf"));
  ASSERT_TRUE(cocoa.open(QIODevice::ReadOnly));
  declined(cocoa.readAll(), entry(), "does not begin");

  // An attachment followed by its stand-in, as the writer writes it, is fine;
  // so is a last \u without its fallback, which takes nothing of the entry.
  for (const char* body : {"{{\\NeXTGraphic x.png}\\'ac}", "\\u8364", "\\u-10179?\\u-8704?"}) {
    const QByteArray odd = withBody(body);
    const auto plan = RtfInPlaceAppend::plan(odd, entry());
    ASSERT_TRUE(plan) << body;
    EXPECT_EQ(readWhole(RtfInPlaceAppend::applied(odd, *plan, Step::Finished)),
              joined(readWhole(odd), entry()))
        << body;
  }
}

// Reads the document the way a file is read: a block at a time.
std::optional<RtfInPlaceAppend::Plan> planInBlocks(const QByteArray& document, qsizetype block,
                                                   QString* why, int* reads) {
  return RtfInPlaceAppend::plan(
      [&](qint64 offset, char* buffer, qsizetype length) {
        ++*reads;
        if (offset + length > document.size() || length > block)
          return false;
        std::memcpy(buffer, document.constData() + offset, size_t(length));
        return true;
      },
      document.size(), entry(), why, block);
}

TEST(RtfInPlaceAppend, ReadingInBlocksFindsWhatReadingAtOnceFinds) {
  RichText long_;
  for (int i = 0; i < 40; ++i)
    long_.append(day());
  const QByteArray document = RtfWriter::write(long_);
  const auto whole = RtfInPlaceAppend::plan(document, entry());
  ASSERT_TRUE(whole);
  // A control word placed just before the end is found wherever a block ends.
  const qsizetype end = document.lastIndexOf('}');
  const QByteArray foreign = document.left(end) + "{\\highlight3 x}" + document.mid(end);
  ASSERT_LT(RtfWriter::readHeader(document)->second, 200); // within the first block
  for (qsizetype block = 200; block < 800; block += 7) {
    QString why;
    int reads = 0;
    const auto inBlocks = planInBlocks(document, block, &why, &reads);
    ASSERT_TRUE(inBlocks) << block << ": " << why.toStdString();
    EXPECT_GE(reads, document.size() / block);
    EXPECT_EQ(inBlocks->closingBrace, whole->closingBrace);
    EXPECT_EQ(inBlocks->tail, whole->tail);
    EXPECT_FALSE(planInBlocks(foreign, block, &why, &reads)) << block;
    EXPECT_TRUE(why.contains(QLatin1String("\\highlight"))) << why.toStdString();
  }
}

class TextFile : public ::testing::Test {
protected:
  void SetUp() override {
    path = dir.path() + QStringLiteral("/TXT.rtf");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(document);
  }
  QByteArray contents() const {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }
  int open() const { return ::open(QFile::encodeName(path).constData(), O_RDWR | O_CLOEXEC); }

  QTemporaryDir dir;
  QString path;
  const QByteArray document = RtfWriter::write(day());
};

TEST_F(TextFile, FileTakesTheEntryInPlace) {
  struct stat before {};
  ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &before), 0);
  const int fd = open();
  const RtfInPlaceAppend::Result result = RtfInPlaceAppend::appendToFile(fd, entry(), 1 << 20);
  ::close(fd);
  ASSERT_EQ(result.outcome, RtfInPlaceAppend::Outcome::Appended) << result.reason.toStdString();
  EXPECT_TRUE(result.reason.isEmpty());
  EXPECT_EQ(contents(), RtfInPlaceAppend::applied(
                            document, *RtfInPlaceAppend::plan(document, entry()), Step::Finished));
  struct stat after {};
  ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(readWhole(contents()), readWhole(RtfWriter::write(joined(day(), entry()))));

  // A file that would grow beyond the limit, or one that needs rewriting,
  // is left as it is.
  const QByteArray now = contents();
  const int again = open();
  EXPECT_EQ(RtfInPlaceAppend::appendToFile(again, entry(), now.size() + 10).outcome,
            RtfInPlaceAppend::Outcome::Declined);
  EXPECT_EQ(RtfInPlaceAppend::appendToFile(
                again, RichText(QStringLiteral("x"), charFormat(QStringLiteral("Times"))), 1 << 20)
                .outcome,
            RtfInPlaceAppend::Outcome::Declined);
  ::close(again);
  EXPECT_EQ(contents(), now);
}

// A disk that fills up in the middle of the tail (here: a file size limit a
// few bytes past the end) leaves the file exactly as it was.
TEST_F(TextFile, WriteThatFailsHalfwayLeavesTheFileAsItWas) {
  const auto previous = std::signal(SIGXFSZ, SIG_IGN);
  rlimit limit{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &limit), 0);
  const rlimit saved = limit;
  limit.rlim_cur = rlim_t(document.size() + 5);
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
  const int fd = open();
  const RtfInPlaceAppend::Result result = RtfInPlaceAppend::appendToFile(fd, entry(), 1 << 20);
  ::close(fd);
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &saved), 0);
  std::signal(SIGXFSZ, previous);
  EXPECT_EQ(result.outcome, RtfInPlaceAppend::Outcome::Failed);
  EXPECT_FALSE(result.reason.isEmpty());
  EXPECT_EQ(contents(), document);
}

} // namespace
