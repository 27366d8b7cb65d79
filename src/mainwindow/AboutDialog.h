#pragma once
// The about box: the program's picture, name and version and a short notice. Made once by the main
// window and shown on demand.

#include <QDialog>
#include <QScopedPointer>

namespace Ui {
class AboutDialog;
}

class AboutDialog : public QDialog
{
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* parent = nullptr);
    ~AboutDialog() override;

private:
    QScopedPointer<Ui::AboutDialog> m_ui;
};
