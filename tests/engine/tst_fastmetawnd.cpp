// The Data Setting dialog: every control writes its setting and marks only its own generator, texts are
// cached until then, the General buttons and the column buttons append where they should, and long or
// interrupted runs leave the window live and the target untouched.

#include "TestSupport.h"

#include "columns/Meta.h"
#include "columns/MetaManager.h"
#include "editor/Editor.h"
#include "engine/FastMetaWnd.h"
#include "engine/ValueSequence.h"
#include "settings/Preferences.h"
#include "widgets/QProgressIndicator.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTimeEdit>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <functional>

using Change = std::function<void(FastMetaWnd&)>;
Q_DECLARE_METATYPE(Change)

namespace {

template <typename T>
T* control(QWidget* parent, const char* name)
{
    T* widget = parent->findChild<T*>(QLatin1String(name));
    if (!widget)
        qWarning("no control %s", name);
    return widget;
}

QSpinBox* spin(FastMetaWnd& w, const char* name) { return control<QSpinBox>(&w, name); }
QCheckBox* check(FastMetaWnd& w, const char* name) { return control<QCheckBox>(&w, name); }
QDateEdit* dateEdit(FastMetaWnd& w, const char* name) { return control<QDateEdit>(&w, name); }
QTimeEdit* timeEdit(FastMetaWnd& w, const char* name) { return control<QTimeEdit>(&w, name); }
QComboBox* combo(FastMetaWnd& w, const char* name) { return control<QComboBox>(&w, name); }
QPushButton* general(FastMetaWnd& w, const char* name) { return control<QPushButton>(&w, name); }

void setNumbers(FastMetaWnd& w, int from, int to, int base = 10, bool upper = false)
{
    spin(w, "sbNumberBase")->setValue(base);
    spin(w, "sbNumberFrom")->setValue(from);
    spin(w, "sbNumberTo")->setValue(to);
    check(w, "ckbNumberUpper")->setChecked(upper);
}

QString sequence(FastMetaWnd& w, FastMetaWnd::Generator generator)
{
    QString text;
    if (!w.sequenceText(generator, &text))
        qWarning("sequence %d was not built", int(generator));
    return text;
}

// Reaches every generator once so that all four rebuild flags are down.
void buildAll(FastMetaWnd& w)
{
    for (int g = 0; g < FastMetaWnd::GeneratorCount; ++g)
        sequence(w, FastMetaWnd::Generator(g));
}

const int kFullFrom = -999999;
const int kFullTo = 999999;

} // namespace

class TestFastMetaWnd : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void controlsWritePreferences_data();
    void controlsWritePreferences();
    void controlsFollowPreferences();
    void numberBaseDisplay();
    void sequences_data();
    void sequences();
    void cacheReusedUntilControlChanges();
    void generalButtons_data();
    void generalButtons();
    void generalButtonWithoutEditor();
    void columnButtons_data();
    void columnButtons();
    void fullRangeStaysLive();
    void interruptedRuns_data();
    void interruptedRuns();
    void tooLongIsReported();

private:
    Preferences* m_prefs = nullptr;
};

void TestFastMetaWnd::initTestCase()
{
    TestSupport::useTemporaryConfigHome();
    m_prefs = Preferences::instance();
}

void TestFastMetaWnd::init()
{
    m_prefs->setEditorEolFormat(EolUnix);
    m_prefs->setColumnsStartColumns(1);
    m_prefs->setDataSettingNumberFrom(1);
    m_prefs->setDataSettingNumberTo(3);
    m_prefs->setDataSettingNumberBase(10);
    m_prefs->setDataSettingNumberUpper(false);
    m_prefs->setDataSettingLetterFrom(10);
    m_prefs->setDataSettingLetterTo(12);
    m_prefs->setDataSettingLetterUpper(false);
    m_prefs->setDataSettingDateFrom(QDate(2015, 12, 30).toJulianDay());
    m_prefs->setDataSettingDateTo(QDate(2016, 1, 2).toJulianDay());
    m_prefs->setDataSettingDateFormat(QStringLiteral("yyyy/MM/dd"));
    m_prefs->setDataSettingTimeFrom(58000);
    m_prefs->setDataSettingTimeTo(61000);
    m_prefs->setDataSettingTimeFormat(QStringLiteral("hh:mm:ss"));
}

