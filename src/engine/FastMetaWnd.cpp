#include "engine/FastMetaWnd.h"
#include "ui_FastMetaWnd.h"

#include "columns/Meta.h"
#include "editor/Editor.h"
#include "engine/ValueSequence.h"
#include "settings/Preferences.h"
#include "widgets/QProgressIndicator.h"

#include <QMessageBox>
#include <QPointer>
#include <QSignalBlocker>

namespace {

// The letter spin boxes count in base 36, where 10 is a and 35 is z.
constexpr int LetterBase = 36;

QChar letterOf(int value)
{
    return QString::number(value, LetterBase).at(0);
}

int msecsOf(const QTime& time)
{
    return time.isValid() ? time.msecsSinceStartOfDay() : 0;
}

} // namespace

FastMetaWnd::FastMetaWnd(Preferences* preferences, MetaManager* manager, EditorProvider currentEditor, QWidget* parent)
    : QDialog(parent), m_ui(new Ui::FastDataDialog), m_manager(manager), m_currentEditor(std::move(currentEditor)),
      m_preferences(preferences)
{
    m_ui->setupUi(this);
    setWindowFlags((windowFlags() | Qt::WindowMinimizeButtonHint) & ~Qt::WindowContextHelpButtonHint);
    setFixedSize(453, 200);
    m_busy = new QProgressIndicator(this);
    loadPreferences();
}

FastMetaWnd::~FastMetaWnd()
{
    delete m_ui;
}

void FastMetaWnd::loadPreferences()
{
    // The controls take the stored values without writing them back or marking anything.
    {
        const QSignalBlocker b1(m_ui->sbNumberFrom);
        const QSignalBlocker b2(m_ui->sbNumberTo);
        const QSignalBlocker b3(m_ui->sbNumberBase);
        const QSignalBlocker b4(m_ui->ckbNumberUpper);
        const QSignalBlocker b5(m_ui->dtDateFrom);
        const QSignalBlocker b6(m_ui->dtDateTo);
        const QSignalBlocker b7(m_ui->cbxDateFormat);
        const QSignalBlocker b8(m_ui->sbLetterFrom);
        const QSignalBlocker b9(m_ui->sbLetterTo);
        const QSignalBlocker b10(m_ui->ckbLetterUpper);
        const QSignalBlocker b11(m_ui->tmTimeFrom);
        const QSignalBlocker b12(m_ui->tmTimeTo);
        const QSignalBlocker b13(m_ui->cbxTimeFormat);

        m_ui->sbNumberFrom->setValue(m_preferences->dataSettingNumberFrom());
        m_ui->sbNumberTo->setValue(m_preferences->dataSettingNumberTo());
        m_ui->sbNumberBase->setValue(m_preferences->dataSettingNumberBase());
        m_ui->ckbNumberUpper->setChecked(m_preferences->dataSettingNumberUpper());
        applyNumberBase(m_ui->sbNumberBase->value());

        m_ui->cbxDateFormat->setCurrentText(m_preferences->dataSettingDateFormat());
        m_ui->dtDateFrom->setDisplayFormat(m_ui->cbxDateFormat->currentText());
        m_ui->dtDateTo->setDisplayFormat(m_ui->cbxDateFormat->currentText());
        m_ui->dtDateFrom->setDate(QDate::fromJulianDay(m_preferences->dataSettingDateFrom()));
        m_ui->dtDateTo->setDate(QDate::fromJulianDay(m_preferences->dataSettingDateTo()));

        m_ui->sbLetterFrom->setValue(m_preferences->dataSettingLetterFrom());
        m_ui->sbLetterTo->setValue(m_preferences->dataSettingLetterTo());
        m_ui->ckbLetterUpper->setChecked(m_preferences->dataSettingLetterUpper());

        m_ui->cbxTimeFormat->setCurrentText(m_preferences->dataSettingTimeFormat());
        m_ui->tmTimeFrom->setDisplayFormat(m_ui->cbxTimeFormat->currentText());
        m_ui->tmTimeTo->setDisplayFormat(m_ui->cbxTimeFormat->currentText());
        m_ui->tmTimeFrom->setTime(QTime::fromMSecsSinceStartOfDay(m_preferences->dataSettingTimeFrom()));
        m_ui->tmTimeTo->setTime(QTime::fromMSecsSinceStartOfDay(m_preferences->dataSettingTimeTo()));
    }
    for (Cache& cache : m_cache)
        cache.rebuild = true;
}

void FastMetaWnd::applyNumberBase(int base)
{
    m_ui->sbNumberFrom->setDisplayIntegerBase(base);
    m_ui->sbNumberTo->setDisplayIntegerBase(base);
    m_ui->ckbNumberUpper->setEnabled(base > 10);
}

// --- sequences ----------------------------------------------------------------------------------

QString FastMetaWnd::numberText()
{
    QString text;
    sequenceText(Number, &text);
    return text;
}

