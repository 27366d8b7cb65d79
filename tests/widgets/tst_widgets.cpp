#include "TestSupport.h"
#include "widgets/QComboBoxEx.h"
#include "widgets/QProgressIndicator.h"
#include "widgets/QtColorButton.h"
#include "widgets/QtFontButton.h"
#include <QDragEnterEvent>
#include <QMenu>
#include <QMimeData>
#include <QSignalSpy>
#include <QtTest>

class TestWidgets : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { TestSupport::useTemporaryConfigHome(); }

    void historyCommit_data()
    {
        QTest::addColumn<int>("maxCount");
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<QStringList>("emitted");
        const QStringList abc{"a", "b", "c"};
        // maxCount 0 keeps the box's default; emitted is what the owner stores: the history as committed,
        // before the oldest entry falls off.
        QTest::addRow("known text keeps its place") << 0 << abc << "b" << abc << abc;
        QTest::addRow("case-sensitive") << 0 << abc << "B" << QStringList{"B", "a", "b", "c"}
                                        << QStringList{"B", "a", "b", "c"};
        QTest::addRow("empty text") << 0 << abc << QString() << QStringList{QString(), "a", "b", "c"}
                                    << QStringList{QString(), "a", "b", "c"};
        QTest::addRow("cut to max") << 3 << QStringList{"3", "2", "1"} << "4" << QStringList{"4", "3", "2"}
                                    << QStringList{"4", "3", "2", "1"};
    }

    void historyCommit()
    {
        QFETCH(int, maxCount);
        QFETCH(QStringList, before);
        QFETCH(QString, text);
        QFETCH(QStringList, after);
        QFETCH(QStringList, emitted);
        QComboBoxEx box;
        if (maxCount)
            box.setMaxCount(maxCount);
        box.setItems(before, text);
        QSignalSpy history(&box, &QComboBoxEx::itemsChanged);
        QSignalSpy indexChanges(&box, qOverload<int>(&QComboBox::currentIndexChanged));
        box.addCurrentText();
        QCOMPARE(box.items(), after);
        QCOMPARE(box.currentText(), text);
        QCOMPARE(history.count(), 1);
        QCOMPARE(history.at(0).at(0).toStringList(), emitted);
        QCOMPARE(history.at(0).at(1).toString(), text);
        QCOMPARE(indexChanges.count(), 0); // rebuilding the list is internal
    }

    void spinner()
    {
        QWidget window;
        window.resize(400, 300);
        auto* inner = new QWidget(&window);
        inner->setGeometry(200, 150, 148, 100);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        // Stopped before its delay: never shows.
        QProgressIndicator quick(inner);
        quick.start(20);
        quick.stop();
        for (int i = 0; i < 30; ++i, QTest::qWait(5)) {
            QCOMPARE(quick.isVisible(), false);
            QCOMPARE(quick.isAnimated(), false);
        }
        // Left past its delay: shows centred over its parent and turns.
        QProgressIndicator* spinner = QProgressIndicator::create(inner, 20);
        QVERIFY(!spinner->isVisible());
        QTRY_COMPARE(spinner->isVisible(), true);
        QTRY_COMPARE(spinner->isAnimated(), true);
        QTRY_COMPARE(spinner->geometry().center(), inner->mapToGlobal(inner->rect().center()));
        const int angle = spinner->angle();
        QTRY_VERIFY(spinner->angle() != angle);
        // A start right after a pending stop belongs to a new operation, which keeps its spinner.
        spinner->stop();
        spinner->start(0);
        QTest::qWait(150);
        QCOMPARE(spinner->isVisible(), true);
        QCOMPARE(spinner->isAnimated(), true);
        spinner->stop(); // goes at the next tick
        QTRY_COMPARE(spinner->isVisible(), false);
        QTRY_COMPARE(spinner->isAnimated(), false);
    }

    void colorChosenByDrop()
    {
        QtColorButton button;
        button.resize(40, 30);
        const auto shows = [&button](const QColor& c) {
            return button.color() == c && button.grab().toImage().pixelColor(20, 15) == c;
        };
        // Whether the button took the drag in.
        const auto drag = [&button](QMimeData* data, bool drop) {
            QDragEnterEvent enter(QPoint(20, 15), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(&button, &enter);
            QDropEvent dropped(QPoint(20, 15), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
            QDragLeaveEvent leave;
            QApplication::sendEvent(&button, drop ? static_cast<QEvent*>(&dropped) : &leave);
            return enter.isAccepted();
        };
        QSignalSpy changes(&button, &QtColorButton::colorChanged);
        button.setColor(Qt::red); // from code: not a user's choice
        QVERIFY(shows(Qt::red));
        QMimeData blue, text;
        blue.setColorData(QColor(Qt::blue));
        text.setText(QStringLiteral("#00ff00"));
        QVERIFY(drag(&blue, false)); // hovering alone chooses nothing
        QVERIFY(shows(Qt::red));
        QCOMPARE(changes.count(), 0);
        for (int i = 0; i < 2; ++i) // the same colour again is no new choice
            drag(&blue, true);
        QVERIFY(shows(Qt::blue));
        QCOMPARE(changes.count(), 1);
        QCOMPARE(changes.at(0).at(0).value<QColor>(), QColor(Qt::blue));
        QVERIFY(!drag(&text, true));
        QVERIFY(shows(Qt::blue));
    }

    void fontDefaultEntry()
    {
        QtFontButton button;
        const auto shows = [&button](const QFont& f) {
            return button.font() == f && button.text() == f.family() &&
                   button.QWidget::font().pointSize() == f.pointSize();
        };
        QVERIFY(shows(QFont()));
        QSignalSpy changes(&button, &QtFontButton::fontChanged);
        const QFont chosen(QStringLiteral("Monospace"), 17);
        button.setFont(chosen);
        QVERIFY(shows(chosen));
        QCOMPARE(changes.count(), 0);
        QAction* defaultEntry = button.menu()->actions().value(0);
        QVERIFY(defaultEntry);
        QCOMPARE(defaultEntry->text(), QStringLiteral("Default font"));
        defaultEntry->trigger();
        QVERIFY(shows(QFont()));
        QCOMPARE(changes.count(), 1);
        QCOMPARE(changes.at(0).at(0).value<QFont>(), QFont());
    }
};

QTEST_MAIN(TestWidgets)
#include "tst_widgets.moc"
