#include "platform/richtext/RichText.h"

#include <gtest/gtest.h>

#include <thread>

using kr::CharFormat;
using kr::RichText;

namespace {

CharFormat boldFormat() {
  CharFormat f;
  f.bold = true;
  return f;
}

} // namespace

TEST(RichText, MergesNeighbouringRunsOfOneFormat) {
  RichText text;
  text.append(u"ab");
  text.append(u"cd");
  text.append(u"EF", boldFormat());
  text.append(u"");
  text.append(u"gh");
  ASSERT_EQ(text.runs().size(), 3u);
  EXPECT_EQ(text.runs()[0], (RichText::Run{0, 4, CharFormat{}}));
  EXPECT_EQ(text.runs()[1], (RichText::Run{4, 2, boldFormat()}));
  EXPECT_EQ(text.runs()[2], (RichText::Run{6, 2, CharFormat{}}));
  EXPECT_TRUE(text.formatAt(5).bold);
  EXPECT_FALSE(text.formatAt(6).bold);
  EXPECT_EQ(text.formatAt(-1), CharFormat{});
  EXPECT_EQ(text.formatAt(8), CharFormat{});
}

TEST(RichText, CutsRangesWithTheirFormatsAndAttachments) {
  RichText text(QStringLiteral("abc"));
  text.append(u"DEF", boldFormat());
  text.appendAttachment(QStringLiteral("i.png"), "IMG");
  text.append(u"gh");

  const RichText middle = text.mid(2, 3);
  EXPECT_EQ(middle.plainText(), QStringLiteral("cDE"));
  ASSERT_EQ(middle.runs().size(), 2u);
  EXPECT_EQ(middle.runs()[1], (RichText::Run{1, 2, boldFormat()}));
  EXPECT_TRUE(middle.attachmentData().isEmpty());

  const RichText tail = text.mid(5);
  EXPECT_EQ(tail.plainText(), QStringLiteral("F\ufffcgh"));
  EXPECT_EQ(tail.attachmentNames(), QStringList{QStringLiteral("i.png")});
  EXPECT_EQ(tail.attachmentData().value(QStringLiteral("i.png")), QByteArray("IMG"));

  EXPECT_TRUE(text.mid(9, 5).isEmpty());
  EXPECT_TRUE(text.mid(3, 0).isEmpty());
  EXPECT_EQ(text.mid(-4, 2).plainText(), QStringLiteral("ab"));
  EXPECT_EQ(text.mid(0), text);
}

TEST(RichText, ReplacesAndReformatsRanges) {
  RichText text(QStringLiteral("Hello \u2039name\u203a!"));
  text.replace(6, 6, RichText(QStringLiteral("World"), boldFormat()));
  EXPECT_EQ(text.plainText(), QStringLiteral("Hello World!"));
  EXPECT_TRUE(text.formatAt(6).bold);
  EXPECT_FALSE(text.formatAt(11).bold);

  text.updateFormat(3, 5, [](CharFormat& f) { f.italic = true; });
  EXPECT_EQ(text.runs().size(), 5u); // "Hel" "lo " "Wo" "rld" "!"
  EXPECT_TRUE(text.formatAt(7).bold && text.formatAt(7).italic);
  EXPECT_FALSE(text.formatAt(8).italic);

  text.setFormat(0, text.length(), CharFormat{});
  EXPECT_EQ(text, RichText(QStringLiteral("Hello World!")));
  EXPECT_EQ(text.runs().size(), 1u);
}

TEST(RichText, CopiesAreIndependentAcrossThreads) {
  RichText original(QStringLiteral("shared"), boldFormat());
  RichText built;
  std::thread worker([&built, copy = original]() mutable {
    copy.append(u" more");
    built = copy;
  });
  worker.join();
  EXPECT_EQ(original.plainText(), QStringLiteral("shared"));
  EXPECT_EQ(built.plainText(), QStringLiteral("shared more"));
  EXPECT_EQ(built.runs().size(), 2u);
}