void TestFastMetaWnd::controlsWritePreferences_data()
{
    QTest::addColumn<Change>("change");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<FastMetaWnd::Generator>("generator");

    QTest::newRow("number from") << Change([](FastMetaWnd& w) { spin(w, "sbNumberFrom")->setValue(-42); })
                                 << "DataSetting/NumberFrom" << QVariant(-42) << FastMetaWnd::Number;
    QTest::newRow("number to") << Change([](FastMetaWnd& w) { spin(w, "sbNumberTo")->setValue(777); })
                               << "DataSetting/NumberTo" << QVariant(777) << FastMetaWnd::Number;
    QTest::newRow("number base") << Change([](FastMetaWnd& w) { spin(w, "sbNumberBase")->setValue(16); })
                                 << "DataSetting/NumberBase" << QVariant(16) << FastMetaWnd::Number;
    QTest::newRow("number upper") << Change([](FastMetaWnd& w) { check(w, "ckbNumberUpper")->setChecked(true); })
                                  << "DataSetting/NumberUpper" << QVariant(true) << FastMetaWnd::Number;
    QTest::newRow("date from")
        << Change([](FastMetaWnd& w) { dateEdit(w, "dtDateFrom")->setDate(QDate(2001, 2, 3)); })
        << "DataSetting/DateFrom" << QVariant(QDate(2001, 2, 3).toJulianDay()) << FastMetaWnd::Date;
    QTest::newRow("date to") << Change([](FastMetaWnd& w) { dateEdit(w, "dtDateTo")->setDate(QDate(2030, 4, 5)); })
                             << "DataSetting/DateTo" << QVariant(QDate(2030, 4, 5).toJulianDay())
                             << FastMetaWnd::Date;
    QTest::newRow("date format")
        << Change([](FastMetaWnd& w) { combo(w, "cbxDateFormat")->setCurrentText(QStringLiteral("dd.MM.yy")); })
        << "DataSetting/DateFormat" << QVariant(QStringLiteral("dd.MM.yy")) << FastMetaWnd::Date;
    QTest::newRow("letter from") << Change([](FastMetaWnd& w) { spin(w, "sbLetterFrom")->setValue(20); })
                                 << "DataSetting/LetterFrom" << QVariant(20) << FastMetaWnd::Letter;
    QTest::newRow("letter to") << Change([](FastMetaWnd& w) { spin(w, "sbLetterTo")->setValue(30); })
                               << "DataSetting/LetterTo" << QVariant(30) << FastMetaWnd::Letter;
    QTest::newRow("letter upper") << Change([](FastMetaWnd& w) { check(w, "ckbLetterUpper")->setChecked(true); })
                                  << "DataSetting/LetterUpper" << QVariant(true) << FastMetaWnd::Letter;
    QTest::newRow("time from")
        << Change([](FastMetaWnd& w) { timeEdit(w, "tmTimeFrom")->setTime(QTime(10, 20, 30)); })
        << "DataSetting/TimeFrom" << QVariant(QTime(10, 20, 30).msecsSinceStartOfDay()) << FastMetaWnd::Time;
    QTest::newRow("time to") << Change([](FastMetaWnd& w) { timeEdit(w, "tmTimeTo")->setTime(QTime(23, 0, 1)); })
                             << "DataSetting/TimeTo" << QVariant(QTime(23, 0, 1).msecsSinceStartOfDay())
                             << FastMetaWnd::Time;
    QTest::newRow("time format")
        << Change([](FastMetaWnd& w) { combo(w, "cbxTimeFormat")->setCurrentText(QStringLiteral("hh mm ss")); })
        << "DataSetting/TimeFormat" << QVariant(QStringLiteral("hh mm ss")) << FastMetaWnd::Time;
}

void TestFastMetaWnd::controlsWritePreferences()
{
    QFETCH(Change, change);
    QFETCH(QString, key);
    QFETCH(QVariant, stored);
    QFETCH(FastMetaWnd::Generator, generator);

    FastMetaWnd wnd(nullptr, {});
    buildAll(wnd);
    change(wnd);

    const QVariant written = QSettings().value(key);
    QVERIFY2(written.isValid(), qPrintable(key));
    QCOMPARE(written.toString(), stored.toString());
    for (int g = 0; g < FastMetaWnd::GeneratorCount; ++g)
        QCOMPARE(wnd.needsRebuild(FastMetaWnd::Generator(g)), g == generator);

    // A fresh dialog starts from what was written.
    FastMetaWnd again(nullptr, {});
    QCOMPARE(sequence(again, generator), sequence(wnd, generator));
}

