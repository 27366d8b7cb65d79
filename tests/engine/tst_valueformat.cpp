// Per-column escaping and formatting: each escaping against its format's own rules and, where Qt
// has a reader for the format, a round trip through that reader.

#include "engine/FormattedColumn.h"
#include "engine/MergeEngine.h"
#include "engine/MergePreview.h"
#include "engine/PlainColumn.h"
#include "engine/ValueFormat.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QXmlStreamReader>
#include <QtTest>

Q_DECLARE_METATYPE(ValueEscape)

namespace {

// The values every round trip is tried on: empty, only quotes, separators, line breaks, controls,
// non-ASCII and a character outside the 16-bit range.
const QStringList AwkwardValues = {
    QString(),
    QStringLiteral("\"\"\""),
    QStringLiteral("O'Brien"),
    QStringLiteral("say \"hi\", then go"),
    QStringLiteral("a\nb\r\nc\rd"),
    QStringLiteral("tab\there \\ back\\slash"),
    QString::fromUtf8("Zoë, Straße & <Ünïcode> € 漢字"),
    QString::fromUtf8("\xF0\x9F\x98\x80 smile"),
    QStringLiteral("&amp; not an entity"),
    QStringLiteral("  spaces  "),
};

// A field reader after RFC 4180, written here: quoted fields double their quotes.
QString readCsvField(const QString& field, bool* ok)
{
    *ok = true;
    if (!field.startsWith(QLatin1Char('"'))) {
        *ok = !field.contains(QLatin1Char('"')) && !field.contains(QLatin1Char(',')) &&
              !field.contains(QLatin1Char('\n')) && !field.contains(QLatin1Char('\r'));
        return field;
    }
    QString out;
    int i = 1;
    for (; i < field.size(); ++i) {
        if (field.at(i) != QLatin1Char('"')) {
            out += field.at(i);
            continue;
        }
        if (i + 1 < field.size() && field.at(i + 1) == QLatin1Char('"')) {
            out += QLatin1Char('"');
            ++i;
            continue;
        }
        break;
    }
    *ok = i == field.size() - 1;
    return out;
}

} // namespace

