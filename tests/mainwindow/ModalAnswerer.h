#pragma once
// Answers the modal dialogs that open while it lives, so that a test never blocks on one: a file
// dialog takes the given path, a message box is closed with Ok and its title kept.

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QStringList>
#include <QTimer>

class ModalAnswerer : public QObject
{
public:
    explicit ModalAnswerer(const QString& path) : m_path(path)
    {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
                // Typed as the user would: selectFile resolves against a folder the dialog may not have read yet.
                if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
                    name->setText(m_path);
                static_cast<QDialog*>(dialog)->accept(); // QFileDialog::accept, reached through the public base
            } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                m_boxTitles << box->windowTitle();
                m_boxTexts << box->text();
                box->done(QMessageBox::Ok);
            }
        });
        m_timer.start(20);
    }
    QStringList boxTitles() const { return m_boxTitles; }
    QStringList boxTexts() const { return m_boxTexts; }

private:
    QString m_path;
    QTimer m_timer;
    QStringList m_boxTitles;
    QStringList m_boxTexts;
};
