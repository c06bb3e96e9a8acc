#include "stats/LogBookTableViewController.h"

#include "art/KorvaneStyleKit.h"
#include "engine/FullDataSet.h"
#include "engine/FullTimeSlice.h"
#include "engine/LogFileManager.h"
#include "kit/SmartMenuItem.h"
#include "kit/text/ObjectiveTextView.h"
#include "kit/walls/LayoutConstraintMaker.h"
#include "kit/walls/Wall.h"
#include "platform/MenuTitle.h"
#include "platform/drawing/SystemFont.h"
#include "platform/layout/ConstraintLayout.h"
#include "platform/richtext/RichTextDocument.h"
#include "platform/services/UrlOpenerAPI.h"
#include "platform/settings/UserDefaults.h"
#include "stats/LogBookHeightEstimate.h"
#include "stats/LogBookTableView.h"

#include <QAbstractListModel>
#include <QMenu>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTextDocument>
#include <QUrl>

#include <cmath>

namespace kr {

namespace {

QFont helvetica(double size) { return namedFontOrSystemFont(QStringLiteral("Helvetica"), size); }

LogBookTextAttributes look(double size, const QColor& color, bool right, bool shadow = false) {
  LogBookTextAttributes attributes;
  attributes.font = helvetica(size);
  attributes.color = color;
  attributes.alignRight = right;
  attributes.whiteShadow = shadow;
  return attributes;
}

const std::vector<const FullTimeSlice*>& noSlices() {
  static const std::vector<const FullTimeSlice*> none;
  return none;
}

// The title of a link's menu item.
bool isTaskLink(const QString& text) {
  return text.startsWith(QLatin1String("korvaner2things:")) ||
         text.startsWith(QLatin1String("omnifocus:"));
}

QString linkTitle(const QString& text) {
  if (text.startsWith(QLatin1String("korvaner2things:")))
    return QStringLiteral("Show task in Things");
  if (text.startsWith(QLatin1String("omnifocus:")))
    return QStringLiteral("Show task in OmniFocus");
  return QStringLiteral("Open \"%1\"").arg(text);
}

} // namespace

// The rows for the list: only their number; the delegate draws them.
class LogBookTableViewController::Model final : public QAbstractListModel {
public:
  explicit Model(LogBookTableViewController& owner) : owner_(owner) {}
  int rowCount(const QModelIndex& parent) const override {
    return parent.isValid() ? 0 : owner_.numberOfRows();
  }
  QVariant data(const QModelIndex&, int) const override { return {}; }
  void reset(const std::function<void()>& change) {
    beginResetModel();
    change();
    endResetModel();
  }

private:
  LogBookTableViewController& owner_;
};

// Measures and paints the rows.
class LogBookTableViewController::Delegate final : public QStyledItemDelegate {
public:
  explicit Delegate(LogBookTableViewController& owner) : owner_(owner) {}
  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    const std::optional<LogBookColumnView> row = owner_.rowView(index.row());
    if (!row)
      return;
    const bool pressed =
        owner_.tableView() && owner_.tableView()->pressedPullDownRow() == index.row();
    row->draw(painter, QRectF(option.rect), pressed);
  }

private:
  LogBookTableViewController& owner_;
};

// The rows' heights for the list: estimated from the objectives' lengths, or
// measured.
class LogBookTableViewController::Heights final : public LogBookTableView::RowHeights {
public:
  explicit Heights(LogBookTableViewController& owner) : owner_(owner) {}
  int estimatedRowHeight(int row, int columnWidth) override {
    // The paragraph lengths of a data set are taken at its first estimate.
    if (!estimate.isPrepared())
      estimate.prepare(owner_.dataSet());
    return int(std::ceil(estimate.rowHeight(row, columnWidth)));
  }
  int measuredRowHeight(int row, int) override { return int(std::ceil(owner_.heightOfRow(row))); }

  LogBookHeightEstimate estimate;

private:
  LogBookTableViewController& owner_;
};

namespace {

// Measured heights kept, over all rows and widths.
constexpr int kHeightsKept = 50000;
// Laid-out objectives kept: each costs its characters and this much more.
constexpr int kDocumentOverhead = 500;
constexpr int kDocumentCostKept = 400 * kDocumentOverhead;

} // namespace

LogBookTableViewController::LogBookTableViewController(bool delayed, LogFileManager* logFiles,
                                                       UserDefaults* defaults)
    : NiblessViewController(delayed),
      logFiles_(logFiles ? logFiles : &LogFileManager::sharedInstance()), defaults_(defaults),
      rowHeights_(std::make_unique<Heights>(*this)), heights_(kHeightsKept),
      documents_(kDocumentCostKept) {
  if (!delayedBuild)
    build();
}

