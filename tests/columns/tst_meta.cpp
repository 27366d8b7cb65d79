// The column widget: its lines as the merge engine reads them, its snippet, and its greying.

#include "TestSupport.h"
#include "engine/PlainColumn.h"
#include "mainwindow/ModalAnswerer.h"

#include "columns/Meta.h"
#include "editor/Editor.h"
#include "engine/MergeEngine.h"
#include "settings/Preferences.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QToolButton>
#include <QtTest>

#include <sys/stat.h>

class TestMeta : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { TestSupport::useTemporaryConfigHome(); }

    void init()
    {
        Preferences::instance()->setColumnsPrefix(QStringLiteral("#"));
        Preferences::instance()->setColumnsSuffix(QStringLiteral("#"));
        Preferences::instance()->setEditorUnicode(false);
    }

    void lines_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("empty") << QString() << QStringList{QString()};
        QTest::newRow("trailing break") << QStringLiteral("a\n\nb\n") << QStringLiteral("a||b|").split(u'|');
        QTest::newRow("crlf and cr") << QStringLiteral("a\r\nb\rc") << QStringLiteral("a|b|c").split(u'|');
    }

    void lines()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, lines);
        Meta meta(nullptr, 1, text, QString());
        QCOMPARE(meta.text(), text);
        QCOMPARE(meta.lineCount(), lines.size());
        for (int i = 0; i < lines.size(); ++i)
            QCOMPARE(meta.lineText(i), lines.at(i));
        QCOMPARE(meta.lineText(lines.size()), QString());
        for (const QString& line : lines)
            QCOMPARE(meta.nextLine(), line);
        meta.resetLineCursor();
        QCOMPARE(meta.nextLine(), lines.first());
    }

    void defaultSnippetFollowsPrefixAndSuffix()
    {
        Meta meta(nullptr, 3, QString(), QString());
        QCOMPARE(meta.snippet(), QStringLiteral("#3#"));
        Meta given(nullptr, 2, QString(), QStringLiteral("<name>"));

        meta.setSnippet(QStringLiteral("zz"));
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
    }

    void untickGreysAllButCheckBox()
    {
        Meta meta(nullptr, 1, QString(), QString());
        meta.show();
        auto* check = meta.findChild<QCheckBox*>(QStringLiteral("chkEnable"));
        QVERIFY(check);
        meta.setChecked(false);
        QVERIFY(check->isEnabled());
        QVERIFY(meta.findChildren<QToolButton*>().size() > 5);
        for (QToolButton* b : meta.findChildren<QToolButton*>())
            QVERIFY2(!b->isEnabled(), qPrintable(b->objectName()));
        QVERIFY(!meta.editor()->isEnabled());
        QVERIFY(!meta.snippetEdit()->isEnabled());

        // Ticked again, every control is live, Save of the empty column too, until the text changes.
        meta.setChecked(true);
        for (QToolButton* b : meta.findChildren<QToolButton*>())
            QVERIFY2(b->isEnabled(), qPrintable(b->objectName()));
        auto* save = meta.findChild<QToolButton*>(QStringLiteral("btnSave"));
        meta.setText(QStringLiteral("x"));
        QCOMPARE(save->isEnabled(), true);
        meta.clear();
        QCOMPARE(save->isEnabled(), false);
    }

    void saveReportsFailure_data()
    {
        QTest::addColumn<QString>("name"); // in a fresh temporary folder
        QTest::addColumn<bool>("written");
        QTest::addRow("written") << "column1.txt" << true;
        QTest::addRow("missing folder") << "missing/column1.txt" << false;
    }

    void saveReportsFailure()
    {
        QFETCH(QString, name);
        QFETCH(bool, written);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        Meta meta(nullptr, 1, QStringLiteral("abc"), QString());
        ModalAnswerer answerer(path);
        meta.findChild<QToolButton*>(QStringLiteral("btnSave"))->click();
        QCOMPARE(answerer.boxTitles(), written ? QStringList() : QStringList{QStringLiteral("Error")});
        QCOMPARE(TestSupport::readBytes(path), written ? QByteArray("abc") : QByteArray("<unreadable>"));
    }

    // A file that cannot be loaded leaves the column's text as it was.
    void failedLoadKeepsText()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("fifo"));
        QVERIFY(mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
        Meta meta(nullptr, 1, QStringLiteral("kept"), QString());
        ModalAnswerer answerer(path);
        meta.findChild<QToolButton*>(QStringLiteral("btnLoad"))->click();
        QCOMPARE(answerer.boxTitles(), QStringList{QStringLiteral("Error")});
        QCOMPARE(meta.text(), QStringLiteral("kept"));
    }

    void mergeMatchesPlainColumns_data()
    {
        QTest::addColumn<QString>("templateText");
        QTest::addColumn<QString>("text1");
        QTest::addColumn<QString>("text2");
        QTest::newRow("trailing break") << QStringLiteral("<#2#>") << QStringLiteral("x") << QStringLiteral("p\nq\n");
        QTest::newRow("not ASCII") << QStringLiteral("[#1#|#2#]") << QStringLiteral("\u00e9\n\u00e9t\u00e9")
                                   << QStringLiteral("\u00df\nStra\u00dfe");
        QTest::newRow("repeated, longer second")
            << QStringLiteral("#1##1# #2#") << QStringLiteral("u\r\nv") << QStringLiteral("c\nd\ne");
    }

    void mergeMatchesPlainColumns()
    {
        QFETCH(QString, templateText);
        QFETCH(QString, text1);
        QFETCH(QString, text2);
        // In both encodings of the columns' editors, and with and without line breaks between records.
        for (int mode = 0; mode < 4; ++mode) {
            const bool multi = mode & 1;
            Preferences::instance()->setEditorUnicode(mode & 2);
            Meta m1(nullptr, 1, text1, QString());
            Meta m2(nullptr, 2, text2, QString());
            PlainColumn p1 = PlainColumn::fromText(QStringLiteral("#1#"), text1);
            PlainColumn p2 = PlainColumn::fromText(QStringLiteral("#2#"), text2);
            MergeEngine a, b;
            a.setMultiLine(multi);
            b.setMultiLine(multi);
            a.setup({&m1, &m2}, templateText);
            b.setup({&p1, &p2}, templateText);
            const QString expected = b.merge();
            QVERIFY(!expected.isEmpty());
            QCOMPARE(a.merge(), expected);
        }
    }
};

QTEST_MAIN(TestMeta)
#include "tst_meta.moc"
