// The row of columns: its limit and numbering, reordering, loading tables and files, duplicate
// snippets, and columns removed while a merge is running.

#include "TestSupport.h"

#include "columns/Meta.h"
#include "columns/MetaManager.h"
#include "editor/Editor.h"
#include "engine/Callback.h"
#include "engine/MergeEngine.h"
#include "settings/Preferences.h"
#include "tools/CellTable.h"

#include <QLineEdit>
#include <QMimeData>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

namespace {

QToolButton* button(Meta* meta, const char* name)
{
    return meta->findChild<QToolButton*>(QLatin1String(name));
}

// The row invariant: index, title, Remove and Insert/Append states.
void checkNumbering(MetaManager& manager)
{
    const int n = manager.count();
    for (int i = 0; i < n; ++i) {
        Meta* meta = manager.metaAt(i);
        QCOMPARE(meta->index(), i);
        QCOMPARE(meta->editor()->name(), QStringLiteral("Column%1").arg(i + 1));
        QCOMPARE(button(meta, "btnRemove")->isEnabled(), n > 1);
        QCOMPARE(button(meta, "btnInsert")->isEnabled(), n < 4);
        QCOMPARE(button(meta, "btnAppend")->isEnabled(), n < 4);
    }
}

CellTable tableOf(int columns)
{
    CellTable table;
    for (int r = 0; r < 2; ++r) {
        QStringList row;
        for (int c = 0; c < columns; ++c)
            row << QStringLiteral("r%1c%2").arg(r).arg(c);
        table.appendRow(row);
    }
    return table;
}

class CountingCallback : public Callback
{
public:
    bool isStopRequested() override { return false; }
    bool setProgress(int) override { return false; }
};

} // namespace

class TestMetaManager : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void limitAndNumbering();
    void buttonsInsertAndRemove();
    void removeLastButOneDisablesRemove();
    void swapKeepsSnippets();
    void checkedAndClear();
    void loadIntoColumns_data();
    void loadIntoColumns();
    void duplicateSnippets();
    void droppedFiles();
    void removeDuringMerge();
    void setMetaAndSyncScroll();
};

void TestMetaManager::initTestCase()
{
    TestSupport::useTemporaryConfigHome();
    qRegisterMetaType<QLineEdit*>();
    Preferences::instance();
}

void TestMetaManager::init()
{
    Preferences* p = Preferences::instance();
    p->setColumnsStartColumns(1);
    p->setColumnsPrefix(QStringLiteral("#"));
    p->setColumnsSuffix(QStringLiteral("#"));
    p->setMiscClearColumnsBeforeLoad(false);
}

void TestMetaManager::limitAndNumbering()
{
    Preferences::instance()->setColumnsStartColumns(9);
    MetaManager manager;
    QCOMPARE(manager.count(), 4);
    checkNumbering(manager);
    QSignalSpy changed(&manager, &MetaManager::metaChanged);
    manager.insertMeta(QStringLiteral("x"), QString(), -1);
    manager.insertEmptyMeta(0, true);
    QCOMPARE(manager.count(), 4);
    QCOMPARE(changed.count(), 0);
    QVERIFY(!manager.metaAt(4));
    QVERIFY(!manager.metaAt(-1));

    Preferences::instance()->setColumnsStartColumns(0);
    MetaManager empty;
    QCOMPARE(empty.count(), 0);
    empty.removeMeta(-1, true); // nothing to remove
    empty.insertMeta(QString(), QString(), -1);
    QCOMPARE(empty.count(), 1);
    QCOMPARE(empty.metaAt(0)->snippet(), QStringLiteral("#1#"));
    checkNumbering(empty);
}

void TestMetaManager::buttonsInsertAndRemove()
{
    MetaManager manager;
    manager.metaAt(0)->setSnippet(QStringLiteral("first"));
    QTest::mouseClick(button(manager.metaAt(0), "btnAppend"), Qt::LeftButton);
    QTest::mouseClick(button(manager.metaAt(0), "btnInsert"), Qt::LeftButton);
    QCOMPARE(manager.count(), 3);
    QCOMPARE(manager.metaAt(1)->snippet(), QStringLiteral("first"));
    QCOMPARE(manager.metaAt(0)->snippet(), QStringLiteral("#1#"));
    QCOMPARE(manager.metaAt(2)->snippet(), QStringLiteral("#2#"));
    checkNumbering(manager);
    manager.insertEmptyMeta(99, true); // clamped to the end
    QCOMPARE(manager.count(), 4);
    checkNumbering(manager);

    // Removing through a column's own button happens once control is back in the event loop.
    Meta* victim = manager.metaAt(1);
    QPointer<Meta> guard(victim);
    QTest::mouseClick(button(victim, "btnRemove"), Qt::LeftButton);
    QTRY_VERIFY(!guard);
    QCOMPARE(manager.count(), 3);
    QVERIFY(!manager.metas().contains(victim));
    checkNumbering(manager);
}

