// The line operations on bytes held against LineList on strings: edge texts in both encodings, every
// number key, large sorts; invalid UTF-8 asks for the string path; a stop leaves a sort undone and a
// per-line step whole.

#include "LineOpsReference.h"
#include "TestSupport.h"

#include <QRandomGenerator>
#include <QTimer>
#include <QtTest>

using ByteLineOps::Operation;
using ByteLineOps::Outcome;
using LineOpsReference::stringPath;

namespace {

// Pieces lines are made of: ASCII of every kind, white space the toolkit knows, characters whose case
// changes length or leaves Latin-1, wide and combining characters, characters above U+E000 and beyond
// U+FFFF, digits that are not ASCII, the minus sign, the byte-order mark.
const QStringList& atoms()
{
    static const QStringList list = [] {
        QStringList a;
        for (const char* s : {"a",  "b",  "Z",  "A",  "z", "0", "1", "5", "9", "+", "-",    " ",
                              "  ", "\t", "\v", "\f", ".", "e", "x", ",", "_", "~", "\x7f", "\x01"})
            a << QString::fromLatin1(s);
        a << QString(QChar(0));
        for (const uint code : {0xE9u,   0xC9u,   0xDFu,   0xFFu,   0xB5u,    0xA0u,    0x85u,     0x130u,  0x2000u,
                                0x3000u, 0x2028u, 0x4E2Du, 0x301u,  0x663u,   0x2212u,  0xFF11u,   0xFB01u, 0xE000u,
                                0xFFFDu, 0xFFFFu, 0xFEFFu, 0xD7FFu, 0x1F600u, 0x10000u, 0x10FFFFu, 0x1D400u})
            a << QString::fromUcs4(&code, 1);
        return a;
    }();
    return list;
}

QString randomLine(QRandomGenerator& random)
{
    const int kind = int(random.bounded(8));
    QString line;
    if (kind == 0)
        return line;
    if (kind <= 2) {
        // Number-like: white space, a sign, digits (sometimes too many), white space.
        static const char* const Around[] = {"", "", " ", "\t", "  "};
        static const char* const Signs[] = {"", "-", "+", ""};
        line += QLatin1String(Around[random.bounded(5)]) + QLatin1String(Signs[random.bounded(4)]);
        for (int i = 0, digits = int(random.bounded(kind == 1 ? 4 : 13)); i < digits; ++i)
            line += QChar(char('0' + random.bounded(10)));
        if (random.bounded(10) == 0)
            line += atoms().at(int(random.bounded(atoms().size())));
        return line + QLatin1String(Around[random.bounded(5)]);
    }
    for (int i = 0, n = int(random.bounded(1, 8)); i < n; ++i)
        line += atoms().at(int(random.bounded(atoms().size())));
    return line;
}

QByteArray randomText(QRandomGenerator& random, bool unicode, int lines)
{
    static const char* const Breaks[] = {"\n", "\r\n", "\r"};
    QString text;
    for (int i = 0; i < lines; ++i)
        text += (i > 0 ? QLatin1String(Breaks[random.bounded(3)]) : QLatin1String()) + randomLine(random);
    if (random.bounded(3) == 0)
        text += QLatin1String(Breaks[random.bounded(3)]);
    return encodeEditorText(text, unicode);
}

} // namespace

