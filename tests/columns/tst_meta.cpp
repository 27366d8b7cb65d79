// The column widget: its lines as the merge engine reads them, its snippet, and its greying.

#include "TestSupport.h"
#include "engine/PlainColumn.h"

#include "columns/Meta.h"
#include "editor/Editor.h"
#include "engine/MergeEngine.h"
#include "settings/Preferences.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QToolButton>
#include <QtTest>

#include <memory>

class TestMeta : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void lines_data();
    void lines();
    void defaultSnippetFollowsPrefixAndSuffix();
    void untickGreysAllButCheckBox();
    void mergeNonAsciiBothModes_data();
    void mergeNonAsciiBothModes();
    void mergeMatchesPlainColumns_data();
    void mergeMatchesPlainColumns();
    void appendTextStartsNewLine();
};

void TestMeta::initTestCase()
{
    TestSupport::useTemporaryConfigHome();
    qRegisterMetaType<QLineEdit*>();
    Preferences::instance();
}

void TestMeta::init()
{
    Preferences* p = Preferences::instance();
    p->setColumnsPrefix(QStringLiteral("#"));
    p->setColumnsSuffix(QStringLiteral("#"));
    p->setEditorUnicode(false);
}

void TestMeta::lines_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("empty") << QString() << QStringList{QString()};
    QTest::newRow("one") << QStringLiteral("a") << QStringList{QStringLiteral("a")};
    QTest::newRow("trailing break") << QStringLiteral("a\nb\n")
                                    << QStringList{QStringLiteral("a"), QStringLiteral("b"), QString()};
    QTest::newRow("crlf and cr") << QStringLiteral("a\r\nb\rc")
                                 << QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")};
    QTest::newRow("blank middle") << QStringLiteral("x\n\ny") << QStringList{QStringLiteral("x"), QString(),
                                                                             QStringLiteral("y")};
}

void TestMeta::lines()
{
    QFETCH(QString, text);
    QFETCH(QStringList, lines);
    Meta meta(nullptr, 1, text, QString());
    QCOMPARE(meta.text(), text);
    QCOMPARE(meta.isEmpty(), text.isEmpty());
    QCOMPARE(meta.lineCount(), lines.size());
    for (int i = 0; i < lines.size(); ++i)
        QCOMPARE(meta.lineText(i), lines.at(i));
    QCOMPARE(meta.lineText(lines.size()), QString());
    meta.resetLineCursor();
    for (const QString& line : lines)
        QCOMPARE(meta.nextLine(), line);
    meta.resetLineCursor();
    QCOMPARE(meta.nextLine(), lines.first());
}

void TestMeta::defaultSnippetFollowsPrefixAndSuffix()
{
    Meta meta(nullptr, 3, QString(), QString());
    QCOMPARE(meta.snippet(), QStringLiteral("#3#"));
    Meta given(nullptr, 2, QString(), QStringLiteral("<name>"));
    QCOMPARE(given.snippet(), QStringLiteral("<name>"));

    // A program-set snippet is not an edit by the user.
    QSignalSpy edits(&meta, &Meta::repTextChangedSignal);
    meta.setSnippet(QStringLiteral("zz"));
    QCOMPARE(edits.count(), 0);
    QTest::keyClicks(meta.snippetEdit(), QStringLiteral("y"));
    QCOMPARE(edits.count(), 1);

    // A renumbered column takes its new number on the next prefix change, overwriting user text.
    meta.setIndex(1);
    Preferences::instance()->setColumnsPrefix(QStringLiteral("$"));
    QCOMPARE(meta.snippet(), QStringLiteral("$2#"));
    QCOMPARE(given.snippet(), QStringLiteral("$2#"));
    QCOMPARE(meta.editor()->name(), QStringLiteral("Column2"));

    // Percent signs in the prefix or suffix are taken as typed.
    Preferences::instance()->setColumnsPrefix(QStringLiteral("%2"));
    Preferences::instance()->setColumnsSuffix(QStringLiteral("%1"));
    QCOMPARE(meta.snippet(), QStringLiteral("%22%1"));
    Preferences::instance()->setColumnsPrefix(QStringLiteral("#"));
    Preferences::instance()->setColumnsSuffix(QStringLiteral("#"));
}

