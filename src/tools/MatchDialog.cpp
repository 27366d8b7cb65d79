#include "tools/MatchDialog.h"
#include "ui_MatchDialog.h"

#include "columns/MetaManager.h"
#include "settings/Preferences.h"
#include "tools/CellTable.h"
#include "tools/MatchRows.h"
#include "widgets/QProgressIndicator.h"

#include <QCloseEvent>
#include <QPointer>

MatchDialog::MatchDialog(MetaManager* manager, QWidget* parent)
    : QDialog(parent), m_ui(new Ui::MatchDialog), m_manager(manager), m_preferences(*Preferences::instance())
{
    m_ui->setupUi(this);
    setWindowFlags(windowFlags() | Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint);
    m_ui->textEdit->setName(tr("Match"));
    m_ui->textBrowser->hide();
    m_ui->btnHelp->hide();
    m_busy = new QProgressIndicator(this);

    m_ui->cbbFindWhat->setItems(m_preferences.matchFindList(), m_preferences.matchFindWhat());
    connect(m_ui->cbbFindWhat, &QComboBoxEx::itemsChanged, &m_preferences, &Preferences::setMatchFindWhat);
    // The toggled slots write only a state the store does not hold, so this writes nothing back.
    m_ui->ckbRemove->setChecked(m_preferences.matchRemoveDuplicateColumns());
    m_ui->ckbMacthCase->setChecked(m_preferences.matchMatchCase());
    m_ui->ckbUnicode->setChecked(m_preferences.matchUnicode());
    m_ui->ckbMultiLine->setChecked(m_preferences.matchMultiLine());
    m_ui->ckbDotAll->setChecked(m_preferences.matchMatchNewLine());
}

MatchDialog::~MatchDialog() = default;

void MatchDialog::closeEvent(QCloseEvent* event)
{
    m_ui->cbbFindWhat->addCurrentText();
    m_stopRequested = true;
    event->accept();
}

void MatchDialog::showError(const QString& message)
{
    m_ui->lblError->setText(message);
    m_ui->lblError->setFocus();
}

void MatchDialog::setRunning(bool running)
{
    m_running = running;
    m_ui->btnStart->setEnabled(!running);
    m_ui->btnAppend->setEnabled(!running);
    if (running)
        m_busy->start();
    else
        m_busy->stop();
}

void MatchDialog::on_btnStart_clicked()
{
    if (m_running)
        return;
    m_ui->cbbFindWhat->addCurrentText();
    const QString pattern = m_ui->cbbFindWhat->currentText();
    if (pattern.isEmpty()) {
        m_ui->cbbFindWhat->setFocus();
        return;
    }
    MatchRows::Options options;
    options.matchCase = m_ui->ckbMacthCase->isChecked();
    options.unicode = m_ui->ckbUnicode->isChecked();
    options.multiLine = m_ui->ckbMultiLine->isChecked();
    options.dotAll = m_ui->ckbDotAll->isChecked();
    const QRegularExpression expression = MatchRows::expression(pattern, options);
    if (!expression.isValid()) {
        showError(tr("Find: Invalid regular expression."));
        return;
    }

    // The new table is built aside while events run; the grid keeps showing the old one until the
    // new one is complete, and a close stops the run and keeps the old one.
    setRunning(true);
    m_stopRequested = false;
    QPointer<MatchDialog> alive(this);
    const auto stop = [this, alive] { return !alive || m_stopRequested || !isVisible(); };
    auto table = std::make_shared<CellTable>();
    const QString text = m_ui->textEdit->text();
    MatchRows::Outcome outcome = MatchRows::build(text, expression, *table, stop);
    if (!alive)
        return;
    if (outcome == MatchRows::Outcome::Rows && m_ui->ckbRemove->isChecked() && !table->removeConstantColumns(stop))
        outcome = MatchRows::Outcome::Stopped;
    if (!alive)
        return;
    setRunning(false);
    if (outcome == MatchRows::Outcome::Stopped)
        return;
    if (outcome == MatchRows::Outcome::Invalid) {
        showError(tr("Find: Invalid regular expression."));
        return;
    }
    // One step: the grid takes the new table and the old one goes with the last reference to it.
    m_table = table;
    m_ui->tableView->setTable(m_table);
    if (outcome == MatchRows::Outcome::NoMatch)
        showError(tr("Find: Can't find text \"%1\"").arg(pattern));
    else
        m_ui->lblError->clear();
}

void MatchDialog::on_btnAppend_clicked()
{
    if (m_running)
        return;
    if (m_table)
        m_manager->loadIntoColumns(*m_table);
    close();
}

void MatchDialog::on_btnHelp_toggled(bool checked)
{
    m_ui->textBrowser->setVisible(checked);
}

void MatchDialog::on_ckbRemove_toggled(bool checked)
{
    if (checked != m_preferences.matchRemoveDuplicateColumns())
        m_preferences.setMatchRemoveDuplicateColumns(checked);
}

void MatchDialog::on_ckbMacthCase_toggled(bool checked)
{
    if (checked != m_preferences.matchMatchCase())
        m_preferences.setMatchMatchCase(checked);
}

void MatchDialog::on_ckbUnicode_toggled(bool checked)
{
    if (checked != m_preferences.matchUnicode())
        m_preferences.setMatchUnicode(checked);
}

void MatchDialog::on_ckbMultiLine_toggled(bool checked)
{
    if (checked != m_preferences.matchMultiLine())
        m_preferences.setMatchMultiLine(checked);
}

void MatchDialog::on_ckbDotAll_toggled(bool checked)
{
    if (checked != m_preferences.matchMatchNewLine())
        m_preferences.setMatchMatchNewLine(checked);
}