void TestMetaManager::removeLastButOneDisablesRemove()
{
    MetaManager manager;
    manager.insertMeta(QStringLiteral("b"), QString(), -1);
    checkNumbering(manager);
    QSignalSpy changed(&manager, &MetaManager::metaChanged);
    manager.removeMeta(1, true);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(manager.count(), 1);
    QVERIFY(!button(manager.metaAt(0), "btnRemove")->isEnabled());
    manager.removeMeta(-1, false);
    QCOMPARE(manager.count(), 0);
}

void TestMetaManager::swapKeepsSnippets()
{
    MetaManager manager;
    manager.metaAt(0)->setText(QStringLiteral("one"));
    manager.insertMeta(QStringLiteral("two"), QString(), -1);
    manager.insertMeta(QStringLiteral("three"), QStringLiteral("@3"), -1);
    Meta* a = manager.metaAt(0);
    Meta* c = manager.metaAt(2);
    manager.moveMeta(0, 0);
    manager.moveMeta(0, 7);
    QCOMPARE(manager.metaAt(0), a);
    manager.moveMeta(0, 2);
    QCOMPARE(manager.metaAt(0), c);
    QCOMPARE(manager.metaAt(2), a);
    QCOMPARE(manager.metaAt(1)->text(), QStringLiteral("two")); // a swap, not a shift
    QCOMPARE(c->snippet(), QStringLiteral("@3"));
    QCOMPARE(a->snippet(), QStringLiteral("#1#"));
    QCOMPARE(a->text(), QStringLiteral("one"));
    checkNumbering(manager);

    // A column drop onto another column swaps them; onto itself changes nothing.
    manager.resize(900, 400);
    manager.show();
    QVERIFY(QTest::qWaitForWindowExposed(&manager));
    auto dropMeta = [&](Meta* target) {
        QMimeData data;
        data.setData(QStringLiteral("Meta/Widget"), QByteArray());
        const QPoint at = target->mapTo(&manager, target->rect().center());
        // Qt hands a drop to the widget that accepted the drag's entry.
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&manager, &enter);
        QDragMoveEvent move(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&manager, &move);
        const QRect column(target->mapTo(&manager, QPoint(0, 0)), target->size());
        if (manager.dropHighlight() != column.adjusted(8, 10, 8, 8))
            return false;
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&manager, &drop);
        return drop.isAccepted();
    };
    manager.setCurrentMeta(a);
    QVERIFY(a->isSelected());
    QVERIFY(dropMeta(a));
    QCOMPARE(manager.metaAt(2), a);
    QVERIFY(dropMeta(manager.metaAt(1)));
    QCOMPARE(manager.metaAt(1), a);
    QCOMPARE(a->snippet(), QStringLiteral("#1#"));
    QCOMPARE(manager.dropHighlight(), QRect(0, 0, -1, -1));
    checkNumbering(manager);
}

void TestMetaManager::checkedAndClear()
{
    MetaManager manager;
    manager.metaAt(0)->setText(QStringLiteral("keep"));
    manager.insertMeta(QStringLiteral("drop"), QString(), -1);
    manager.metaAt(0)->setChecked(false);
    QCOMPARE(manager.checkedMetas(), QList<Meta*>{manager.metaAt(1)});
    // An unticked column keeps its buttons grey through renumbering.
    manager.insertMeta(QString(), QString(), -1);
    QVERIFY(!button(manager.metaAt(0), "btnRemove")->isEnabled());
    QVERIFY(!button(manager.metaAt(0), "btnInsert")->isEnabled());
    manager.clearChecked();
    QCOMPARE(manager.metaAt(0)->text(), QStringLiteral("keep"));
    QVERIFY(manager.metaAt(1)->isEmpty());
    manager.unselectAll();
    QVERIFY(manager.checkedMetas().isEmpty());
    manager.selectAll();
    QCOMPARE(manager.checkedMetas().size(), 3);
    checkNumbering(manager);
}

void TestMetaManager::loadIntoColumns_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<int>("tableColumns");
    QTest::addColumn<QStringList>("after");
    const QString c0 = QStringLiteral("r0c0\nr1c0");
    const QString c1 = QStringLiteral("r0c1\nr1c1");
    const QString c2 = QStringLiteral("r0c2\nr1c2");
    const QString c3 = QStringLiteral("r0c3\nr1c3");
    QTest::newRow("one empty, three wide") << QStringList{QString()} << 3 << QStringList{c0, c1, c2};
    QTest::newRow("one full, three wide") << QStringList{QStringLiteral("t")} << 3
                                          << QStringList{QStringLiteral("t"), c0, c1, c2};
    const QStringList full{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d")};
    QTest::newRow("four full") << full << 2 << full;
    QTest::newRow("one empty, five wide") << QStringList{QString()} << 5 << QStringList{c0, c1, c2, c3};
    QTest::newRow("gaps filled in order") << QStringList{QString(), QStringLiteral("x"), QString()} << 2
                                          << QStringList{c0, QStringLiteral("x"), c1};
}

