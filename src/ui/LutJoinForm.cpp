#include "ui/LutJoinForm.h"

#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QVBoxLayout>

#include "ops/LutMerge.h"
#include "ui/Dialogs.h"
#include "ui/TypedPath.h"

namespace {

const QString RowMimeType = QStringLiteral("application/x-tovi-merge-row");

}  // namespace

TMergeFileList::TMergeFileList(QWidget* parent) : QListWidget(parent) {
  setSelectionMode(QAbstractItemView::SingleSelection);
  setDragEnabled(true);
  setAcceptDrops(true);
  viewport()->setAcceptDrops(true);
  setDropIndicatorShown(true);
  setDragDropMode(QAbstractItemView::DragDrop);
  setDefaultDropAction(Qt::MoveAction);
}

void TMergeFileList::ShowFiles() {
  clear();
  for (const TMergeFile& file : Files) addItem(DisplayPath(file.File.string()));
}

QStringList TMergeFileList::mimeTypes() const { return {RowMimeType}; }

// The payload names this list and the row, so a drop from anywhere else is refused.
QMimeData* TMergeFileList::mimeData(const QList<QListWidgetItem*>& items) const {
  if (items.isEmpty()) return nullptr;
  auto* data = new QMimeData;
  const QString payload = QString::number(reinterpret_cast<quintptr>(this)) + QLatin1Char(' ') +
                          QString::number(row(items.first()));
  data->setData(RowMimeType, payload.toUtf8());
  return data;
}

int TMergeFileList::DraggedRow(const QMimeData* data) const {
  if (!data || !data->hasFormat(RowMimeType)) return -1;
  const QStringList parts = QString::fromUtf8(data->data(RowMimeType)).split(QLatin1Char(' '));
  if (parts.size() != 2 || parts[0] != QString::number(reinterpret_cast<quintptr>(this))) return -1;
  bool ok = false;
  const int from = parts[1].toInt(&ok);
  return ok ? from : -1;
}

void TMergeFileList::dragEnterEvent(QDragEnterEvent* event) {
  if (DraggedRow(event->mimeData()) >= 0) {
    event->acceptProposedAction();
  } else {
    event->ignore();
  }
}

void TMergeFileList::dragMoveEvent(QDragMoveEvent* event) {
  if (DraggedRow(event->mimeData()) >= 0 && itemAt(event->position().toPoint())) {
    event->acceptProposedAction();
  } else {
    event->ignore();
  }
}

void TMergeFileList::dropEvent(QDropEvent* event) {
  // Accept no move action: the list itself must not remove the dragged row.
  event->setDropAction(Qt::CopyAction);
  event->accept();
  DropOnto(event->mimeData(), event->position().toPoint());
}

void TMergeFileList::DropOnto(const QMimeData* data, const QPoint& position) {
  const int from = DraggedRow(data);
  QListWidgetItem* target = itemAt(position);
  if (from < 0 || !target) return;
  const int onto = row(target);
  SwapByDrag(Files, from, onto);
  ShowFiles();
  setCurrentRow(onto);
}

