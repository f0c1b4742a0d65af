#include "windows/ToolChoosers.h"

#include <QDir>
#include <QFileDialog>

namespace tav {

namespace {

QString Run(QWidget* owner, const QString& filter, const QString& startDir, bool save) {
    QFileDialog dialog(owner, QString(), startDir.isEmpty() ? QDir::currentPath() : startDir,
                       filter);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::ReadOnly, false);
    // Qt's own chooser: the same on every desktop, and a window of this program that
    // screen readers and tests find like every other.
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().front();
}

} // namespace

QString ChooseFileToSave(QWidget* owner, const QString& filter, const QString& startDir) {
    return Run(owner, filter, startDir, true);
}

QString ChooseFileToOpen(QWidget* owner, const QString& filter, const QString& startDir) {
    return Run(owner, filter, startDir, false);
}

} // namespace tav
