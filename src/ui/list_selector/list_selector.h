// frmListSelector: a small modal window that offers a list of strings and
// gives back the one the user picked.
#pragma once

#include <QDialog>
#include <QStringList>
#include <cstdint>

class QListWidget;
class QPushButton;

namespace qxvb::gui {

class MinMaxLimits;

class ListSelector : public QDialog {
 public:
  ListSelector();
  ~ListSelector() override;

  // Fills the window: rows of the list in order (sorted when asked), each
  // selected when its text occurs in initial (case-sensitive).
  void init(const QString& caption, const QStringList& items, const QString& initial, bool multiple,
            bool nextToMouse, bool sorted);
  // 1 after OK or a double-click on a row, else 0.
  int32_t result() const { return result_; }
  // The texts of the selected rows in list order.
  QStringList value() const;
  // What the selector returns: the one selected row's text after OK, "".
  QString answer() const;

  QListWidget* list() const { return list_; }
  QPushButton* okButton() const { return ok_; }
  QPushButton* cancelButton() const { return cancel_; }

  // Where the window goes when placed next to the mouse: 400 twips left
  // and 600 twips above the cursor.
  static QPoint nextToCursor(QPoint cursor, double twipsPerPixel);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QListWidget* list_;
  QPushButton* ok_;
  QPushButton* cancel_;
  int32_t result_ = 0;
  bool pressHitRow_ = false;
  MinMaxLimits* limits_ = nullptr;
};

// The twips per pixel of the primary screen (1440 / logical DPI).
double twipsPerPixel();

}  // namespace qxvb::gui