LogBookTableViewController::~LogBookTableViewController() {
  // The list goes before the model and delegate it asks.
  if (QWidget* root = view(); root && !root->parent())
    setView(nullptr);
  else if (tableView_) {
    tableView_->setRowHeights(nullptr);
    tableView_->setItemDelegate(nullptr);
    tableView_->setModel(nullptr);
  }
}

void LogBookTableViewController::build() {
  auto* root = new Wall;
  root->setIdentifier(QStringLiteral("Log Book"));
  setView(root);

  tableView_ = new LogBookTableView;
  tableView_->setObjectName(QStringLiteral("logBookTableView"));
  model_ = new Model(*this);
  model_->setParent(this);
  delegate_ = new Delegate(*this);
  delegate_->setParent(this);
  tableView_->setModel(model_);
  tableView_->setItemDelegate(delegate_);
  tableView_->setRowHeights(rowHeights_.get());
  // The keys reach the list whenever the pad has the focus.
  root->setFocusProxy(tableView_);
  ConstraintLayout::addSubview(root, tableView_);
  LayoutConstraintMaker make(tableView_);
  make.fillContainer();
  ConstraintLayout::of(root)->addConstraints(make.constraints());
  connect(tableView_, &LogBookTableView::pullDownClicked, this,
          [this](int row, const QPoint& anchor) { openRowMenu(row, anchor); });

  reloadSystemLog();
  logFiles_->addListener(this);
}

const std::vector<const FullTimeSlice*>& LogBookTableViewController::dataSet() const {
  return fullDataSet_ ? fullDataSet_->timeSlices() : noSlices();
}

void LogBookTableViewController::reloadSystemLog() {
  auto change = [this] {
    fullDataSet_ = logFiles_->currentFullDataSet();
    rowHeights_->estimate.clear();
    heights_.clear();
    documents_.clear();
  };
  if (model_)
    model_->reset(change);
  else
    change();
  // An empty book says so once the logs have been read, not while they are.
  if (tableView_)
    tableView_->setEmptyText(dataSet().empty() && logFiles_->hasFinishedAReload()
                                 ? QStringLiteral("No time slices logged yet.")
                                 : QString());
}

void LogBookTableViewController::logFilesWereUpdated() { reloadSystemLog(); }

double LogBookTableViewController::columnWidth() const {
  return tableView_ ? double(tableView_->columnWidth()) : 0.0;
}

quint64 LogBookTableViewController::rowAtWidth(int row, double width) {
  return (quint64(quint32(row)) << 32) | quint32(qRound(width));
}

int LogBookTableViewController::measuredRowCount() const {
  return tableView_ ? tableView_->rowLayout().measuredCount() : 0;
}

double LogBookTableViewController::heightOfRow(int row) {
  if (row < 0 || row >= numberOfRows())
    return 0.0;
  const quint64 key = rowAtWidth(row, columnWidth());
  if (const double* known = heights_.object(key))
    return *known;
  const FullTimeSlice& slice = *dataSet()[std::size_t(row)];
  const double height =
      documentOfRow(row)->size().height() +
      (slice.tagString().isEmpty() ? kExtraHeightWithoutTags : kExtraHeightWithTags);
  heights_.insert(key, new double(height));
  return height;
}

std::shared_ptr<QTextDocument> LogBookTableViewController::documentOfRow(int row) {
  const double width = columnWidth();
  const quint64 key = rowAtWidth(row, width);
  if (const auto* cached = documents_.object(key))
    return *cached;
  auto document = objectiveDocument(*dataSet()[std::size_t(row)], width);
  // One longer than everything kept is not kept.
  documents_.insert(key, new std::shared_ptr<QTextDocument>(document),
                    qsizetype(document->characterCount()) + kDocumentOverhead);
  return document;
}

double LogBookTableViewController::estimatedRowHeight(const FullTimeSlice& slice,
                                                      double columnWidth) {
  return LogBookHeightEstimate::rowHeight(slice, columnWidth);
}

std::shared_ptr<QTextDocument>
LogBookTableViewController::objectiveDocument(const FullTimeSlice& slice, double columnWidth) {
  auto document = std::make_shared<QTextDocument>();
  document->setUndoRedoEnabled(false);
  document->setDocumentMargin(0);
  document->setDefaultFont(objectiveLabelAttributes().font);
  if (std::optional<RichText> text = slice.objectiveRichText()) {
    if (text->plainText().endsWith(QChar(RichText::kParagraphEnd)))
      *text = text->mid(0, text->length() - 1);
    RichTextDocument::fill(document.get(), *text);
  }
  document->setTextWidth(std::max(0.0, columnWidth - LogBookColumnView::kObjectiveWidthReduction));
  return document;
}

double LogBookTableViewController::objectiveHeight(const FullTimeSlice& slice, double columnWidth) {
  return objectiveDocument(slice, columnWidth)->size().height();
}

