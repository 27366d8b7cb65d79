// The Data Setting dialog: setting writes, cached texts, the General buttons, long and stopped runs.

#include "TestSupport.h"

#include "editor/Editor.h"
#include "engine/FastMetaWnd.h"
#include "settings/Preferences.h"
#include "widgets/QProgressIndicator.h"

#include <QtTest>
#include <QtWidgets>

template <typename T = QSpinBox> static T* child(FastMetaWnd& w, const char* name)
{
    return w.findChild<T*>(QLatin1String(name));
}

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

    void controlsWritePreferences_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("property");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("generator");
        QTest::addRow("number from") << "sbNumberFrom"
                                     << "value" << QVariant(-42) << "-42"
                                     << "NumberFrom" << int(FastMetaWnd::Number);
        QTest::addRow("letter upper") << "ckbLetterUpper"
                                      << "checked" << QVariant(true) << "true"
                                      << "LetterUpper" << int(FastMetaWnd::Letter);
        QTest::addRow("date to, as a Julian day") << "dtDateTo"
                                                  << "date" << QVariant(QDate(2016, 1, 2)) << "2457390"
                                                  << "DateTo" << int(FastMetaWnd::Date);
        QTest::addRow("time format") << "cbxTimeFormat"
                                     << "currentText" << QVariant("hh mm") << "hh mm"
                                     << "TimeFormat" << int(FastMetaWnd::Time);
    }

    void controlsWritePreferences()
    {
        // A control set as the user would writes its key; a new dialog starts from what was written.
        QFETCH(QString, control);
        QFETCH(QString, property);
        QFETCH(QVariant, value);
        QFETCH(QString, stored);
        QFETCH(QString, key);
        QFETCH(int, generator);
        FastMetaWnd wnd(Preferences::instance(), nullptr, {});
        QString built[FastMetaWnd::GeneratorCount], text;
        for (int g = 0; g < FastMetaWnd::GeneratorCount; ++g) {
            QVERIFY(wnd.sequenceText(FastMetaWnd::Generator(g), &built[g]));
            QVERIFY(!built[g].isEmpty());
        }
        QWidget* widget = wnd.findChild<QWidget*>(control);
        QVERIFY(widget);
        QVERIFY(widget->setProperty(qPrintable(property), value));
        QCOMPARE(QSettings().value(QLatin1String("DataSetting/") + key).toString(), stored);
        // Only its own generator builds anew.
        for (int g = 0; g < FastMetaWnd::GeneratorCount; ++g)
            QCOMPARE(wnd.needsRebuild(FastMetaWnd::Generator(g)), g == generator);
        QVERIFY(wnd.sequenceText(FastMetaWnd::Generator(generator), &built[generator]));
        QCOMPARE(wnd.needsRebuild(FastMetaWnd::Generator(generator)), false);
        FastMetaWnd again(Preferences::instance(), nullptr, {});
        QVERIFY(again.sequenceText(FastMetaWnd::Generator(generator), &text));
        QCOMPARE(text, built[generator]);
    }

    void generalButtonsAppend_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::addRow("empty editor") << "btnGenNumber"
                                      << ""
                                      << "1\n2\n3";
        QTest::addRow("after a line") << "btnGenNumber"
                                      << "x"
                                      << "x\n1\n2\n3";
        QTest::addRow("after a CR") << "btnGenNumber"
                                    << "x\r"
                                    << "x\r1\n2\n3";
        QTest::addRow("letters after CR LF") << "btnGenLetter"
                                             << "y\r\n"
                                             << "y\r\na\nb\nc";
    }

    void generalButtonsAppend()
    {
        // A General button appends to the focused editor on a line of its own, as one undo step.
        QFETCH(QString, button);
        QFETCH(QString, before);
        QFETCH(QString, after);
        Editor editor;
        editor.setText(editor.toEditorBytes(before));
        editor.emptyUndoBuffer();
        FastMetaWnd wnd(Preferences::instance(), nullptr, [&editor] { return &editor; });
        auto* pressed = wnd.findChild<QPushButton*>(button);
        QVERIFY(pressed);
        bool generatingSeen = false; // checked at the run's first pause, before any value is built
        bool buttonGreyed = false;
        QTimer::singleShot(0, &wnd, [&] {
            generatingSeen = wnd.isGenerating();
            buttonGreyed = !pressed->isEnabled();
        });
        QTest::mouseClick(pressed, Qt::LeftButton);
        QCOMPARE(editor.text(), after);
        QVERIFY(generatingSeen);
        QVERIFY(buttonGreyed);
        QVERIFY(!wnd.isGenerating());
        QVERIFY(pressed->isEnabled());
        QVERIFY(!wnd.busyIndicator()->isAnimated());
        editor.undo();
        QCOMPARE(editor.text(), before);
    }

    void longRunStaysLiveAndStops()
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
        QCOMPARE(editor->lineText(0), QStringLiteral("-999999"));
        QCOMPARE(editor->lineText(1999998), QStringLiteral("999999"));

        // A stop, or the target editor closed, during the run: nothing appended, the next request builds anew.
        for (bool close : {false, true}) {
            child(wnd, "sbNumberTo")->setValue(999998 - close);
            editor->setText("keep");
            QTimer::singleShot(0, &wnd, [&] { close ? delete editor : wnd.requestStop(); });
            QVERIFY(!wnd.appendToEditor(FastMetaWnd::Number, editor));
            QVERIFY(!wnd.isGenerating());
            QVERIFY(wnd.needsRebuild(FastMetaWnd::Number));
            if (!close)
                QCOMPARE(editor->text(), QStringLiteral("keep"));
        }
        // A build reads every control afresh, one moved quietly too, and follows the preferred line break.
        child(wnd, "sbNumberTo")->blockSignals(true);
        child(wnd, "sbNumberTo")->setValue(999998);
        child(wnd, "sbNumberFrom")->setValue(999996);
        QCOMPARE(wnd.numberText(), QString("999996\n999997\n999998"));
    }

    void lineBreakChangeAloneKeepsTexts()
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
};

QTEST_MAIN(TestFastMetaWnd)
#include "tst_fastmetawnd.moc"
