#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace tav {

// The file choosers of the tool windows. Both start in startDir (the working directory
// when empty) and never change the process's working directory: the Client connection
// writes its downloads relative to it from another thread. No extension is added to the
// chosen name. An empty string means the user cancelled.
QString ChooseFileToSave(QWidget* owner, const QString& filter, const QString& startDir = {});
QString ChooseFileToOpen(QWidget* owner, const QString& filter, const QString& startDir = {});
// The same with a choice of file types; *chosenFilter receives the index of the one chosen.
QString ChooseFileToSave(QWidget* owner, const QStringList& filters, const QString& startDir,
                         int* chosenFilter);

} // namespace tav
