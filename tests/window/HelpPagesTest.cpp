// The help pages as shipped: well-formed, self-contained, all reachable.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QUrl>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <queue>

namespace {

const QString kFolder = QStringLiteral(KR_HELP_PAGES_DIR);

// What one page holds: its ids, the links and images it names, its stylesheets.
struct PageContent {
  QString error;
  QSet<QString> ids;
  QStringList links;
  QStringList images;
  QStringList stylesheets;
  int scripts = 0;
  int styleElements = 0;
  int styleAttributes = 0;
};

PageContent read(const QString& name) {
  PageContent page;
  QFile file(kFolder + u'/' + name);
  if (!file.open(QIODevice::ReadOnly)) {
    page.error = QStringLiteral("cannot be opened");
    return page;
  }
  QXmlStreamReader xml(&file);
  while (!xml.atEnd()) {
    if (xml.readNext() != QXmlStreamReader::StartElement)
      continue;
    const QXmlStreamAttributes attributes = xml.attributes();
    const QString element = xml.name().toString();
    if (attributes.hasAttribute(QStringLiteral("id")))
      page.ids.insert(attributes.value(QStringLiteral("id")).toString());
    if (attributes.hasAttribute(QStringLiteral("style")))
      ++page.styleAttributes;
    for (const auto& attribute : attributes) {
      if (attribute.name().startsWith(QLatin1String("on")))
        ++page.scripts; // an event handler is a script too
    }
    if (element == QLatin1String("script"))
      ++page.scripts;
    else if (element == QLatin1String("style"))
      ++page.styleElements;
    else if (element == QLatin1String("a"))
      page.links << attributes.value(QStringLiteral("href")).toString();
    else if (element == QLatin1String("img"))
      page.images << attributes.value(QStringLiteral("src")).toString();
    else if (element == QLatin1String("link"))
      page.stylesheets << attributes.value(QStringLiteral("href")).toString();
  }
  if (xml.hasError())
    page.error = QStringLiteral("line %1: %2").arg(xml.lineNumber()).arg(xml.errorString());
  return page;
}

QStringList pagesInFolder() {
  return QDir(kFolder).entryList({QStringLiteral("*.html")}, QDir::Files, QDir::Name);
}

// A reference inside the folder: a relative file name, an optional anchor,
// nothing that leaves the folder.
bool staysInFolder(const QString& reference) {
  const QUrl url(reference);
  if (url.scheme().size() > 0 || reference.startsWith(u'/') || reference.startsWith(u'\\'))
    return false;
  const QString target = QDir::cleanPath(kFolder + u'/' + url.path());
  return target.startsWith(QDir::cleanPath(kFolder) + u'/') || url.path().isEmpty();
}

TEST(HelpPagesTest, EveryPageTheProgramNamesIsThere) {
  const QStringList named = {"welcome.html",
                             "index.html",
                             "fast_type_syntax.html",
                             "productivity_techniques.html",
                             "soft_break_feature.html",
                             "automatically_bring_to_front.html",
                             "concentration_level.html",
                             "lock_screen.html",
                             "informal_breaks.html",
                             "speech_reminder_tags.html",
                             "applescript.html",
                             "dropbox.html",
                             "input_monitoring.html",
                             "hushbox.html",
                             "things.html",
                             "omnifocus.html",
                             "hitlist.html",
                             "Tip00.html",
                             "Tip01.html",
                             "Tip02.html",
                             "Tip03.html",
                             "Tip04.html",
                             "Tip05.html",
                             "Tip06.html"};
  const QStringList present = pagesInFolder();
  for (const QString& name : named)
    EXPECT_TRUE(present.contains(name)) << name.toStdString();
  EXPECT_TRUE(QFileInfo(kFolder + QStringLiteral("/help.css")).isFile());
}

TEST(HelpPagesTest, PagesAreWellFormedWithOneStylesheetAndNoScriptsOrRemoteParts) {
  const QStringList pages = pagesInFolder();
  ASSERT_GE(pages.size(), 24);
  for (const QString& name : pages) {
    SCOPED_TRACE(name.toStdString());
    const PageContent page = read(name);
    EXPECT_TRUE(page.error.isEmpty()) << page.error.toStdString();
    EXPECT_EQ(page.stylesheets, QStringList{QStringLiteral("help.css")});
    EXPECT_EQ(page.scripts, 0);
    EXPECT_EQ(page.styleElements, 0);
    EXPECT_EQ(page.styleAttributes, 0);
    for (const QString& reference : page.links + page.images) {
      EXPECT_FALSE(reference.isEmpty());
      EXPECT_TRUE(staysInFolder(reference)) << reference.toStdString();
    }
  }
  // The stylesheet fetches nothing either.
  QFile css(kFolder + QStringLiteral("/help.css"));
  ASSERT_TRUE(css.open(QIODevice::ReadOnly));
  const QString sheet = QString::fromUtf8(css.readAll());
  EXPECT_FALSE(sheet.contains(QLatin1String("@import")));
  EXPECT_FALSE(sheet.contains(QLatin1String("url(")));
}

TEST(HelpPagesTest, EveryLinkAnchorAndImageResolvesInsideTheFolder) {
  QHash<QString, PageContent> pages;
  for (const QString& name : pagesInFolder())
    pages.insert(name, read(name));
  int anchors = 0;
  for (auto it = pages.cbegin(); it != pages.cend(); ++it) {
    SCOPED_TRACE(it.key().toStdString());
    for (const QString& link : it->links) {
      const QUrl url(link);
      const QString target = url.path().isEmpty() ? it.key() : url.path();
      ASSERT_TRUE(pages.contains(target)) << link.toStdString();
      if (url.hasFragment()) {
        ++anchors;
        EXPECT_TRUE(pages.value(target).ids.contains(url.fragment())) << link.toStdString();
      }
    }
    for (const QString& image : it->images)
      EXPECT_TRUE(QFileInfo(kFolder + u'/' + image).isFile()) << image.toStdString();
  }
  EXPECT_GT(anchors, 0); // the check above has anchors to check
}

TEST(HelpPagesTest, EveryPageIsReachableFromTheIndex) {
  QSet<QString> reached{QStringLiteral("index.html")};
  std::queue<QString> toVisit;
  toVisit.push(QStringLiteral("index.html"));
  while (!toVisit.empty()) {
    const QString name = toVisit.front();
    toVisit.pop();
    for (const QString& link : read(name).links) {
      const QString target = QUrl(link).path();
      if (!target.isEmpty() && !reached.contains(target)) {
        reached.insert(target);
        toVisit.push(target);
      }
    }
  }
  for (const QString& name : pagesInFolder())
    EXPECT_TRUE(reached.contains(name)) << name.toStdString() << " cannot be reached";
}

} // namespace
