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
    void historyCommit();
    void spinner();
    void colorChosenByDrop();
    void fontDefaultEntry();
};

void TestWidgets::historyCommit()
{
    const QStringList abc{"a", "b", "c"};
    const QStringList twenty = QStringLiteral("0 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19").split(' ');
    // maxCount 0 keeps the box's default; emitted is what the owner stores: the history as committed,
    // before the oldest entry falls off.
    const struct {
        const char *name; int maxCount;
        QStringList before; QString text; QStringList after, emitted;
    } rows[] = {
        {"new text on top", 0, abc, "d", {"d", "a", "b", "c"}, {"d", "a", "b", "c"}},
        {"known text keeps its place", 0, abc, "b", abc, abc},
        {"case-sensitive", 0, abc, "B", {"B", "a", "b", "c"}, {"B", "a", "b", "c"}},
        {"empty text", 0, abc, QString(), {QString(), "a", "b", "c"}, {QString(), "a", "b", "c"}},
        {"first entry", 0, {}, "x", {"x"}, {"x"}},
        {"cut to max", 3, {"3", "2", "1"}, "4", {"4", "3", "2"}, {"4", "3", "2", "1"}},
        {"default max is 20", 0, twenty, "x", QStringList{"x"} + twenty.mid(0, 19), QStringList{"x"} + twenty},
    };
    for (const auto &row : rows) {
        QComboBoxEx box;
        if (row.maxCount)
            box.setMaxCount(row.maxCount);
        box.setItems(row.before, row.text);
        QSignalSpy history(&box, &QComboBoxEx::itemsChanged);
        QSignalSpy indexChanges(&box, qOverload<int>(&QComboBox::currentIndexChanged));
        box.addCurrentText();
        QVERIFY2(box.items() == row.after && box.currentText() == row.text, row.name);
        QVERIFY2(history.count() == 1 && history.at(0) == QVariantList({row.emitted, row.text}), row.name);
        QVERIFY2(indexChanges.isEmpty(), row.name); // rebuilding the list is internal
    }
}

void TestWidgets::spinner()
{
    QWidget window;
    window.resize(400, 300);
    auto *inner = new QWidget(&window);
    inner->setGeometry(200, 150, 148, 100);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    // Stopped before its delay: never shows.
    QProgressIndicator quick(inner);
    quick.start(20);
    quick.stop();
    for (int i = 0; i < 30; ++i, QTest::qWait(5))
        QVERIFY(!quick.isVisible() && !quick.isAnimated());
    // Left past its delay: shows centred over its parent and turns.
    QProgressIndicator *spinner = QProgressIndicator::create(inner, 20);
    QVERIFY(!spinner->isVisible());
    QTRY_VERIFY(spinner->isVisible() && spinner->isAnimated());
    QTRY_COMPARE(spinner->geometry().center(), inner->mapToGlobal(inner->rect().center()));
    const int angle = spinner->angle();
    QTRY_VERIFY(spinner->angle() != angle);
    // A start right after a pending stop belongs to a new operation, which keeps its spinner.
    spinner->stop();
    spinner->start(0);
    QTest::qWait(150);
    QVERIFY(spinner->isVisible() && spinner->isAnimated());
    spinner->stop(); // goes at the next tick
    QTRY_VERIFY(!spinner->isVisible() && !spinner->isAnimated());
}

void TestWidgets::colorChosenByDrop()
{
    QtColorButton button;
    button.resize(40, 30);
    const auto shows = [&button](const QColor &c) {
        return button.color() == c && button.grab().toImage().pixelColor(20, 15) == c;
    };
    // Whether the button took the drag in.
    const auto drag = [&button](QMimeData *data, bool drop) {
        QDragEnterEvent enter(QPoint(20, 15), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&button, &enter);
        QDropEvent dropped(QPoint(20, 15), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QDragLeaveEvent leave;
        QApplication::sendEvent(&button, drop ? static_cast<QEvent *>(&dropped) : &leave);
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

void TestWidgets::fontDefaultEntry()
{
    QtFontButton button;
    const auto shows = [&button](const QFont &f) {
        return button.font() == f && button.text() == f.family() && button.QWidget::font().pointSize() == f.pointSize();
    };
    QVERIFY(shows(QFont()));
    QSignalSpy changes(&button, &QtFontButton::fontChanged);
    const QFont chosen(QStringLiteral("Monospace"), 17);
    button.setFont(chosen);
    QVERIFY(shows(chosen));
    QCOMPARE(changes.count(), 0);
    QAction *defaultEntry = button.menu()->actions().value(0);
    QVERIFY(defaultEntry && defaultEntry->text() == QStringLiteral("Default font"));
    defaultEntry->trigger();
    QVERIFY(shows(QFont()));
    QCOMPARE(changes.count(), 1);
    QCOMPARE(changes.at(0).at(0).value<QFont>(), QFont());
}

QTEST_MAIN(TestWidgets)
#include "tst_widgets.moc"
