#include "engine/FullTimeSlice.h"

#include "platform/RtfdPackage.h"

#include <QHash>

#include <cmath>
#include <mutex>

namespace kr {

namespace {
const QString& dummy() {
  static const QString text = QStringLiteral("dummy");
  return text;
}

// Guards what records work out on first request.
std::mutex& lazyValuesMutex() {
  static std::mutex mutex;
  return mutex;
}

// The RTFD data of an empty text, made once per process.
const QByteArray& emptyRtfd() {
  static const QByteArray data = RtfdPackage::toData(RichText());
  return data;
}

const QStringList& noLinks() {
  static const QStringList none;
  return none;
}
} // namespace

quint32 ObjectiveFormats::indexOf(const CharFormat& format) {
  const auto [it, added] = lookup_.try_emplace(format, quint32(formats_.size()));
  if (added)
    formats_.push_back(format);
  return it->second;
}

std::size_t ObjectiveFormats::Hash::operator()(const CharFormat& format) const {
  std::size_t hash =
      qHashMulti(0, format.fontFamily, format.fontSize, format.bold, format.italic,
                 format.underline, format.strikeThrough, format.link, format.attachment);
  if (format.foreground)
    hash =
        qHashMulti(hash, format.foreground->red, format.foreground->green, format.foreground->blue);
  return hash;
}

FullTimeSlice::FullTimeSlice() : uuid_(dummy()), objective_(dummy()), endDate_(distantPast()) {
  setStartDate(distantPast());
}

FullTimeSlice::~FullTimeSlice() = default;

FullTimeSlice::FullTimeSlice(const FullTimeSlice& other)
    : RawTimeSlice(other), uuid_(other.uuid_), objective_(other.objective_),
      endDate_(other.endDate_), actualDurationAsLogged_(other.actualDurationAsLogged_),
      kind_(other.kind_), formats_(other.formats_), stretches_(other.stretches_),
      links_(other.links_) {
  const std::lock_guard<std::mutex> lock(lazyValuesMutex());
  if (other.rare_)
    rare_ = std::make_unique<Rare>(*other.rare_);
}

FullTimeSlice::Rare& FullTimeSlice::rare() const {
  if (!rare_)
    rare_ = std::make_unique<Rare>();
  return *rare_;
}

void FullTimeSlice::setObjective(const QString& objective) {
  // The stretches lie over the plain text: a rich text that no longer reads
  // as the objective is kept whole.
  if (kind_ == Kind::Stretches && objective != objective_) {
    RichText text = textFromStretches();
    const std::lock_guard<std::mutex> lock(lazyValuesMutex());
    rare().text = std::move(text);
    rare().links = links_;
    kind_ = Kind::Whole;
    formats_.reset();
    stretches_ = {};
    links_ = {};
  }
  objective_ = objective;
}

const QByteArray& FullTimeSlice::objectiveAsRTFD() const {
  const std::lock_guard<std::mutex> lock(lazyValuesMutex());
  switch (kind_) {
  case Kind::Empty:
    return emptyRtfd();
  case Kind::Data:
    return *rare_->data;
  case Kind::Stretches:
  case Kind::Whole:
    break;
  }
  Rare& values = rare();
  if (!values.madeData)
    values.madeData =
        RtfdPackage::toData(kind_ == Kind::Whole ? *values.text : textFromStretches());
  return *values.madeData;
}

void FullTimeSlice::setObjectiveAsRTFD(const QByteArray& data) {
  const std::lock_guard<std::mutex> lock(lazyValuesMutex());
  RawTimeSlicePtr raw = rare_ ? std::move(rare_->raw) : nullptr;
  rare_ = std::make_unique<Rare>();
  rare_->raw = std::move(raw);
  rare_->data = data;
  kind_ = Kind::Data;
  formats_.reset();
  stretches_ = {};
  links_ = {};
}

std::optional<RichText> FullTimeSlice::objectiveRichText() const {
  switch (kind_) {
  case Kind::Empty: {
    static const std::optional<RichText> empty = RtfdPackage::fromData(emptyRtfd());
    return empty;
  }
  case Kind::Stretches:
    return textFromStretches();
  case Kind::Whole: {
    const std::lock_guard<std::mutex> lock(lazyValuesMutex());
    return rare_->text;
  }
  case Kind::Data:
    break;
  }
  return RtfdPackage::fromData(objectiveAsRTFD());
}

RichText FullTimeSlice::textFromStretches() const {
  RichText text;
  qsizetype start = 0;
  for (const Stretch& stretch : stretches_) {
    CharFormat format = formats_->at(stretch.format);
    if (stretch.link > 0)
      format.link = links_.at(qsizetype(stretch.link) - 1);
    text.append(QStringView(objective_).mid(start, stretch.length), format);
    start += stretch.length;
  }
  return text;
}

void FullTimeSlice::setObjectiveText(const RichText& text,
                                     const std::shared_ptr<ObjectiveFormats>& formats) {
  std::vector<Stretch> stretches;
  QStringList links;
  // Only runs that cover the text one after the other, without attachment
  // files, give back the same rich text; anything else is kept whole.
  bool fits = text.attachmentData().isEmpty();
  std::shared_ptr<ObjectiveFormats> table =
      formats ? formats : std::make_shared<ObjectiveFormats>();
  stretches.reserve(text.runs().size());
  int expectedStart = 0;
  for (const RichText::Run& run : text.runs()) {
    if (!fits || run.start != expectedStart || run.length <= 0) {
      fits = false;
      break;
    }
    expectedStart += run.length;
    quint32 link = 0;
    if (!run.format.link.isEmpty()) {
      qsizetype at = links.indexOf(run.format.link);
      if (at < 0) {
        links.append(run.format.link);
        at = links.size() - 1;
      }
      link = quint32(at + 1);
    }
    CharFormat withoutLink = run.format;
    withoutLink.link.clear();
    stretches.push_back({quint32(run.length), table->indexOf(withoutLink), link});
  }
  fits = fits && expectedStart == text.length();
  if (!formats)
    table->finish();

  const std::lock_guard<std::mutex> lock(lazyValuesMutex());
  objective_ = text.plainText();
  RawTimeSlicePtr raw = rare_ ? std::move(rare_->raw) : nullptr;
  rare_.reset();
  if (raw)
    rare().raw = std::move(raw);
  if (fits) {
    kind_ = Kind::Stretches;
    formats_ = std::move(table);
    stretches_ = std::move(stretches);
    links_ = std::move(links);
  } else {
    kind_ = Kind::Whole;
    formats_.reset();
    stretches_ = {};
    links_ = {};
    rare().text = text;
  }
}

QStringList FullTimeSlice::linksOf(const RichText& text) const {
  QStringList links;
  for (const RichText::Run& run : text.runs()) {
    if (!run.format.link.isEmpty() && !links.contains(run.format.link))
      links.append(run.format.link);
  }
  return links;
}

const QStringList& FullTimeSlice::extractedLinks() const {
  switch (kind_) {
  case Kind::Empty:
    return noLinks();
  case Kind::Stretches:
    return links_;
  case Kind::Data:
  case Kind::Whole:
    break;
  }
  {
    const std::lock_guard<std::mutex> lock(lazyValuesMutex());
    if (rare_->links)
      return *rare_->links;
  }
  const std::optional<RichText> text = objectiveRichText();
  QStringList links = text ? linksOf(*text) : QStringList();
  const std::lock_guard<std::mutex> lock(lazyValuesMutex());
  if (!rare_->links)
    rare_->links = std::move(links);
  return *rare_->links;
}

void FullTimeSlice::setActualDurationAsLogged(double seconds) {
  actualDurationAsLogged_ = seconds;
  setActualDuration(std::fabs(seconds));
}

bool FullTimeSlice::readsAsRawTimeSlice() const {
  return !success() && !std::signbit(actualDurationAsLogged_) &&
         actualDuration() == actualDurationAsLogged_;
}

void FullTimeSlice::prepareRawTimeSlice() {
  RawTimeSlicePtr raw = readsAsRawTimeSlice() ? nullptr : toRawTimeSlice();
  const std::lock_guard<std::mutex> lock(lazyValuesMutex());
  if (raw || rare_)
    rare().raw = std::move(raw);
}

const RawTimeSlice& FullTimeSlice::asRawTimeSlice() const {
  const std::lock_guard<std::mutex> lock(lazyValuesMutex());
  if (rare_ && rare_->raw)
    return *rare_->raw;
  return *this;
}

RawTimeSlicePtr FullTimeSlice::toRawTimeSlice() const {
  auto raw = std::make_shared<RawTimeSlice>(static_cast<const RawTimeSlice&>(*this));
  raw->setActualDuration(actualDurationAsLogged_);
  raw->setSuccess(false);
  return raw;
}

} // namespace kr
