// The compiled-in pictures and help page, and the sample template file shipped with the program.

#include "../engine/PlainColumn.h"
#include "TestSupport.h"
#include "engine/MergeEngine.h"
#include "resources/Resources.h"
#include "settings/Preferences.h"

#include <QDirIterator>
#include <QFile>
#include <QIcon>
#include <QImage>
#include <QRegularExpression>
#include <QSet>
#include <QSettings>
#include <QTextBrowser>
#include <QtTest>

namespace {

// Every picture the program's windows, menus and dialogs name.
QStringList expectedImages()
{
    QStringList paths;
    const auto add = [&](const QString& prefix, const char* names) {
        for (const QString& n : QString::fromLatin1(names).split(QLatin1Char(' ')))
            paths << prefix + n + QStringLiteral(".png");
    };
    add(QStringLiteral(":/toolbar/images/"),
        "addmeta removemeta selectall unselect clean 64_number 64_letter 64_date 64_time setting 64_onebyone "
        "64_enter 64_clipboard start stop 64_compare split match resize script 64_load 64_save 64_saveas "
        "64undo 64redo 64_help 64_about");
    add(QStringLiteral(":/menu/images/"), "export exit zoomin zoomout zoom");
    add(QStringLiteral(":/meta/images/"),
        "insert append remove N A D T load save undo redo clear paste copy reverse");
    add(QStringLiteral(":/popmenu/images/"),
        "padding align_left align_right align_center rotate90 rotate270 rotate180 fliph flipv");
    add(QStringLiteral(":/window/images/"), "logo logo2");
    add(QStringLiteral(":/diff/images/"),
        "1elipse_seized 1elipse_exclude 2inter 2union 2set1 2set2 3inter 3union 3inter12 3inter23 3inter13 "
        "3set1 3set2 3set3 4inter 4union 4set1 4set2 4set3 4set4 4inter12_34 4inter34_12 4inter13_24 "
        "4inter23_14 4inter24_13 4inter14_23 4inter123_4 4inter124_3 4inter134_2 4inter234_1");
    return paths;
}

const QString kHelpPage = QStringLiteral(":/other/images/regexp_help.html");

QString samplePath()
{
    return QStringLiteral(LINEWELD_SOURCE_DIR "/examples/sample.s");
}

} // namespace

