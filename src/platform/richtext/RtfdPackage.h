#pragma once

#include "platform/files/FileStamp.h"
#include "platform/richtext/EncodedRichText.h"
#include "platform/richtext/RichText.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace kr {

class StreamedRichText;

// RTFD: rich text with its attachment files.
//
// On disk a package is a folder holding "TXT.rtf" and one file per
// attachment, named as the \NeXTGraphic groups of TXT.rtf name them. Files
// the text does not refer to are ignored when reading and carried over when
// the package is rewritten. A write builds the new package beside the old one
// and swaps the two by renaming, so that a complete package is always there;
// a package that exists but cannot be read is never replaced. Text added at
// the end goes into the text file in place where that is safe (see
// appendInPlace()).
//
// In memory (settings values, the log readers) RTFD data is one byte array:
//   "KRRTFD1\n", then for each file: its name's length as a 32-bit big-endian
//   number, the name in UTF-8, the data's length as a 32-bit big-endian
//   number, the data. The first file is "TXT.rtf". Bare RTF is accepted as
//   RTFD data without attachments.
class RtfdPackage {
public:
  static constexpr const char* kTextFileName = "TXT.rtf";

  enum class Status { Ok, Missing, Unreadable };
  struct ReadResult {
    Status status = Status::Missing;
    RichText text;
    QString error;
    // False when the text is cut off or its groups do not close: what could
    // be read is in `text`, but the rest of the file is not.
    bool wellFormed = true;
    // True when text follows the document's end (which `text` leaves out).
    bool textAfterEnd = false;
    // What the text leaves out of the file (RtfReader::Unkept flags).
    quint32 unkept = 0;
  };

  // Only a folder holding a regular "TXT.rtf" is read; a pipe or device in
  // its place is refused without blocking. With `withAttachments` false the
  // attachment files are not read (their names are in the text).
  static ReadResult read(const QString& path, bool withAttachments = true);
  // Writes `text` to the package at `path`. Fails, leaving the disk as it was,
  // when the folder is missing or unwritable, or when `path` holds something
  // that cannot be read as a package.
  static bool write(const QString& path, const RichText& text, QString* error = nullptr);
  static bool write(const QString& path, const EncodedRichText& text, QString* error = nullptr);
  // Writes the text's bytes as its chunks come. A streamed text has no
  // pictures, so the package gets no attachment of its own.
  static bool write(const QString& path, const std::shared_ptr<StreamedRichText>& text,
                    QString* error = nullptr);
  // The same for a caller that has just read the package at `path` (not a
  // link) with read(path, false): it is not read again.
  static bool write(const QString& path, const RichText& text, const ReadResult& old,
                    QString* error = nullptr);

  // Adds `text` at the end of the package's text in place, touching no
  // other file, when the text file is one this program wrote and can take it
  // there (see RtfInPlaceAppend), is a regular file with no other link to it
  // that this program may write (see mayWrite), and `path` is a
  // package folder, not a link. Declined leaves the package as it was; so
  // does Failed.
  // An append reports how the text file was before and after it, from the
  // open file itself.
  struct InPlaceResult {
    enum class Outcome { Appended, Declined, Failed };
    Outcome outcome = Outcome::Declined;
    QString reason;
    std::optional<WrittenFile> written; // when Appended and the file could be examined
    // Declined: the day is to stay as it is and its entry go beside it, its
    // text being read-only or having an ACL or attribute its copy cannot get.
    bool leaveAsIs = false;
    bool readOnly = false;
  };
  static InPlaceResult appendInPlace(const QString& path, const RichText& text,
                                     const std::function<bool()>& mayFinish = {});