void TestFastMetaWnd::controlsFollowPreferences()
{
    m_prefs->setDataSettingNumberBase(16);
    m_prefs->setDataSettingNumberFrom(10);
    m_prefs->setDataSettingNumberTo(15);
    m_prefs->setDataSettingNumberUpper(true);
    m_prefs->setDataSettingTimeFormat(QStringLiteral("hh mm ss"));
    FastMetaWnd wnd(nullptr, {});

    QCOMPARE(spin(wnd, "sbNumberFrom")->displayIntegerBase(), 16);
    QCOMPARE(spin(wnd, "sbNumberFrom")->text(), QStringLiteral("a"));
    QCOMPARE(spin(wnd, "sbNumberTo")->text(), QStringLiteral("f"));
    QVERIFY(check(wnd, "ckbNumberUpper")->isEnabled());
    QVERIFY(check(wnd, "ckbNumberUpper")->isChecked());
    QCOMPARE(spin(wnd, "sbLetterFrom")->text(), QStringLiteral("a"));
    QCOMPARE(spin(wnd, "sbLetterTo")->text(), QStringLiteral("c"));
    QCOMPARE(dateEdit(wnd, "dtDateFrom")->date(), QDate(2015, 12, 30));
    QCOMPARE(dateEdit(wnd, "dtDateTo")->displayFormat(), QStringLiteral("yyyy/MM/dd"));
    QCOMPARE(timeEdit(wnd, "tmTimeTo")->displayFormat(), QStringLiteral("hh mm ss"));
    QCOMPARE(timeEdit(wnd, "tmTimeFrom")->time(), QTime(0, 0, 58));
    QCOMPARE(sequence(wnd, FastMetaWnd::Number), QStringLiteral("A\nB\nC\nD\nE\nF"));
    QCOMPARE(wnd.windowTitle(), QStringLiteral("Data Setting"));
    QCOMPARE(wnd.size(), QSize(453, 200));
    QVERIFY(!(wnd.windowFlags() & Qt::WindowContextHelpButtonHint));
    QVERIFY(wnd.windowFlags() & Qt::WindowMinimizeButtonHint);
}

void TestFastMetaWnd::numberBaseDisplay()
{
    FastMetaWnd wnd(nullptr, {});
    QSpinBox* from = spin(wnd, "sbNumberFrom");
    from->setValue(255);
    for (int base = 2; base <= 36; ++base) {
        spin(wnd, "sbNumberBase")->setValue(base);
        QCOMPARE(check(wnd, "ckbNumberUpper")->isEnabled(), base >= 11);
        QCOMPARE(from->text(), QString::number(255, base));
        QCOMPARE(spin(wnd, "sbNumberTo")->displayIntegerBase(), base);
        QCOMPARE(from->value(), 255);
    }
    // Upper stays ticked but means nothing in a base without letters.
    spin(wnd, "sbNumberBase")->setValue(16);
    setNumbers(wnd, 250, 251, 16, true);
    QCOMPARE(sequence(wnd, FastMetaWnd::Number), QStringLiteral("FA\nFB"));
    spin(wnd, "sbNumberBase")->setValue(10);
    QVERIFY(!check(wnd, "ckbNumberUpper")->isEnabled());
    QCOMPARE(sequence(wnd, FastMetaWnd::Number), QStringLiteral("250\n251"));
}

