#include "tools/ResizeDialog.h"
#include "ui_ResizeDialog.h"

#include "editor/Editor.h"
#include "settings/Preferences.h"
#include "tools/CellTable.h"
#include "widgets/QProgressIndicator.h"

#include <QCloseEvent>
#include <QMessageBox>
#include <QTimer>

#include <algorithm>

namespace {

// Let the dialog paint before the table is built.
constexpr int LoadDelayMs = 10;

} // namespace

ResizeDialog::ResizeDialog(Editor* target, QWidget* parent)
    : QDialog(parent), m_ui(new Ui::ResizeDialog), m_target(target), m_preferences(Preferences::instance())
{
    m_ui->setupUi(this);
    setWindowFlags((windowFlags() | Qt::WindowCloseButtonHint) & ~Qt::WindowContextHelpButtonHint);
    setFixedSize(sizeHint().boundedTo(maximumSize()));
    m_busy = new QProgressIndicator(this);
    if (target) {
        m_text = target->text();
        const QByteArray copy = target->toEditorBytes(m_text);
        m_textComplete =
            copy.size() == target->textLength() && std::equal(copy.begin(), copy.end(), target->characterPointer());
    }
}

ResizeDialog::~ResizeDialog() = default;

void ResizeDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    QTimer::singleShot(LoadDelayMs, this, &ResizeDialog::load);
}

void ResizeDialog::closeEvent(QCloseEvent* event)
{
    m_stopRequested = true;
    QDialog::closeEvent(event);
}

void ResizeDialog::on_btnClose_clicked()
{
    close();
}

void ResizeDialog::setWorking(bool working)
{
    setEnabled(!working);
    if (working)
        m_busy->start();
    else
        m_busy->stop();
}

void ResizeDialog::load()
{
    if (!isVisible() || !m_target)
        return;
    m_ui->btnOK->setEnabled(false);
    m_table.reset();
    if (!m_textComplete) {
        QMessageBox::warning(this, tr("Error"),
                             tr("The text of \"%1\" cannot be read whole (it holds bytes that are not valid text); "
                                "resizing it would lose part of it, so it is left as it is.")
                                 .arg(m_target->name()));
        return;
    }
    m_stopRequested = false;
    setWorking(true);
    // Line breaks as the separator set: every non-blank line becomes one row of one cell.
    auto table = std::make_unique<CellTable>();
    const CellTable::SplitResult result =
        table->split(m_text, QStringLiteral("\r\n"), false, 1, [this] { return m_stopRequested; });
    setWorking(false);
    if (result == CellTable::SplitResult::TooManyCells) {
        QMessageBox::warning(this, tr("Error"),
                             tr("The text has too many lines to resize (more than %1).").arg(CellTable::MaxCells));
        return;
    }
    if (result != CellTable::SplitResult::Done)
        return;
    m_table = std::move(table);
    m_ui->sbColumns->setRange(1, std::max(1, m_table->rowCount()));
    m_ui->sbColumns->setValue(m_preferences->miscResizeColumn());
    m_ui->btnOK->setEnabled(true);
}

void ResizeDialog::on_btnOK_clicked()
{
    if (!m_table || !m_target)
        return;
    const int columns = m_ui->sbColumns->value();
    m_preferences->setMiscResizeColumn(columns);
    m_stopRequested = false;
    setWorking(true);
    const bool regrouped = m_table->regroup(columns, [this] { return m_stopRequested; });
    // The whole text, whatever part of it is selected, in one undo step.
    if (regrouped && m_target)
        m_target->setWholeTextKeepView(m_table->text(QStringLiteral(" ")));
    setWorking(false);
}
