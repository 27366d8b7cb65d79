// The Data Setting dialog: setting writes, cached texts, the General buttons, long and stopped runs.

#include "TestSupport.h"

#include "editor/Editor.h"
#include "engine/FastMetaWnd.h"
#include "settings/Preferences.h"
#include "widgets/QProgressIndicator.h"

#include <QtTest>
#include <QtWidgets>

namespace {

template <typename T = QSpinBox>
T* child(FastMetaWnd& w, const char* name) { return w.findChild<T*>(QLatin1String(name)); }

} // namespace

class TestFastMetaWnd : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { TestSupport::useTemporaryConfigHome(); }
    void init();
    void controlsWritePreferences_data();
    void controlsWritePreferences();
    void cacheReusedUntilChange();
    void generalButtons_data();
    void generalButtons();
    void fullRangeStaysLiveAndStops();
};

void TestFastMetaWnd::init()
{
    Preferences::instance()->setEditorEolFormat(EolUnix);
    Preferences::instance()->setDataSettingNumberFrom(1);
    Preferences::instance()->setDataSettingNumberTo(3);
    Preferences::instance()->setDataSettingLetterFrom(10);
    Preferences::instance()->setDataSettingLetterTo(12);
    Preferences::instance()->setDataSettingLetterUpper(false);
}

void TestFastMetaWnd::controlsWritePreferences_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QByteArray>("property");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("key");
    QTest::addColumn<FastMetaWnd::Generator>("generator");
    QTest::newRow("number from") << "sbNumberFrom" << QByteArray("value") << QVariant(-42) << "DataSetting/NumberFrom"
                                 << FastMetaWnd::Number;
    QTest::newRow("letter upper") << "ckbLetterUpper" << QByteArray("checked") << QVariant(true)
                                  << "DataSetting/LetterUpper" << FastMetaWnd::Letter;
    QTest::newRow("date to") << "dtDateTo" << QByteArray("date") << QVariant(QDate(2016, 1, 2)) << "DataSetting/DateTo"
                             << FastMetaWnd::Date;
    QTest::newRow("time format") << "cbxTimeFormat" << QByteArray("currentText") << QVariant("hh mm")
                                 << "DataSetting/TimeFormat" << FastMetaWnd::Time;
}

void TestFastMetaWnd::controlsWritePreferences()
{
    QFETCH(QString, control);
    QFETCH(QByteArray, property);
    QFETCH(QVariant, value);
    QFETCH(QString, key);
    QFETCH(FastMetaWnd::Generator, generator);
    FastMetaWnd wnd(nullptr, {});
    QString text;
    for (int g = 0; g < FastMetaWnd::GeneratorCount; ++g)
        QVERIFY(wnd.sequenceText(FastMetaWnd::Generator(g), &text));
    QVERIFY(child<QWidget>(wnd, qPrintable(control))->setProperty(property, value)); // as the user would
    const QVariant stored = value.type() == QVariant::Date ? QVariant(value.toDate().toJulianDay()) : value;
    QCOMPARE(QSettings().value(key).toString(), stored.toString());
    for (int g = 0; g < FastMetaWnd::GeneratorCount; ++g)
        QCOMPARE(wnd.needsRebuild(FastMetaWnd::Generator(g)), g == generator);
    FastMetaWnd again(nullptr, {}); // starts from what was written
    QString theirs;
    QVERIFY(again.sequenceText(generator, &theirs) && wnd.sequenceText(generator, &text) && theirs == text);
}

void TestFastMetaWnd::cacheReusedUntilChange()
{
    FastMetaWnd wnd(nullptr, {});
    const QString first = wnd.numberText();
    QCOMPARE(first, QStringLiteral("1\n2\n3"));
    QVERIFY(!wnd.needsRebuild(FastMetaWnd::Number));
    // Quiet moves and other generators' controls change nothing: the very same buffer comes back.
    const QSignalBlocker quiet(child(wnd, "sbNumberTo"));
    child(wnd, "sbNumberTo")->setValue(5);
    child<QCheckBox>(wnd, "ckbLetterUpper")->setChecked(true);
    QCOMPARE(wnd.numberText().constData(), first.constData());
    // A change of its own rebuilds, with every control read afresh.
    child(wnd, "sbNumberFrom")->setValue(2);
    QVERIFY(wnd.needsRebuild(FastMetaWnd::Number));
    QCOMPARE(wnd.numberText(), QStringLiteral("2\n3\n4\n5"));
    // So does a change of the preferred line break.
    Preferences::instance()->setEditorEolFormat(EolWindows);
    QCOMPARE(wnd.numberText(), QStringLiteral("2\r\n3\r\n4\r\n5"));
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
    QTest::newRow("letter, after CR LF") << "btnGenLetter" << "y\r\n" << "y\r\na\nb\nc";
}

void TestFastMetaWnd::generalButtons()
{
    QFETCH(QString, button);
    QFETCH(QString, before);
    QFETCH(QString, after);
    Editor editor;
    editor.setText(editor.toEditorBytes(before));
    editor.emptyUndoBuffer();
    FastMetaWnd wnd(nullptr, [&editor] { return &editor; });
    QPushButton* pressed = child<QPushButton>(wnd, qPrintable(button));
    // Runs at the first pause of the run, before any value is built.
    bool busySeen = false;
    QTimer::singleShot(0, &wnd, [&] { busySeen = wnd.isGenerating() && !pressed->isEnabled(); });
    QTest::mouseClick(pressed, Qt::LeftButton);
    QCOMPARE(editor.text(), after);
    QVERIFY(busySeen && !wnd.isGenerating() && pressed->isEnabled() && !wnd.busyIndicator()->isAnimated());
    editor.undo(); // one step takes it back
    QCOMPARE(editor.text(), before);
}

void TestFastMetaWnd::fullRangeStaysLiveAndStops()
{
    auto* editor = new Editor;
    FastMetaWnd wnd(nullptr, [&editor] { return editor; });
    child(wnd, "sbNumberFrom")->setValue(-999999);
    child(wnd, "sbNumberTo")->setValue(999999);
    int ticks = 0;
    QTimer ticker;
    connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
    ticker.start(0);
    QTest::mouseClick(child<QPushButton>(wnd, "btnGenNumber"), Qt::LeftButton);
    ticker.stop();
    // Events ran before the first value and again while it ran, not only at its start.
    QVERIFY2(ticks >= 2, "events were not processed while the sequence was built");
    QCOMPARE(editor->lineCount(), 1999999);
    QVERIFY(editor->lineText(0) == QLatin1String("-999999") && editor->lineText(1999998) == QLatin1String("999999"));

    // A stop, or the target editor closed, during the run: nothing appended, the next request builds anew.
    for (bool close : {false, true}) {
        child(wnd, "sbNumberTo")->setValue(999998 - close);
        editor->setText("keep");
        QPointer<Editor> alive(editor);
        QTimer::singleShot(0, &wnd, [&] { close ? delete editor : wnd.requestStop(); });
        QVERIFY(!wnd.appendToEditor(FastMetaWnd::Number, editor));
        QVERIFY(!wnd.isGenerating() && wnd.needsRebuild(FastMetaWnd::Number));
        QVERIFY(close ? alive.isNull() : editor->text() == QLatin1String("keep"));
    }
    child(wnd, "sbNumberFrom")->setValue(999996);
    QCOMPARE(wnd.numberText(), QStringLiteral("999996\n999997"));
}

QTEST_MAIN(TestFastMetaWnd)
#include "tst_fastmetawnd.moc"