class TestByteLineOps : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { TestSupport::useTemporaryConfigHome(); }

    void edgeTextsAsStrings()
    {
        // Every operation in both encodings on texts short random lines seldom make: a 4-byte character
        // and a NUL, mixed breaks with a final one, white space and numbers only; invalid UTF-8 asks
        // for the string path.
        static const char Mixed[] = "b\r\na\0z\r\n\xf0\x9f\x98\x80 x\r\n\n";
        const QList<QByteArray> texts{"", QByteArray(Mixed, int(sizeof(Mixed)) - 1), " 12\t\n-3\n\n\xc3\xa9\t \r"};
        for (const LineOpsReference::Op& c : LineOpsReference::ops()) {
            for (const bool unicode : {true, false}) {
                for (const QByteArray& bytes : texts) {
                    for (const EolFormat eol : {EolUnix, EolWindows}) {
                        bool noLines = false;
                        const QByteArray expected = stringPath(c, bytes, eol, unicode, &noLines);
                        const ByteLineOps::Result actual =
                            ByteLineOps::run(c.op, bytes, eolString(eol).toLatin1(), unicode);
                        QCOMPARE(int(actual.outcome), int(Outcome::Done));
                        QVERIFY2(actual.bytes == expected, c.name);
                        QCOMPARE(actual.noLines, noLines);
                    }
                }
            }
            QCOMPARE(int(ByteLineOps::run(c.op, "a\n\xff", "\n", true).outcome), int(Outcome::NeedsStrings));
        }
    }

    void numberKeys()
    {
        // Every string of up to four pieces of characters that could take part in a number: the byte
        // path reads the same key as QString::toInt(&ok, 10), or 0 where that fails.
        QStringList pieces = QStringLiteral("0 7 + - . e x ,").split(QLatin1Char(' '));
        pieces << QStringLiteral(" ") << QStringLiteral("\t") << QStringLiteral("\v") << QString(QChar(0))
               << QString(QChar(0xA0)) << QString(QChar(0x2212)) << QString(QChar(0x663));
        QStringList lines{QString()};
        for (int from = 0, depth = 0; depth < 4; ++depth) {
            const int to = lines.size();
            for (int i = from; i < to; ++i) {
                for (const QString& piece : pieces)
                    lines << lines.at(i) + piece;
            }
            from = to;
        }
        lines << QStringLiteral("2147483647 2147483648 -2147483648 -2147483649 00000000000000000000012 "
                                "99999999999999999999999 +0 -0")
                     .split(QLatin1Char(' '));
        // Anchors between the keys show any line whose key came out wrong.
        for (int k = -10; k <= 10; ++k)
            lines << QString::number(k);
        for (const bool unicode : {true, false}) {
            const QByteArray bytes = encodeEditorText(lines.join(QLatin1Char('\n')), unicode);
            for (const char* name : {"numberUp", "numberDown"}) {
                const LineOpsReference::Op& c = LineOpsReference::op(name);
                QVERIFY2(ByteLineOps::run(c.op, bytes, "\n", unicode).bytes == stringPath(c, bytes, EolUnix, unicode),
                         name);
            }
        }
    }

    void shuffleKeepsLines()
    {
        QRandomGenerator random(5);
        for (const bool unicode : {true, false}) {
            const QByteArray bytes = randomText(random, unicode, 500);
            QList<QByteArray> lines = ByteLineOps::run(Operation::Reverse, bytes, "\n", unicode).bytes.split('\n');
            QList<QByteArray> shuffled = ByteLineOps::run(Operation::Shuffle, bytes, "\n", unicode).bytes.split('\n');
            QVERIFY(shuffled != lines);
            std::sort(lines.begin(), lines.end());
            std::sort(shuffled.begin(), shuffled.end());
            QVERIFY(shuffled == lines);
        }
    }

    void largeSortsAgree()
    {
        // Enough lines for the sort to go through its buckets, chunks and merges; also with a long
        // start all lines share (one line of it only, or one character more), and few lines.
        QRandomGenerator random(99);
        for (const bool unicode : {true, false}) {
            const QByteArray plain = randomText(random, unicode, 50000);
            QByteArray shared = "https://example.com/\xc3\xa9/" + plain;
            shared.replace("\n", "\nhttps://example.com/\xc3\xa9/");
            shared.replace("\r", "\rhttps://example.com/\xc3\xa9/");
            shared.replace("/\n", "/x\n");
            static const char Few[] = "https://a\nhttps://ab\nhttps://\nhttps://a\0b";
            for (const QByteArray& bytes : {plain, shared, shared.left(2000), QByteArray(Few, int(sizeof(Few)) - 1)}) {
                for (const char* name : {"textUp", "textDown", "numberUp", "numberDown"}) {
                    const LineOpsReference::Op& c = LineOpsReference::op(name);
                    QVERIFY2(ByteLineOps::run(c.op, bytes, "\r\n", unicode).bytes ==
                                 stringPath(c, bytes, EolWindows, unicode),
                             name);
                }
            }
        }
    }

    void stopLeavesSortUndone_data()
    {
        QTest::addColumn<int>("op");
        for (const Operation op :
             {Operation::SortTextAscending, Operation::SortTextDescending, Operation::SortNumberAscending,
              Operation::SortNumberDescending, Operation::Reverse, Operation::Shuffle})
            QTest::addRow("%d", int(op)) << int(op);
    }
    void stopLeavesSortUndone()
    {
        // The stop comes through an event, so this also shows that the sort lets events run.
        QFETCH(int, op);
        QByteArray bytes;
        for (int i = 0; i < 300000; ++i)
            bytes.append(QByteArray::number((i * 7919LL) % 100003)).append('\n');
        bool stop = false;
        QTimer::singleShot(0, [&stop] { stop = true; });
        const ByteLineOps::Result r = ByteLineOps::run(Operation(op), bytes, "\n", true, [&stop] { return stop; });
        QCOMPARE(int(r.outcome), int(Outcome::Stopped));
        QVERIFY(r.bytes.isEmpty());
    }

    void stopKeepsPerLineStepWhole()
    {
        // A stop ends a per-line step after the line in hand: the lines before it are done, the
        // rest as they were, none lost. Events run at every look (interval 0), so the stop comes
        // at the same line on every run: after the lines are split, before the step is through.
        QList<QByteArray> lines;
        QByteArray bytes;
        for (int i = 0; i < 300000; ++i) {
            lines << "line " + QByteArray::number(i);
            bytes.append(lines.last()).append('\n');
        }
        bytes.chop(1);
        int looks = 0;
        const ByteLineOps::Result r = ByteLineOps::run(
            Operation::Upper, bytes, "\n", true, [&looks] { return ++looks >= 800; }, 0);
        QCOMPARE(int(r.outcome), int(Outcome::Done));
        const QList<QByteArray> out = r.bytes.split('\n');
        QCOMPARE(out.size(), lines.size());
        int done = 0;
        while (done < out.size() && out.at(done) == "LINE " + QByteArray::number(done))
            ++done;
        QVERIFY(done > 0);
        QVERIFY(done < out.size());
        for (int i = done; i < out.size(); ++i)
            QCOMPARE(out.at(i), lines.at(i));
    }
};

QTEST_GUILESS_MAIN(TestByteLineOps)
#include "tst_bytelineops.moc"