class TestResources : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        TestSupport::useTemporaryConfigHome();
        lineweldInitResources();
        lineweldInitResources(); // a second call must be harmless
    }
    void cleanupTestCase() { Preferences::destroy(); }

    void images_data()
    {
        QTest::addColumn<QString>("path");
        for (const QString& p : expectedImages())
            QTest::newRow(qPrintable(p)) << p;
    }
    void images()
    {
        QFETCH(QString, path);
        const QImage img(path);
        QVERIFY2(!img.isNull(), qPrintable(path));
        QVERIFY(img.width() >= 16 && img.height() >= 16);
        // A picture, not a blank: some pixels are drawn and they are not all one colour.
        QSet<QRgb> colours;
        for (int y = 0; y < img.height(); y += 2)
            for (int x = 0; x < img.width(); x += 2)
                if (qAlpha(img.pixel(x, y)) > 128)
                    colours.insert(img.pixel(x, y));
        QVERIFY2(colours.size() >= 2, qPrintable(path));
        QVERIFY(!QIcon(path).pixmap(16, 16).isNull());
    }

    // The resource file holds exactly the named pictures, so a misspelt entry shows up here.
    void noStrayResources()
    {
        QSet<QString> found;
        const QStringList roots = {QStringLiteral(":/toolbar"), QStringLiteral(":/menu"), QStringLiteral(":/meta"),
                                   QStringLiteral(":/popmenu"), QStringLiteral(":/window"), QStringLiteral(":/diff"),
                                   QStringLiteral(":/other")};
        for (const QString& root : roots) {
            QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories);
            while (it.hasNext())
                found.insert(it.next());
        }
        const QStringList list = expectedImages();
        QSet<QString> expected(list.begin(), list.end());
        expected.insert(kHelpPage);
        QCOMPARE(found.size(), expected.size());
        QCOMPARE(found, expected);
    }

    void helpPage()
    {
        QFile file(kHelpPage);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(file.readAll());
        QVERIFY(html.contains(QLatin1String("<html>")));
        QVERIFY(html.trimmed().endsWith(QLatin1String("</html>")));
        // Nothing reaches outside the program.
        QVERIFY(!html.contains(QLatin1String("<script"), Qt::CaseInsensitive));
        QVERIFY(!html.contains(QLatin1String("http"), Qt::CaseInsensitive));
        QVERIFY(!html.contains(QLatin1String("src="), Qt::CaseInsensitive));
        // Tags nest properly (void elements aside).
        const QSet<QString> voids = {QStringLiteral("meta"), QStringLiteral("br"), QStringLiteral("hr"),
                                     QStringLiteral("!doctype")};
        QStringList stack;
        QRegularExpression tag(QStringLiteral("<(/?)([!A-Za-z][A-Za-z0-9]*)[^>]*>"));
        for (auto it = tag.globalMatch(html); it.hasNext();) {
            const QRegularExpressionMatch m = it.next();
            const QString name = m.captured(2).toLower();
            if (voids.contains(name))
                continue;
            if (m.captured(1).isEmpty()) {
                stack << name;
            } else {
                QVERIFY2(!stack.isEmpty() && stack.last() == name, qPrintable(QStringLiteral("</%1>").arg(name)));
                stack.removeLast();
            }
        }
        QVERIFY(stack.isEmpty());

        // As the match window shows it.
        QTextBrowser browser;
        browser.setSource(QUrl(QStringLiteral("qrc:/other/images/regexp_help.html")));
        QVERIFY(browser.toPlainText().contains(QLatin1String("Regular expressions in Lineweld")));
    }

    // The Match examples of the help page do what the page says.
    void helpMatchExamples_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<bool>("multiLine");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QStringList>("firstGroups"); // per match, the groups joined by "|"
        QTest::newRow("config") << QStringLiteral("^\\s*([A-Za-z_][\\w.]*)\\s*=\\s*(.*?)\\s*$") << true
                                << QStringLiteral("host = db.example.com\n# port of the database\nport = 5432\nuser=report")
                                << QStringList{"host|db.example.com", "port|5432", "user|report"};
        QTest::newRow("mail") << QStringLiteral("([^<\\n]+?)\\s*<([\\w.+-]+@[\\w-]+(?:\\.[\\w-]+)+)>") << false
                              << QStringLiteral("Alice Martin <alice.martin@example.com>")
                              << QStringList{"Alice Martin|alice.martin@example.com"};
        QTest::newRow("sql") << QStringLiteral("VALUES\\s*\\(\\s*'((?:[^']|'')*)'\\s*,\\s*'((?:[^']|'')*)'\\s*\\)") << false
                             << QStringLiteral("INSERT INTO users (name, email) VALUES ('Sean O''Brien', 's@example.com');")
                             << QStringList{"Sean O''Brien|s@example.com"};
        QTest::newRow("date") << QStringLiteral("\\b(\\d{4})-(\\d{2})-(\\d{2})\\b") << false
                              << QStringLiteral("on 2024-03-17 and 12024-03-170") << QStringList{"2024|03|17"};
    }
    void helpMatchExamples()
    {
        QFETCH(QString, pattern);
        QFETCH(bool, multiLine);
        QFETCH(QString, input);
        QFETCH(QStringList, firstGroups);
        QFile file(kHelpPage);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QString html = QString::fromUtf8(file.readAll());
        html.replace(QLatin1String("&lt;"), QLatin1String("<")).replace(QLatin1String("&gt;"), QLatin1String(">"));
        QVERIFY2(html.contains(pattern), "the page shows this pattern");
        const QRegularExpression re(pattern, multiLine ? QRegularExpression::MultilineOption
                                                       : QRegularExpression::NoPatternOption);
        QVERIFY(re.isValid());
        QStringList got;
        for (auto it = re.globalMatch(input); it.hasNext();) {
            const QStringList caps = it.next().capturedTexts().mid(1);
            got << caps.join(QLatin1Char('|'));
        }
        QCOMPARE(got, firstGroups);
    }

    void helpReplaceMatchExamples()
    {
        PlainColumn placeholders(QStringLiteral("\\?"), {QStringLiteral("1017"), QStringLiteral("'Keller'"),
                                                         QStringLiteral("249.90")});
        MergeEngine engine;
        engine.setup({&placeholders}, QStringLiteral("INSERT INTO orders (id, customer, total) VALUES (?, ?, ?);"));
        QCOMPARE(engine.replaceMatches(),
                 QStringLiteral("INSERT INTO orders (id, customer, total) VALUES (1017, 'Keller', 249.90);"));

        PlainColumn ports(QStringLiteral("^port\\s*=\\s*(\\d+)"), {QStringLiteral("6432"), QStringLiteral("6433")});
        engine.setup({&ports}, QStringLiteral("[primary]\nport = 5432\n[replica]\nport = 5432"));
        QCOMPARE(engine.replaceMatches(), QStringLiteral("[primary]\nport = 6432\n[replica]\nport = 6433"));
    }

    void sampleFile()
    {
        QVERIFY(QFile::exists(samplePath()));
        QSettings s(samplePath(), QSettings::IniFormat);
        QCOMPARE(s.status(), QSettings::NoError);
        QCOMPARE(s.value(QStringLiteral("global/multiline")).toBool(), true);
        const QString tpl = s.value(QStringLiteral("global/template")).toString();
        QVERIFY(tpl.startsWith(QLatin1String("INSERT INTO ")));
        bool ok = false;
        const int count = s.value(QStringLiteral("global/metacounts")).toInt(&ok);
        QVERIFY(ok);
        QVERIFY(count >= 1 && count <= 4);

        QStringList groups = s.childGroups().filter(QRegularExpression(QStringLiteral("^column\\d+$")));
        QCOMPARE(groups.size(), count);
        int rows = -1;
        QList<QStringList> columns;
        for (int n = 0; n < count; ++n) {
            s.beginGroup(QStringLiteral("column%1").arg(n));
            // A value with an unquoted comma would come back as a list, not as the column's text.
            QCOMPARE(s.value(QStringLiteral("content")).userType(), int(QMetaType::QString));
            const QStringList lines = s.value(QStringLiteral("content")).toString().split(QLatin1Char('\n'));
            const QString snippet = s.value(QStringLiteral("snippet")).toString();
            s.endGroup();
            QCOMPARE(snippet, QStringLiteral("#%1#").arg(n + 1));
            QVERIFY2(tpl.contains(snippet), qPrintable(snippet));
            if (rows < 0)
                rows = lines.size();
            QCOMPARE(lines.size(), rows);
            for (const QString& line : lines) {
                QVERIFY(!line.trimmed().isEmpty());
                QVERIFY2(!line.contains(QLatin1Char('\'')), "values go between quotes in the SQL");
            }
            columns << lines;
        }
        QVERIFY(rows >= 24);
        // The addresses belong to the names beside them.
        QVERIFY(count >= 2);
        for (int i = 0; i < rows; ++i)
            QVERIFY2(columns[1][i].startsWith(columns[0][i].toLower().replace(QLatin1Char(' '), QLatin1Char('.'))
                                              + QLatin1Char('@')),
                     qPrintable(columns[1][i]));

        // Merged, it gives one complete statement per row.
        std::vector<PlainColumn> plain;
        for (int n = 0; n < count; ++n)
            plain.emplace_back(QStringLiteral("#%1#").arg(n + 1), columns[n]);
        QList<MergeColumn*> ptrs;
        for (PlainColumn& c : plain)
            ptrs << &c;
        MergeEngine engine;
        engine.setup(ptrs, tpl);
        const QStringList out = engine.merge().split(Preferences::instance()->eolString());
        QCOMPARE(out.size(), rows);
        const QRegularExpression stmt(QStringLiteral("^INSERT INTO users \\(name, email, role\\) VALUES "
                                                     "\\('[^'#]+', '[^'#@]+@[^'#]+', '[^'#]+'\\);$"));
        for (const QString& line : out)
            QVERIFY2(stmt.match(line).hasMatch(), qPrintable(line));
    }
};

QTEST_MAIN(TestResources)
#include "tst_resources.moc"