double LogBookTableViewController::rowHeight(const FullTimeSlice& slice, double columnWidth) {
  return objectiveHeight(slice, columnWidth) +
         (slice.tagString().isEmpty() ? kExtraHeightWithoutTags : kExtraHeightWithTags);
}

std::optional<LogBookColumnView> LogBookTableViewController::rowView(int row) {
  if (row < 0 || row >= numberOfRows())
    return std::nullopt;
  return LogBookColumnView::forSlice(*dataSet()[std::size_t(row)], documentOfRow(row));
}

std::unique_ptr<QMenu> LogBookTableViewController::makeRowMenu(int row) {
  if (row < 0 || row >= numberOfRows())
    return nullptr;
  // The items keep the slice and its data set, whatever a reload does meanwhile.
  const std::shared_ptr<const FullDataSet> keep = fullDataSet_;
  const FullTimeSlice* slice = dataSet()[std::size_t(row)];
  auto menu = std::make_unique<QMenu>();
  menu->addAction(new SmartMenuItem(
      QStringLiteral("Make current objective"),
      [this, keep, slice] { makeCurrentObjective(*slice); }, {}, menu.get()));
  for (const QString& link : slice->extractedLinks()) {
    const QUrl url(link, QUrl::StrictMode);
    if (!url.isValid() || url.scheme().isEmpty())
      continue;
    const QString text = QString::fromUtf8(url.toEncoded());
    // A task link whose application is not on this computer is let go quietly;
    // any other link that nothing opens is told.
    const bool taskLink = isTaskLink(text);
    auto* item = new SmartMenuItem(
        menuTitle(linkTitle(text)),
        [url, taskLink] {
          if (taskLink)
            UrlOpenerAPI::shared().openQuietly(url);
          else
            UrlOpenerAPI::shared().open(url);
        },
        {}, menu.get());
    item->setShortcut(QKeySequence());
    menu->addAction(item);
  }
  return menu;
}

void LogBookTableViewController::openRowMenu(int row, const QPoint& anchor) {
  if (std::unique_ptr<QMenu> menu = makeRowMenu(row))
    menu->exec(anchor);
}

void LogBookTableViewController::makeCurrentObjective(int row) {
  if (row < 0 || row >= numberOfRows())
    return;
  makeCurrentObjective(*dataSet()[std::size_t(row)]);
}

void LogBookTableViewController::makeCurrentObjective(const FullTimeSlice& slice) {
  UserDefaults& defaults = defaults_ ? *defaults_ : UserDefaults::standard();
  defaults.setValue(QStringLiteral("objective"), slice.objectiveAsRTFD());
  defaults.setValue(QStringLiteral("tags"), slice.tagString());
  ObjectiveTextView::selectWholeTextEverywhere();
}

QColor LogBookTableViewController::labelColor() { return QColor::fromRgbF(0.2f, 0.2f, 0.2f); }

LogBookTextAttributes LogBookTableViewController::objectiveLabelAttributes() {
  static const LogBookTextAttributes attributes = look(11.0, labelColor(), false);
  return attributes;
}

LogBookTextAttributes LogBookTableViewController::durationLabelAttributes() {
  static const LogBookTextAttributes attributes = look(9.0, labelColor(), true);
  return attributes;
}

LogBookTextAttributes LogBookTableViewController::tagLabelAttributes() {
  static const LogBookTextAttributes attributes = look(11.0, labelColor(), true);
  return attributes;
}

LogBookTextAttributes LogBookTableViewController::flowFocusAttributes() {
  static const LogBookTextAttributes attributes =
      look(9.0, QColor::fromRgbF(1.0f, 0.0f, 0.0f), true, true);
  return attributes;
}

LogBookTextAttributes LogBookTableViewController::highlyFocusedAttributes() {
  static const LogBookTextAttributes attributes =
      look(9.0, QColor::fromRgbF(1.0f, 0.6470588235f, 0.0f), true, true);
  return attributes;
}

LogBookTextAttributes LogBookTableViewController::goodFocusAttributes() {
  static const LogBookTextAttributes attributes =
      look(9.0, KorvaneStyleKit::goodFocusColor(), true);
  return attributes;
}

LogBookTextAttributes LogBookTableViewController::distractedFocusAttributes() {
  static const LogBookTextAttributes attributes =
      look(9.0, QColor::fromRgbF(0.390625f, 0.58203125f, 0.92578125f), true, true);
  return attributes;
}

LogBookTextAttributes LogBookTableViewController::plainAttributes() {
  // A text without attributes: the default font and colour, no alignment.
  static const LogBookTextAttributes attributes = [] {
    LogBookTextAttributes plain = look(12.0, Qt::black, false);
    plain.plain = true;
    return plain;
  }();
  return attributes;
}

} // namespace kr
