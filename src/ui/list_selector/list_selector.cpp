#include "ui/list_selector/list_selector.h"

#include <QCursor>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "frame/string_table.h"
#include "ui/fonts/fonts.h"
#include "ui/form_sizing/min_max_form.h"

namespace qxvb::gui {

namespace {

constexpr int32_t kOkText = 41153;
constexpr int32_t kCancelText = 41154;
constexpr int kMinWidth = 220, kMinHeight = 180, kMaxWidth = 900, kMaxHeight = 900;

}  // namespace

double twipsPerPixel() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  const double dpi = screen != nullptr ? screen->logicalDotsPerInchX() : 96.0;
  return 1440.0 / (dpi > 0 ? dpi : 96.0);
}

ListSelector::ListSelector()
    : list_(new QListWidget(this)), ok_(new QPushButton(this)), cancel_(new QPushButton(this)) {
  setObjectName("frmListSelector");
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  setModal(true);
  applyFormLanguage(*this);
  list_->setObjectName("lstValues");
  ok_->setObjectName("cmdOK");
  cancel_->setObjectName("cmdCancel");
  ok_->setText(QString::fromStdString(localString(kOkText)));
  cancel_->setText(QString::fromStdString(localString(kCancelText)));
  ok_->setDefault(true);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(ok_);
  buttons->addWidget(cancel_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(list_, 1);
  layout->addLayout(buttons);
  resize(300, 320);
  list_->viewport()->installEventFilter(this);
  connect(ok_, &QPushButton::clicked, this, [this] {
    result_ = 1;
    hide();
  });
  connect(cancel_, &QPushButton::clicked, this, [this] { hide(); });
  connect(list_, &QListWidget::itemDoubleClicked, this, [this] {
    if (!pressHitRow_) return;
    result_ = 1;
    hide();
  });
}

ListSelector::~ListSelector() {
  delete limits_;
}

QPoint ListSelector::nextToCursor(QPoint cursor, double tpp) {
  const int x = static_cast<int>((cursor.x() * tpp - 400) / tpp);
  const int y = static_cast<int>((cursor.y() * tpp - 600) / tpp);
  return {x, y};
}

void ListSelector::init(const QString& caption, const QStringList& items, const QString& initial,
                        bool multiple, bool nextToMouse, bool sorted) {
  if (nextToMouse) move(nextToCursor(QCursor::pos(), twipsPerPixel()));
  setWindowTitle(caption);
  list_->setSelectionMode(multiple ? QAbstractItemView::ExtendedSelection
                                   : QAbstractItemView::SingleSelection);
  list_->setSortingEnabled(sorted);
  list_->clear();
  for (const QString& text : items) {
    auto* item = new QListWidgetItem(text, list_);
    if (!text.isEmpty() && initial.contains(text, Qt::CaseSensitive)) item->setSelected(true);
  }
  // The keyboard starts from the first preselected row.
  for (int i = 0; i < list_->count(); ++i) {
    if (list_->item(i)->isSelected()) {
      list_->setCurrentItem(list_->item(i), QItemSelectionModel::NoUpdate);
      list_->scrollToItem(list_->item(i));
      break;
    }
  }
  // The window's size limits, as the sizing class gives them.
  winId();
  delete limits_;
  limits_ = new MinMaxLimits;
  limits_->init(static_cast<int32_t>(winId()), kMinWidth, kMaxWidth, kMinHeight, kMaxHeight);
}

QStringList ListSelector::value() const {
  QStringList out;
  for (int i = 0; i < list_->count(); ++i) {
    if (list_->item(i)->isSelected()) out << list_->item(i)->text();
  }
  return out;
}

QString ListSelector::answer() const {
  const QStringList selected = value();
  return result_ == 1 && selected.size() == 1 ? selected.first() : QString();
}

bool ListSelector::eventFilter(QObject* watched, QEvent* event) {
  if (watched == list_->viewport() && event->type() == QEvent::MouseButtonPress) {
    const auto* mouse = static_cast<QMouseEvent*>(event);
    pressHitRow_ = list_->itemAt(mouse->position().toPoint()) != nullptr;
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace qxvb::gui
