// The common dialogs in the process: the members show Qt's dialogs set up
// from the records, the test acts on them as soon as they are active, and
// the results and records come back as the platform's do.
#include <QColorDialog>
#include <QComboBox>
#include <QFileDialog>
#include <QFontDialog>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <thread>

#include "../gui_fixture.h"
#include "frame/catalogue.h"
#include "frame/vb_conversions.h"
#include "support/errors.h"
#include "support/modal_driver.h"
#include "support/sandbox.h"
#include "ui/app/gui_thread.h"
#include "ui/common_dialogs/comdlg_flags.h"
#include "ui/common_dialogs/dialog_position.h"
#include "ui/common_dialogs/font_dialog.h"
#include "ui/common_dialogs/qx_common_dlg.h"

namespace qxvb::test {
namespace {

using namespace qxvb::gui;
using namespace std::string_literals;

class DialogWidgetsTest : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    ASSERT_TRUE(onWindowThread());
  }
};

// Replaces a class's factory for the life of the object, as a product
// component of other behaviour would take the class's place.
class ScopedFactory {
 public:
  ScopedFactory(const char* progId, std::function<Object()> factory)
      : info_(const_cast<ClassInfo*>(Catalogue::instance().find(progId))) {
    saved_ = info_->factory;
    info_->factory = std::move(factory);
  }
  ~ScopedFactory() { info_->factory = saved_; }
  ScopedFactory(const ScopedFactory&) = delete;
  ScopedFactory& operator=(const ScopedFactory&) = delete;

 private:
  ClassInfo* info_;
  std::function<Object()> saved_;
};

// A colour picker that answers a fixed reply.
class FixedPicker : public Dispatch {
 public:
  explicit FixedPicker(std::string reply) : reply_(std::move(reply)) {}
  const DispatchTable& dispatchTable() const override {
    static const DispatchTable table = [] {
      DispatchTable t("Services");
      Members<FixedPicker>(t).method("ChooseColor", {in("r"), optRef("c")},
                                     [](FixedPicker& p, CallArgs& a) {
                                       a.set(1, Variant(false));
                                       return Variant(p.reply_);
                                     });
      return t;
    }();
    return table;
  }

 private:
  std::string reply_;
};

TEST_F(DialogWidgetsTest, OpenDialogTakesTheRecordAndPicksThreeFiles) {
  const auto folder = freshFolder("open");
  for (const char* name : {"a.txt", "b.cfg", "c.txt", "d.png"}) writeFile(folder / name, name);
  QXCommonDlg dlg;
  DialogRecord& r = dlg.FileDialog();
  r.set(ofn::sFilter, Variant("Pictures\0*.png\0Settings\0*.txt;*.cfg\0\0"s));
  r.set(ofn::nFilterIndex, Variant(2));
  r.set(ofn::sInitDir, Variant(folder.string()));
  r.set(ofn::sDlgTitle, Variant("Import Files"));
  r.set(ofn::flags, Variant(OFN_ALLOWMULTISELECT | OFN_FILEMUSTEXIST));
  whenModalShown<QFileDialog>([&](QFileDialog* d) {
    EXPECT_EQ(d->windowTitle(), "Import Files");
    EXPECT_EQ(d->fileMode(), QFileDialog::ExistingFiles);
    EXPECT_EQ(d->directory().absolutePath().toStdString(), folder.string());
    EXPECT_EQ(d->nameFilters().size(), 2);
    EXPECT_EQ(d->selectedNameFilter(), "Settings");
    d->findChild<QComboBox*>("fileTypeCombo")->setCurrentIndex(0);
    d->findChild<QComboBox*>("fileTypeCombo")->setCurrentIndex(1);
    d->findChild<QLineEdit*>()->setText("\"c.txt\" \"a.txt\" \"b.cfg\"");
    static_cast<QDialog*>(d)->accept();
  });
  const SelectedFile s = dlg.ShowOpen(0, true);
  ASSERT_FALSE(s.bCanceled);
  EXPECT_EQ(s.nFilesSelected, 3);
  EXPECT_EQ(s.sLastDirectory, folder.string());
  EXPECT_EQ(s.sFiles.lbound, 1);
  EXPECT_EQ(s.sFiles.items, (std::vector<std::string>{"c.txt", "a.txt", "b.cfg"}));
  EXPECT_EQ(r.lng(ofn::nFilterIndex), 2);
  EXPECT_EQ(r.lng(ofn::nFileOffset), static_cast<int32_t>(folder.string().size() + 1));

  // Cancelling keeps the grown buffer in the record.
  whenModalShown<QFileDialog>([](QFileDialog* d) { d->reject(); });
  const SelectedFile c = dlg.ShowOpen(0, false);
  EXPECT_TRUE(c.bCanceled);
  EXPECT_EQ(c.nFilesSelected, 0);
  EXPECT_EQ(r.lng(ofn::nFileSize), 2 * 65536);
}

