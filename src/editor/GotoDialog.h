#pragma once
// The small modal Goto dialog: asks for a line number within an editor and moves its caret there.

#include <QDialog>
#include <QPointer>

class Editor;

namespace Ui {
class GotoDialog;
}

class GotoDialog : public QDialog
{
    Q_OBJECT
public:
    GotoDialog(Editor* editor, QWidget* parent = nullptr);
    ~GotoDialog() override;

public slots:
    void on_GotoDialog_accepted();

private:
    Ui::GotoDialog* m_ui;
    // The editor may go while the dialog waits for an answer.
    QPointer<Editor> m_editor;
};