TfrmJoinLut::TfrmJoinLut(const TLutRegistry& registry, IDialogs& dialogs,
                         const std::vector<std::filesystem::path>& files, QWidget* owner,
                         const std::vector<TReadOptions>& readOptions)
    : TOptionDialog(owner), Registry_(registry), Dialogs_(dialogs) {
  setWindowTitle(QStringLiteral("Merge LUT files"));
  lbxFiles = new TMergeFileList(this);
  lbxFiles->Files = MergeFiles(files);
  for (std::size_t i = 0; i < readOptions.size() && i < files.size(); ++i)
    lbxFiles->Files[i].Options = readOptions[i];
  lbxFiles->ShowFiles();
  Controls = new TOutputOptionControls(registry, TOptionsDialog::Merge, this);
  edtLUTFile = new QLineEdit(this);  // typed or picked
  edtLUTFile->setEnabled(false);
  btnSelectFile = new QPushButton(QStringLiteral("..."), this);
  btnSelectFile->setToolTip(QStringLiteral("Select the destination LUT file name"));
  btnSelectFile->setEnabled(false);
  btnSelectFile->setFixedWidth(32);
  btnSelectFile->setAutoDefault(false);
  btnSave = new QPushButton(QStringLiteral("Save"), this);
  btnSave->setDefault(true);
  btnSave->setEnabled(false);
  btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
  btnCancel->setAutoDefault(false);

  auto* note = new QLabel(QStringLiteral("(Top file will be applied first. Please drag file to change order.)"), this);
  note->setWordWrap(true);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(14, 12, 14, 12);
  layout->addWidget(BuddyLabel(QStringLiteral("LUT F&iles to Merge"), lbxFiles, this));
  layout->addWidget(note);
  layout->addWidget(lbxFiles, 1);
  // Three rows at least; the list takes what else the dialog has.
  lbxFiles->setMinimumHeight(lbxFiles->fontMetrics().height() * 3 + 2 * lbxFiles->frameWidth() + 6);
  auto* grid = new QGridLayout;
  auto* fileRow = new QHBoxLayout;
  fileRow->addWidget(edtLUTFile);
  fileRow->addWidget(btnSelectFile);
  grid->addWidget(BuddyLabel(QStringLiteral("Output LUT &Format"), Controls->cbxOutFormat, this), 0, 0);
  grid->addWidget(Controls->cbxOutFormat, 0, 1);
  grid->addWidget(BuddyLabel(QStringLiteral("&Output LUT File"), edtLUTFile, this), 1, 0);
  grid->addLayout(fileRow, 1, 1);
  grid->addWidget(BuddyLabel(QStringLiteral("LUT &dimension size"), Controls->cbxDimSize, this), 2, 0);
  grid->addWidget(Controls->cbxDimSize, 2, 1);
  grid->addWidget(BuddyLabel(QStringLiteral("&Bits per color"), Controls->cbxBits, this), 3, 0);
  grid->addWidget(Controls->cbxBits, 3, 1);
  grid->setColumnStretch(1, 1);
  layout->addLayout(grid);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(btnSave);
  buttons->addWidget(btnCancel);
  layout->addLayout(buttons);
  SetSpecifiedSize(*this, {496, 385});

  // Tab follows the layout: the file path comes between format and size.
  setTabOrder(lbxFiles, Controls->cbxOutFormat);
  setTabOrder(Controls->cbxOutFormat, edtLUTFile);
  setTabOrder(edtLUTFile, btnSelectFile);
  setTabOrder(btnSelectFile, Controls->cbxDimSize);
  setTabOrder(Controls->cbxDimSize, Controls->cbxBits);
  setTabOrder(Controls->cbxBits, btnSave);
  setTabOrder(btnSave, btnCancel);
  connect(Controls, &TOutputOptionControls::FormatChanged, this, &TfrmJoinLut::cbxOutFormatChange);
  connect(btnSelectFile, &QPushButton::clicked, this, &TfrmJoinLut::btnSelectFileClick);
  connect(btnSave, &QPushButton::clicked, this, &TfrmJoinLut::btnSaveClick);
  connect(edtLUTFile, &QLineEdit::textChanged, this, &TfrmJoinLut::UpdateSaveButton);
  connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrmJoinLut::cbxOutFormatChange() {
  const TLutOutputProfile* profile = Controls->Options.SelectedProfile();
  edtLUTFile->setEnabled(profile != nullptr);
  btnSelectFile->setEnabled(profile != nullptr);
  if (profile && !edtLUTFile->text().isEmpty())
    edtLUTFile->setText(DisplayPath(WithProfileExtension(ToPath(edtLUTFile->text()).string(), *profile)));
  UpdateSaveButton();
}

void TfrmJoinLut::UpdateSaveButton() {
  btnSave->setEnabled(Controls->Options.SelectedProfile() && !edtLUTFile->text().isEmpty());
}

void TfrmJoinLut::btnSelectFileClick() {
  const TLutOutputProfile* profile = Controls->Options.SelectedProfile();
  if (!profile) return;
  const QString ext = ToQString(profile->Extension);
  const QString filter = ToQString(profile->Name) + QStringLiteral(" (*.") + ext + QLatin1Char(')');
  const TSaveChoice choice =
      Dialogs_.SaveFile(this, QString(), ToQString(LastOutputFolder()), {filter}, 0, ext);
  if (choice.FileName.isEmpty()) return;
  edtLUTFile->setText(QDir::toNativeSeparators(choice.FileName));
  LastOutputFolder() = ToUtf8(QDir::toNativeSeparators(QFileInfo(choice.FileName).absolutePath()));
}

void TfrmJoinLut::btnSaveClick() {
  const TLutOutputProfile* profile = Controls->Options.SelectedProfile();
  if (!profile) return;
  if (!AcceptTypedPath(*edtLUTFile, TPathUse::SaveFile, Dialogs_, ToQString(profile->Extension))) return;
  bool saved = false;
  std::vector<TWriteLoss> losses;
  Guarded(Dialogs_, this, [&] {
    TDialogConfirm confirm(Dialogs_, this);
    saved = SaveMergedLut(Registry_, lbxFiles->Files,
                          ToPath(edtLUTFile->text()),
                          *profile, Controls->Options.EffectiveSize(), Controls->Options.SelectedBits(),
                          confirm, &losses);
  });
  if (!saved) return;
  SayWritten(this, edtLUTFile->text());
  accept();
  Dialogs_.Information(this, ToQString(MergeSuccessMessage));
  SayLosses(Dialogs_, this, ToQString(lbxFiles->Files.front().File.string()), losses);
}
