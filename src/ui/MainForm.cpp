#include "ui/MainForm.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QPushButton>
#include <QUrl>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QSet>
#include <QSettings>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <algorithm>

#include "core/MemoryReuse.h"
#include "image/HaldClutFormats.h"
#include "image/HaldImage.h"
#include "ops/Conversion.h"
#include "ui/About.h"
#include "ui/BatchSummary.h"
#include "ui/BatchWorker.h"
#include "ui/CdlChoiceForm.h"
#include "ui/ConvertForm.h"
#include "ui/Dialogs.h"
#include "ui/FileDrop.h"
#include "ui/ICCConvertForm.h"
#include "ui/LUT2ICCForm.h"
#include "ui/LutJoinForm.h"
#include "ui/PreviewImage.h"
#include "ui/PreviewPane.h"
#include "ui/PreviewSplitter.h"
#include "ui/ProgressDlg.h"
#include "ui/Settings.h"
#include "ui/SetBitsPerValueForm.h"

namespace {

const QString UnknownFormatMessage =
    QStringLiteral("Unable to convert unknown format.\r\nPlease contact us to add this.");

}  // namespace

namespace {

// One key for every way of naming a file: links and "." resolved.
QString ListedPath(const QString& file) {
  const QFileInfo info(file);
  const QString canonical = info.canonicalFilePath();
  return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}

}  // namespace