void TestFastMetaWnd::sequences_data()
{
    QTest::addColumn<Change>("change");
    QTest::addColumn<FastMetaWnd::Generator>("generator");
    QTest::addColumn<int>("eol");
    QTest::addColumn<QStringList>("values");

    QTest::newRow("1 to 3") << Change([](FastMetaWnd& w) { setNumbers(w, 1, 3); }) << FastMetaWnd::Number
                            << int(EolUnix) << QStringList{"1", "2", "3"};
    QTest::newRow("3 to 1, CR LF") << Change([](FastMetaWnd& w) { setNumbers(w, 3, 1); }) << FastMetaWnd::Number
                                   << int(EolWindows) << QStringList{"3", "2", "1"};
    QTest::newRow("hex upper") << Change([](FastMetaWnd& w) { setNumbers(w, 10, 15, 16, true); })
                               << FastMetaWnd::Number << int(EolUnix)
                               << QStringList{"A", "B", "C", "D", "E", "F"};
    QTest::newRow("hex lower") << Change([](FastMetaWnd& w) { setNumbers(w, 10, 15, 16, false); })
                               << FastMetaWnd::Number << int(EolMac)
                               << QStringList{"a", "b", "c", "d", "e", "f"};
    QTest::newRow("-1 hex") << Change([](FastMetaWnd& w) { setNumbers(w, -1, -1, 16); }) << FastMetaWnd::Number
                            << int(EolUnix) << QStringList{"ffffffff"};
    QTest::newRow("letters upper") << Change([](FastMetaWnd& w) {
        spin(w, "sbLetterFrom")->setValue(10);
        spin(w, "sbLetterTo")->setValue(14);
        check(w, "ckbLetterUpper")->setChecked(true);
    }) << FastMetaWnd::Letter << int(EolUnix) << QStringList{"A", "B", "C", "D", "E"};
    QTest::newRow("letters down") << Change([](FastMetaWnd& w) {
        spin(w, "sbLetterFrom")->setValue(14);
        spin(w, "sbLetterTo")->setValue(10);
    }) << FastMetaWnd::Letter << int(EolWindows) << QStringList{"e", "d", "c", "b", "a"};
    QTest::newRow("dates across the year") << Change([](FastMetaWnd&) {}) << FastMetaWnd::Date << int(EolUnix)
                                           << QStringList{"2015/12/30", "2015/12/31", "2016/01/01", "2016/01/02"};
    QTest::newRow("dates, typed format") << Change([](FastMetaWnd& w) {
        combo(w, "cbxDateFormat")->setCurrentText(QStringLiteral("dd.MM."));
        dateEdit(w, "dtDateTo")->setDate(QDate(2015, 12, 28));
    }) << FastMetaWnd::Date << int(EolUnix) << QStringList{"30.12.", "29.12.", "28.12."};
    QTest::newRow("times") << Change([](FastMetaWnd&) {}) << FastMetaWnd::Time << int(EolUnix)
                           << QStringList{"00:00:58", "00:00:59", "00:01:00", "00:01:01"};
    QTest::newRow("times other format") << Change([](FastMetaWnd& w) {
        combo(w, "cbxTimeFormat")->setCurrentIndex(0);
        timeEdit(w, "tmTimeFrom")->setTime(QTime(1, 0, 1));
        timeEdit(w, "tmTimeTo")->setTime(QTime(0, 59, 59));
    }) << FastMetaWnd::Time << int(EolUnix) << QStringList{"01 00 01", "01 00 00", "00 59 59"};
}

void TestFastMetaWnd::sequences()
{
    QFETCH(Change, change);
    QFETCH(FastMetaWnd::Generator, generator);
    QFETCH(int, eol);
    QFETCH(QStringList, values);

    m_prefs->setEditorEolFormat(EolFormat(eol));
    FastMetaWnd wnd(nullptr, {});
    change(wnd);
    const QString expected = values.join(eolString(EolFormat(eol)));
    QCOMPARE(sequence(wnd, generator), expected);
    switch (generator) {
    case FastMetaWnd::Number: QCOMPARE(wnd.numberText(), expected); break;
    case FastMetaWnd::Letter: QCOMPARE(wnd.letterText(), expected); break;
    case FastMetaWnd::Date: QCOMPARE(wnd.dateText(), expected); break;
    case FastMetaWnd::Time: QCOMPARE(wnd.timeText(), expected); break;
    }
}

