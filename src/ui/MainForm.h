// The main window: the list of LUT files with their detected formats and
// check boxes, the toolbar that starts every operation, and the preview pane.
#pragma once

#include <QHash>
#include <QMainWindow>
#include <QTreeWidgetItem>
#include <optional>

#include "core/LUTFormat.h"
#include "ops/BatchConversion.h"
#include "ui/FileList.h"
#include "ui/OptionControls.h"
#include "ui/Settings.h"

class IDialogs;
class QAction;
class QMenu;
class QPushButton;
class QSettings;
class TPreviewSplitter;
class QToolButton;
class QTreeWidget;
class TPreviewPane;

class TfrmMain : public QMainWindow {
  Q_OBJECT

 public:
  // With a settings store the window remembers between runs what
  // ui/Settings.h lists; without one it remembers nothing.
  TfrmMain(const TLutRegistry& registry, IDialogs& dialogs, QSettings* settings = nullptr);
  ~TfrmMain() override;
  // The menu bar's command of this text (without "&" and key), or nullptr.
  QAction* MenuAction(const QString& text) const;

  TFileItem* Row(int index) const;
  int RowCount() const;
  // The rows as the batch sees them, in list order.
  std::vector<TLutFileRow> BatchRows() const;
  // Enables the context menu's entries as they stand now (done on opening).
  void UpdateContextMenu();
  // The picture chooser of the preview, shared with the ICC dialog's test
  // image: answers false when cancelled or when the picture cannot be read;
  // the file chosen goes to `chosen` when given.
  bool ChoosePreviewPicture(QWidget* parent, QImage& picture, QString* chosen = nullptr);
  // Files and folders named on the command line or dropped onto the list,
  // added as "Add LUTs" adds files; a folder brings its files that the LUT
  // file filter shows.
  void AddPaths(const QStringList& paths);
  // A picture dropped onto the preview: it becomes the ungraded picture.
  void LoadPreviewFile(const QString& file);

  TFileList* lvwFiles;
  TPreviewPane* pnlPreview;
  TPreviewSplitter* splPreview;  // between the list and the preview
  QToolButton* btnAdd;
  QToolButton* btnConvert;
  QToolButton* btnICC;
  QToolButton* btnMerge;
  QToolButton* btnHald;
  QToolButton* sbnPreview;
  QToolButton* btnLoadPreview;
  QToolButton* btnAbout;
  QMenu* pmnICC;
  QAction* miLut2ICC;
  QAction* miICC2Lut;
  QMenu* pmnFiles;
  QAction* miCheckAll;
  QAction* miUncheckAll;
  QAction* miSetBits;
  QAction* miCdlCorrection;  // another correction of a CDL file of several
  QAction* miDelete;
  QAction* miClearList;
  QAction* acQuit;
  QAction* miUndo;  // puts back the rows last removed or cleared
  QPushButton* btnOpenOutput;  // in the status bar after a batch

  void btnAddClick();
  void btnConvertClick();
  void btnICCClick();
  void btnMergeClick();
  void btnHaldClick();
  void sbnPreviewClick();
  void btnLoadPreviewClick();
  void btnAboutClick();
  void miLut2ICCClick();
  void miICC2LutClick();
  void miCheckAllClick();
  void miUncheckAllClick();
  void miSetBitsClick();
  void miCdlCorrectionClick();
  void miDeleteClick();
  void miClearListClick();
  void btnOpenOutputClick();
  void miAddFolderClick();
  void miSelectAllClick();
  void miShortcutsClick();
  void miUndoClick();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  QToolButton* AddToolButton(const QString& caption, const QString& hint, const QIcon& icon);
  // Sorted without regard to case, recognised, appended (the end of "Add LUTs").
  void AddFiles(QStringList files);
  void ShowRowFormat(TFileItem* row);
  QList<TFileItem*> SelectedRows() const;
  void RestoreSettings();
  void SaveSettings();
  void lvwFilesItemChanged(QTreeWidgetItem* item);
  void lvwFilesSelectionChange();
  void lvwFilesContextPopup(const QPoint& pos);
  void UpdateButtons();
  void RowSelectionChange(TFileItem* row);
  void ShowOutcomes(const QList<TFileItem*>& rows, const std::vector<TRowOutcome>& outcomes);
  void BuildMenuBar();
  void TakeOutRows(const QList<TFileItem*>& rows);

  const TLutRegistry& Registry_;
  IDialogs& Dialogs_;
  QString LastAddFolder_;
  QString LastPreviewFolder_;
  QString LastBatchFolder_;
  QString PreviewPicture_;  // the preview's picture file; empty: the built-in one
  QHash<QString, QAction*> MenuActions_;
  using TRemovedRows = std::vector<std::pair<int, TFileItem*>>;  // list position, row
  std::vector<TRemovedRows> Removed_;
  QString HaldFileName_ = QStringLiteral("HaldImage");
  int HaldFilterIndex_ = 2;  // TIFF
  QSettings* Settings_;
  TOutputChoice OutputChoice_;  // remembered only with a settings store
  // What the store holds of this window. It is written only when that
  // changed: a write ends in a sync to disk, which, right after a batch has
  // written hundreds of megabytes, waits for them and held up quitting.
  TRemembered Stored_;
};
