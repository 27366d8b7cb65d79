#include "columns/Meta.h"

#include "columns/MetaManager.h"
#include "editor/Editor.h"
#include "editor/TextFile.h"
#include "engine/FormattedColumn.h"
#include "settings/Preferences.h"
#include "ui_Meta.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDrag>
#include <QFileDialog>
#include <QMimeData>
#include <QMouseEvent>
#include <QPointer>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTimer>

Meta::Meta(MetaManager* manager, int number, const QString& content, const QString& snippet, QWidget* parent)
    : QWidget(parent), m_ui(new Ui::MetaForm), m_manager(manager), m_preferences(Preferences::instance()),
      m_index(number - 1)
{
    m_ui->setupUi(this);
    m_ui->edtRep->setText(
        snippet.isEmpty() ? defaultSnippet(m_preferences->columnsPrefix(), m_preferences->columnsSuffix()) : snippet);
    m_ui->textEdit->setName(tr("Column%1").arg(number));
    if (!content.isEmpty()) {
        m_ui->textEdit->setTextKeepView(content, Editor::ResetView);
        // A new column starts at its first line: a caret left at the end would scroll the view
        // there at the first layout.
        m_ui->textEdit->setCursorPosition(0, 0);
        m_ui->textEdit->setFirstVisibleLine(0);
    }
    m_ui->btnSave->setEnabled(!isEmpty());
    m_ui->chkEnable->setChecked(true);
    updateUndoRedo();

    connect(m_preferences, &Preferences::prefixSuffixChanged, this, &Meta::onPrefixSuffixChanged);
    connect(m_preferences, &Preferences::columnsHideToolbarChanged, this, &Meta::onHideToolbarChanged);
    if (m_manager) {
        connect(this, &Meta::repTextChangedSignal, m_manager, &MetaManager::metaRepTextChanged);
        m_ui->textEdit->setColumnManager(m_manager);
    }
    if (m_preferences->columnsHideToolBar())
        m_ui->toolbar->hide();

    // The combo's rows follow the order of ValueEscape.
    for (QComboBox* box : {m_ui->cbbEscape, m_ui->cbbAlign, m_ui->cbbPad})
        connect(box, qOverload<int>(&QComboBox::currentIndexChanged), this, &Meta::onFormatControlsChanged);
    connect(m_ui->sbWidth, qOverload<int>(&QSpinBox::valueChanged), this, &Meta::onFormatControlsChanged);
}

Meta::~Meta()
{
    delete m_ui;
}

QString Meta::defaultSnippet(const QString& prefix, const QString& suffix) const
{
    // One pass: a prefix such as "%2" must not be taken for a place holder.
    return QStringLiteral("%1%2%3").arg(prefix, QString::number(m_index + 1), suffix);
}

void Meta::updateUndoRedo()
{
    m_ui->btnUndo->setEnabled(m_ui->textEdit->canUndo());
    m_ui->btnRedo->setEnabled(m_ui->textEdit->canRedo());
}

void Meta::setIndex(int index)
{
    m_index = index;
    m_ui->textEdit->setName(tr("Column%1").arg(index + 1));
}

bool Meta::isChecked() const
{
    return m_ui->chkEnable->isChecked();
}

void Meta::setChecked(bool checked)
{
    m_ui->chkEnable->setChecked(checked);
}

void Meta::setRemoveDisabled(bool disabled)
{
    m_ui->btnRemove->setDisabled(disabled);
}

void Meta::setInsertEnabled(bool enabled)
{
    m_ui->btnInsert->setEnabled(enabled);
    m_ui->btnAppend->setEnabled(enabled);
}

QString Meta::text() const
{
    return m_ui->textEdit->text();
}

void Meta::setText(const QString& text)
{
    m_ui->textEdit->setWholeTextKeepView(text);
}

void Meta::setBytes(const QByteArray& bytes)
{
    m_ui->textEdit->setWholeBytesKeepView(bytes);
}

void Meta::loadBytes(const QByteArray& bytes)
{
    m_ui->textEdit->loadBytes(bytes);
    updateUndoRedo();
}

bool Meta::isEmpty() const
{
    return m_ui->textEdit->textLength() == 0;
}

void Meta::clear()
{
    m_ui->textEdit->clearAll();
}

ValueFormat Meta::valueFormat() const
{
    ValueFormat format;
    format.escape = static_cast<ValueEscape>(m_ui->cbbEscape->currentIndex());
    format.width = m_ui->sbWidth->value();
    format.align = m_ui->cbbAlign->currentIndex() == 1 ? ValueFormat::AlignRight : ValueFormat::AlignLeft;
    format.pad = m_ui->cbbPad->currentIndex() == 1 ? QLatin1Char('0') : QLatin1Char(' ');
    return format;
}