TEST_F(DialogWidgetsTest, SaveDialogAddsTheDefaultExtensionAndCentresOverTheOwner) {
  const auto folder = freshFolder("save");
  QWidget owner;
  owner.setWindowTitle("Quillane Owner");
  owner.setGeometry(60, 80, 700, 500);
  owner.show();
  ASSERT_TRUE(eventually([&] {
    QApplication::processEvents();
    return owner.isVisible() && windowRect(static_cast<int32_t>(owner.winId())).has_value();
  }));
  QXCommonDlg dlg;
  dlg.FileDialog().set(ofn::sInitDir, Variant(folder.string()));
  dlg.FileDialog().set(ofn::sDefFileExt, Variant("cfg"));
  QRect dialogFrame;
  whenModalShown<QFileDialog>([&](QFileDialog* d) {
    QApplication::processEvents();
    dialogFrame = d->frameGeometry();
    EXPECT_EQ(d->acceptMode(), QFileDialog::AcceptSave);
    d->findChild<QLineEdit*>()->setText("quill");
    static_cast<QDialog*>(d)->accept();
  });
  const SelectedFile s = dlg.ShowSave(static_cast<int32_t>(owner.winId()), true);
  ASSERT_FALSE(s.bCanceled);
  EXPECT_EQ(s.sLastDirectory, folder.string() + "/");
  EXPECT_EQ(s.sFiles.items, (std::vector<std::string>{"", "quill.cfg"}));
  EXPECT_EQ(dlg.FileDialog().lng(ofn::hwndOwner), static_cast<int32_t>(owner.winId()));
  const QPoint ownerCentre = owner.frameGeometry().center();
  EXPECT_NEAR(dialogFrame.center().x(), ownerCentre.x(), 2);
  EXPECT_NEAR(dialogFrame.center().y(), ownerCentre.y(), 2);
  EXPECT_EQ(centredPosition(QRect(0, 0, 101, 51), 50, 20), QPoint(26, 16));
}

TEST_F(DialogWidgetsTest, FontDialogShowsColoursOnlyWhenAskedAndConvertsSizes) {
  QXCommonDlg dlg;
  SelectedFont start;
  start.sSelectedFont = "DejaVu Sans";
  start.nSize = 12;
  start.bBold = true;
  start.lColor = 0x0000FF;
  start.bShowColor = true;
  whenModalShown<FontChooser>([](FontChooser* d) {
    EXPECT_TRUE(d->colourShown());
    EXPECT_EQ(d->colours()->currentText(), "Red");
    const QFont f = d->fonts()->currentFont();
    EXPECT_EQ(f.family(), "DejaVu Sans");
    EXPECT_EQ(f.pointSize(), 12);
    EXPECT_EQ(f.weight(), QFont::Bold);
    EXPECT_FALSE(f.italic());
    d->colours()->setCurrentIndex(d->colours()->findText("Lime"));
    QFont bigger = f;
    bigger.setPointSize(18);
    d->fonts()->setCurrentFont(bigger);
    d->accept();
  });
  const SelectedFont s = dlg.ShowFontDialog(0, start, true);
  ASSERT_FALSE(s.bCanceled);
  EXPECT_EQ(s.sSelectedFont, "DejaVu Sans");
  EXPECT_EQ(s.nSize, 18);
  EXPECT_TRUE(s.bBold);
  EXPECT_EQ(s.lColor, 0x00FF00);
  EXPECT_EQ(dlg.FontDialog().lng(cf::iPointSize), 180);
  EXPECT_EQ(dlg.FontDialog().lng(cf::lStructSize), 60);
  EXPECT_EQ(dlg.FontDialog().lng(cf::flags) & 0x141, 0x141);

  // ShowFont hides the colours and starts on the family's regular style.
  whenModalShown<FontChooser>([](FontChooser* d) {
    EXPECT_FALSE(d->colourShown());
    EXPECT_FALSE(d->fonts()->currentFont().italic());
    d->reject();
  });
  const SelectedFont cancelled = dlg.ShowFont(0, "DejaVu Serif", false);
  EXPECT_TRUE(cancelled.bCanceled);
  EXPECT_EQ(cancelled.sSelectedFont, "");
  EXPECT_NE(dlg.FontDialog().lng(cf::flags) & CF_ENABLEHOOK, 0);
  // A face name beyond the field fails before any dialog shows.
  expectError(9, [&] { dlg.ShowFont(0, std::string(40, 'Q'), true); });
}

