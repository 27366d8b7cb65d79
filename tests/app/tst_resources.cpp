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
private slots:
    void initTestCase() { TestSupport::useTemporaryConfigHome(); lineweldInitResources(); }
    void everyNamedResourceLoads()
    {
        // ":/…" literals in code and forms, and the <file> entries of the resource file.
        const QRegularExpression ref(QStringLiteral("(?::/|<file>)(\\w[\\w/.]*\\.(?:png|html))"));
        QSet<QString> used, all;
        QDirIterator it(QStringLiteral(LINEWELD_SOURCE_DIR "/src"), {"*.cpp", "*.h", "*.ui", "*.qrc"}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            QFile file(it.next());
            QVERIFY(file.open(QIODevice::ReadOnly));
            for (auto m = ref.globalMatch(QString::fromUtf8(file.readAll())); m.hasNext();)
                (file.fileName().endsWith(QLatin1String(".qrc")) ? all : used) << ":/" + m.next().captured(1);
        }
        QVERIFY2(used.size() >= 50 && all.size() >= 80, "the scan finds the program's resources");
        for (const QString& path : used + all) {
            QFile file(path);
            const bool isImage = path.endsWith(QLatin1String(".png"));
            QVERIFY2(file.open(QIODevice::ReadOnly) && file.size() > 0 && (!isImage || !QImage(path).isNull()),
                     qPrintable(path));
        }
    }
    void helpPage()
    {
        QFile file(QStringLiteral(":/other/images/regexp_help.html"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(file.readAll()).trimmed();
        QVERIFY(html.contains(QLatin1String("<html>")) && html.endsWith(QLatin1String("</html>")));
        QTextBrowser browser;
        browser.setSource(QUrl(QStringLiteral("qrc:/other/images/regexp_help.html")));
        QVERIFY(browser.toPlainText().contains(QLatin1String("Regular expressions in Lineweld")));
    }
};

QTEST_MAIN(TestResources)
#include "tst_resources.moc"