TfrmMain::TfrmMain(const TLutRegistry& registry, IDialogs& dialogs, QSettings* settings)
    : QMainWindow(nullptr), Registry_(registry), Dialogs_(dialogs), Settings_(settings) {
  InitUiResources();
  setWindowTitle(ProgramTitle);
  setWindowIcon(QIcon(QStringLiteral(":/tovi/tovi-lut-converter.png")));
  resize(881, 640);
  setMinimumSize(400, 200);

  auto* toolbar = new QToolBar(this);
  toolbar->setMovable(false);
  toolbar->setFloatable(false);
  toolbar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  toolbar->toggleViewAction()->setEnabled(false);
  addToolBar(Qt::TopToolBarArea, toolbar);
  QStyle* s = style();
  btnAdd = AddToolButton(QStringLiteral("Add LUTs"), QString(), s->standardIcon(QStyle::SP_DialogOpenButton));
  btnConvert = AddToolButton(QStringLiteral("Convert"), QStringLiteral("Convert the selected LUT files"),
                             s->standardIcon(QStyle::SP_DialogSaveButton));
  btnICC = AddToolButton(QStringLiteral("ICC"), QStringLiteral("Convert ICC profile to LUT file and vice versa"),
                         s->standardIcon(QStyle::SP_DriveDVDIcon));
  btnMerge = AddToolButton(QStringLiteral("Merge"), QStringLiteral("Merge the selected LUT files"),
                           s->standardIcon(QStyle::SP_FileDialogListView));
  btnHald = AddToolButton(QStringLiteral("Hald"), QStringLiteral("Generate the Hald image"),
                          s->standardIcon(QStyle::SP_FileDialogDetailedView));
  for (QToolButton* b : {btnAdd, btnConvert, btnICC, btnMerge, btnHald}) toolbar->addWidget(b);
  auto* spacer = new QWidget(toolbar);
  spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
  toolbar->addWidget(spacer);
  sbnPreview = AddToolButton(QStringLiteral("Preview"), QStringLiteral("Show/Hide the preview pane"),
                             s->standardIcon(QStyle::SP_FileDialogContentsView));
  sbnPreview->setCheckable(true);
  sbnPreview->setChecked(true);
  btnLoadPreview = AddToolButton(QStringLiteral("Image"), QStringLiteral("Load a preview image"),
                                 s->standardIcon(QStyle::SP_DirOpenIcon));
  btnAbout = AddToolButton(QStringLiteral("About"), QStringLiteral("About"),
                           s->standardIcon(QStyle::SP_MessageBoxInformation));
  for (QToolButton* b : {sbnPreview, btnLoadPreview, btnAbout}) toolbar->addWidget(b);
  btnConvert->setEnabled(false);
  btnMerge->setEnabled(false);

  pmnICC = new QMenu(this);
  miLut2ICC = pmnICC->addAction(QStringLiteral("Convert LUT to ICC Profile"));
  miICC2Lut = pmnICC->addAction(QStringLiteral("Convert ICC Profile to LUT"));

  lvwFiles = new TFileList(this);
  lvwFiles->setContextMenuPolicy(Qt::CustomContextMenu);

  pmnFiles = new QMenu(this);
  miCheckAll = pmnFiles->addAction(QStringLiteral("Check All"));
  miUncheckAll = pmnFiles->addAction(QStringLiteral("Uncheck All"));
  pmnFiles->addSeparator();
  miSetBits = pmnFiles->addAction(QStringLiteral("Set Bits Per Color..."));
  miCdlCorrection = pmnFiles->addAction(QStringLiteral("Choose CDL Correction..."));
  pmnFiles->addSeparator();
  miDelete = pmnFiles->addAction(QStringLiteral("Remove from List"));
  miDelete->setShortcut(QKeySequence::Delete);
  miDelete->setShortcutContext(Qt::WidgetWithChildrenShortcut);
  lvwFiles->addAction(miDelete);  // the Delete key works without opening the menu
  miClearList = pmnFiles->addAction(QStringLiteral("Clear List"));
  acQuit = new QAction(QStringLiteral("&Quit"), this);
  acQuit->setShortcut(Qt::CTRL | Qt::Key_Q);  // not every desktop binds QKeySequence::Quit
  BuildMenuBar();

  pnlPreview = new TPreviewPane(registry, this);
  splPreview = new TPreviewSplitter(lvwFiles, pnlPreview, this);
  setCentralWidget(splPreview);
  new TFileDrop(lvwFiles->viewport(), [this](const QStringList& paths) { AddPaths(paths); });
  new TFileDrop(pnlPreview, [this](const QStringList& paths) { LoadPreviewFile(paths.first()); });

  connect(btnAdd, &QToolButton::clicked, this, &TfrmMain::btnAddClick);
  connect(btnConvert, &QToolButton::clicked, this, &TfrmMain::btnConvertClick);
  connect(btnICC, &QToolButton::clicked, this, &TfrmMain::btnICCClick);
  connect(btnMerge, &QToolButton::clicked, this, &TfrmMain::btnMergeClick);
  connect(btnHald, &QToolButton::clicked, this, &TfrmMain::btnHaldClick);
  connect(sbnPreview, &QToolButton::clicked, this, &TfrmMain::sbnPreviewClick);
  connect(btnLoadPreview, &QToolButton::clicked, this, &TfrmMain::btnLoadPreviewClick);
  connect(btnAbout, &QToolButton::clicked, this, &TfrmMain::btnAboutClick);
  connect(miLut2ICC, &QAction::triggered, this, &TfrmMain::miLut2ICCClick);
  connect(miICC2Lut, &QAction::triggered, this, &TfrmMain::miICC2LutClick);
  connect(miCheckAll, &QAction::triggered, this, &TfrmMain::miCheckAllClick);
  connect(miUncheckAll, &QAction::triggered, this, &TfrmMain::miUncheckAllClick);
  connect(miSetBits, &QAction::triggered, this, &TfrmMain::miSetBitsClick);
  connect(miCdlCorrection, &QAction::triggered, this, &TfrmMain::miCdlCorrectionClick);
  connect(miDelete, &QAction::triggered, this, &TfrmMain::miDeleteClick);
  connect(miClearList, &QAction::triggered, this, &TfrmMain::miClearListClick);
  connect(lvwFiles, &QTreeWidget::itemChanged, this, &TfrmMain::lvwFilesItemChanged);
  connect(lvwFiles, &QTreeWidget::itemSelectionChanged, this, &TfrmMain::lvwFilesSelectionChange);
  connect(lvwFiles, &QWidget::customContextMenuRequested, this, &TfrmMain::lvwFilesContextPopup);
  connect(acQuit, &QAction::triggered, this, &QWidget::close);
  connect(miUndo, &QAction::triggered, this, &TfrmMain::miUndoClick);
  btnOpenOutput = new QPushButton(QStringLiteral("Open output folder"), this);
  btnOpenOutput->setFlat(true);
  btnOpenOutput->hide();  // shown once a batch has written files
  statusBar()->addPermanentWidget(btnOpenOutput);
  connect(btnOpenOutput, &QPushButton::clicked, this, &TfrmMain::btnOpenOutputClick);
  RestoreSettings();
}

void TfrmMain::RestoreSettings() {
  if (!Settings_) return;
  const TRemembered r = ReadRemembered(*Settings_);
  LastAddFolder_ = r.AddFolder;
  LastPreviewFolder_ = r.PreviewFolder;
  LastOutputFolder() = ToUtf8(r.OutputFolder);
  LastProfileFolder() = r.ProfileFolder;
  OutputChoice_ = r.Output;
  if (!r.Geometry.isEmpty()) restoreGeometry(r.Geometry);
  splPreview->SetPreviewShare(r.PreviewShare);
  pnlPreview->setVisible(r.PreviewShown);
  sbnPreview->setChecked(r.PreviewShown);
  Stored_ = r;
  if (r.PreviewPicture.isEmpty()) return;
  // A picture gone or spoilt since is said; the built-in one stays.
  try {
    pnlPreview->SetUngraded(LoadPreviewPicture(ToPath(r.PreviewPicture)));
    PreviewPicture_ = r.PreviewPicture;
  } catch (const std::exception& error) {
    statusBar()->showMessage(QStringLiteral("The preview picture was not loaded: ") +
                             ErrorDisplayText(ErrorMessageOf(EInFileError(ToUtf8(r.PreviewPicture),
                                                                          error.what(), ErrorLine(error)))));
  }
}