void TestMetaManager::loadIntoColumns()
{
    QFETCH(QStringList, before);
    QFETCH(int, tableColumns);
    QFETCH(QStringList, after);
    Preferences::instance()->setColumnsStartColumns(0);
    MetaManager manager;
    for (const QString& text : before)
        manager.insertMeta(text, QString(), -1);
    manager.loadIntoColumns(tableOf(tableColumns));
    QCOMPARE(manager.count(), after.size());
    for (int i = 0; i < after.size(); ++i)
        QCOMPARE(manager.metaAt(i)->text(), after.at(i));
    checkNumbering(manager);
}

void TestMetaManager::duplicateSnippets()
{
    Preferences::instance()->setColumnsStartColumns(3);
    MetaManager manager;
    auto colour = [&](int i) { return manager.metaAt(i)->snippetEdit()->palette().color(QPalette::Text); };
    QLineEdit* second = manager.metaAt(1)->snippetEdit();
    second->selectAll();
    QTest::keyClicks(second, QStringLiteral("#1#"));
    QCOMPARE(colour(0), QColor(Qt::red));
    QCOMPARE(colour(1), QColor(Qt::red));
    QCOMPARE(colour(2), QColor(Qt::black));
    QTest::keyClicks(second, QStringLiteral("x"));
    QCOMPARE(colour(0), QColor(Qt::black));
    QCOMPARE(colour(1), QColor(Qt::black));
    // Set by the program: not checked.
    manager.metaAt(2)->setSnippet(QStringLiteral("#1#"));
    QCOMPARE(colour(2), QColor(Qt::black));
}

void TestMetaManager::droppedFiles()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("values.txt"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("v1\nv2");
    file.close();

    MetaManager manager;
    auto drop = [&]() {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(path), QUrl::fromLocalFile(path)});
        QDragEnterEvent enter(QPoint(1, 1), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&manager, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent event(QPoint(1, 1), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&manager, &event);
    };
    drop();
    QCOMPARE(manager.count(), 3);
    QCOMPARE(manager.metaAt(1)->text(), QStringLiteral("v1\nv2"));
    QCOMPARE(manager.metaAt(2)->snippet(), QStringLiteral("#3#"));
    drop();
    QCOMPARE(manager.count(), 4);
    drop();
    QCOMPARE(manager.count(), 4);
    checkNumbering(manager);

    QMimeData other;
    other.setText(QStringLiteral("plain"));
    QDragEnterEvent enter(QPoint(1, 1), Qt::CopyAction, &other, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&manager, &enter);
    QVERIFY(!enter.isAccepted());
}

void TestMetaManager::removeDuringMerge()
{
    MetaManager manager;
    manager.metaAt(0)->setText(QStringLiteral("a\nb\nc"));
    manager.insertMeta(QStringLiteral("1\n2\n3\n4"), QString(), -1);
    MergeEngine engine;
    engine.setMultiLine(false);
    engine.setEventInterval(0);
    engine.setup({manager.metaAt(0), manager.metaAt(1)}, QStringLiteral("#1#-#2#;"));
    // Runs inside the merge, where it lets pending events run.
    QPointer<Meta> second(manager.metaAt(1));
    QTest::mouseClick(button(second, "btnRemove"), Qt::LeftButton);
    QVERIFY(second); // still there: it goes only once events run
    CountingCallback callback;
    const QString result = engine.merge(&callback);
    QVERIFY(!second);
    QCOMPARE(manager.count(), 1);
    QVERIFY(!result.contains(QStringLiteral("#2#")));
    QVERIFY(result.startsWith(QStringLiteral("a-")));
    // The row is still whole afterwards.
    checkNumbering(manager);
    QCOMPARE(manager.metaAt(0)->lineCount(), 3);
}

void TestMetaManager::setMetaAndSyncScroll()
{
    MetaManager manager;
    manager.setMeta(0, QStringLiteral("x"), QStringLiteral("s0"));
    manager.setMeta(5, QStringLiteral("y"), QStringLiteral("s1"));
    QCOMPARE(manager.count(), 2);
    QCOMPARE(manager.metaAt(0)->snippet(), QStringLiteral("s0"));
    QCOMPARE(manager.metaAt(1)->text(), QStringLiteral("y"));

    QStringList many;
    for (int i = 0; i < 300; ++i)
        many << QString::number(i);
    manager.metaAt(0)->setText(many.join(QLatin1Char('\n')));
    manager.metaAt(1)->setText(many.join(QLatin1Char('\n')));
    manager.resize(600, 300);
    manager.show();
    QVERIFY(QTest::qWaitForWindowExposed(&manager));
    Preferences::instance()->setColumnsSynchronousScroll(true);
    manager.metaAt(0)->editor()->setFirstVisibleLine(100);
    manager.onEditorScroll(manager.metaAt(0)->editor());
    QTRY_COMPARE(manager.metaAt(1)->firstVisibleLine(), manager.metaAt(0)->firstVisibleLine());
    QVERIFY(manager.metaAt(1)->firstVisibleLine() > 0);

    manager.syncCaret(manager.metaAt(0), 20, 25, 0);
    QCOMPARE(manager.metaAt(1)->firstVisibleLine(), 20);
}

QTEST_MAIN(TestMetaManager)
#include "tst_metamanager.moc"