TEST_F(DialogWidgetsTest, ColourPickerThroughTheComponent) {
  auto dlg = std::make_shared<QXCommonDlg>();
  whenModalShown<QColorDialog>([](QColorDialog* d) {
    EXPECT_EQ(d->currentColor(), QColor(255, 0, 0));
    d->setCurrentColor(QColor(0, 255, 0));
    d->accept();
  });
  std::vector<Variant> args{Variant(0), Variant(true), Variant(0x0000FF)};
  const Variant chosen = dlg->invoke("ShowColor2", kMethod, args);
  EXPECT_EQ(CLng(*chosen.get<Record>()->field("oSelectedColor")), 0x00FF00);
  EXPECT_FALSE(CBool(*chosen.get<Record>()->field("bCanceled")));
  EXPECT_EQ(args[2], Variant(0x0000FF));

  whenModalShown<QColorDialog>([](QColorDialog* d) { d->reject(); });
  SelectedColor c = dlg->ShowColor(0, false);
  EXPECT_TRUE(c.bCanceled);
  EXPECT_EQ(c.oSelectedColor, 0);

  // Replies that are not XML or lack hrgb, and a picker that cannot run
  // here, give colour 0, not cancelled, and raise nothing.
  for (const char* reply : {"not xml at all", "<c rgb='00FF00'/>", "<c hrgb='zz'/>"}) {
    ScopedFactory fake("QXDialogServices.Services",
                       [reply] { return std::make_shared<FixedPicker>(reply); });
    c = dlg->ShowColor2(0, true, 0x00FF00);
    EXPECT_EQ(c.oSelectedColor, 0) << reply;
    EXPECT_FALSE(c.bCanceled) << reply;
  }
  std::thread other([&] { c = QXCommonDlg().ShowColor2(0, true, 5); });
  other.join();
  EXPECT_EQ(c.oSelectedColor, 0);
  EXPECT_FALSE(c.bCanceled);
}

TEST_F(DialogWidgetsTest, PrintDialogTakesRangeAndCopies) {
  QXCommonDlg dlg;
  DialogRecord& r = dlg.PrintDialog();
  r.set(pd::flags, Variant(PD_PAGENUMS | PD_COLLATE));
  r.set(pd::nMinPage, Variant(1));
  r.set(pd::nMaxPage, Variant(9));
  r.set(pd::nFromPage, Variant(2));
  r.set(pd::nToPage, Variant(5));
  r.set(pd::nCopies, Variant(3));
  whenModalShown<QPrintDialog>([](QPrintDialog* d) {
    EXPECT_EQ(d->printRange(), QAbstractPrintDialog::PageRange);
    EXPECT_EQ(d->printer()->fromPage(), 2);
    EXPECT_EQ(d->printer()->toPage(), 5);
    EXPECT_EQ(d->printer()->copyCount(), 3);
    d->printer()->setOutputFileName(QString::fromStdString((sandboxRoot() / "out.pdf").string()));
    d->accept();
  });
  EXPECT_NE(dlg.ShowPrinter(0, true), 0);
  EXPECT_EQ(r.lng(pd::lStructSize), 66);
  EXPECT_NE(r.lng(pd::flags) & PD_PAGENUMS, 0);
  EXPECT_EQ(r.lng(pd::nFromPage), 2);
  EXPECT_EQ(r.lng(pd::nToPage), 5);

  whenModalShown<QPrintDialog>([](QPrintDialog* d) { d->reject(); });
  EXPECT_EQ(dlg.ShowPrinter(0, true), 0);
  r.set(pd::flags, Variant(PD_RETURNDEFAULT));
  EXPECT_NE(dlg.ShowPrinter(0, true), 0);
}

}  // namespace
}  // namespace qxvb::test