QString FastMetaWnd::letterText()
{
    QString text;
    sequenceText(Letter, &text);
    return text;
}

QString FastMetaWnd::dateText()
{
    QString text;
    sequenceText(Date, &text);
    return text;
}

QString FastMetaWnd::timeText()
{
    QString text;
    sequenceText(Time, &text);
    return text;
}

bool FastMetaWnd::sequenceText(Generator generator, QString* text, const std::function<bool()>& stopRequested)
{
    // The build lets events through, so a second request may arrive in the middle of it.
    if (m_generating)
        return false;
    Cache& cache = m_cache[generator];
    // Only a control of the generator asks for a new text; the line break is read when one is built.
    if (!cache.rebuild) {
        *text = cache.text;
        return true;
    }
    const QString separator = m_preferences->eolString();

    // The settings are read once, now; a control changed during the run marks the generator again,
    // so that the next request builds anew.
    cache.rebuild = false;
    m_generating = true;
    m_stopRequested = false;
    for (QPushButton* button : {m_ui->btnGenNumber, m_ui->btnGenLetter, m_ui->btnGenDate, m_ui->btnGenTime})
        button->setEnabled(false);

    const QPointer<FastMetaWnd> alive(this);
    SequenceControl control;
    control.stopRequested = [alive, stopRequested]() {
        return !alive || alive->m_stopRequested || (stopRequested && stopRequested());
    };

    SequenceResult result;
    switch (generator) {
    case Number: {
        const int base = m_ui->sbNumberBase->value();
        const bool upper = base > 10 && m_ui->ckbNumberUpper->isChecked();
        result =
            numberSequence(m_ui->sbNumberFrom->value(), m_ui->sbNumberTo->value(), base, upper, separator, control);
        break;
    }
    case Letter:
        result = letterSequence(letterOf(m_ui->sbLetterFrom->value()), letterOf(m_ui->sbLetterTo->value()),
                                m_ui->ckbLetterUpper->isChecked(), separator, control);
        break;
    case Date:
        result = dateSequence(m_ui->dtDateFrom->date(), m_ui->dtDateTo->date(), m_ui->cbxDateFormat->currentText(),
                              separator, control);
        break;
    case Time:
        result = timeSequence(m_ui->tmTimeFrom->time(), m_ui->tmTimeTo->time(), m_ui->cbxTimeFormat->currentText(),
                              separator, control);
        break;
    }
    // Closed with the main window while events were processed: nothing left to report to.
    if (!alive)
        return false;

    m_generating = false;
    for (QPushButton* button : {m_ui->btnGenNumber, m_ui->btnGenLetter, m_ui->btnGenDate, m_ui->btnGenTime})
        button->setEnabled(true);

    static const char* const GeneratorNames[GeneratorCount] = {QT_TR_NOOP("number"), QT_TR_NOOP("letter"),
                                                               QT_TR_NOOP("date"), QT_TR_NOOP("time")};
    switch (result.status) {
    case SequenceStatus::Complete:
        cache.text = result.text;
        *text = result.text;
        return true;
    case SequenceStatus::Stopped:
        cache.rebuild = true;
        return false;
    case SequenceStatus::TooLong:
        cache.rebuild = true;
        reportFailure(tr("The %1 sequence is too long to be built. Narrow its range or shorten its format.")
                          .arg(tr(GeneratorNames[generator])));
        return false;
    case SequenceStatus::Invalid:
        cache.rebuild = true;
        reportFailure(tr("The %1 sequence cannot be built from these settings.").arg(tr(GeneratorNames[generator])));
        return false;
    }
    return false;
}

void FastMetaWnd::requestStop()
{
    if (m_generating)
        m_stopRequested = true;
}

