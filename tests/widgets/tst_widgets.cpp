#include "TestSupport.h"

#include "widgets/QComboBoxEx.h"
#include "widgets/QProgressIndicator.h"
#include "widgets/QtColorButton.h"
#include "widgets/QtFontButton.h"

#include <QDragEnterEvent>
#include <QElapsedTimer>
#include <QImage>
#include <QMenu>
#include <QMimeData>
#include <QSignalSpy>
#include <QtTest>

class TestWidgets : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void historyCommit_data();
    void historyCommit();
    void historyCommitIsCutToMaxCount();
    void historySetItems();

    void spinnerStoppedBeforeDelayNeverShows();
    void spinnerShowsAnimatesAndStopsAtNextTick();
    void spinnerHidesWithHiddenParent();
    void spinnerRestartAfterPendingStop();
    void spinnerCentresOverNestedParent();
    void spinnerPaintsSpokes();

    void colorSetColorOnlyOnChange();
    void colorDrop();
    void colorSwatchPainting();

    void fontDefaultEntry();
};

void TestWidgets::initTestCase()
{
    TestSupport::useTemporaryConfigHome();
}

// ---- history combo box ----

void TestWidgets::historyCommit_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("after");

    const QStringList abc{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")};
    QTest::newRow("new text on top") << abc << QStringLiteral("d")
                                     << QStringList{QStringLiteral("d"), QStringLiteral("a"), QStringLiteral("b"),
                                                    QStringLiteral("c")};
    QTest::newRow("known text keeps its place") << abc << QStringLiteral("b") << abc;
    QTest::newRow("comparison is case-sensitive")
        << abc << QStringLiteral("B")
        << QStringList{QStringLiteral("B"), QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")};
    QTest::newRow("empty text is a text")
        << abc << QString() << QStringList{QString(), QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")};
    QTest::newRow("first entry") << QStringList() << QStringLiteral("x") << QStringList{QStringLiteral("x")};
}

void TestWidgets::historyCommit()
{
    QFETCH(QStringList, before);
    QFETCH(QString, text);
    QFETCH(QStringList, after);

    QComboBoxEx box;
    box.setItems(before, QString());
    box.setCurrentText(text);

    QSignalSpy history(&box, &QComboBoxEx::itemsChanged);
    QSignalSpy indexChanges(&box, qOverload<int>(&QComboBox::currentIndexChanged));
    box.addCurrentText();

    QCOMPARE(box.items(), after);
    QCOMPARE(box.currentText(), text);
    QCOMPARE(history.count(), 1);
    QCOMPARE(history.at(0).at(0).toStringList(), after);
    QCOMPARE(history.at(0).at(1).toString(), text);
    // Rebuilding the list is an internal affair.
    QCOMPARE(indexChanges.count(), 0);
}

void TestWidgets::historyCommitIsCutToMaxCount()
{
    QComboBoxEx box;
    box.setMaxCount(3);
    QSignalSpy history(&box, &QComboBoxEx::itemsChanged);
    for (const char *text : {"one", "two", "three", "four"}) {
        box.setCurrentText(QString::fromLatin1(text));
        box.addCurrentText();
    }

    QCOMPARE(box.items(), (QStringList{QStringLiteral("four"), QStringLiteral("three"), QStringLiteral("two")}));
    QCOMPARE(box.currentText(), QStringLiteral("four"));
    // The owner stores the history as committed, before the combo box drops the oldest entry.
    QCOMPARE(history.last().at(0).toStringList(),
             (QStringList{QStringLiteral("four"), QStringLiteral("three"), QStringLiteral("two"),
                          QStringLiteral("one")}));
}

void TestWidgets::historySetItems()
{
    QComboBoxEx box;
    QVERIFY(box.isEditable());
    QCOMPARE(box.maxCount(), 20);

    const QStringList stored{QStringLiteral("[,;]"), QStringLiteral("\\t")};
    box.setItems(stored, QStringLiteral("typed before"));
    QCOMPARE(box.items(), stored);
    QCOMPARE(box.currentText(), QStringLiteral("typed before"));

    QStringList many;
    for (int i = 0; i < 25; ++i)
        many << QString::number(i);
    QComboBoxEx full;
    full.setItems(many, QStringLiteral("3"));
    QCOMPARE(full.items(), many.mid(0, 20));
}

// ---- busy spinner ----

void TestWidgets::spinnerStoppedBeforeDelayNeverShows()
{
    QWidget parent;
    parent.resize(200, 100);
    parent.show();
    QVERIFY(QTest::qWaitForWindowExposed(&parent));

    QProgressIndicator spinner(&parent);
    spinner.start(50);
    QCOMPARE(spinner.startDelay(), 50);
    spinner.stop();
    QElapsedTimer watch;
    watch.start();
    while (watch.elapsed() < 300) {
        QTest::qWait(5);
        QVERIFY(!spinner.isVisible());
        QVERIFY(!spinner.isAnimated());
    }
}

void TestWidgets::spinnerShowsAnimatesAndStopsAtNextTick()
{
    QWidget parent;
    parent.resize(200, 100);
    parent.show();
    QVERIFY(QTest::qWaitForWindowExposed(&parent));

    QProgressIndicator *spinner = QProgressIndicator::create(&parent, 20);
    QVERIFY(spinner->isWindow());
    QCOMPARE(spinner->size(), QSize(48, 48));
    QVERIFY(!spinner->isVisible());

    QTRY_VERIFY(spinner->isVisible());
    QVERIFY(spinner->isAnimated());
    const int angle = spinner->angle();
    QTRY_VERIFY(spinner->angle() != angle);
    QCOMPARE(spinner->angle() % 30, 0);

    spinner->stop();
    QVERIFY(spinner->isAnimated());
    QTRY_VERIFY(!spinner->isVisible());
    QVERIFY(!spinner->isAnimated());

    // stopNow needs no tick.
    spinner->start(0);
    QTRY_VERIFY(spinner->isVisible());
    spinner->stopNow();
    QVERIFY(!spinner->isVisible());
    QVERIFY(!spinner->isAnimated());
}

void TestWidgets::spinnerHidesWithHiddenParent()
{
    QWidget parent;
    parent.resize(200, 100);
    parent.show();
    QVERIFY(QTest::qWaitForWindowExposed(&parent));

    QProgressIndicator spinner(&parent);
    spinner.start(0);
    QTRY_VERIFY(spinner.isVisible());

    parent.hide();
    QTRY_VERIFY(!spinner.isVisible());
    QVERIFY(spinner.isAnimated());

    parent.show();
    QTRY_VERIFY(spinner.isVisible());
    spinner.stopNow();
}

void TestWidgets::spinnerRestartAfterPendingStop()
{
    QWidget parent;
    parent.resize(200, 100);
    parent.show();
    QVERIFY(QTest::qWaitForWindowExposed(&parent));

    QProgressIndicator spinner(&parent);
    spinner.start(0);
    QTRY_VERIFY(spinner.isVisible());

    // One operation ends and the next begins before the spinner's next tick: the next operation
    // keeps a spinner of its own.
    spinner.stop();
    spinner.start(0);
    QTRY_VERIFY(spinner.isAnimated());
    QTRY_VERIFY(spinner.isVisible());
    QTest::qWait(200);
    QVERIFY(spinner.isVisible());
    QVERIFY(spinner.isAnimated());

    // Starting twice during the delay leaves one animation that a single stop ends.
    spinner.stopNow();
    spinner.start(30);
    spinner.start(30);
    QTRY_VERIFY(spinner.isVisible());
    spinner.stop();
    QTRY_VERIFY(!spinner.isVisible());
    QTest::qWait(150);
    QVERIFY(!spinner.isVisible());
    QVERIFY(!spinner.isAnimated());
}

void TestWidgets::spinnerCentresOverNestedParent()
{
    QWidget window;
    window.resize(400, 300);
    window.move(100, 80);
    auto *inner = new QWidget(&window);
    inner->setGeometry(200, 150, 148, 100);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QProgressIndicator spinner(inner);
    spinner.start(0);
    QTRY_VERIFY(spinner.isVisible());
    const QPoint innerCentre = inner->mapToGlobal(inner->rect().center());
    QTRY_COMPARE(spinner.geometry().center(), innerCentre);
    spinner.stopNow();
}

void TestWidgets::spinnerPaintsSpokes()
{
    QProgressIndicator spinner;
    auto render = [&spinner]() {
        QImage image(spinner.size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        spinner.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        return image;
    };

    // Stopped spinners stay invisible.
    const QImage stopped = render();
    QCOMPARE(stopped.pixelColor(23, 8).alpha(), 0);

    spinner.setDisplayedWhenStopped(true);
    const QImage image = render();
    // At angle 0 the leading, opaque black spoke points up, the half-faded seventh points down,
    // and the hub, the gaps between spokes and the corners stay clear.
    const QColor leading = image.pixelColor(23, 8);
    QVERIFY2(leading.alpha() > 240 && leading.red() < 20, qPrintable(leading.name(QColor::HexArgb)));
    const int trailingAlpha = image.pixelColor(23, 38).alpha();
    QVERIFY2(trailingAlpha > 100 && trailingAlpha < 160, qPrintable(QString::number(trailingAlpha)));
    QCOMPARE(image.pixelColor(23, 23).alpha(), 0);
    QCOMPARE(image.pixelColor(2, 2).alpha(), 0);
    QVERIFY(image.pixelColor(27, 7).alpha() < 40);
}

// ---- colour button ----

namespace {

class PaintCounter : public QObject
{
public:
    int paints = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

void dragAndDrop(QWidget *target, const QColor &color, bool drop)
{
    QMimeData data;
    data.setColorData(color);
    const QPoint at = target->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    if (drop) {
        QDropEvent dropped(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &dropped);
    } else {
        QDragLeaveEvent leave;
        QApplication::sendEvent(target, &leave);
    }
}

} // namespace

void TestWidgets::colorSetColorOnlyOnChange()
{
    QtColorButton button;
    QVERIFY(!button.color().isValid());
    QVERIFY(button.isBackgroundCheckered());
    QVERIFY(button.acceptDrops());
    button.resize(40, 30);
    button.show();
    QVERIFY(QTest::qWaitForWindowExposed(&button));

    PaintCounter counter;
    button.installEventFilter(&counter);
    QSignalSpy changes(&button, &QtColorButton::colorChanged);

    button.setColor(Qt::red);
    QCOMPARE(button.color(), QColor(Qt::red));
    QTRY_VERIFY(counter.paints > 0);

    counter.paints = 0;
    button.setColor(Qt::red);
    QTest::qWait(100);
    QCOMPARE(counter.paints, 0);
    // Setting the colour from code is not a user's choice.
    QCOMPARE(changes.count(), 0);
}

void TestWidgets::colorDrop()
{
    QtColorButton button;
    button.setColor(Qt::red);
    QSignalSpy changes(&button, &QtColorButton::colorChanged);

    // Hovering alone changes nothing.
    dragAndDrop(&button, Qt::blue, false);
    QCOMPARE(button.color(), QColor(Qt::red));
    QCOMPARE(changes.count(), 0);

    dragAndDrop(&button, Qt::blue, true);
    QCOMPARE(button.color(), QColor(Qt::blue));
    QCOMPARE(changes.count(), 1);
    QCOMPARE(changes.at(0).at(0).value<QColor>(), QColor(Qt::blue));

    dragAndDrop(&button, Qt::blue, true);
    QCOMPARE(changes.count(), 1);

    // Data without a colour is refused at the door.
    QMimeData text;
    text.setText(QStringLiteral("#00ff00"));
    QDragEnterEvent enter(button.rect().center(), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&button, &enter);
    QVERIFY(!enter.isAccepted());
}

void TestWidgets::colorSwatchPainting()
{
    QtColorButton button;
    button.resize(40, 30);
    button.setColor(QColor(255, 0, 0));

    QImage image = button.grab().toImage();
    QCOMPARE(image.pixelColor(20, 15), QColor(255, 0, 0));

    // While a colour hovers, the swatch shows it; leaving restores the button's own.
    QMimeData data;
    data.setColorData(QColor(0, 0, 255));
    QDragEnterEvent enter(QPoint(20, 15), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&button, &enter);
    QCOMPARE(button.grab().toImage().pixelColor(20, 15), QColor(0, 0, 255));
    QDragLeaveEvent leave;
    QApplication::sendEvent(&button, &leave);
    QCOMPARE(button.grab().toImage().pixelColor(20, 15), QColor(255, 0, 0));

    // A clear colour shows the checkers, laid out from the swatch's corner.
    button.setColor(QColor(0, 0, 0, 0));
    image = button.grab().toImage();
    QCOMPARE(image.pixelColor(6, 6), QColor(Qt::white));
    QCOMPARE(image.pixelColor(16, 6), QColor(Qt::black));
    QCOMPARE(image.pixelColor(6, 16), QColor(Qt::black));
    QCOMPARE(image.pixelColor(16, 16), QColor(Qt::white));

    button.setBackgroundCheckered(false);
    QVERIFY(button.grab().toImage().pixelColor(16, 6) != QColor(Qt::black));

    // A disabled button shows no swatch.
    button.setColor(QColor(255, 0, 0));
    button.setEnabled(false);
    QVERIFY(button.grab().toImage().pixelColor(20, 15) != QColor(255, 0, 0));
}

// ---- font button ----

void TestWidgets::fontDefaultEntry()
{
    QtFontButton button;
    QCOMPARE(button.font(), QFont());
    QCOMPARE(button.text(), QFont().family());
    QCOMPARE(button.popupMode(), QToolButton::MenuButtonPopup);

    QFont chosen(QStringLiteral("Monospace"), 17);
    chosen.setItalic(true);
    QSignalSpy changes(&button, &QtFontButton::fontChanged);
    button.setFont(chosen);
    QCOMPARE(button.font(), chosen);
    QCOMPARE(button.text(), chosen.family());
    QCOMPARE(button.QWidget::font().pointSize(), 17);
    QCOMPARE(changes.count(), 0);

    QVERIFY(button.menu());
    QAction *defaultEntry = nullptr;
    for (QAction *action : button.menu()->actions())
        if (action->text() == QStringLiteral("Default font"))
            defaultEntry = action;
    QVERIFY(defaultEntry);
    defaultEntry->trigger();

    QCOMPARE(button.font(), QFont());
    QCOMPARE(button.text(), QFont().family());
    QCOMPARE(button.QWidget::font().pointSize(), QFont().pointSize());
    QCOMPARE(changes.count(), 1);
    QCOMPARE(changes.at(0).at(0).value<QFont>(), QFont());
}

QTEST_MAIN(TestWidgets)
#include "tst_widgets.moc"