QList<MergeColumn*> Meta::asRead(const QList<Meta*>& metas, std::vector<std::unique_ptr<MergeColumn>>& wrappers)
{
    QList<MergeColumn*> columns;
    for (Meta* meta : metas) {
        const ValueFormat format = meta->valueFormat();
        if (format.isDefault()) {
            columns.append(meta);
            continue;
        }
        wrappers.push_back(std::make_unique<FormattedColumn>(meta, format));
        columns.append(wrappers.back().get());
    }
    return columns;
}

void Meta::setValueFormat(const ValueFormat& format)
{
    if (format == valueFormat())
        return;
    {
        // One change notice for the whole format, not one per control.
        const QSignalBlocker blockEscape(m_ui->cbbEscape);
        const QSignalBlocker blockWidth(m_ui->sbWidth);
        const QSignalBlocker blockAlign(m_ui->cbbAlign);
        const QSignalBlocker blockPad(m_ui->cbbPad);
        m_ui->cbbEscape->setCurrentIndex(static_cast<int>(format.escape));
        m_ui->sbWidth->setValue(qBound(0, format.width, ValueFormat::MaxWidth));
        m_ui->cbbAlign->setCurrentIndex(format.align == ValueFormat::AlignRight ? 1 : 0);
        m_ui->cbbPad->setCurrentIndex(format.pad == QLatin1Char('0') ? 1 : 0);
    }
    onFormatControlsChanged();
}

void Meta::onFormatControlsChanged()
{
    // Alignment and pad mean something only with a width, and only on a ticked column.
    const bool padded = m_ui->chkEnable->isChecked() && m_ui->sbWidth->value() > 0;
    m_ui->cbbAlign->setEnabled(padded);
    m_ui->cbbPad->setEnabled(padded);
    emit optionsChangedSignal(this);
}

QString Meta::snippet() const
{
    return m_ui->edtRep->text();
}

void Meta::setSnippet(const QString& snippet)
{
    m_ui->edtRep->setText(snippet);
}

QLineEdit* Meta::snippetEdit() const
{
    return m_ui->edtRep;
}

Editor* Meta::editor() const
{
    return m_ui->textEdit;
}

void Meta::appendText(const QString& text, bool showBusy)
{
    if (showBusy)
        m_ui->textEdit->startBusy();
    if (!isEmpty())
        m_ui->textEdit->appendText(QStringLiteral("\n"));
    m_ui->textEdit->appendText(text);
    if (showBusy)
        m_ui->textEdit->stopBusy();
}

int Meta::lineCount() const
{
    return m_ui->textEdit->lineCount();
}

QString Meta::lineText(int i) const
{
    // Decoded with the editor's own encoding: in ANSI mode its bytes are Latin-1, not UTF-8.
    QString line = m_ui->textEdit->lineText(i);
    const int nul = line.indexOf(QChar(0));
    if (nul >= 0)
        line.truncate(nul);
    int end = line.size();
    while (end > 0 && (line.at(end - 1) == QLatin1Char('\r') || line.at(end - 1) == QLatin1Char('\n')))
        --end;
    line.truncate(end);
    return line;
}

const LineSpans* Meta::lineSpans()
{
    const Editor* editor = m_ui->textEdit;
    // The component moves its text only when it changes, which empties the index; the pointer,
    // the length and the encoding are compared as well, for changes that send no notice.
    const char* bytes = editor->characterPointer();
    const int length = editor->textLength();
    if (!m_spans.isBuilt() || m_spans.bytes() != bytes || m_spansLength != length ||
        m_spans.isUnicode() != editor->isUnicode()) {
        m_spans.build(bytes, length, editor->isUnicode());
        m_spansLength = length;
    }
    return &m_spans;
}

int Meta::firstVisibleLine() const
{
    return m_ui->textEdit->firstVisibleLine();
}

void Meta::showPosition(int firstVisibleLine, int line, int column)
{
    Q_UNUSED(column)
    m_ui->textEdit->scrollToLine(firstVisibleLine, line);
}

void Meta::on_btnUndo_clicked()
{
    m_ui->textEdit->undo();
    updateUndoRedo();
}

void Meta::on_btnRedo_clicked()
{
    m_ui->textEdit->redo();
    updateUndoRedo();
}