void TestFastMetaWnd::cacheReusedUntilControlChanges()
{
    FastMetaWnd wnd(nullptr, {});
    for (int g = 0; g < FastMetaWnd::GeneratorCount; ++g)
        QVERIFY(wnd.needsRebuild(FastMetaWnd::Generator(g)));
    const QString first = wnd.numberText();
    QCOMPARE(first, QStringLiteral("1\n2\n3"));
    QVERIFY(!wnd.needsRebuild(FastMetaWnd::Number));
    // Handed out again without building: the very same buffer.
    QCOMPARE(wnd.numberText().constData(), first.constData());

    // A control moved without telling the dialog does not count as a change...
    {
        const QSignalBlocker quiet(spin(wnd, "sbNumberTo"));
        spin(wnd, "sbNumberTo")->setValue(5);
    }
    QCOMPARE(wnd.numberText(), QStringLiteral("1\n2\n3"));
    // ...nor does a change in another generator.
    check(wnd, "ckbLetterUpper")->setChecked(true);
    combo(wnd, "cbxTimeFormat")->setCurrentIndex(0);
    QCOMPARE(wnd.numberText(), QStringLiteral("1\n2\n3"));
    QVERIFY(!wnd.needsRebuild(FastMetaWnd::Number));

    // A real change of one of its controls rebuilds, with every control read afresh.
    spin(wnd, "sbNumberFrom")->setValue(2);
    QVERIFY(wnd.needsRebuild(FastMetaWnd::Number));
    QCOMPARE(wnd.numberText(), QStringLiteral("2\n3\n4\n5"));

    // A text joined with the old line break is not handed out after the preference changed.
    m_prefs->setEditorEolFormat(EolWindows);
    QCOMPARE(wnd.numberText(), QStringLiteral("2\r\n3\r\n4\r\n5"));
    m_prefs->setEditorEolFormat(EolUnix);
    QCOMPARE(wnd.numberText(), QStringLiteral("2\n3\n4\n5"));

    // The letter cache, built before its change, follows the same rule.
    QCOMPARE(wnd.letterText(), QStringLiteral("A\nB\nC"));
    const QString letters = wnd.letterText();
    QCOMPARE(wnd.letterText().constData(), letters.constData());
}

void TestFastMetaWnd::generalButtons_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");

    QTest::newRow("number, empty") << "btnGenNumber" << "" << "1\n2\n3";
    QTest::newRow("number, open line") << "btnGenNumber" << "x" << "x\n1\n2\n3";
    QTest::newRow("number, after a break") << "btnGenNumber" << "x\n" << "x\n1\n2\n3";
    QTest::newRow("number, after CR") << "btnGenNumber" << "x\r" << "x\r1\n2\n3";
    QTest::newRow("letter") << "btnGenLetter" << "" << "a\nb\nc";
    QTest::newRow("date") << "btnGenDate" << "top" << "top\n2015/12/30\n2015/12/31\n2016/01/01\n2016/01/02";
    QTest::newRow("time") << "btnGenTime" << "" << "00:00:58\n00:00:59\n00:01:00\n00:01:01";
}

void TestFastMetaWnd::generalButtons()
{
    QFETCH(QString, button);
    QFETCH(QString, before);
    QFETCH(QString, after);

    Editor editor;
    editor.setText(editor.toEditorBytes(before));
    editor.emptyUndoBuffer();
    Editor other;
    FastMetaWnd wnd(nullptr, [&editor]() { return &editor; });

    bool generatingSeen = false;
    bool buttonsDisabledSeen = false;
    // Runs at the first pause of the run, before any value is built.
    QTimer::singleShot(0, &wnd, [&]() {
        generatingSeen = wnd.isGenerating();
        buttonsDisabledSeen = !general(wnd, "btnGenTime")->isEnabled();
    });
    QTest::mouseClick(general(wnd, qPrintable(button)), Qt::LeftButton);

    QCOMPARE(editor.text(), after);
    QVERIFY(other.text().isEmpty());
    QVERIFY(generatingSeen);
    QVERIFY(buttonsDisabledSeen);
    QVERIFY(!wnd.isGenerating());
    QVERIFY(general(wnd, "btnGenTime")->isEnabled());
    QVERIFY(!wnd.busyIndicator()->isAnimated());
    QVERIFY(!wnd.busyIndicator()->isVisible());
    // One step takes it back.
    editor.undo();
    QCOMPARE(editor.text(), before);

    // The main window's actions go the same way through appendToEditor.
    FastMetaWnd::Generator generator = button == QLatin1String("btnGenNumber")   ? FastMetaWnd::Number
                                       : button == QLatin1String("btnGenLetter") ? FastMetaWnd::Letter
                                       : button == QLatin1String("btnGenDate")   ? FastMetaWnd::Date
                                                                                 : FastMetaWnd::Time;
    // Into an empty editor the sequence comes alone.
    int prefix = 0;
    if (!before.isEmpty())
        prefix = before.endsWith(QLatin1Char('\n')) || before.endsWith(QLatin1Char('\r')) ? before.size()
                                                                                        : before.size() + 1;
    QVERIFY(wnd.appendToEditor(generator, &other));
    QCOMPARE(other.text(), after.mid(prefix));
}