void TestMeta::untickGreysAllButCheckBox()
{
    Meta meta(nullptr, 1, QString(), QString());
    meta.show();
    auto* check = meta.findChild<QCheckBox*>(QStringLiteral("chkEnable"));
    QVERIFY(check);
    QVERIFY(meta.isChecked());
    meta.setChecked(false);
    QVERIFY(!meta.isChecked());
    QVERIFY(check->isEnabled());
    const QList<QWidget*> all = meta.findChildren<QWidget*>();
    QVERIFY(all.size() > 15);
    for (QWidget* w : all) {
        const bool holdsCheck = w == check || w->isAncestorOf(check);
        if (!holdsCheck && !w->isEnabled())
            continue;
        if (!holdsCheck && qobject_cast<QToolButton*>(w))
            QFAIL(qPrintable(w->objectName() + QStringLiteral(" still enabled")));
    }
    QVERIFY(!meta.editor()->isEnabled());
    QVERIFY(!meta.snippetEdit()->isEnabled());

    meta.setChecked(true);
    for (const char* name : {"btnInsert", "btnAppend", "btnLoad", "btnClear", "btnGenNumber"})
        QVERIFY2(meta.findChild<QToolButton*>(QLatin1String(name))->isEnabled(), name);
    QVERIFY(meta.editor()->isEnabled());
    QVERIFY(meta.snippetEdit()->isEnabled());
    // Buttons that follow the text keep following it.
    QVERIFY(!meta.findChild<QToolButton*>(QStringLiteral("btnSave"))->isEnabled());
    QVERIFY(!meta.findChild<QToolButton*>(QStringLiteral("btnUndo"))->isEnabled());
}

void TestMeta::mergeNonAsciiBothModes_data()
{
    QTest::addColumn<bool>("unicode");
    QTest::newRow("ansi") << false;
    QTest::newRow("utf8") << true;
}

void TestMeta::mergeNonAsciiBothModes()
{
    QFETCH(bool, unicode);
    Preferences::instance()->setEditorUnicode(unicode);
    Meta first(nullptr, 1, QStringLiteral("\u00e9\n\u00e9t\u00e9"), QString());
    Meta second(nullptr, 2, QStringLiteral("\u00df\nStra\u00dfe"), QString());
    QCOMPARE(first.editor()->isUnicode(), unicode);
    QCOMPARE(first.lineText(0), QStringLiteral("\u00e9"));
    QCOMPARE(second.lineText(1), QStringLiteral("Stra\u00dfe"));

    MergeEngine engine;
    engine.setMultiLine(false);
    engine.setup({&first, &second}, QStringLiteral("[#1#|#2#]"));
    QCOMPARE(engine.merge(), QStringLiteral("[\u00e9|\u00df][\u00e9t\u00e9|Stra\u00dfe]"));
}

void TestMeta::mergeMatchesPlainColumns_data()
{
    QTest::addColumn<QString>("templateText");
    QTest::addColumn<QString>("text1");
    QTest::addColumn<QString>("text2");
    QTest::newRow("simple") << QStringLiteral("#1#=#2#;") << QStringLiteral("a\nb\nc") << QStringLiteral("1\n2");
    QTest::newRow("trailing break") << QStringLiteral("<#2#>") << QStringLiteral("x") << QStringLiteral("p\nq\n");
    QTest::newRow("repeated") << QStringLiteral("#1##1# #2#") << QStringLiteral("u\r\nv") << QString();
    QTest::newRow("longer second") << QStringLiteral("#2#:#1#") << QStringLiteral("a") << QStringLiteral("c\nd\ne");
}

void TestMeta::mergeMatchesPlainColumns()
{
    QFETCH(QString, templateText);
    QFETCH(QString, text1);
    QFETCH(QString, text2);
    for (bool multi : {false, true}) {
        Meta m1(nullptr, 1, text1, QString());
        Meta m2(nullptr, 2, text2, QString());
        PlainColumn p1 = PlainColumn::fromText(QStringLiteral("#1#"), text1);
        PlainColumn p2 = PlainColumn::fromText(QStringLiteral("#2#"), text2);
        MergeEngine a;
        a.setMultiLine(multi);
        a.setup({&m1, &m2}, templateText);
        MergeEngine b;
        b.setMultiLine(multi);
        b.setup({&p1, &p2}, templateText);
        const QString expected = b.merge();
        QVERIFY(!expected.isEmpty());
        QCOMPARE(a.merge(), expected);
    }
}

void TestMeta::appendTextStartsNewLine()
{
    Meta meta(nullptr, 1, QString(), QString());
    meta.appendText(QStringLiteral("1\n2"), false);
    QCOMPARE(meta.text(), QStringLiteral("1\n2"));
    meta.appendText(QStringLiteral("3"), true);
    QCOMPARE(meta.lineCount(), 3);
    QCOMPARE(meta.lineText(2), QStringLiteral("3"));
    meta.clear();
    QVERIFY(meta.isEmpty());
}

QTEST_MAIN(TestMeta)
#include "tst_meta.moc"
