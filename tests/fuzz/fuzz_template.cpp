// Template files: any file opens without harm; the reader gives every key of ours as the settings
// library reads it, as a string and as editor bytes; a file that opened saves, and what was saved reads
// back as it was set, keys the program does not know carried along.

#include "FuzzSupport.h"
#include "editor/TextBytes.h"
#include "engine/IniReader.h"
#include "engine/QTemplate.h"

#include <QFile>
#include <QTemporaryDir>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzSupport::ensureApplication();
    static QTemporaryDir dir;
    FUZZ_CHECK(dir.isValid());
    // A new name each time: the settings library remembers what it parsed under a path.
    static int serial = 0;
    const QString path = dir.filePath(QStringLiteral("t%1.s").arg(++serial));
    {
        QFile file(path);
        FUZZ_CHECK(file.open(QIODevice::WriteOnly));
        FUZZ_CHECK(file.write(reinterpret_cast<const char*>(data), qint64(size)) == qint64(size));
    }

    {
        const QByteArray text(reinterpret_cast<const char*>(data), int(size));
        static const QStringList keys{"global/multiline", "global/template", "global/metacounts", "column0/content",
                                      "column0/snippet",  "column1/content", "column3/format"};
        const QSettings settings(path, QSettings::IniFormat); // value() only: it parses no more than it needs
        for (const bool unicode : {true, false}) {
            IniReader reader(keys, unicode);
            if (reader.read(text) != IniReader::Outcome::Read || reader.holdsEncodedValue())
                break;
            for (const QString& key : keys) {
                const QVariant expected = settings.value(key);
                FUZZ_CHECK(reader.value(key) == expected);
                FUZZ_CHECK(reader.takeBytes(key) == encodeEditorText(IniReader::valueText(expected), unicode));
            }
        }
    }

    QTemplate tpl(path);
    FUZZ_CHECK(tpl.columns().size() <= QTemplate::MaxColumns);
    if (tpl.status() == QSettings::NoError) {
        // A change of every kind: the flag, a template with text outside Latin-1, a column more.
        const bool multiLine = !tpl.isMultiLine();
        const QString text = tpl.templateText() + QStringLiteral(" \u00e9\u20ac #1#");
        QList<QTemplate::Column> columns = tpl.columns();
        if (columns.size() < QTemplate::MaxColumns)
            columns.append({QStringLiteral("x\ny\u00df"), QStringLiteral("@snip")});
        tpl.setMultiLine(multiLine);
        tpl.setTemplate(text);
        tpl.setColumns(columns);
        tpl.setMetaCounts(columns.size());
        FUZZ_CHECK(tpl.sync());
        FUZZ_CHECK(!tpl.hasUnsavedChanges());

        const QTemplate back(path);
        FUZZ_CHECK(back.status() == QSettings::NoError);
        FUZZ_CHECK(back.isMultiLine() == multiLine);
        FUZZ_CHECK(back.templateText() == text);
        FUZZ_CHECK(back.columns() == columns);
    }
    QFile::remove(path);
    return 0;
}