  // Adds `text` at the end of the package's text when appendInPlace()
  // declined it: the text file is copied into a new one beside it, a block
  // at a time, with the text spliced in (see RtfSpliceAppend), and the new
  // file, given the old one's owner, ACLs, user extended attributes and
  // permissions before a byte goes in, takes the old one's name. Every other byte of the text and
  // every other file of the package stay as they were (another name of the old text file keeps the
  // old text). Each splice's copy has a name of its own, beginning with kSplicePrefix, and a splice
  // removes or renames no other. A text this program may not write (see mayWrite), or whose owner,
  // ACL or attributes the copy cannot be given, is declined with leaveAsIs (and readOnly but for an
  // attribute). Declined (or Failed) leaves the package as it was. `cancelled` is asked between
  // blocks and stops the copy; once the copy is done, the new file takes the old one's place only
  // when `mayReplace` says so (Declined with the reason "cancelled" otherwise).
  static InPlaceResult appendBySplice(const QString& path, const RichText& text,
                                      const std::function<bool()>& cancelled = {},
                                      const std::function<bool()>& mayReplace = {});
  // How the names of the splices' copies begin.
  static constexpr const char* kSplicePrefix = ".kr-splice-";
  // The copies that splices left in the package (regular files whose names
  // begin with kSplicePrefix). Only for a writer that holds the package's
  // lock, when no splice of it can be under way.
  static QStringList spliceCopiesIn(const QString& path);
  // Removes them; returns how many were removed.
  static int removeSpliceCopies(const QString& path);

  // Whether the package may be changed: by its owner's permission bits of
  // its folder and of its text file (when there is one), a day made
  // read-only being left as it is also by a program that runs as root; and,
  // for a program that does not, by whether the system lets this user write
  // the text (FileOperations::mayWrite).
  static bool mayWrite(const QString& path);

  // The largest text file read or appended to.
  static constexpr qint64 kMaxTextFileSize = 512LL * 1024 * 1024;

  static QByteArray toData(const RichText& text);
  // The rich text of RTFD data; none for data that is neither RTFD data nor RTF.
  static std::optional<RichText> fromData(const QByteArray& data);

  // A plain file name inside the package: no folders, nothing hidden above it.
  static bool isSafeAttachmentName(const QString& name);

  // Puts right what interrupted writes left in `folder`: for each package
  // whose name `owns` accepts, unfinished new packages are removed and a
  // set-aside old package goes back in place when nothing took it. Returns
  // the number of leftovers dealt with.
  static int recoverLeftoversIn(const QString& folder,
                                const std::function<bool(const QString& name)>& owns);
  // The names of the packages in `folder` that interrupted writes (or
  // writes under way) left something beside.
  static QStringList packagesWithLeftoversIn(const QString& folder);

  // Called with "Swap" once a whole package's new copy is written beside
  // it, and with "Aside" once the old package is set aside, the new one not
  // yet in its place. While it is set, the two are never exchanged in one
  // step, as on a file system without that. Tests only.
  static void setSwapHookForTesting(void (*hook)(const char* step));
  // The package a link at `path` leads to, when it is a link: its final
  // target when that is a folder on the same file system as the folder
  // holding the link, else nothing (with the reason). A path that is not a
  // link is given back as it is.
  static std::optional<QString> resolvePackageLink(const QString& path, QString* error = nullptr);

private:
  // What a package is written from: its text file and attachment files.
  struct PackageContent {
    std::vector<QByteArrayView> rtf;  // the text file's bytes, in pieces
    std::shared_ptr<const void> keep; // what the pieces show
    QStringList attachmentNames;
    QMap<QString, QByteArray> attachmentData;
    std::shared_ptr<StreamedRichText> streamed; // or the text file's bytes as they come
    static PackageContent of(const RichText& text);
    static PackageContent of(const EncodedRichText& text);
    static PackageContent of(const std::shared_ptr<StreamedRichText>& text);
  };
  static bool writePackage(const QString& path, const PackageContent& content, QString* error);
  // What a write needs of the package it replaces.
  struct OldPackage {
    Status status = Status::Missing;
    QString error;
    QStringList attachmentNames;
  };
  static bool writePackage(const QString& path, const PackageContent& content,
                           const OldPackage& old, QString* error);
};

} // namespace kr
