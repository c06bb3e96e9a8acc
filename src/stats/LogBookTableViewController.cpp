#include "stats/LogBookTableViewController.h"

#include "art/KorvaneStyleKit.h"
#include "engine/FullDataSet.h"
#include "engine/FullTimeSlice.h"
#include "engine/LogFileManager.h"
#include "kit/LayoutConstraintMaker.h"
#include "kit/ObjectiveTextView.h"
#include "kit/SmartMenuItem.h"
#include "kit/Wall.h"
#include "platform/ConstraintLayout.h"
#include "platform/MenuTitle.h"
#include "platform/RichTextDocument.h"
#include "platform/SystemFont.h"
#include "platform/UrlOpenerAPI.h"
#include "platform/UserDefaults.h"
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
  QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex& index) const override {
    // A list nobody sees measures nothing; it lays its rows out again when shown.
    LogBookTableView* table = owner_.tableView();
    if (!table || !table->isVisible())
      return QSize(0, int(kExtraHeightWithoutTags));
    const double height = owner_.heightOfRow(index.row());
    return QSize(int(owner_.columnWidth()), int(std::ceil(height)));
  }
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

LogBookTableViewController::LogBookTableViewController(bool delayed, LogFileManager* logFiles,
                                                       UserDefaults* defaults)
    : NiblessViewController(delayed),
      logFiles_(logFiles ? logFiles : &LogFileManager::sharedInstance()), defaults_(defaults) {
  if (!delayedBuild)
    build();
}

LogBookTableViewController::~LogBookTableViewController() {
  // The list goes before the model and delegate it asks.
  if (QWidget* root = view(); root && !root->parent())
    setView(nullptr);
  else if (tableView_) {
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
  ConstraintLayout::addSubview(root, tableView_);
  LayoutConstraintMaker make(tableView_);
  make.fillContainer();
  ConstraintLayout::of(root)->addConstraints(make.constraints());
  connect(tableView_, &LogBookTableView::columnWidthChanged, this,
          [this] { columnWidthChanged(); });
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
    heights_.assign(dataSet().size(), -1.0);
    measuredRows_ = 0;
    documents_.clear();
  };
  if (model_)
    model_->reset(change);
  else
    change();
}

void LogBookTableViewController::logFilesWereUpdated() { reloadSystemLog(); }

double LogBookTableViewController::columnWidth() const {
  return tableView_ ? double(tableView_->columnWidth()) : 0.0;
}

void LogBookTableViewController::columnWidthChanged() {
  // The list may have asked for a few heights at the new width already; the
  // whole list is laid out again all the same.
  measuredWidth_ = columnWidth();
  std::fill(heights_.begin(), heights_.end(), -1.0);
  measuredRows_ = 0;
  documents_.clear();
  if (tableView_)
    tableView_->relayoutRows();
}

double LogBookTableViewController::heightOfRow(int row) {
  if (row < 0 || row >= numberOfRows())
    return 0.0;
  const double width = columnWidth();
  if (width != measuredWidth_) {
    measuredWidth_ = width;
    std::fill(heights_.begin(), heights_.end(), -1.0);
    measuredRows_ = 0;
    documents_.clear();
  }
  double& height = heights_[std::size_t(row)];
  if (height < 0) {
    const FullTimeSlice& slice = *dataSet()[std::size_t(row)];
    auto document = objectiveDocument(slice, width);
    height = document->size().height() +
             (slice.tagString().isEmpty() ? kExtraHeightWithoutTags : kExtraHeightWithTags);
    ++measuredRows_;
    documents_.insert(row, new std::shared_ptr<QTextDocument>(std::move(document)));
  }
  return height;
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
  std::shared_ptr<QTextDocument> document;
  if (auto* cached = documents_.object(row)) {
    document = *cached;
  } else {
    document = objectiveDocument(*dataSet()[std::size_t(row)], columnWidth());
    documents_.insert(row, new std::shared_ptr<QTextDocument>(document));
  }
  return LogBookColumnView::forSlice(*dataSet()[std::size_t(row)], std::move(document));
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
