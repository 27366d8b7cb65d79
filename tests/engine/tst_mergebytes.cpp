// Runs built as editor bytes: the line index they copy from, the byte merge and random records, stops,
// limits and columns gone.

#include "engine/ByteColumn.h"
#include "engine/MergeEngine.h"
#include "engine/PlainColumn.h"

#include <QTimer>
#include <QtTest>

#include <memory>
#include <vector>

namespace {

// Stops the run at its stopAt-th question.
class StopAfter : public Callback
{
public:
    explicit StopAfter(int stopAt) : m_stopAt(stopAt) {}
    bool isStopRequested() override { return ++m_asked > m_stopAt; }
    bool setProgress(int) override { return false; }

private:
    int m_stopAt;
    int m_asked = 0;
};

class RefusingSink : public ByteSink
{
public:
    bool write(const QByteArray&) override { return false; }
};

} // namespace

class TestMergeBytes : public QObject
{
    Q_OBJECT
private slots:
    void lineSpans_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QList<QByteArray>>("values");
        QTest::newRow("empty") << QByteArray() << QList<QByteArray>{""};
        QTest::newRow("one line") << QByteArray("abc") << QList<QByteArray>{"abc"};
        QTest::newRow("final break") << QByteArray("a\n") << QList<QByteArray>{"a", ""};
        QTest::newRow("all three breaks") << QByteArray("a\r\nb\rc\nd") << QList<QByteArray>{"a", "b", "c", "d"};
        QTest::newRow("LF CR is two breaks") << QByteArray("a\n\rb") << QList<QByteArray>{"a", "", "b"};
        QTest::newRow("CR at the end") << QByteArray("a\r") << QList<QByteArray>{"a", ""};
        QTest::newRow("empty lines") << QByteArray("\n\r\n\r") << QList<QByteArray>{"", "", "", ""};
        QTest::newRow("NUL ends a value, not a line") << QByteArray("ab\0cd\nef", 8) << QList<QByteArray>{"ab", "ef"};
        QTest::newRow("NUL first") << QByteArray("\0x\r\n", 4) << QList<QByteArray>{"", ""};
    }

    void lineSpans()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QList<QByteArray>, values);
        LineSpans spans;
        spans.build(bytes.constData(), bytes.size(), true);
        QCOMPARE(spans.lineCount(), values.size());
        for (int i = 0; i < values.size(); ++i) {
            QByteArray value;
            QVERIFY(spans.appendValue(i, value, true));
            QCOMPARE(value, values.at(i));
        }
    }

    void strictUtf8IsWhatSurvivesDecoding()
    {
        // Lead and continuation bytes of every kind, so that truncated, overlong, surrogate and
        // out-of-range sequences all occur.
        static const unsigned char interesting[] = {0x41, 0x80, 0xBF, 0xC0, 0xC1, 0xC2, 0xDF, 0xE0, 0xA0, 0x9F,
                                                    0xED, 0xEF, 0xBB, 0xF0, 0x90, 0x8F, 0xF4, 0xF5, 0xFF, 0x00};
        QRandomGenerator random(7);
        int valid = 0;
        for (int round = 0; round < 20000; ++round) {
            QByteArray bytes;
            for (int i = 0, n = int(random.bounded(1, 7)); i < n; ++i)
                bytes += char(interesting[random.bounded(int(sizeof(interesting)))]);
            const bool survives = decodeUtf8(bytes.constData(), bytes.size()).toUtf8() == bytes;
            QCOMPARE(isStrictUtf8(bytes.constData(), bytes.size()), survives);
            valid += survives;
        }
        QVERIFY(valid > 100); // the property was tried on valid sequences too
    }

    void latin1Encoding()
    {
        QCOMPARE(encodeEditorText(QString::fromUtf8("a\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80z"), false),
                 QByteArray("a\xe9??z"));
        QByteArray out("x");
        appendEditorText(QStringLiteral("y"), false, out);
        QCOMPARE(out, QByteArray("xy"));
        // Latin-1 bytes go over to UTF-8 and back through the index.
        const QByteArray latin1("\xe9t\xe9");
        LineSpans spans;
        spans.build(latin1.constData(), latin1.size(), false);
        QByteArray utf8;
        QVERIFY(spans.appendValue(0, utf8, true));
        QCOMPARE(utf8, QByteArray("\xc3\xa9t\xc3\xa9"));
        LineSpans back;
        back.build(utf8.constData(), utf8.size(), true);
        QByteArray again;
        QVERIFY(back.appendValue(0, again, false));
        QCOMPARE(again, latin1);
    }

    void mergeExactBytes()
    {
        // Latin-1 and UTF-8 sources into either target: a NUL ends a value, a 4-byte character and CR LF
        // come through, a character Latin-1 cannot hold becomes '?'.
        ByteColumn latin1(QStringLiteral("#1#"), QByteArray("a\xe9\r\nb\0x", 7), false);
        ByteColumn utf8(QStringLiteral("#2#"), QByteArray("\xf0\x9f\x98\x80\n"), true);
        MergeEngine engine;
        engine.setEventInterval(MergeEngine::NoEvents);
        for (const bool targetUnicode : {true, false}) {
            engine.setup({&latin1, &utf8}, QString::fromUtf8("<#1#|#2#\xe2\x82\xac>"), QStringLiteral("\r\n"));
            ByteBuffer bytes;
            QVERIFY(engine.mergeBytes(bytes, targetUnicode));
            QCOMPARE(bytes.bytes(), targetUnicode
                                        ? QByteArray("<a\xc3\xa9|\xf0\x9f\x98\x80\xe2\x82\xac>\r\n<b|\xe2\x82\xac>")
                                        : QByteArray("<a\xe9|?"
                                                     "?>\r\n<b|?>"));
        }
    }

    void randomRecordsTakeWholeLines()
    {
        const QStringList names{"ann",
                                QString::fromUtf8("b\xc3\xb6"
                                                  "b"),
                                "", "carl"};
        const QStringList ids{"1", "22", "333"};
        ByteColumn first(QStringLiteral("#1#"), names.join('\n').toUtf8(), true);
        ByteColumn second(QStringLiteral("#2#"), ids.join("\r\n").toUtf8(), true);
        MergeEngine engine;
        engine.setup({&first, &second}, QStringLiteral("#1#|#2#|#1#"), QStringLiteral("\n"));
        ByteBuffer bytes;
        QVERIFY(engine.generateRandomBytes(3000, bytes, true));
        const QStringList records = QString::fromUtf8(bytes.bytes()).split('\n');
        QCOMPARE(records.size(), 3000);
        QSet<QString> seen;
        for (const QString& record : records) {
            const QStringList parts = record.split('|');
            QCOMPARE(parts.size(), 3);
            QVERIFY2(names.contains(parts.at(0)) && ids.contains(parts.at(1)) && names.contains(parts.at(2)),
                     qPrintable(record));
            seen.insert(parts.at(0));
            seen.insert(parts.at(1));
        }
        // Every line is drawn, each reference on its own.
        QCOMPARE(seen.size(), names.size() + ids.size());
        QVERIFY(std::any_of(records.begin(), records.end(),
                            [](const QString& r) { return r.section('|', 0, 0) != r.section('|', 2, 2); }));
    }

    void stopAndLimitKeepWholeRecords()
    {
        QStringList lines;
        for (int i = 0; i < 500; ++i)
            lines.append(QStringLiteral("value%1").arg(i));
        ByteColumn column(QStringLiteral("#1#"), lines.join('\n').toUtf8(), true);
        MergeEngine engine;
        engine.setEventInterval(MergeEngine::NoEvents);
        engine.setup({&column}, QStringLiteral("[#1#]"), QStringLiteral("\r\n"));
        ByteBuffer whole;
        QVERIFY(engine.mergeBytes(whole, true));
        const QList<QByteArray> records = whole.bytes().split('\n');
        QCOMPARE(records.size(), 500);

        // A stop: the records before it, whole.
        StopAfter stop(123);
        ByteBuffer stopped;
        QVERIFY(engine.mergeBytes(stopped, true, &stop));
        QCOMPARE(stopped.bytes(), whole.bytes().left(stopped.bytes().size()));
        QCOMPARE(stopped.bytes().count('\n'), 122);
        QVERIFY(stopped.bytes().endsWith("value122]"));
        QVERIFY(!engine.resultTruncated());

        // The size limit: what fits, in whole records, and the run says it was cut.
        engine.setResultLimit(1000);
        ByteBuffer limited;
        QVERIFY(engine.mergeBytes(limited, true));
        QVERIFY(engine.resultTruncated());
        QVERIFY(limited.bytes().size() <= 1000);
        QVERIFY(limited.bytes().size() > 1000 - 20);
        QCOMPARE(limited.bytes(), whole.bytes().left(limited.bytes().size()));
        QVERIFY(limited.bytes().endsWith(']'));
    }

    void refusingSinkEndsTheRun()
    {
        ByteColumn column(QStringLiteral("#1#"), QByteArray("a\nb"), true);
        MergeEngine engine;
        engine.setup({&column}, QStringLiteral("#1#"));
        RefusingSink sink;
        QVERIFY(!engine.mergeBytes(sink, true));
        QVERIFY(!engine.generateRandomBytes(5, sink, true));
    }

    void columnGoneDuringRun()
    {
        // The column goes at the run's first round of events, before its first record: every record
        // then reads it as empty, and nothing reads the freed bytes (the sanitizer build would say so).
        auto first = std::make_unique<ByteColumn>(QStringLiteral("#1#"), QByteArray("a\nb\nc"), true);
        ByteColumn second(QStringLiteral("#2#"), QByteArray("1\n2\n3"), true);
        MergeEngine engine;
        engine.setEventInterval(0);
        engine.setup({first.get(), &second}, QStringLiteral("<#1##2#>"));
        QTimer::singleShot(0, [&] { first.reset(); });
        ByteBuffer bytes;
        QVERIFY(engine.mergeBytes(bytes, true));
        QVERIFY(!first);
        QCOMPARE(bytes.bytes(), QByteArray("<1>\n<2>\n<3>"));
    }
};

QTEST_GUILESS_MAIN(TestMergeBytes)
#include "tst_mergebytes.moc"