class TestValueFormat : public QObject
{
    Q_OBJECT

private slots:
    // The exact forms; the round trips below show that the formats' readers take them back.
    void escapes_data()
    {
        QTest::addColumn<ValueEscape>("escape");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* name, ValueEscape escape, const QString& value, const QString& expected) {
            QTest::addRow("%s", name) << escape << value << expected;
        };
        row("none keeps all", ValueEscape::None, "a'b\"c<", "a'b\"c<");
        row("sql doubles quotes", ValueEscape::Sql, "O'Brien''", "O''Brien''''");
        row("sql leaves double quotes", ValueEscape::Sql, "say \"hi\"", "say \"hi\"");
        row("csv plain stays bare", ValueEscape::Csv, "plain text", "plain text");
        row("csv empty", ValueEscape::Csv, "", "");
        row("json controls", ValueEscape::Json, QStringLiteral("\n\t") + QChar(0) + QChar(0x1f),
            "\\u000a\\u0009\\u0000\\u001f");
        row("json keeps non-ASCII", ValueEscape::Json, QString::fromUtf8("é€\xF0\x9F\x98\x80"),
            QString::fromUtf8("é€\xF0\x9F\x98\x80"));
        row("json slash and DEL stay", ValueEscape::Json, QStringLiteral("/\x7f"), QStringLiteral("/\x7f"));
        row("xml five", ValueEscape::Xml, "&<>\"'", "&amp;&lt;&gt;&quot;&apos;");
        row("xml carriage return", ValueEscape::Xml, "a\r\nb", "a&#13;\nb");
        row("xml forbidden control", ValueEscape::Xml, QStringLiteral("a") + QChar(1) + "b",
            QStringLiteral("a") + QChar(QChar::ReplacementCharacter) + "b");
        row("shell empty", ValueEscape::Shell, "", "''");
        row("shell quote", ValueEscape::Shell, "it's", "'it'\\''s'");
        row("shell leaves dollar", ValueEscape::Shell, "$HOME `x`", "'$HOME `x`'");
    }

    void escapes()
    {
        QFETCH(ValueEscape, escape);
        QFETCH(QString, value);
        QFETCH(QString, expected);
        QCOMPARE(escapeValue(escape, value), expected);
    }

    void roundTrips_data()
    {
        QTest::addColumn<QString>("value");
        for (const QString& value : AwkwardValues)
            QTest::newRow(qPrintable(value.left(12))) << value;
    }

    void roundTrips()
    {
        QFETCH(QString, value);

        const QByteArray json = "[\"" + escapeValue(ValueEscape::Json, value).toUtf8() + "\"]";
        QJsonParseError error{};
        const QJsonDocument document = QJsonDocument::fromJson(json, &error);
        QCOMPARE(error.error, QJsonParseError::NoError);
        QCOMPARE(document.array().at(0).toString(), value);

        const QString xml =
            "<v a=\"" + escapeValue(ValueEscape::Xml, value) + "\">" + escapeValue(ValueEscape::Xml, value) + "</v>";
        QXmlStreamReader reader(xml);
        QVERIFY(reader.readNextStartElement());
        const QString attribute = reader.attributes().value(QLatin1String("a")).toString();
        QCOMPARE(reader.readElementText(), value);
        QVERIFY2(!reader.hasError(), qPrintable(reader.errorString()));
        // Attribute values normalise a raw tab or line break to a space; the text keeps them.
        if (!value.contains('\n') && !value.contains('\t'))
            QCOMPARE(attribute, value);

        bool ok = false;
        QCOMPARE(readCsvField(escapeValue(ValueEscape::Csv, value), &ok), value);
        QVERIFY(ok);

        // The shell word is given to a real shell, which must hand back the value unchanged.
        QProcess shell;
        shell.start(QStringLiteral("/bin/sh"),
                    {QStringLiteral("-c"), QStringLiteral("printf %s ") + escapeValue(ValueEscape::Shell, value)});
        QVERIFY(shell.waitForFinished());
        QCOMPARE(QString::fromUtf8(shell.readAllStandardOutput()), value);
    }

    void pads_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("width");
        QTest::addColumn<bool>("right");
        QTest::addColumn<QString>("pad");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* name, const QString& value, int width, bool right, const char* pad,
                            const QString& expected) {
            QTest::addRow("%s", name) << value << width << right << QString::fromLatin1(pad) << expected;
        };
        row("left space", "ab", 5, false, " ", "ab   ");
        row("right space", "ab", 5, true, " ", "   ab");
        row("zero after minus", "-42", 5, true, "0", "-0042");
        row("zero after plus", "+7", 3, true, "0", "+07");
        row("left zero, sign untouched", "-4", 4, false, "0", "-400");
        row("longer kept whole", "abcdef", 3, true, " ", "abcdef");
        row("empty value", "", 3, true, "0", "000");
        row("wide characters take two", QString::fromUtf8("漢字"), 6, true, " ", QString::fromUtf8("  漢字"));
        row("wide past width", QString::fromUtf8("漢字"), 3, false, " ", QString::fromUtf8("漢字"));
    }

    void pads()
    {
        QFETCH(QString, value);
        QFETCH(int, width);
        QFETCH(bool, right);
        QFETCH(QString, pad);
        QFETCH(QString, expected);
        QCOMPARE(padValue(value, width, right ? ValueFormat::AlignRight : ValueFormat::AlignLeft, pad.at(0)), expected);
    }

    void keys()
    {
        for (ValueEscape escape :
             {ValueEscape::Sql, ValueEscape::Csv, ValueEscape::Json, ValueEscape::Xml, ValueEscape::Shell})
            QCOMPARE(escapeFromKey(escapeKey(escape)), escape);
        QVERIFY(escapeKey(ValueEscape::None).isEmpty());
        for (const char* unknown : {"", "SQL", "html", "sql "})
            QCOMPARE(escapeFromKey(QLatin1String(unknown)), ValueEscape::None);

        ValueFormat format;
        format.width = 8;
        format.align = ValueFormat::AlignRight;
        format.pad = QLatin1Char('0');
        QCOMPARE(formatKey(format), QStringLiteral("8,right,zero"));
        ValueFormat read;
        formatFromKey(formatKey(format), &read);
        QVERIFY(read == format);
        QVERIFY(formatKey(ValueFormat()).isEmpty());

        // Whatever does not parse is no format at all, never half of one.
        for (const char* bad : {"", "8", "8,right", "x,left,space", "0,left,space", "-3,right,zero", "8,middle,zero",
                                "8,left,dots", "99999,left,space", "8,right,zero,extra"}) {
            ValueFormat parsed = format;
            formatFromKey(QLatin1String(bad), &parsed);
            QVERIFY2(parsed.width == 0 && parsed.isDefault(), bad);
        }
    }

    void mergeTakesFormattedValues()
    {
        // The engine reads a formatted column like any other; the plain column next to it is untouched.
        PlainColumn names(QStringLiteral("#1#"), {QStringLiteral("O'Brien"), QStringLiteral("Ann")});
        PlainColumn ids(QStringLiteral("#2#"), {QStringLiteral("7"), QStringLiteral("-12")});
        ValueFormat sql;
        sql.escape = ValueEscape::Sql;
        ValueFormat zero;
        zero.width = 4;
        zero.align = ValueFormat::AlignRight;
        zero.pad = QLatin1Char('0');
        FormattedColumn escapedNames(&names, sql);
        FormattedColumn paddedIds(&ids, zero);

        MergeEngine engine;
        const QString pattern = QStringLiteral("('#1#', #2#)");
        engine.setup({&escapedNames, &paddedIds}, pattern);
        QCOMPARE(engine.merge(), QStringLiteral("('O''Brien', 0007)\n('Ann', -012)"));
        engine.setup({&escapedNames, &ids}, pattern);
        QCOMPARE(engine.merge(), QStringLiteral("('O''Brien', 7)\n('Ann', -12)"));

        // A column that goes away reads as empty, like a removed column in a plain run.
        auto* gone = new PlainColumn(QStringLiteral("#3#"), {QStringLiteral("x")});
        FormattedColumn wrapped(gone, sql);
        delete gone;
        QCOMPARE(wrapped.lineCount(), 1);
        QCOMPARE(wrapped.lineText(0), QString());
    }

    void previewTakesFirstLines()
    {
        // Cut after the last allowed line whatever breaks the records or the template hold.
        QCOMPARE(MergePreview::firstLines("a\r\nb\rc\nd", 2), QString("a\r\nb"));
        QCOMPARE(MergePreview::firstLines("a\r\nb\rc\nd", 4), QString("a\r\nb\rc\nd"));
        QCOMPARE(MergePreview::firstLines("a\n", 1), QString("a"));
        QCOMPARE(MergePreview::firstLines("a\n", 2), QString("a\n"));

        // Records of two lines each: the twenty lines are ten records.
        QStringList values;
        for (int i = 0; i < 100000; ++i)
            values.append(QString::number(i));
        PlainColumn numbers(QStringLiteral("#1#"), values);
        const QString preview = MergePreview::build({&numbers}, QStringLiteral("#1#\n-"), QStringLiteral("\n"), true);
        QCOMPARE(preview.count('\n'), MergePreview::MaxLines - 1);
        QVERIFY(preview.startsWith("0\n-\n1\n-\n"));
        QVERIFY(preview.endsWith("9\n-"));
        // Nothing can come in between a preview: it lets no event run.
        bool ran = false;
        QMetaObject::invokeMethod(
            this, [&ran] { ran = true; }, Qt::QueuedConnection);
        QCOMPARE(MergePreview::build({&numbers}, "#1#", "\n", false), QString("012345678910111213141516171819"));
        QVERIFY(!ran);
        QCoreApplication::processEvents();
        QVERIFY(ran);
    }
};

QTEST_GUILESS_MAIN(TestValueFormat)
#include "tst_valueformat.moc"
