// The Data Setting dialog: setting writes, cached texts, the General buttons, long and stopped runs.

#include "TestSupport.h"

#include "editor/Editor.h"
#include "engine/FastMetaWnd.h"
#include "settings/Preferences.h"
#include "widgets/QProgressIndicator.h"

#include <QtTest>
#include <QtWidgets>

template <typename T = QSpinBox>
static T* child(FastMetaWnd& w, const char* name) { return w.findChild<T*>(QLatin1String(name)); }

class TestFastMetaWnd : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { TestSupport::useTemporaryConfigHome(); }
    void init()
    {
        Preferences* p = Preferences::instance();
        p->setEditorEolFormat(EolUnix);
        p->setDataSettingNumberFrom(1);
        p->setDataSettingNumberTo(3);
        p->setDataSettingLetterFrom(10);
        p->setDataSettingLetterTo(12);
        p->setDataSettingLetterUpper(false);
    }
    void controlsWritePreferences();
    void generalButtonsAppend();
    void longRunStaysLiveAndStops();
    void lineBreakChangeAloneKeepsTexts();
};

void TestFastMetaWnd::controlsWritePreferences()
{
    // A control set as the user would writes its key; a new dialog starts from what was written.
    const struct { const char *control, *property; QVariant value; const char *stored, *key; int gen; } rows[] = {
        {"sbNumberFrom", "value", -42, "-42", "NumberFrom", FastMetaWnd::Number},
        {"ckbLetterUpper", "checked", true, "true", "LetterUpper", FastMetaWnd::Letter},
        {"dtDateTo", "date", QDate(2016, 1, 2), "2457390", "DateTo", FastMetaWnd::Date}, // as a Julian day
        {"cbxTimeFormat", "currentText", "hh mm", "hh mm", "TimeFormat", FastMetaWnd::Time},
    };
    for (const auto& row : rows) {
        FastMetaWnd wnd(Preferences::instance(), nullptr, {});
        QString built[FastMetaWnd::GeneratorCount], text;
        for (int g = 0; g < FastMetaWnd::GeneratorCount; ++g)
            QVERIFY(wnd.sequenceText(FastMetaWnd::Generator(g), &built[g]) && !built[g].isEmpty());
        QVERIFY2(child<QWidget>(wnd, row.control)->setProperty(row.property, row.value), row.control);
        QCOMPARE(QSettings().value(QLatin1String("DataSetting/") + row.key).toString(), QString(row.stored));
        // Only its own generator builds anew; the others hand back the very same buffer.
        for (int g = 0; g < FastMetaWnd::GeneratorCount; ++g) {
            QCOMPARE(wnd.needsRebuild(FastMetaWnd::Generator(g)), g == row.gen);
            const QChar* cached = built[g].constData();
            QVERIFY(wnd.sequenceText(FastMetaWnd::Generator(g), &built[g]));
            QCOMPARE(built[g].constData() == cached, g != row.gen);
        }
        FastMetaWnd again(Preferences::instance(), nullptr, {});
        QVERIFY(again.sequenceText(FastMetaWnd::Generator(row.gen), &text));
        QCOMPARE(text, built[row.gen]);
    }
}

void TestFastMetaWnd::generalButtonsAppend()
{
    // A General button appends to the focused editor on a line of its own, as one undo step.
    const char* const rows[][3] = {{"btnGenNumber", "", "1\n2\n3"}, {"btnGenNumber", "x", "x\n1\n2\n3"},
                                   {"btnGenNumber", "x\r", "x\r1\n2\n3"}, {"btnGenLetter", "y\r\n", "y\r\na\nb\nc"}};
    for (const auto& row : rows) {
        Editor editor;
        editor.setText(editor.toEditorBytes(row[1]));
        editor.emptyUndoBuffer();
        FastMetaWnd wnd(Preferences::instance(), nullptr, [&editor] { return &editor; });
        QPushButton* pressed = child<QPushButton>(wnd, row[0]);
        bool busySeen = false; // checked at the run's first pause, before any value is built
        QTimer::singleShot(0, &wnd, [&] { busySeen = wnd.isGenerating() && !pressed->isEnabled(); });
        QTest::mouseClick(pressed, Qt::LeftButton);
        QCOMPARE(editor.text(), QString(row[2]));
        QVERIFY(busySeen && !wnd.isGenerating() && pressed->isEnabled() && !wnd.busyIndicator()->isAnimated());
        editor.undo();
        QCOMPARE(editor.text(), QString(row[1]));
    }
}

void TestFastMetaWnd::longRunStaysLiveAndStops()
{
    auto* editor = new Editor;
    FastMetaWnd wnd(Preferences::instance(), nullptr, [&editor] { return editor; });
    child(wnd, "sbNumberFrom")->setValue(-999999);
    child(wnd, "sbNumberTo")->setValue(999999);
    int ticks = 0;
    QTimer ticker;
    connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
    ticker.start(0);
    QTest::mouseClick(child<QPushButton>(wnd, "btnGenNumber"), Qt::LeftButton);
    ticker.stop();
    QVERIFY2(ticks >= 2, "events were not processed while the sequence was built");
    QCOMPARE(editor->lineCount(), 1999999);
    QVERIFY(editor->lineText(0) == QLatin1String("-999999") && editor->lineText(1999998) == QLatin1String("999999"));

    // A stop, or the target editor closed, during the run: nothing appended, the next request builds anew.
    for (bool close : {false, true}) {
        child(wnd, "sbNumberTo")->setValue(999998 - close);
        editor->setText("keep");
        QTimer::singleShot(0, &wnd, [&] { close ? delete editor : wnd.requestStop(); });
        QVERIFY(!wnd.appendToEditor(FastMetaWnd::Number, editor));
        QVERIFY(!wnd.isGenerating() && wnd.needsRebuild(FastMetaWnd::Number) && (close || editor->text() == "keep"));
    }
    // A build reads every control afresh, one moved quietly too, and follows the preferred line break.
    child(wnd, "sbNumberTo")->blockSignals(true);
    child(wnd, "sbNumberTo")->setValue(999998);
    child(wnd, "sbNumberFrom")->setValue(999996);
    QCOMPARE(wnd.numberText(), QString("999996\n999997\n999998"));
}

void TestFastMetaWnd::lineBreakChangeAloneKeepsTexts()
{
    FastMetaWnd wnd(Preferences::instance(), nullptr, {});
    QCOMPARE(wnd.numberText(), QString("1\n2\n3"));
    Preferences::instance()->setEditorEolFormat(EolWindows);
    QCOMPARE(wnd.needsRebuild(FastMetaWnd::Number), false);
    QCOMPARE(wnd.numberText(), QString("1\n2\n3"));
    // The line break is read when a text is built anew.
    child(wnd, "sbNumberTo")->setValue(2);
    QCOMPARE(wnd.numberText(), QString("1\r\n2"));
}

QTEST_MAIN(TestFastMetaWnd)
#include "tst_fastmetawnd.moc"
