#include "tools/SplitDialog.h"
#include "ui_SplitDialog.h"

#include "columns/MetaManager.h"
#include "editor/Editor.h"
#include "settings/Preferences.h"
#include "tools/CellTable.h"
#include "widgets/QProgressIndicator.h"

#include <QCloseEvent>
#include <QLocale>
#include <QPointer>
#include <QSignalBlocker>

SplitDialog::SplitDialog(MetaManager* manager, QWidget* parent)
    : QDialog(parent), m_ui(new Ui::SplitDialog), m_manager(manager), m_preferences(Preferences::instance())
{
    m_ui->setupUi(this);
    setWindowFlags(windowFlags() | Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint);
    m_ui->textEdit->setName(tr("Split"));
    m_busy = new QProgressIndicator(this);

    {
        const QSignalBlocker blockRemove(m_ui->ckbRemove);
        const QSignalBlocker blockWhole(m_ui->ckbMatchWhole);
        m_ui->ckbRemove->setChecked(m_preferences->splitRemoveDuplicateColumns());
        m_ui->ckbMatchWhole->setChecked(m_preferences->splitMatchWholeWord());
    }
    m_ui->cbbFilter->setItems(m_preferences->splitFilterList(), m_preferences->splitFilter());
    connect(m_ui->cbbFilter, &QComboBoxEx::itemsChanged, m_preferences, &Preferences::setSplitFilter);
}

SplitDialog::~SplitDialog() = default;

void SplitDialog::on_ckbRemove_toggled(bool checked)
{
    m_preferences->setSplitRemoveDuplicateColumns(checked);
}

void SplitDialog::on_ckbMatchWhole_toggled(bool checked)
{
    m_preferences->setSplitMatchWholeWord(checked);
}

void SplitDialog::on_textEdit_textChanged()
{
    m_ui->sbLinesPerUnit->setMaximum(m_ui->textEdit->lineCount());
}

void SplitDialog::setStatus(const QString& text)
{
    m_ui->lblStatus->setText(text);
}

void SplitDialog::on_btnStart_clicked()
{
    // Events run while the text is cut; a second press meanwhile would start a split inside this one.
    if (m_splitting)
        return;
    m_splitting = true;
    m_stopRequested = false;
    m_ui->btnStart->setEnabled(false);
    m_ui->btnAppend->setEnabled(false);
    setStatus(QString());
    m_busy->start();
    m_ui->cbbFilter->addCurrentText();

    // A close of the dialog or of the window it belongs to, while events run, ends the split; the
    // dialog itself may even be gone afterwards.
    QPointer<SplitDialog> self(this);
    const CellTable::StopFunction stop = [self] {
        return !self || self->m_stopRequested || (self->parentWidget() && !self->parentWidget()->isVisible());
    };
    // Cut from the editor's own bytes: a text of many megabytes is not turned into a string first.
    Editor* editor = m_ui->textEdit;
    auto table = std::make_shared<CellTable>();
    CellTable::SplitResult result =
        table->splitBytes(editor->getText(), editor->isUnicode(), m_ui->cbbFilter->currentText(),
                          m_ui->ckbMatchWhole->isChecked(), m_ui->sbLinesPerUnit->value(), stop);
    if (!self)
        return;
    if (result == CellTable::SplitResult::Done && m_ui->ckbRemove->isChecked() && !table->removeConstantColumns(stop))
        result = CellTable::SplitResult::Stopped;
    if (!self)
        return;

    // The old table goes only now that the new one is complete, and the grid switches in the same step.
    if (result == CellTable::SplitResult::Done) {
        m_table = std::move(table);
        m_ui->tableView->setTable(m_table);
    } else if (result == CellTable::SplitResult::TooManyCells) {
        setStatus(tr("Too many cells: the preview would hold more than %1 cells. "
                     "The previous table is kept; try a filter or fewer lines.")
                      .arg(QLocale().toString(CellTable::MaxCells)));
    } else {
        setStatus(tr("Stopped; the previous table is kept."));
    }

    m_ui->btnStart->setEnabled(true);
    m_ui->btnAppend->setEnabled(true);
    m_ui->cbbFilter->setFocus();
    m_busy->stop();
    m_splitting = false;
}

void SplitDialog::on_btnAppend_clicked()
{
    if (m_table && m_manager) {
        // Events run while the columns fill. The copy shares the cells (nothing is copied) and
        // keeps what is loaded fixed; the disabled dialog keeps the user from starting anything else.
        const CellTable snapshot = *m_table;
        QPointer<SplitDialog> self(this);
        setEnabled(false);
        m_busy->start();
        m_manager->loadIntoColumns(snapshot);
        if (!self)
            return;
        m_busy->stop();
        setEnabled(true);
    }
    close();
}

void SplitDialog::closeEvent(QCloseEvent* event)
{
    m_stopRequested = true;
    m_ui->cbbFilter->addCurrentText();
    event->accept();
}
