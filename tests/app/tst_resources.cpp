// Every resource the code and forms name is compiled in and loads; so does every entry of the .qrc.
#include "TestSupport.h"
#include "resources/Resources.h"
#include <QDirIterator>
#include <QImage>
#include <QRegularExpression>
#include <QSet>
#include <QTextBrowser>
#include <QtTest>

class TestResources : public QObject
{
    Q_OBJECT
    QSet<QString> m_named, m_listed;
    QStringList m_unreadable;
    // Fills the lists above: ":/…" literals in code and forms, and the <file> entries of the resource file.
    void scan()
    {
        const QRegularExpression ref(QStringLiteral("(?::/|<file>)(\\w[\\w/.]*\\.(?:png|html))"));
        QDirIterator it(QStringLiteral(LINEWELD_SOURCE_DIR "/src"), {"*.cpp", "*.h", "*.ui", "*.qrc"}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            QFile file(it.next());
            if (!file.open(QIODevice::ReadOnly)) {
                m_unreadable << file.fileName();
                continue;
            }
            for (auto m = ref.globalMatch(QString::fromUtf8(file.readAll())); m.hasNext();)
                (file.fileName().endsWith(QLatin1String(".qrc")) ? m_listed : m_named) << ":/" + m.next().captured(1);
        }
    }

private slots:
    void initTestCase()
    {
        TestSupport::useTemporaryConfigHome();
        lineweldInitResources();
        scan();
    }
    void scanFindsTheResources()
    {
        QCOMPARE(m_unreadable, QStringList());
        QVERIFY2(m_named.size() >= 50, qPrintable(QString::number(m_named.size())));
        QVERIFY2(m_listed.size() >= 80, qPrintable(QString::number(m_listed.size())));
    }
    void everyNamedResourceLoads_data()
    {
        QTest::addColumn<QString>("path");
        QStringList paths = (m_named + m_listed).values();
        paths.sort();
        for (const QString& path : paths)
            QTest::addRow("%s", qPrintable(path)) << path;
    }
    void everyNamedResourceLoads()
    {
        QFETCH(QString, path);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.size() > 0);
        if (path.endsWith(QLatin1String(".png")))
            QVERIFY(!QImage(path).isNull());
    }
    void helpPage()
    {
        QTextBrowser browser;
        browser.setSource(QUrl(QStringLiteral("qrc:/other/images/regexp_help.html")));
        QVERIFY(browser.toPlainText().contains(QLatin1String("Regular expressions in Lineweld")));
    }
};

QTEST_MAIN(TestResources)
#include "tst_resources.moc"