void TfrmMain::SaveSettings() {
  if (!Settings_) return;
  TRemembered r;
  r.AddFolder = LastAddFolder_;
  r.PreviewFolder = LastPreviewFolder_;
  r.OutputFolder = ToQString(LastOutputFolder());
  r.ProfileFolder = LastProfileFolder();
  r.Output = OutputChoice_;
  r.Geometry = saveGeometry();
  r.PreviewShare = splPreview->PreviewShare();
  r.PreviewShown = !pnlPreview->isHidden();
  r.PreviewPicture = PreviewPicture_;
  if (r == Stored_) return;
  WriteRemembered(*Settings_, r);
  Stored_ = r;
}

void TfrmMain::closeEvent(QCloseEvent* event) {
  SaveSettings();
  QMainWindow::closeEvent(event);
}

// The menu bar: every command with its key, and an Alt mnemonic on each menu.
void TfrmMain::BuildMenuBar() {
  struct TItem {
    const char* Menu;  // nullptr: a separator in the last menu
    const char* Text;
    QKeySequence Keys;
    void (TfrmMain::*Action)();
  };
  // The Delete key belongs to the list (its context menu's action), so the
  // menu only shows it.
  const TItem items[] = {
      {"&File", "&Add LUTs...", QKeySequence::Open, &TfrmMain::btnAddClick},
      {"&File", "Add &Folder...", Qt::CTRL | Qt::SHIFT | Qt::Key_O, &TfrmMain::miAddFolderClick},
      {nullptr, nullptr, {}, nullptr},
      {"&File", "&Convert...", Qt::CTRL | Qt::Key_Return, &TfrmMain::btnConvertClick},
      {"&File", "&Merge...", Qt::CTRL | Qt::Key_M, &TfrmMain::btnMergeClick},
      {"&File", "&ICC...", Qt::CTRL | Qt::Key_I, &TfrmMain::btnICCClick},
      {"&File", "&Hald...", Qt::CTRL | Qt::Key_H, &TfrmMain::btnHaldClick},
      {nullptr, nullptr, {}, nullptr},
      {"&Edit", "&Undo", QKeySequence::Undo, &TfrmMain::miUndoClick},
      {nullptr, nullptr, {}, nullptr},
      {"&Edit", "Select &All", QKeySequence::SelectAll, &TfrmMain::miSelectAllClick},
      {"&Edit", "&Remove\tDel", {}, &TfrmMain::miDeleteClick},
      {"&Edit", "Set &Bits Per Color...", Qt::CTRL | Qt::Key_B, &TfrmMain::miSetBitsClick},
      {"&Edit", "C&lear List", Qt::CTRL | Qt::SHIFT | Qt::Key_Delete, &TfrmMain::miClearListClick},
      {"&Help", "&Keyboard Shortcuts", QKeySequence::HelpContents, &TfrmMain::miShortcutsClick},
      {"&Help", "&About", {}, &TfrmMain::btnAboutClick},
  };
  QMenu* menu = nullptr;
  for (const TItem& item : items) {
    if (!item.Menu) {
      menu->addSeparator();
      continue;
    }
    const QString title = QString::fromLatin1(item.Menu);
    if (!menu || menu->title() != title) menu = menuBar()->addMenu(title);
    QAction* action = menu->addAction(QString::fromLatin1(item.Text));
    action->setShortcut(item.Keys);
    connect(action, &QAction::triggered, this, item.Action);
    MenuActions_[QString::fromLatin1(item.Text).remove(QLatin1Char('&')).section(QLatin1Char('\t'), 0, 0)] = action;
    if (title == QStringLiteral("&File") && item.Action == &TfrmMain::btnHaldClick) {
      menu->addSeparator();
      menu->addAction(acQuit);
    }
  }
  miUndo = MenuActions_.value(QStringLiteral("Undo"));
  miUndo->setEnabled(false);
}

QAction* TfrmMain::MenuAction(const QString& text) const { return MenuActions_.value(text); }

void TfrmMain::miAddFolderClick() {
  const QString folder = Dialogs_.ChooseFolder(this, QStringLiteral("Add Folder"), LastAddFolder_);
  if (!folder.isEmpty()) AddPaths({folder});
}

void TfrmMain::miSelectAllClick() { lvwFiles->selectAll(); }

