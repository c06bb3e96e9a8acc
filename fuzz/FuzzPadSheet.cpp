// Feeds arbitrary text files to the pad store's read, as the text of a
// sheet. A sheet reads as editable only when the reader takes all of it:
// its groups close and nothing but white space follows its end. Anything
// else reads only in part (or not at all), is never handed out as the
// sheet's content, and is left as it was; an editable sheet written back
// reads the same.
#include "engine/BackingStoreDescriptor.h"
#include "engine/BackingStoreManager.h"
#include "engine/SequenceNumberNamingStrategy.h"
#include "platform/richtext/RtfReader.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

namespace {

struct Pad {
  Pad() {
    store.setRoot(QStringLiteral("Now Pads"));
    store.setFolderPath(dir.path() + QStringLiteral("/Now Pad"));
    store.setNamingStrategy(std::make_unique<kr::SequenceNumberNamingStrategy>());
    store.finishInitialization();
    sheet = store.getPathToNewFile();
    QDir().mkpath(sheet);
    store.index().refreshIndexFromDisk();
    store.pointToFileWithID(sheet);
  }
  QTemporaryDir dir;
  kr::BackingStoreDescriptor store;
  QString sheet;
};

Pad& pad() {
  static Pad instance;
  return instance;
}

QByteArray textFile() {
  QFile file(pad().sheet + QStringLiteral("/TXT.rtf"));
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

[[noreturn]] void fail(const char* what) {
  std::fprintf(stderr, "%s\n", what);
  std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
  {
    // Each input on a sheet of its own: pictures an earlier input left beside
    // the text would change the names the reader gives this one's.
    QDir(pad().sheet).removeRecursively();
    QDir().mkpath(pad().sheet);
    QFile file(pad().sheet + QStringLiteral("/TXT.rtf"));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(input) != input.size())
      fail("cannot write the sheet");
  }
  kr::BackingStoreManager& manager = kr::BackingStoreManager::sharedManager();
  using Status = kr::BackingStoreManager::SelectedFile::Status;
  const kr::BackingStoreManager::SelectedFile read = manager.readSelectedFile(pad().store);
  if (read.path != pad().sheet)
    fail("another sheet was read");
  const kr::RtfReader::Result whole = kr::RtfReader::read(input);
  if (!kr::RtfReader::looksLikeRtf(input)) {
    if (read.status != Status::Unreadable)
      fail("a text that is not RTF reads as a sheet");
  } else if (!whole.wellFormed || whole.textAfterEnd) {
    if (read.status != Status::Partial)
      fail("a cut-off sheet, or one with text after its end, reads as whole");
    if (!manager.contentOfSelectedFile(pad().store).isEmpty())
      fail("a sheet read in part is handed out as content");
  } else if (whole.unkept != 0) {
    // Content the editor cannot keep: the sheet is shown read-only.
    if (read.status != Status::Unkept)
      fail("a sheet holding what the editor cannot keep reads as editable");
    if (!manager.contentOfSelectedFile(pad().store).isEmpty())
      fail("a sheet shown read-only is handed out as content");
  } else {
    if (read.status != Status::Ok || read.text != whole.text)
      fail("a whole sheet does not read as the reader reads it");
    if (!manager.write(read.text, pad().store))
      fail("a sheet read in full cannot be written back");
    const kr::BackingStoreManager::SelectedFile again = manager.readSelectedFile(pad().store);
    if (again.status != Status::Ok || again.text != read.text)
      fail("a sheet written back reads differently");
    return 0;
  }
  if (textFile() != input)
    fail("a sheet that cannot be edited was changed by reading it");
  return 0;
}