void TestFastMetaWnd::generalButtonWithoutEditor()
{
    Editor* current = nullptr;
    FastMetaWnd wnd(nullptr, [&current]() { return current; });
    QTest::mouseClick(general(wnd, "btnGenNumber"), Qt::LeftButton);
    QVERIFY(wnd.needsRebuild(FastMetaWnd::Number)); // nothing was even built
    QVERIFY(!wnd.appendToEditor(FastMetaWnd::Number, nullptr));

    FastMetaWnd noProvider(nullptr, {});
    QTest::mouseClick(general(noProvider, "btnGenLetter"), Qt::LeftButton);
    QVERIFY(noProvider.needsRebuild(FastMetaWnd::Letter));

    Editor editor;
    current = &editor;
    QTest::mouseClick(general(wnd, "btnGenNumber"), Qt::LeftButton);
    QCOMPARE(editor.text(), QStringLiteral("1\n2\n3"));
}

void TestFastMetaWnd::columnButtons_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");

    QTest::newRow("number, empty column") << "btnGenNumber" << "" << "1\n2\n3";
    QTest::newRow("number, column with text") << "btnGenNumber" << "x" << "x\n1\n2\n3";
    // The column rule: a new line whenever the column is not empty, even after a break.
    QTest::newRow("number, text ending in a break") << "btnGenNumber" << "x\n" << "x\n\n1\n2\n3";
    QTest::newRow("letter") << "btnGenLetter" << "q" << "q\na\nb\nc";
    QTest::newRow("date") << "btnGenDate" << "" << "2015/12/30\n2015/12/31\n2016/01/01\n2016/01/02";
    QTest::newRow("time") << "btnGenTime" << "t" << "t\n00:00:58\n00:00:59\n00:01:00\n00:01:01";
}

void TestFastMetaWnd::columnButtons()
{
    QFETCH(QString, button);
    QFETCH(QString, before);
    QFETCH(QString, after);

    m_prefs->setColumnsStartColumns(2);
    MetaManager manager;
    FastMetaWnd wnd(&manager, {});
    QCOMPARE(wnd.metaManager(), &manager);

    // Without generator settings the buttons do nothing.
    Meta* target = manager.metaAt(1);
    target->setText(before);
    target->editor()->emptyUndoBuffer();
    QTest::mouseClick(target->findChild<QToolButton*>(button), Qt::LeftButton);
    QCOMPARE(target->text(), before);

    manager.setFastMetaWnd(&wnd);
    manager.metaAt(0)->setText(QStringLiteral("other"));
    QTest::mouseClick(target->findChild<QToolButton*>(button), Qt::LeftButton);
    QCOMPARE(target->text(), after);
    QCOMPARE(manager.metaAt(0)->text(), QStringLiteral("other"));
    QVERIFY(!wnd.isGenerating());
    target->editor()->undo();
    QCOMPARE(target->text(), before);
}

void TestFastMetaWnd::fullRangeStaysLive()
{
    Editor editor;
    FastMetaWnd wnd(nullptr, [&editor]() { return &editor; });
    setNumbers(wnd, kFullFrom, kFullTo);

    int ticks = 0;
    QTimer ticker;
    ticker.setInterval(0);
    connect(&ticker, &QTimer::timeout, [&ticks]() { ++ticks; });
    ticker.start();
    const QString text = wnd.numberText();
    ticker.stop();

    // Once before the first value and again while it runs, not only at its start.
    QVERIFY2(ticks >= 2, "events were not processed while the sequence was built");
    QCOMPARE(qint64(text.size()), numberSequenceLength(kFullFrom, kFullTo, 10, 1));
    // One buffer of the output's size, not a list of two million strings grown piecewise.
    QVERIFY(text.capacity() - text.size() < 64);
    QVERIFY(text.startsWith(QStringLiteral("-999999\n-999998\n")));
    QVERIFY(text.endsWith(QStringLiteral("\n999998\n999999")));
    QCOMPARE(text.count(QLatin1Char('\n')), kFullTo - kFullFrom);

    QTest::mouseClick(general(wnd, "btnGenNumber"), Qt::LeftButton);
    QCOMPARE(editor.lineCount(), kFullTo - kFullFrom + 1);
    QCOMPARE(editor.lineText(0), QStringLiteral("-999999"));
    QCOMPARE(editor.lineText(editor.lineCount() - 1), QStringLiteral("999999"));
}

void TestFastMetaWnd::interruptedRuns_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("stop") << "stop";
    QTest::newRow("second request") << "second";
    QTest::newRow("editor closed") << "editor";
    QTest::newRow("column removed") << "column";
    QTest::newRow("range changed") << "range";
}

