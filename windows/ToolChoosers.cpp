#include "windows/ToolChoosers.h"

#include <QDir>
#include <QFileDialog>

#include <algorithm>

namespace tav {

namespace {

// `filter` may hold several types separated by ";;".
QString Run(QWidget* owner, const QString& filter, const QString& startDir, bool save,
            int* chosenFilter = nullptr) {
    QFileDialog dialog(owner, QString(), startDir.isEmpty() ? QDir::currentPath() : startDir,
                       filter);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::ReadOnly, false);
    // Qt's own chooser: the same on every desktop, and a window of this program that
    // screen readers and tests find like every other.
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    if (chosenFilter)
        *chosenFilter = static_cast<int>(
            std::max<qsizetype>(0, dialog.nameFilters().indexOf(dialog.selectedNameFilter())));
    return dialog.selectedFiles().front();
}

} // namespace

QString ChooseFileToSave(QWidget* owner, const QString& filter, const QString& startDir) {
    return Run(owner, filter, startDir, true);
}

QString ChooseFileToSave(QWidget* owner, const QStringList& filters, const QString& startDir,
                         int* chosenFilter) {
    return Run(owner, filters.join(QStringLiteral(";;")), startDir, true, chosenFilter);
}

QString ChooseFileToOpen(QWidget* owner, const QString& filter, const QString& startDir) {
    return Run(owner, filter, startDir, false);
}

} // namespace tav