// Every command of the menus with its key, as the menus show them.
void TfrmMain::miShortcutsClick() {
  QStringList lines;
  for (QAction* menu : menuBar()->actions())
    for (QAction* action : menu->menu()->actions()) {
      if (action->isSeparator()) continue;
      const QString text = action->text().remove(QLatin1Char('&'));
      const QString keys = action->shortcut().isEmpty() ? text.section(QLatin1Char('\t'), 1)
                                                        : action->shortcut().toString(QKeySequence::NativeText);
      if (!keys.isEmpty()) lines << text.section(QLatin1Char('\t'), 0, 0) + QStringLiteral(": ") + keys;
    }
  Dialogs_.Information(this, lines.join(QLatin1Char('\n')));
}

// Rows taken out by Remove or Clear List are kept, so Undo puts them back
// where they were.
void TfrmMain::TakeOutRows(const QList<TFileItem*>& rows) {
  TRemovedRows removed;
  for (TFileItem* row : rows) removed.push_back({lvwFiles->indexOfTopLevelItem(row), row});
  std::sort(removed.begin(), removed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  {
    // One preview update afterwards, not one per row.
    const QSignalBlocker quiet(lvwFiles);
    for (auto it = removed.rbegin(); it != removed.rend(); ++it) lvwFiles->takeTopLevelItem(it->first);
  }
  Removed_.push_back(std::move(removed));
  miUndo->setEnabled(true);
  lvwFiles->FitColumns();
}

void TfrmMain::miUndoClick() {
  if (Removed_.empty()) return;
  TRemovedRows rows = std::move(Removed_.back());
  Removed_.pop_back();
  for (const auto& [index, row] : rows) lvwFiles->insertTopLevelItem(index, row);
  miUndo->setEnabled(!Removed_.empty());
  UpdateButtons();
  lvwFiles->FitColumns();
}

TfrmMain::~TfrmMain() {
  for (const TRemovedRows& rows : Removed_)
    for (const auto& entry : rows) delete entry.second;
}

QToolButton* TfrmMain::AddToolButton(const QString& caption, const QString& hint, const QIcon& icon) {
  auto* button = new QToolButton(this);
  button->setText(caption);
  button->setToolTip(hint.isEmpty() ? caption : hint);
  button->setIcon(icon);
  button->setAutoRaise(true);  // flat
  button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  button->setFocusPolicy(Qt::TabFocus);  // reachable from the keyboard
  return button;
}

TFileItem* TfrmMain::Row(int index) const { return static_cast<TFileItem*>(lvwFiles->topLevelItem(index)); }

int TfrmMain::RowCount() const { return lvwFiles->topLevelItemCount(); }

std::vector<TLutFileRow> TfrmMain::BatchRows() const {
  std::vector<TLutFileRow> rows;
  for (int i = 0; i < RowCount(); ++i) {
    const TFileItem* item = Row(i);
    rows.push_back({ToPath(item->text(colFileName)).string(), ToPath(item->text(colFolder)).string(),
                    item->checkState(colFileName) == Qt::Checked, item->Entry});
  }
  return rows;
}

void TfrmMain::btnAddClick() {
  const QStringList files = Dialogs_.OpenFiles(this, LastAddFolder_, LutFilesFilter(Registry_));
  if (files.isEmpty()) return;
  LastAddFolder_ = QDir::toNativeSeparators(QFileInfo(files.first()).absolutePath());
  AddFiles(files);
}

void TfrmMain::AddPaths(const QStringList& paths) {
  QStringList files;
  for (const QString& path : paths) {
    const QFileInfo info(path);
    if (!info.isDir()) {
      files << info.absoluteFilePath();
      continue;
    }
    // What the add-files dialog shows in that folder with its LUT filter.
    const QDir folder(info.absoluteFilePath());
    for (const QString& name : folder.entryList(LutFilePatterns(Registry_), QDir::Files | QDir::Readable))
      files << folder.absoluteFilePath(name);
  }
  if (paths.isEmpty()) return;
  const QFileInfo first(paths.first());
  LastAddFolder_ = QDir::toNativeSeparators(first.isDir() ? first.absoluteFilePath() : first.absolutePath());
  if (!files.isEmpty()) AddFiles(files);
}

void TfrmMain::AddFiles(QStringList files) {
  std::sort(files.begin(), files.end(),
            [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
  // A file already listed (or named twice now) keeps its one row.
  QSet<QString> listed;
  for (int i = 0; i < RowCount(); ++i) listed.insert(ListedPath(ToQString(Row(i)->Path().string())));
  QStringList again;
  Guarded(Dialogs_, this, [&] {
    for (const QString& file : files) {
      const QFileInfo info(file);
      const QString key = ListedPath(file);
      if (listed.contains(key)) {
        again << info.fileName();
        continue;
      }
      listed.insert(key);
      const int found = Registry_.DetectLutFormat(ToPath(info.absoluteFilePath()));
      TLutFileEntry entry{-1, found, {}};
      // A CDL file of several corrections asks which one; Cancel adds nothing.
      if (found >= 0 && !ChooseCdlCorrection(Dialogs_, this, Registry_, ToPath(info.absoluteFilePath()), entry)) {
        listed.remove(key);
        continue;
      }
      auto* item = new TFileItem;
      item->setText(colFileName, info.fileName());
      item->setText(colFolder, QDir::toNativeSeparators(info.absolutePath()));
      if (found >= 0) {
        item->Entry = entry;
        ShowRowFormat(item);
        item->setCheckState(colFileName, Qt::Checked);
      } else {
        item->setText(colFormat, QStringLiteral("unknown"));
        item->setCheckState(colFileName, Qt::Unchecked);
      }
      lvwFiles->addTopLevelItem(item);
      UpdateButtons();
    }
  });
  UpdateButtons();
  lvwFiles->FitColumns();
  if (again.size() == 1)
    statusBar()->showMessage(again.first() + QStringLiteral(" is already in the list."));
  else if (again.size() > 1)
    statusBar()->showMessage(QStringLiteral("%1 files are already in the list.").arg(again.size()));
}

// The format's name, and the depth its codes are read at when the user set one.
void TfrmMain::ShowRowFormat(TFileItem* row) {
  QString caption = ToQString(Registry_.GetLutFormat(row->Entry->FormatIndex)->Name);
  if (row->Entry->BitsPerValue > 0) caption += QStringLiteral(" (%1 bit)").arg(row->Entry->BitsPerValue);
  if (!row->Entry->CdlId.empty()) caption += QStringLiteral(" (%1)").arg(ToQString(row->Entry->CdlId));
  else if (row->Entry->CdlIndex >= 0) caption += QStringLiteral(" (#%1)").arg(row->Entry->CdlIndex + 1);
  row->setText(colFormat, caption);
}

QList<TFileItem*> TfrmMain::SelectedRows() const {
  QList<TFileItem*> rows;
  for (int i = 0; i < RowCount(); ++i)
    if (Row(i)->isSelected()) rows << Row(i);
  return rows;
}

void TfrmMain::UpdateButtons() {
  bool anyChecked = false;
  for (int i = 0; i < RowCount() && !anyChecked; ++i)
    anyChecked = Row(i)->checkState(colFileName) == Qt::Checked;
  btnConvert->setEnabled(anyChecked);
  btnMerge->setEnabled(btnConvert->isEnabled());
  for (const char* command : {"Convert...", "Merge..."})
    if (QAction* action = MenuAction(QString::fromLatin1(command))) action->setEnabled(anyChecked);
}

void TfrmMain::lvwFilesItemChanged(QTreeWidgetItem* item) {
  UpdateButtons();
  auto* row = static_cast<TFileItem*>(item);
  if (row->checkState(colFileName) == Qt::Checked && !row->Entry) {
    row->setCheckState(colFileName, Qt::Unchecked);
    Dialogs_.Information(this, UnknownFormatMessage);
  }
}

// With several rows selected, the preview follows the one clicked last.
void TfrmMain::lvwFilesSelectionChange() {
  UpdateContextMenu();  // the Delete key follows the selection, menu open or not
  auto* current = static_cast<TFileItem*>(lvwFiles->currentItem());
  if (current && current->isSelected()) return RowSelectionChange(current);
  const QList<TFileItem*> selected = SelectedRows();
  RowSelectionChange(selected.isEmpty() ? nullptr : selected.first());
}

// Only a visible pane reads the file, at the row's depth.
void TfrmMain::RowSelectionChange(TFileItem* row) {
  if (!row) {
    pnlPreview->ShowNoLut();
    return;
  }
  if (!pnlPreview->isVisible()) return;
  Guarded(Dialogs_, this, [&] {
    pnlPreview->ShowLutInfo(row->Path(), row->Entry ? ReadOptionsOf(*row->Entry) : TReadOptions{});
  });
}

void TfrmMain::UpdateContextMenu() {
  const bool selected = !lvwFiles->selectedItems().isEmpty();
  miSetBits->setEnabled(selected);
  const QList<TFileItem*> rows = SelectedRows();
  miCdlCorrection->setEnabled(rows.size() == 1 && rows.first()->Entry &&
                              IsCdlFormat(Registry_, rows.first()->Entry->FormatIndex));
  miDelete->setEnabled(selected);
  miClearList->setEnabled(RowCount() > 0);
}

void TfrmMain::lvwFilesContextPopup(const QPoint& pos) {
  UpdateContextMenu();
  pmnFiles->popup(lvwFiles->viewport()->mapToGlobal(pos));
}

void TfrmMain::miCheckAllClick() {
  for (int i = 0; i < RowCount(); ++i)
    if (Row(i)->Entry) Row(i)->setCheckState(colFileName, Qt::Checked);
}

void TfrmMain::miUncheckAllClick() {
  for (int i = 0; i < RowCount(); ++i) Row(i)->setCheckState(colFileName, Qt::Unchecked);
}

void TfrmMain::miDeleteClick() {
  const QList<TFileItem*> selected = SelectedRows();
  if (selected.isEmpty()) return;
  const int index = lvwFiles->indexOfTopLevelItem(selected.first());
  TakeOutRows(selected);
  UpdateButtons();
  if (RowCount() == 0) return lvwFilesSelectionChange();
  QTreeWidgetItem* next = lvwFiles->topLevelItem(std::min(index, RowCount() - 1));
  lvwFiles->setCurrentItem(next);
  next->setSelected(true);
}

void TfrmMain::miClearListClick() {
  QList<TFileItem*> all;
  for (int i = 0; i < RowCount(); ++i) all << Row(i);
  if (!all.isEmpty()) TakeOutRows(all);
  lvwFilesSelectionChange();
  UpdateButtons();
}

// Sets the depth of every selected recognised row; unknown files have none.
// The dialog shows the rows' depth when they share one.
void TfrmMain::miSetBitsClick() {
  QList<TFileItem*> rows;
  for (TFileItem* row : SelectedRows())
    if (row->Entry) rows << row;
  if (rows.isEmpty()) return;
  int shown = rows.first()->Entry->BitsPerValue;
  for (const TFileItem* row : rows)
    if (row->Entry->BitsPerValue != shown) shown = -1;
  TfrmSetBitsPerValue dialog(shown, this);
  if (Dialogs_.Run(dialog) != QDialog::Accepted) return;
  for (TFileItem* row : rows) {
    row->Entry->BitsPerValue = dialog.BitsPerValue();
    ShowRowFormat(row);
  }
  lvwFilesSelectionChange();
}

// Another correction of a CDL file for its row: the row is read with it
// from then on, its preview at once.
void TfrmMain::miCdlCorrectionClick() {
  const QList<TFileItem*> rows = SelectedRows();
  if (rows.size() != 1 || !rows.first()->Entry) return;
  TFileItem* row = rows.first();
  TLutFileEntry entry = *row->Entry;
  if (!ChooseCdlCorrection(Dialogs_, this, Registry_, row->Path(), entry)) return;
  if (entry.CdlId == row->Entry->CdlId && entry.CdlIndex == row->Entry->CdlIndex) return;
  *row->Entry = entry;
  ShowRowFormat(row);
  lvwFilesSelectionChange();
}

void TfrmMain::btnConvertClick() {
  TfrmConvert dialog(Registry_, Dialogs_, this);
  if (Settings_) dialog.Controls->Restore(OutputChoice_);
  if (Dialogs_.Run(dialog) != QDialog::Accepted || !dialog.SelectedProfile()) return;
  if (Settings_) OutputChoice_ = dialog.Controls->Choice();
  SaveSettings();  // now, while the disk is idle, not at quitting after the batch
  TBatchSettings settings;
  settings.OutputFolder = ToPath(dialog.edtOutFolder->text());
  settings.Profile = dialog.SelectedProfile();
  settings.Size = dialog.Controls->Options.EffectiveSize();
  settings.Bits = dialog.Controls->Options.SelectedBits();
  const std::vector<TLutFileRow> rows = BatchRows();
  QList<TFileItem*> items;  // the rows as they stand now, whatever order the list takes later
  for (int i = 0; i < RowCount(); ++i) items << Row(i);
  // Each row's outcome, written by the handlers on the batch's thread (each
  // to its own row) and shown here once that thread has ended.
  std::vector<TRowOutcome> outcomes(rows.size());
  const auto outcomeOf = [&](const TLutFileRow& row) -> TRowOutcome& {
    return outcomes[static_cast<std::size_t>(&row - rows.data())];
  };
  const bool goOn = dialog.chkGoOn->isChecked();
  QStringList failures;
  settings.OnError = [&](const TLutFileRow& row, const std::exception& error) {
    TRowOutcome& outcome = outcomeOf(row);
    outcome.Kind = TRowOutcome::Failed;
    outcome.Text = ErrorDisplayText(ErrorMessageOf(EInFileError(row.Path().string(), error.what(), ErrorLine(error))));
    failures << outcome.Text;
    return goOn;  // otherwise the first error ends the batch
  };
  settings.OnConverted = [&](const TLutFileRow& row, const std::filesystem::path& output) {
    outcomeOf(row) = {TRowOutcome::Converted, QStringLiteral("Converted to ") + DisplayPath(output.string())};
  };
  // No to the overwrite question, or a file the writer puts beside its
  // output kept (the output is then not written either).
  settings.OnSkipped = [&](const TLutFileRow& row, const std::filesystem::path& kept) {
    outcomeOf(row) = {TRowOutcome::Skipped, QStringLiteral("Kept ") + DisplayPath(kept.string())};
  };
  // What the written files lost is said once the batch is over.
  QStringList warnings;
  settings.OnReadWarning = [&](const TLutFileRow& row, const std::string& warning) {
    warnings << QString::fromStdString(row.FileName + ": " + warning);
  };
  settings.OnWarning = [&](const TLutFileRow& row, const TWriteLoss& loss) {
    settings.OnReadWarning(row, loss.Text);
  };
  // With the dialog's box ticked, each output is read back; how far each is
  // from its source is said once the batch is over.
  QStringList verified;
  if (dialog.chkVerify->isChecked())
    settings.OnVerified = [&](const TLutFileRow&, const std::filesystem::path& output, double d) {
      verified << QString::fromStdString(output.filename().string()) +
                      QStringLiteral(": largest difference %1").arg(d, 0, 'g', 3);
    };
  TfrmProgress progress(this);
  TProgressWindowReport report(progress);
  TDialogConfirm dialogConfirm(Dialogs_, this, true);
  TInterfaceConfirm confirm(dialogConfirm);
  TBatchCount count;
  try {
    RunOffInterfaceThread([&] {
      count.Cancelled =
          ConvertCheckedFiles(Registry_, rows, settings, confirm, report) == TBatchResult::Cancelled;
    });
  } catch (const std::exception& error) {
    progress.Hide();
    // The failure that ended the batch is its row's; anything else (a
    // batch refused before it began) is said as it is.
    Dialogs_.Error(this, failures.isEmpty() ? ErrorDisplayText(ErrorMessageOf(error)) : failures.last());
  }
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (!rows[i].Checked) continue;
    if (outcomes[i].Kind == TRowOutcome::None) outcomes[i] = {TRowOutcome::NotTried, QStringLiteral("Not tried")};
    switch (outcomes[i].Kind) {
      case TRowOutcome::Converted: ++count.Converted; break;
      case TRowOutcome::Skipped: ++count.Skipped; break;
      case TRowOutcome::Failed: ++count.Failed; break;
      case TRowOutcome::NotTried: ++count.NotTried; break;
      case TRowOutcome::None: break;
    }
  }
  ShowOutcomes(items, outcomes);
  ReleaseFreedMemory();  // the batch's blocks, kept for its next file, are not needed now
  if (goOn && !failures.isEmpty())
    Dialogs_.Warning(this, QStringLiteral("These files could not be converted:\n") + failures.join('\n'));
  if (!warnings.isEmpty()) Dialogs_.Warning(this, warnings.join('\n'));
  if (!verified.isEmpty()) Dialogs_.Information(this, verified.join('\n'));
  statusBar()->showMessage(BatchSummaryText(count));
  LastBatchFolder_ = dialog.edtOutFolder->text();
  btnOpenOutput->setVisible(count.Converted > 0);
}

// Each row of the batch shows how it went: an icon, and the output or the
// error in its tooltip.
void TfrmMain::ShowOutcomes(const QList<TFileItem*>& rows, const std::vector<TRowOutcome>& outcomes) {
  QStyle* s = style();
  for (qsizetype i = 0; i < rows.size() && static_cast<std::size_t>(i) < outcomes.size(); ++i) {
    TFileItem* row = rows[i];
    const TRowOutcome& outcome = outcomes[static_cast<std::size_t>(i)];
    static const QStyle::StandardPixmap icons[] = {QStyle::SP_CustomBase, QStyle::SP_DialogApplyButton,
                                                   QStyle::SP_DialogNoButton, QStyle::SP_MessageBoxCritical,
                                                   QStyle::SP_MessageBoxQuestion};
    row->Outcome = outcome.Kind;
    const QSignalBlocker quiet(lvwFiles);  // not a row change for the check-state rule
    row->setIcon(colFileName, outcome.Kind == TRowOutcome::None ? QIcon() : s->standardIcon(icons[outcome.Kind]));
    row->setToolTip(colFileName, outcome.Text);
  }
}

void TfrmMain::btnOpenOutputClick() {
  QDesktopServices::openUrl(QUrl::fromLocalFile(QDir::fromNativeSeparators(LastBatchFolder_)));
}

void TfrmMain::btnMergeClick() {
  std::vector<std::filesystem::path> files;
  std::vector<TReadOptions> options;  // each row's depth and CDL correction
  for (int i = 0; i < RowCount(); ++i) {
    if (Row(i)->checkState(colFileName) != Qt::Checked) continue;
    files.push_back(Row(i)->Path());
    options.push_back(Row(i)->Entry ? ReadOptionsOf(*Row(i)->Entry) : TReadOptions{});
  }
  TfrmJoinLut dialog(Registry_, Dialogs_, files, this, options);
  Dialogs_.Run(dialog);
}

void TfrmMain::btnICCClick() {
  pmnICC->popup(btnICC->mapToGlobal(QPoint(0, btnICC->height() - 1)));
}

void TfrmMain::sbnPreviewClick() {
  pnlPreview->setVisible(!pnlPreview->isVisible());
  sbnPreview->setChecked(pnlPreview->isVisible());
  splPreview->ApplyShare();
  if (pnlPreview->isVisible()) lvwFilesSelectionChange();
}

bool TfrmMain::ChoosePreviewPicture(QWidget* parent, QImage& picture, QString* chosen) {
  const QString file = Dialogs_.OpenFile(parent, QString(), LastPreviewFolder_, PreviewPicturesFilter());
  if (file.isEmpty()) return false;
  LastPreviewFolder_ = QDir::toNativeSeparators(QFileInfo(file).absolutePath());
  bool loaded = false;
  Guarded(Dialogs_, parent, [&] {
    picture = LoadPreviewPicture(ToPath(file));
    loaded = true;
  });
  if (loaded && chosen) *chosen = QFileInfo(file).absoluteFilePath();
  return loaded;
}

void TfrmMain::LoadPreviewFile(const QString& file) {
  LastPreviewFolder_ = QDir::toNativeSeparators(QFileInfo(file).absolutePath());
  Guarded(Dialogs_, this, [&] {
    pnlPreview->SetUngraded(LoadPreviewPicture(ToPath(file)));
    PreviewPicture_ = QFileInfo(file).absoluteFilePath();
    lvwFilesSelectionChange();
  });
}

void TfrmMain::btnLoadPreviewClick() {
  QImage picture;
  if (!ChoosePreviewPicture(this, picture, &PreviewPicture_)) return;
  pnlPreview->SetUngraded(picture);
  lvwFilesSelectionChange();
}

void TfrmMain::btnAboutClick() {
  TAboutForm about(this);
  Dialogs_.Run(about);
}

void TfrmMain::btnHaldClick() {
  // The program's own 182 x 182 layout in its three types, then the standard
  // Hald CLUTs that other programs exchange (level 0: the own layout).
  struct THaldChoice {
    const char* Filter;
    TImageFileType Type;
    int Level;
    int Bits;
  };
  static constexpr THaldChoice choices[] = {
      {"Bitmap File (*.bmp)", TImageFileType::Bmp, 0, 8},
      {"Jpeg File (*.jpg)", TImageFileType::Jpeg, 0, 8},
      {"Tiff File (*.tif)", TImageFileType::Tiff, 0, 8},
      {"Hald CLUT Level 8 PNG File (*.png)", TImageFileType::Png, 8, 8},
      {"Hald CLUT Level 8 16-bit PNG File (*.png)", TImageFileType::Png, 8, 16},
      {"Hald CLUT Level 12 PNG File (*.png)", TImageFileType::Png, 12, 8},
  };
  static const QStringList filters = [] {
    QStringList list;
    for (const THaldChoice& c : choices) list << QString::fromLatin1(c.Filter);
    return list;
  }();
  // One save dialog for the run: it keeps the last name and type chosen.
  const TSaveChoice choice =
      Dialogs_.SaveFile(this, QString(), HaldFileName_, filters, HaldFilterIndex_, QString());
  if (choice.FileName.isEmpty()) return;
  HaldFileName_ = choice.FileName;
  HaldFilterIndex_ = std::clamp(choice.FilterIndex, 0, static_cast<int>(std::size(choices)) - 1);
  const THaldChoice& chosen = choices[HaldFilterIndex_];
  TDialogConfirm confirm(Dialogs_, this);
  Guarded(Dialogs_, this, [&] {
    std::filesystem::path file = ToPath(choice.FileName);
    if (chosen.Level == 0) {
      file = GenerateHaldImage(file, chosen.Type, confirm);
    } else {
      if (FileExtension(file).empty()) file += ".png";
      if (!GenerateHaldClut(file, chosen.Level, chosen.Bits, chosen.Type, confirm)) file.clear();
    }
    if (!file.empty()) SayWritten(this, ToQString(file.string()));
  });
}

void TfrmMain::miLut2ICCClick() {
  TfrmLUT2ICC dialog(Registry_, Dialogs_, this);
  Dialogs_.Run(dialog);
}

void TfrmMain::miICC2LutClick() {
  TfrmICCConvert dialog(Registry_, Dialogs_, pnlPreview->Ungraded(), this);
  dialog.ChooseTestImage = [this](QWidget* parent, QImage& picture) {
    return ChoosePreviewPicture(parent, picture);
  };
  Dialogs_.Run(dialog);
}