void Meta::on_btnClear_clicked()
{
    m_ui->textEdit->clearAll();
    updateUndoRedo();
}

void Meta::on_textEdit_savePointChanged()
{
    updateUndoRedo();
}

void Meta::on_btnInsert_clicked()
{
    if (!m_manager)
        return;
    m_manager->insertEmptyMeta(m_index, MetaManager::Renumber);
    m_ui->btnRemove->setEnabled(true);
}

void Meta::on_btnAppend_clicked()
{
    if (!m_manager)
        return;
    m_manager->insertEmptyMeta(m_index + 1, MetaManager::Renumber);
    m_ui->btnRemove->setEnabled(true);
}

void Meta::on_btnRemove_clicked()
{
    if (!m_manager)
        return;
    // Deleting this column inside its own button's click would pull the button away under Qt's
    // feet; the removal runs as soon as control is back in an event loop.
    QPointer<Meta> self(this);
    QPointer<MetaManager> manager(m_manager);
    QTimer::singleShot(0, m_manager, [self, manager]() {
        if (self && manager)
            manager->removeMeta(manager->metas().indexOf(self.data()), MetaManager::Renumber);
    });
}

void Meta::on_btnGenNumber_clicked()
{
    if (m_manager)
        m_manager->onRequestAppendNumber(this);
}

void Meta::on_btnGenLetter_clicked()
{
    if (m_manager)
        m_manager->onRequestAppendLetter(this);
}

void Meta::on_btnGenDate_clicked()
{
    if (m_manager)
        m_manager->onRequestAppendDate(this);
}

void Meta::on_btnGenTime_clicked()
{
    if (m_manager)
        m_manager->onRequestAppendTime(this);
}

void Meta::on_btnLoad_clicked()
{
    const QString path = QFileDialog::getOpenFileName(this, tr("Open File"), QString(), tr("Any Files (*.*)"));
    if (path.isEmpty())
        return;
    bool loaded = false;
    const QString content = loadTextFile(path, this, &loaded);
    // A file that could not be read leaves the column as it was; the box has said why.
    if (loaded)
        setText(content);
}

void Meta::on_btnSave_clicked()
{
    const QString proposal = QDir::currentPath() + QStringLiteral("/column%1.txt").arg(m_index + 1);
    const QString path =
        QFileDialog::getSaveFileName(this, tr("Save As"), proposal, tr("Text Files (*.txt);;All Files (*)"));
    if (!path.isEmpty())
        m_ui->textEdit->saveToFile(path, this);
}

void Meta::on_textEdit_textChanged()
{
    // The index of a million lines is megabytes: given back rather than kept stale.
    if (m_spans.isBuilt())
        m_spans = LineSpans();
    m_ui->btnSave->setEnabled(!isEmpty());
    emit textChangedSignal(this);
}

void Meta::on_edtRep_textEdited()
{
    emit repTextChangedSignal(m_ui->edtRep);
}

void Meta::on_chkEnable_toggled(bool checked)
{
    // Ticked, every control is live again, Save of an empty column too: it follows the text from
    // the next change on.
    const QList<QWidget*> children = findChildren<QWidget*>();
    for (QWidget* child : children) {
        if (!checked && qobject_cast<QCheckBox*>(child))
            continue;
        child->setEnabled(checked);
    }
    if (!checked)
        m_ui->chkEnable->parentWidget()->setEnabled(true);
    onFormatControlsChanged();
    if (m_manager) {
        // An unticked column stays grey; the row's limits apply only to a ticked one.
        setInsertEnabled(checked && m_manager->count() < MetaManager::MaxColumns);
        if (checked)
            setRemoveDisabled(m_manager->count() <= 1);
        emit textChangedSignal(this);
    }
}

void Meta::onPrefixSuffixChanged(const QString& prefix, const QString& suffix)
{
    m_ui->edtRep->setText(defaultSnippet(prefix, suffix));
}

void Meta::onHideToolbarChanged(bool bHide)
{
    m_ui->toolbar->setVisible(!bHide);
}

void Meta::mousePressEvent(QMouseEvent* event)
{
    if (m_manager)
        m_manager->setCurrentMeta(this);
    if (event->button() == Qt::LeftButton && !m_preferences->columnsNoDrag()) {
        auto* drag = new QDrag(this);
        auto* data = new QMimeData;
        data->setData(QStringLiteral("Meta/Widget"), QByteArray());
        drag->setMimeData(data);
        drag->setPixmap(grab());
        drag->exec(Qt::CopyAction);
        return;
    }
    QWidget::mousePressEvent(event);
}
