#include "editor/GotoDialog.h"
#include "ui_GotoDialog.h"

#include "editor/Editor.h"

GotoDialog::GotoDialog(Editor* editor, QWidget* parent) : QDialog(parent), m_ui(new Ui::GotoDialog), m_editor(editor)
{
    m_ui->setupUi(this);
    setWindowFlags((windowFlags() & ~Qt::WindowContextHelpButtonHint) | Qt::WindowCloseButtonHint);
    QSpinBox* spinBox = m_ui->linenumberSpinBox;
    int line = 0;
    spinBox->setMaximum(editor ? editor->lineCount() : 1);
    if (editor)
        editor->cursorPosition(&line, nullptr);
    spinBox->setValue(line + 1);
    spinBox->selectAll();
    const QSize hint = minimumSizeHint();
    resize(qMax(width(), hint.width()), hint.height());
}

GotoDialog::~GotoDialog()
{
    delete m_ui;
}

void GotoDialog::on_GotoDialog_accepted()
{
    if (m_editor)
        m_editor->setCursorPosition(m_ui->linenumberSpinBox->value() - 1, 0);
}