void TestFastMetaWnd::interruptedRuns()
{
    QFETCH(QString, how);

    MetaManager manager;
    FastMetaWnd wnd(&manager, {});
    manager.setFastMetaWnd(&wnd);
    setNumbers(wnd, kFullFrom, kFullTo);
    auto* editor = new Editor;
    editor->setText("keep");
    QPointer<Editor> editorAlive(editor);
    Meta* meta = manager.metaAt(0);
    meta->setText(QStringLiteral("keep"));
    QPointer<Meta> metaAlive(meta);

    bool secondRefused = false;
    QTimer::singleShot(0, &wnd, [&]() {
        if (how == QLatin1String("stop")) {
            wnd.requestStop();
        } else if (how == QLatin1String("second")) {
            QString text = QStringLiteral("untouched");
            secondRefused = !wnd.sequenceText(FastMetaWnd::Letter, &text) && text == QLatin1String("untouched")
                            && !wnd.appendToEditor(FastMetaWnd::Letter, editor);
        } else if (how == QLatin1String("editor")) {
            delete editor;
        } else if (how == QLatin1String("column")) {
            manager.removeMeta(0, true);
        } else {
            spin(wnd, "sbNumberTo")->setValue(kFullFrom + 1);
        }
    });

    const bool column = how == QLatin1String("column");
    const bool appended = column ? wnd.appendToColumn(FastMetaWnd::Number, meta)
                                 : wnd.appendToEditor(FastMetaWnd::Number, editor);
    QVERIFY(!wnd.isGenerating());

    if (how == QLatin1String("range") || how == QLatin1String("second")) {
        // The run finishes with what it started from, the request made meanwhile being refused.
        QVERIFY(appended);
        QCOMPARE(editor->lineCount(), kFullTo - kFullFrom + 2);
        QCOMPARE(editor->lineText(0), QStringLiteral("keep"));
        QCOMPARE(editor->lineText(1), QStringLiteral("-999999"));
        if (how == QLatin1String("second")) {
            QVERIFY(secondRefused);
            QVERIFY(wnd.needsRebuild(FastMetaWnd::Letter));
        } else {
            // The change made during the run is seen by the next request.
            QVERIFY(wnd.needsRebuild(FastMetaWnd::Number));
            QCOMPARE(wnd.numberText(), QStringLiteral("-999999\n-999998"));
        }
    } else {
        QVERIFY(!appended);
        QVERIFY(wnd.needsRebuild(FastMetaWnd::Number));
        if (column) {
            QVERIFY(!metaAlive);
        } else if (how == QLatin1String("editor")) {
            QVERIFY(!editorAlive);
        } else {
            QCOMPARE(editor->text(), QStringLiteral("keep"));
        }
    }
    // Whatever happened, the next request works.
    setNumbers(wnd, 1, 2);
    QCOMPARE(wnd.numberText(), QStringLiteral("1\n2"));
    delete editorAlive.data();
}

void TestFastMetaWnd::tooLongIsReported()
{
    Editor editor;
    editor.setText("keep");
    FastMetaWnd wnd(nullptr, {});
    dateEdit(wnd, "dtDateFrom")->setDate(dateEdit(wnd, "dtDateFrom")->minimumDate());
    dateEdit(wnd, "dtDateTo")->setDate(QDate(9999, 12, 31));
    // About three million days of a 120-character value each.
    combo(wnd, "cbxDateFormat")->setCurrentText(QString(30, QLatin1Char('y')).repeated(4));

    QVERIFY(!wnd.appendToEditor(FastMetaWnd::Date, &editor));
    QCOMPARE(editor.text(), QStringLiteral("keep"));
    QVERIFY(wnd.needsRebuild(FastMetaWnd::Date));
    QMessageBox* box = nullptr;
    QTRY_VERIFY((box = wnd.findChild<QMessageBox*>()) != nullptr);
    QVERIFY(box->text().contains(QStringLiteral("too long")));
    QVERIFY(box->text().contains(QStringLiteral("date")));
    box->close();

    // A narrower range with the same format goes through.
    dateEdit(wnd, "dtDateTo")->setDate(dateEdit(wnd, "dtDateFrom")->date());
    QCOMPARE(wnd.dateText().size(), 120);
}

QTEST_MAIN(TestFastMetaWnd)
#include "tst_fastmetawnd.moc"
