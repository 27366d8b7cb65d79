// The row of columns: limit and numbering, reordering, drops, loading tables, duplicate snippets.
#include "TestSupport.h"
#include "columns/Meta.h"
#include "columns/MetaManager.h"
#include "editor/Editor.h"
#include "engine/MergeEngine.h"
#include "mainwindow/ModalAnswerer.h"
#include "settings/Preferences.h"
#include "tools/CellTable.h"
#include <QLineEdit>
#include <QMimeData>
#include <QTemporaryFile>
#include <QToolButton>
#include <QtTest>
#include <functional>

namespace {
QToolButton* button(Meta* meta, const char* name)
{
    return meta->findChild<QToolButton*>(QLatin1String(name));
}
void click(Meta* meta, const char* name)
{
    QTest::mouseClick(button(meta, name), Qt::LeftButton);
    QCoreApplication::processEvents(); // a removal waits for the event loop
}
template <typename F> QStringList collect(const MetaManager& manager, F f)
{
    QStringList result;
    for (Meta* meta : manager.metas())
        result << std::invoke(f, meta);
    return result;
}
// Columns numbered 1..n in order, Remove only with company, Insert/Append below the limit.
void checkNumbering(const MetaManager& manager)
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
// Whether the row takes the drag in and then the drop.
bool dropOn(MetaManager& manager, QMimeData* data, const QPoint& at)
{
    QDragEnterEvent enter(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QDropEvent drop(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&manager, &enter);
    if (enter.isAccepted())
        QApplication::sendEvent(&manager, &drop);
    return enter.isAccepted() && drop.isAccepted();
}
} // namespace

class TestMetaManager : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        TestSupport::useTemporaryConfigHome();
        qRegisterMetaType<QLineEdit*>();
    }
    void init() { Preferences::instance()->setColumnsStartColumns(1); }

    void limitRemovalAndNumbering()
    {
        Preferences::instance()->setColumnsStartColumns(9);
        MetaManager manager;
        QCOMPARE(manager.count(), 4);
        checkNumbering(manager);
        QSignalSpy changed(&manager, &MetaManager::metaChanged);
        manager.insertMeta(QStringLiteral("x"), QString(), -1);
        manager.insertEmptyMeta(0, MetaManager::Renumber);
        QCOMPARE(manager.count(), 4);
        QCOMPARE(changed.count(), 0);
        // The others close up and are renumbered; each keeps its snippet until the prefix changes.
        click(manager.metaAt(1), "btnRemove");
        QCOMPARE(collect(manager, &Meta::snippet), (QStringList{"#1#", "#3#", "#4#"}));
        checkNumbering(manager);
        manager.removeMeta(-1, MetaManager::Renumber);
        manager.removeMeta(0, MetaManager::Renumber);
        QCOMPARE(changed.count(), 3);
        QCOMPARE(collect(manager, &Meta::snippet), QStringList{"#3#"});
        checkNumbering(manager);
        click(manager.metaAt(0), "btnRemove"); // the last column stays
        QCOMPARE(manager.count(), 1);
        // Append and Insert put an empty column after and before, and removal is possible again.
        manager.metaAt(0)->setText(QStringLiteral("kept"));
        click(manager.metaAt(0), "btnAppend");
        click(manager.metaAt(0), "btnInsert");
        QCOMPARE(collect(manager, &Meta::text), (QStringList{"", "kept", ""}));
        checkNumbering(manager);
        Preferences::instance()->setColumnsPrefix(QStringLiteral("<"));
        QCOMPARE(collect(manager, &Meta::snippet), (QStringList{"<1#", "<2#", "<3#"}));
        Preferences::instance()->setColumnsPrefix(QStringLiteral("#"));
    }
    void reorderAndDrops()
    {
        QTemporaryFile file;
        QVERIFY(file.open());
        QCOMPARE(file.write("v1\nv2"), qint64(5));
        QVERIFY(file.flush());
        MetaManager manager;
        // Each dropped file becomes a new column, up to the limit; plain text is refused.
        QMimeData files, text, column;
        // A file that cannot be read makes no column and says why.
        files.setUrls({QUrl::fromLocalFile(file.fileName()), QUrl::fromLocalFile(file.fileName() + ".missing"),
                       QUrl::fromLocalFile(file.fileName())});
        ModalAnswerer answerer{QString()};
        text.setText(QStringLiteral("plain"));
        column.setData(QStringLiteral("Meta/Widget"), QByteArray());
        QVERIFY(dropOn(manager, &files, QPoint(1, 1)));
        QVERIFY(dropOn(manager, &files, QPoint(1, 1)));
        QCOMPARE(collect(manager, &Meta::text), (QStringList{"", "v1\nv2", "v1\nv2", "v1\nv2"}));
        QCOMPARE(answerer.boxTitles(), QStringList{"Error"}); // the second drop stops at the limit first
        QVERIFY(!dropOn(manager, &text, QPoint(1, 1)));
        checkNumbering(manager);
        // Dropping the current column on another swaps the two, each with its snippet; on itself nothing moves.
        manager.show();
        QVERIFY(QTest::qWaitForWindowExposed(&manager));
        const QList<Meta*> metas = manager.metas();
        manager.setCurrentMeta(metas[0]);
        QVERIFY(dropOn(manager, &column, metas[0]->mapTo(&manager, QPoint(5, 5))));
        QCOMPARE(manager.metas(), metas);
        QVERIFY(dropOn(manager, &column, metas[2]->mapTo(&manager, QPoint(5, 5))));
        QCOMPARE(manager.metas(), (QList<Meta*>{metas[2], metas[1], metas[0], metas[3]}));
        QCOMPARE(collect(manager, &Meta::snippet), (QStringList{"#3#", "#2#", "#1#", "#4#"}));
        checkNumbering(manager);
    }
    void loadIntoColumns_data()
    {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QString>("table"); // cells split at commas
        QTest::addColumn<QStringList>("after");
        QTest::newRow("one empty, three wide") << QStringList{""} << "1,2,3" << QStringList{"1", "2", "3"};
        QTest::newRow("one full, three wide") << QStringList{"t"} << "1,2,3" << QStringList{"t", "1", "2", "3"};
        QTest::newRow("fewer table columns") << QStringList{"", ""} << "1" << QStringList{"1", ""};
        QTest::newRow("four full") << QStringList{"a", "b", "c", "d"} << "1,2" << QStringList{"a", "b", "c", "d"};
        QTest::newRow("five wide: cut at four") << QStringList{""} << "1,2,3,4,5" << QStringList{"1", "2", "3", "4"};
        QTest::newRow("gaps in order") << QStringList{"", "x", ""} << "p,q\nr,s" << QStringList{"p\nr", "x", "q\ns"};
        QTest::newRow("empty table") << QStringList{"", "x"} << "" << QStringList{"", "x"};
    }
    void loadIntoColumns()
    {
        QFETCH(QStringList, before);
        QFETCH(QString, table);
        QFETCH(QStringList, after);
        Preferences::instance()->setColumnsStartColumns(0);
        MetaManager manager;
        for (const QString& text : before)
            manager.insertMeta(text, QString(), -1);
        manager.loadIntoColumns(CellTable(table, QStringLiteral(","), true, 1));
        QCOMPARE(collect(manager, &Meta::text), after);
        checkNumbering(manager);
    }
    void duplicateSnippets()
    {
        Preferences::instance()->setColumnsStartColumns(3);
        MetaManager manager;
        const auto colour = [](Meta* m) { return m->snippetEdit()->palette().color(QPalette::Text).name(); };
        QLineEdit* second = manager.metaAt(1)->snippetEdit();
        second->selectAll();
        QTest::keyClicks(second, QStringLiteral("#1#"));
        QCOMPARE(collect(manager, colour), (QStringList{"#ff0000", "#ff0000", "#000000"}));
        QTest::keyClicks(second, QStringLiteral("x"));
        QCOMPARE(collect(manager, colour), (QStringList{"#000000", "#000000", "#000000"}));
        manager.metaAt(2)->setSnippet(QStringLiteral("#1#")); // only the user's edits are checked
        QCOMPARE(collect(manager, colour), (QStringList{"#000000", "#000000", "#000000"}));
    }
    void removeDuringMerge()
    {
        // A click's removal runs inside a merge, which lets pending events run; the merge stops reading the column.
        MetaManager manager;
        manager.metaAt(0)->setText(QStringLiteral("a\nb\nc"));
        manager.insertMeta(QStringLiteral("1\n2\n3\n4"), QString(), -1);
        QPointer<Meta> second(manager.metaAt(1));
        MergeEngine engine;
        engine.setEventInterval(0);
        engine.setup({manager.metaAt(0), second.data()}, QStringLiteral("#1#-#2#;"));
        QTest::mouseClick(button(second, "btnRemove"), Qt::LeftButton);
        QVERIFY(second);
        const QString result = engine.merge();
        QVERIFY(!second);
        QVERIFY2(result.startsWith(QStringLiteral("a-")), qPrintable(result));
        QVERIFY2(!result.contains(QStringLiteral("#2#")), qPrintable(result));
        checkNumbering(manager);
    }
};

QTEST_MAIN(TestMetaManager)
#include "tst_metamanager.moc"
