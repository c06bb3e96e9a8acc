// The pads' editor: what it takes from the clipboard and from drops.
#include "kit/text/NowAndLaterBoardTextView.h"

#include "engine/DataModel.h"
#include "engine/OmniFocusHelper.h"
#include "engine/TaskManagerMarker.h"
#include "platform/QnLog.h"
#include "platform/files/FileOperations.h"
#include "platform/richtext/RichTextDocument.h"
#include "platform/richtext/RtfdPackage.h"
#include "platform/services/TaskManagerBridge.h"

#include <QBuffer>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QMimeData>
#include <QTextCursor>
#include <QUrl>

#include <algorithm>

namespace kr {

const QString NowAndLaterBoardTextView::kThingsActionType =
    QStringLiteral("com.culturedcode.things.action");
const QStringList NowAndLaterBoardTextView::kThingsPasteTypes = {
    QStringLiteral("TaskPasteboardType"), QStringLiteral("CCTaskPasteboardType"),
    QStringLiteral("CCToDoPasteboardType")};
const QString NowAndLaterBoardTextView::kOmniFocusTasksType =
    QStringLiteral("com.omnigroup.omnifocus.pboard.tasks.v1");
const QString NowAndLaterBoardTextView::kThingsLinkPrefix = QStringLiteral("korvaner2things://");

namespace {

// Image files larger than this are not taken into a sheet.
constexpr qint64 kLargestImageFile = 32 * 1024 * 1024;

bool hasThingsPasteType(const QMimeData& source) {
  return std::any_of(NowAndLaterBoardTextView::kThingsPasteTypes.cbegin(),
                     NowAndLaterBoardTextView::kThingsPasteTypes.cend(),
                     [&](const QString& type) { return source.hasFormat(type); });
}

// A name for a new attachment that no image of the document uses: `base`,
// else `base` with a number before its suffix.
QString freeAttachmentName(const QTextDocument& document, const QString& base) {
  const QSet<QString> used = RichTextDocument::attachmentNames(document);
  if (!used.contains(base))
    return base;
  const QFileInfo info(base);
  const QString stem = info.completeBaseName();
  const QString suffix = info.suffix().isEmpty() ? QString() : u'.' + info.suffix();
  for (int n = 2;; ++n) {
    const QString name = QStringLiteral("%1 %2%3").arg(stem).arg(n).arg(suffix);
    if (!used.contains(name))
      return name;
  }
}

// The image files among dropped addresses: name and bytes.
QList<std::pair<QString, QByteArray>> imageFiles(const QMimeData& source) {
  QList<std::pair<QString, QByteArray>> files;
  if (!source.hasUrls())
    return files;
  for (const QUrl& url : source.urls()) {
    if (!url.isLocalFile())
      continue;
    // Whatever was dropped is read as any user file: a pipe or a device is
    // refused without waiting, and so is a file too large to attach.
    const QFileInfo info(url.toLocalFile());
    RegularFileReadOptions bounded;
    bounded.maximumSize = kLargestImageFile;
    std::optional<QByteArray> bytes =
        FileOperations::readRegularFile(info.filePath(), nullptr, bounded);
    if (!bytes)
      continue;
    QBuffer buffer(&*bytes);
    if (QImageReader::imageFormat(&buffer).isEmpty())
      continue;
    QString name = info.fileName();
    if (!RtfdPackage::isSafeAttachmentName(name))
      name = QStringLiteral("Dropped Graphic.") + info.suffix();
    files.append({name, *bytes});
  }
  return files;
}

} // namespace

bool NowAndLaterBoardTextView::canInsertFromMimeData(const QMimeData* source) const {
  return source->hasImage() || source->hasFormat(kThingsActionType) ||
         hasThingsPasteType(*source) || !imageFiles(*source).isEmpty() ||
         QTextEdit::canInsertFromMimeData(source);
}

void NowAndLaterBoardTextView::dropEvent(QDropEvent* event) {
  dropping_ = true;
  QTextEdit::dropEvent(event);
  dropping_ = false;
}

void NowAndLaterBoardTextView::performDragOperation(const QMimeData& source) {
  if (isReadOnly() || !canInsertFromMimeData(&source))
    return;
  dropping_ = true;
  insertFromMimeData(&source);
  dropping_ = false;
}

void NowAndLaterBoardTextView::insertFromMimeData(const QMimeData* source) {
  // Data in no format has nothing to insert, and the text edit's own
  // insertion reads its first format without asking whether there is one:
  // a middle-click while the primary selection is empty (nobody holds it, or
  // its holder offers nothing) would end the program.
  if (!source || source->formats().isEmpty())
    return;
  applyTypedAhead();
  UserEdit what;
  what.insertedFrom = textCursor().selectionStart();
  runUserEdit(
      [&] {
        if (dropping_ && source->hasFormat(kThingsActionType)) {
          insertThingsToDo(*source);
          return;
        }
        if (!dropping_ && hasThingsPasteType(*source)) {
          // Copied to-dos are read from Things itself.
          QString reason;
          if (!TaskManagerBridge::create()->findApplication(TaskManagerBridge::Application::Things,
                                                            &reason))
            qn_log(QStringLiteral("no things found."));
          return;
        }
        if (dropping_ && source->hasFormat(kOmniFocusTasksType))
          takeOmniFocusTask(*source);
        if (insertImages(*source))
          return;
        QTextEdit::insertFromMimeData(source);
      },
      what);
}

bool NowAndLaterBoardTextView::insertThingsToDo(const QMimeData& source) {
  if (isReadOnly() || !source.hasFormat(kThingsActionType))
    return false;
  const QString identifier = QString::fromUtf8(source.data(kThingsActionType)).trimmed();
  QString title = QString::fromUtf8(source.data(QStringLiteral("text/plain;charset=utf-8")));
  if (title.isEmpty())
    title = source.text();
  title = title.trimmed();
  if (title.isEmpty())
    title = identifier;
  // Only an identifier the task links accept becomes a link; another is
  // inserted as text alone.
  const QString link = kThingsLinkPrefix + identifier;
  const bool linked = TaskManagerMarker::isSafeIdentifier(identifier);
  QTextCursor cursor = textCursor();
  const QTextCharFormat typing = cursor.charFormat();
  QTextCharFormat linkFormat = typing;
  if (linked) {
    linkFormat.setAnchor(true);
    linkFormat.setAnchorHref(link);
  } else {
    qn_log(QStringLiteral("A dropped Things to-do has an identifier no link takes: %1")
               .arg(identifier));
  }
  QTextCharFormat after = typing;
  after.setAnchor(false);
  after.clearProperty(QTextFormat::AnchorHref);
  cursor.beginEditBlock();
  cursor.insertText(title, linkFormat);
  cursor.insertText(QStringLiteral("\n"), after);
  cursor.endEditBlock();
  setTextCursor(cursor);
  setCurrentCharFormat(after);
  if (DataModel::shared().useThingsTags()) {
    QString reason;
    if (!TaskManagerBridge::create()->findApplication(TaskManagerBridge::Application::Things,
                                                      &reason))
      qn_log(QStringLiteral("The dropped to-do's tags cannot be read: %1").arg(reason));
  }
  return true;
}

bool NowAndLaterBoardTextView::takeOmniFocusTask(const QMimeData& source) {
  if (!source.hasFormat(kOmniFocusTasksType))
    return false;
  const std::optional<OmniFocusHelper> info =
      OmniFocusHelper::parseTaskInfo(source.data(kOmniFocusTasksType));
  if (!info)
    return false;
  DataModel& model = DataModel::shared();
  const int minutes = info->estimatedMinutesAsInt();
  // No estimate (or a nonsensical one) leaves the duration alone; others
  // are brought into the slices' range.
  if (minutes > 0 && model.useOmnifocusEstimatedTimeAsDuration())
    model.setDurationInMinutes(std::clamp(minutes, 2, 60));
  if (!info->contextNames().isEmpty() && model.useOmnifocusContextAsTag())
    model.setTags(info->contextNames().join(u','));
  return true;
}

bool NowAndLaterBoardTextView::insertImages(const QMimeData& source) {
  QList<std::pair<QString, QByteArray>> files = imageFiles(source);
  if (files.isEmpty() && source.hasImage()) {
    const QImage image = qvariant_cast<QImage>(source.imageData());
    QByteArray png;
    QBuffer buffer(&png);
    // own-file: a buffer in memory, no file
    if (!image.isNull() && buffer.open(QIODevice::WriteOnly) && image.save(&buffer, "PNG"))
      files.append({QStringLiteral("Pasted Graphic.png"), png});
  }
  if (files.isEmpty())
    return false;
  QTextCursor cursor = textCursor();
  cursor.beginEditBlock();
  if (cursor.hasSelection())
    cursor.removeSelectedText();
  for (const auto& [name, bytes] : files)
    RichTextDocument::insertAttachment(cursor, freeAttachmentName(*document(), name), bytes);
  cursor.endEditBlock();
  setTextCursor(cursor);
  return true;
}

} // namespace kr
