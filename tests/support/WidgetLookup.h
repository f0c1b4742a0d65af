#pragma once

// Finding the controls of real widgets as a user or a screen reader does, and answering
// the modal boxes they bring up (each answer is a step for a ModalScript).

#include <QFile>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFontDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>

namespace tav::test {

// The control of type T under root whose accessible name is `name`.
template <typename T = QWidget> T* Named(const QWidget* root, const QString& name) {
    for (T* widget : root->findChildren<T*>())
        if (widget->accessibleName() == name) return widget;
    return nullptr;
}

// The push button under root that shows `text` ('&' of a mnemonic aside).
inline QPushButton* ButtonText(const QWidget* root, const QString& text) {
    for (QPushButton* button : root->findChildren<QPushButton*>())
        if (button->text().remove(QLatin1Char('&')) == text) return button;
    return nullptr;
}

// A step that expects the modal widget to be a `Dialog` and lets `act` answer it.
template <typename Dialog> std::function<void(QWidget*)> In(std::function<void(Dialog&)> act) {
    return [act](QWidget* modal) {
        auto* dialog = qobject_cast<Dialog*>(modal);
        ASSERT_NE(dialog, nullptr) << modal->metaObject()->className();
        act(*dialog);
    };
}

// Answers a message box with `button` (NoButton: its default button); `said` gets
// "title | text" and `format` its format.
inline std::function<void(QWidget*)> AnswerBox(QString* said = nullptr,
                                               QMessageBox::StandardButton button = QMessageBox::Ok,
                                               Qt::TextFormat* format = nullptr) {
    return In<QMessageBox>([=](QMessageBox& box) {
        if (said) *said = box.windowTitle() + " | " + box.text();
        if (format) *format = box.textFormat();
        QAbstractButton* pressed =
            button == QMessageBox::NoButton ? box.defaultButton() : box.button(button);
        ASSERT_NE(pressed, nullptr);
        pressed->click();
    });
}

// Answers a file chooser by typing `name` into its name field and pressing Return, as a
// user would; `look` sees the chooser first.
inline std::function<void(QWidget*)> ChooseFile(const QString& name,
                                                std::function<void(QFileDialog&)> look = {}) {
    return In<QFileDialog>([=](QFileDialog& chooser) {
        if (look) look(chooser);
        auto* field = chooser.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(field, nullptr);
        field->setText(name);
        QTest::keyClick(field, Qt::Key_Return);
    });
}

// Answers a font chooser with the fixed system font at `pixelSize` pixels.
inline std::function<void(QWidget*)> ChooseFont(int pixelSize) {
    return In<QFontDialog>([=](QFontDialog& chooser) {
        QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        font.setPixelSize(pixelSize);
        chooser.setCurrentFont(font);
        chooser.accept();
    });
}

// A file's bytes; "<missing>" when it cannot be read.
inline QByteArray FileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace tav::test