void FastMetaWnd::reportFailure(const QString& message)
{
    // Not run modally: the request may have come from the main window while this dialog is hidden,
    // and a blocking box inside a generator call would stall its caller.
    QWidget* owner = isVisible() || !parentWidget() ? this : parentWidget();
    auto* box = new QMessageBox(QMessageBox::Warning, tr("Data Setting"), message, QMessageBox::Ok, owner);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

// --- appending ----------------------------------------------------------------------------------

void FastMetaWnd::appendAtEnd(Editor* editor, const QString& text) const
{
    // Appending right after the last character would glue the first value onto the last line.
    const int length = editor->textLength();
    bool needsBreak = false;
    if (length > 0) {
        const QByteArray last = editor->textRange(length - 1, length);
        needsBreak = last != "\n" && last != "\r";
    }
    editor->beginUndoAction();
    if (needsBreak)
        editor->appendText(m_preferences->eolString());
    editor->appendText(text);
    editor->endUndoAction();
}

bool FastMetaWnd::appendToEditor(Generator generator, Editor* editor)
{
    if (!editor || m_generating)
        return false;
    const QPointer<Editor> target(editor);
    const QPointer<FastMetaWnd> alive(this);
    editor->startBusy();
    QString text;
    const bool built = sequenceText(generator, &text, [target]() { return target.isNull(); });
    if (!target)
        return false;
    if (built && alive)
        appendAtEnd(target, text);
    target->stopBusy();
    return built && alive;
}

bool FastMetaWnd::appendToColumn(Generator generator, Meta* meta)
{
    if (!meta || m_generating)
        return false;
    // The column's own Remove button stays live while the sequence is built.
    const QPointer<Meta> column(meta);
    Editor* editor = meta->editor();
    editor->startBusy();
    QString text;
    const bool built = sequenceText(generator, &text, [column]() { return column.isNull(); });
    if (!column)
        return false;
    if (built) {
        // The line feed and the sequence make one undo step.
        editor->beginUndoAction();
        column->appendText(text, Meta::NoBusy);
        editor->endUndoAction();
    }
    editor->stopBusy();
    return built;
}

void FastMetaWnd::generateIntoCurrentEditor(Generator generator)
{
    Editor* editor = m_currentEditor ? m_currentEditor() : nullptr;
    if (!editor || m_generating)
        return;
    const QPointer<Editor> target(editor);
    const QPointer<FastMetaWnd> alive(this);
    m_busy->start();
    QString text;
    const bool built = sequenceText(generator, &text, [target]() { return target.isNull(); });
    if (!alive)
        return;
    if (built && target)
        appendAtEnd(target, text);
    m_busy->stopNow();
}

// --- controls -----------------------------------------------------------------------------------

void FastMetaWnd::on_sbNumberFrom_valueChanged(int value)
{
    m_preferences->setDataSettingNumberFrom(value);
    m_cache[Number].rebuild = true;
}

void FastMetaWnd::on_sbNumberTo_valueChanged(int value)
{
    m_preferences->setDataSettingNumberTo(value);
    m_cache[Number].rebuild = true;
}

void FastMetaWnd::on_sbNumberBase_valueChanged(int base)
{
    applyNumberBase(base);
    m_preferences->setDataSettingNumberBase(base);
    m_cache[Number].rebuild = true;
}

void FastMetaWnd::on_ckbNumberUpper_toggled(bool checked)
{
    m_preferences->setDataSettingNumberUpper(checked);
    m_cache[Number].rebuild = true;
}

void FastMetaWnd::on_dtDateFrom_dateChanged(const QDate& date)
{
    m_preferences->setDataSettingDateFrom(date.toJulianDay());
    m_cache[Date].rebuild = true;
}

void FastMetaWnd::on_dtDateTo_dateChanged(const QDate& date)
{
    m_preferences->setDataSettingDateTo(date.toJulianDay());
    m_cache[Date].rebuild = true;
}

void FastMetaWnd::on_cbxDateFormat_currentTextChanged(const QString& format)
{
    m_ui->dtDateFrom->setDisplayFormat(format);
    m_ui->dtDateTo->setDisplayFormat(format);
    m_preferences->setDataSettingDateFormat(format);
    m_cache[Date].rebuild = true;
}

void FastMetaWnd::on_sbLetterFrom_valueChanged(int value)
{
    m_preferences->setDataSettingLetterFrom(value);
    m_cache[Letter].rebuild = true;
}

void FastMetaWnd::on_sbLetterTo_valueChanged(int value)
{
    m_preferences->setDataSettingLetterTo(value);
    m_cache[Letter].rebuild = true;
}

void FastMetaWnd::on_ckbLetterUpper_toggled(bool checked)
{
    m_preferences->setDataSettingLetterUpper(checked);
    m_cache[Letter].rebuild = true;
}

void FastMetaWnd::on_tmTimeFrom_timeChanged(const QTime& time)
{
    m_preferences->setDataSettingTimeFrom(msecsOf(time));
    m_cache[Time].rebuild = true;
}

void FastMetaWnd::on_tmTimeTo_timeChanged(const QTime& time)
{
    m_preferences->setDataSettingTimeTo(msecsOf(time));
    m_cache[Time].rebuild = true;
}

void FastMetaWnd::on_cbxTimeFormat_currentTextChanged(const QString& format)
{
    m_ui->tmTimeFrom->setDisplayFormat(format);
    m_ui->tmTimeTo->setDisplayFormat(format);
    m_preferences->setDataSettingTimeFormat(format);
    m_cache[Time].rebuild = true;
}

void FastMetaWnd::on_btnGenNumber_clicked()
{
    generateIntoCurrentEditor(Number);
}

void FastMetaWnd::on_btnGenLetter_clicked()
{
    generateIntoCurrentEditor(Letter);
}

void FastMetaWnd::on_btnGenDate_clicked()
{
    generateIntoCurrentEditor(Date);
}

void FastMetaWnd::on_btnGenTime_clicked()
{
    generateIntoCurrentEditor(Time);
}
