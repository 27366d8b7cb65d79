// The line operations on bytes held against LineList on strings: random line lists (seeded) in both
// encodings, with CR LF, CR and LF, empty lines, NUL bytes, characters above U+E000 and beyond U+FFFF,
// numbers of every shape, Latin-1 bytes of all values; invalid UTF-8 asks for the string path; a
// stop leaves a sort undone and a per-line step whole.

#include "TestSupport.h"
#include "editor/ByteLineOps.h"
#include "editor/LineList.h"
#include "editor/TextBytes.h"

#include <QRandomGenerator>
#include <QTimer>
#include <QtTest>

#include <functional>

using ByteLineOps::Operation;
using ByteLineOps::Outcome;

namespace {

struct OpCase
{
    const char* name;
    Operation op;
    std::function<void(LineList&)> step;
};

const std::vector<OpCase>& operations()
{
    static const std::vector<OpCase> table = {
        {"upper", Operation::Upper, [](LineList& l) { l.toUpper(); }},
        {"lower", Operation::Lower, [](LineList& l) { l.toLower(); }},
        {"removeEmpty", Operation::RemoveEmptyLines, [](LineList& l) { l.removeEmptyLines(); }},
        {"pad", Operation::Pad, [](LineList& l) { l.pad(); }},
        {"alignLeft", Operation::AlignLeft, [](LineList& l) { l.align(LineList::AlignLeft); }},
        {"alignRight", Operation::AlignRight, [](LineList& l) { l.align(LineList::AlignRight); }},
        {"alignCenter", Operation::AlignCenter, [](LineList& l) { l.align(LineList::AlignCenter); }},
        {"textUp", Operation::SortTextAscending, [](LineList& l) { l.sort(LineList::SortText, Qt::AscendingOrder); }},
        {"textDown", Operation::SortTextDescending,
         [](LineList& l) { l.sort(LineList::SortText, Qt::DescendingOrder); }},
        {"numberUp", Operation::SortNumberAscending,
         [](LineList& l) { l.sort(LineList::SortNumber, Qt::AscendingOrder); }},
        {"numberDown", Operation::SortNumberDescending,
         [](LineList& l) { l.sort(LineList::SortNumber, Qt::DescendingOrder); }},
        {"reverse", Operation::Reverse, [](LineList& l) { l.reverse(); }},
        {"upperFirst", Operation::UpperFirstChar, [](LineList& l) { l.upperFirstChar(); }},
        {"lowerFirst", Operation::LowerFirstChar, [](LineList& l) { l.lowerFirstChar(); }},
        {"swapCase", Operation::SwapCase, [](LineList& l) { l.swapCase(); }},
        {"truncateLeft", Operation::TruncateLeft, [](LineList& l) { l.truncateLeft(); }},
        {"truncateRight", Operation::TruncateRight, [](LineList& l) { l.truncateRight(); }},
        {"lstrip", Operation::LStrip, [](LineList& l) { l.lstrip(); }},
        {"rstrip", Operation::RStrip, [](LineList& l) { l.rstrip(); }},
        {"strip", Operation::Strip, [](LineList& l) { l.strip(); }},
    };
    return table;
}

// What the string path makes of the editor bytes: lines decoded one by one (the empty rest after a
// final break is a line), the LineList step, the lines joined and encoded again.
ByteLineOps::Result stringPath(const OpCase& op, const QByteArray& bytes, EolFormat eol, bool unicode)
{
    QStringList lines;
    int start = 0;
    auto decode = [&](int from, int to) {
        return unicode ? decodeUtf8(bytes.constData() + from, to - from)
                       : QString::fromLatin1(bytes.constData() + from, to - from);
    };
    for (int i = 0; i < bytes.size(); ++i) {
        const char c = bytes.at(i);
        if (c != '\n' && c != '\r')
            continue;
        lines.append(decode(start, i));
        if (c == '\r' && i + 1 < bytes.size() && bytes.at(i + 1) == '\n')
            ++i;
        start = i + 1;
    }
    lines.append(decode(start, bytes.size()));
    LineList list(lines, eol, unicode);
    op.step(list);
    ByteLineOps::Result result;
    result.noLines = list.lines().isEmpty();
    result.bytes = encodeEditorText(list.joined(), unicode);
    return result;
}

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
    if (kind == 0)
        return QString();
    if (kind <= 2) {
        // Number-like: white space, a sign, digits (sometimes too many), white space.
        QString line;
        static const char* const Around[] = {"", "", " ", "\t", "  "};
        line += QLatin1String(Around[random.bounded(5)]);
        const int sign = int(random.bounded(4));
        if (sign == 1)
            line += QLatin1Char('-');
        else if (sign == 2)
            line += QLatin1Char('+');
        const int digits = int(random.bounded(kind == 1 ? 4 : 13));
        for (int i = 0; i < digits; ++i)
            line += QChar(char('0' + random.bounded(10)));
        if (random.bounded(10) == 0)
            line += atoms().at(int(random.bounded(atoms().size())));
        line += QLatin1String(Around[random.bounded(5)]);
        return line;
    }
    QString line;
    for (int i = 0, n = int(random.bounded(1, 8)); i < n; ++i)
        line += atoms().at(int(random.bounded(atoms().size())));
    return line;
}

QByteArray randomText(QRandomGenerator& random, bool unicode, int lines)
{
    static const char* const Breaks[] = {"\n", "\r\n", "\r"};
    QString text;
    for (int i = 0; i < lines; ++i) {
        if (i > 0)
            text += QLatin1String(Breaks[random.bounded(3)]);
        text += randomLine(random);
    }
    if (random.bounded(3) == 0)
        text += QLatin1String(Breaks[random.bounded(3)]);
    return encodeEditorText(text, unicode);
}

QByteArray eolBytes(EolFormat eol)
{
    return eolString(eol).toLatin1();
}

} // namespace

class TestByteLineOps : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { TestSupport::useTemporaryConfigHome(); }

    void sameAsStrings_data()
    {
        QTest::addColumn<int>("op");
        QTest::addColumn<bool>("unicode");
        for (int i = 0; i < int(operations().size()); ++i) {
            for (const bool u : {true, false})
                QTest::addRow("%s %s", operations()[size_t(i)].name, u ? "utf8" : "ansi") << i << u;
        }
    }

    void sameAsStrings()
    {
        QFETCH(int, op);
        QFETCH(bool, unicode);
        const OpCase& c = operations()[size_t(op)];
        QRandomGenerator random(quint32(1000 + op * 2 + (unicode ? 1 : 0)));
        for (int round = 0; round < 300; ++round) {
            const EolFormat eol = EolFormat(random.bounded(3));
            const int lines = round < 10 ? round : int(random.bounded(1, round < 250 ? 40 : 400));
            const QByteArray bytes = randomText(random, unicode, lines);
            const ByteLineOps::Result expected = stringPath(c, bytes, eol, unicode);
            const ByteLineOps::Result actual = ByteLineOps::run(c.op, bytes, eolBytes(eol), unicode);
            QCOMPARE(int(actual.outcome), int(Outcome::Done));
            QVERIFY2(actual.bytes == expected.bytes,
                     qPrintable(QStringLiteral("round %1: %2 gave %3, want %4")
                                    .arg(round)
                                    .arg(QString::fromLatin1(bytes.toHex(' ')))
                                    .arg(QString::fromLatin1(actual.bytes.toHex(' ')))
                                    .arg(QString::fromLatin1(expected.bytes.toHex(' ')))));
            QCOMPARE(actual.noLines, expected.noLines);
        }
    }

    void binaryLatin1()
    {
        // Every byte value but the breaks and NUL, in ANSI mode; in UTF-8 mode such bytes are
        // mostly invalid, and only the string path reads them as it always has.
        QRandomGenerator random(77);
        for (const OpCase& c : operations()) {
            for (int round = 0; round < 40; ++round) {
                QByteArray bytes;
                for (int i = 0, n = int(random.bounded(200)); i < n; ++i) {
                    const int kind = int(random.bounded(12));
                    bytes += kind == 0 ? '\n' : kind == 1 ? '\r' : char(random.bounded(1, 256));
                }
                bytes.replace('\0', 'x');
                for (const bool unicode : {false, true}) {
                    const ByteLineOps::Result actual = ByteLineOps::run(c.op, bytes, "\r\n", unicode);
                    if (unicode && !isStrictUtf8(bytes.constData(), bytes.size())) {
                        QCOMPARE(int(actual.outcome), int(Outcome::NeedsStrings));
                        continue;
                    }
                    const ByteLineOps::Result expected = stringPath(c, bytes, EolWindows, unicode);
                    QVERIFY2(actual.bytes == expected.bytes, c.name);
                    QCOMPARE(actual.noLines, expected.noLines);
                }
            }
        }
    }

    void numberKeys()
    {
        // Every string of up to four pieces of characters that could take part in a number: the byte
        // path reads the same key as QString::toInt(&ok, 10), or 0 where that fails.
        const QStringList pieces = {QStringLiteral("0"),    QStringLiteral("7"),   QStringLiteral("+"),
                                    QStringLiteral("-"),    QStringLiteral(" "),   QStringLiteral("\t"),
                                    QStringLiteral("."),    QStringLiteral("e"),   QStringLiteral("x"),
                                    QStringLiteral(","),    QString(QChar(0)),     QString(QChar(0xA0)),
                                    QString(QChar(0x2212)), QString(QChar(0x663)), QStringLiteral("\v")};
        QStringList lines;
        std::function<void(const QString&, int)> build = [&](const QString& prefix, int depth) {
            lines << prefix;
            if (depth == 0)
                return;
            for (const QString& piece : pieces)
                build(prefix + piece, depth - 1);
        };
        build(QString(), 4);
        lines << QStringLiteral("2147483647") << QStringLiteral("2147483648") << QStringLiteral("-2147483648")
              << QStringLiteral("-2147483649") << QStringLiteral("00000000000000000000012")
              << QStringLiteral("99999999999999999999999") << QStringLiteral("+0") << QStringLiteral("-0");
        for (const bool unicode : {true, false}) {
            for (const bool ascending : {true, false}) {
                // Anchors between the keys show any line whose key came out wrong.
                QStringList all = lines;
                for (int k = -10; k <= 10; ++k)
                    all << QStringLiteral("%1").arg(k);
                const OpCase& c = operations()[ascending ? 9 : 10];
                const QByteArray bytes = encodeEditorText(all.join(QLatin1Char('\n')), unicode);
                const ByteLineOps::Result expected = stringPath(c, bytes, EolUnix, unicode);
                const ByteLineOps::Result actual = ByteLineOps::run(c.op, bytes, "\n", unicode);
                QVERIFY(actual.bytes == expected.bytes);
            }
        }
    }

    void shuffleKeepsLines()
    {
        QRandomGenerator random(5);
        for (const bool unicode : {true, false}) {
            const QByteArray bytes = randomText(random, unicode, 500);
            QList<QByteArray> lines = ByteLineOps::run(Operation::Reverse, bytes, "\n", unicode).bytes.split('\n');
            const ByteLineOps::Result r = ByteLineOps::run(Operation::Shuffle, bytes, "\n", unicode);
            QList<QByteArray> shuffled = r.bytes.split('\n');
            QVERIFY(shuffled != lines);
            std::sort(lines.begin(), lines.end());
            std::sort(shuffled.begin(), shuffled.end());
            QVERIFY(shuffled == lines);
        }
    }

    void utf16OrderAboveE000()
    {
        // UTF-16 units put U+E000..U+FFFF after the surrogates of U+10000 and up; bytes would not.
        const QString text =
            QString::fromUtf8("\xee\x80\x80|\xf0\x9f\x98\x80|\xef\xbf\xbd|\xf0\x90\x80\x80|z|\xed\x9f\xbf")
                .replace(QLatin1Char('|'), QLatin1Char('\n'));
        const ByteLineOps::Result r = ByteLineOps::run(Operation::SortTextAscending, text.toUtf8(), "\n", true);
        QCOMPARE(QString::fromUtf8(r.bytes).split(QLatin1Char('\n')),
                 QString::fromUtf8("z|\xed\x9f\xbf|\xf0\x90\x80\x80|\xf0\x9f\x98\x80|\xee\x80\x80|\xef\xbf\xbd")
                     .split(QLatin1Char('|')));
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
                for (const int op : {7, 8, 9, 10}) {
                    const OpCase& c = operations()[size_t(op)];
                    const ByteLineOps::Result expected = stringPath(c, bytes, EolWindows, unicode);
                    QVERIFY2(ByteLineOps::run(c.op, bytes, "\r\n", unicode).bytes == expected.bytes, c.name);
                }
            }
        }
    }

    void stopLeavesSortUndone_data()
    {
        QTest::addColumn<int>("op");
        for (const int op : {7, 8, 9, 10, 11})
            QTest::addRow("%s", operations()[size_t(op)].name) << op;
        QTest::addRow("shuffle") << -1;
    }

    void stopLeavesSortUndone()
    {
        QFETCH(int, op);
        QByteArray bytes;
        for (int i = 0; i < 300000; ++i)
            bytes.append(QByteArray::number((i * 7919LL) % 100003)).append('\n');
        bool stop = false;
        QTimer::singleShot(0, [&stop] { stop = true; });
        const ByteLineOps::Result r = ByteLineOps::run(op < 0 ? Operation::Shuffle : operations()[size_t(op)].op, bytes,
                                                       "\n", true, [&stop] { return stop; });
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

    void eventsRunDuringLongSort()
    {
        // The sort lets events run: a timer due before it fires during it.
        QByteArray bytes;
        for (int i = 0; i < 400000; ++i)
            bytes.append(QByteArray::number((i * 7919LL) % 1000003)).append("abc\n");
        bool fired = false;
        QTimer::singleShot(0, [&fired] { fired = true; });
        bool firedDuring = false;
        const ByteLineOps::Result r = ByteLineOps::run(Operation::SortTextAscending, bytes, "\n", true, [&] {
            firedDuring = firedDuring || fired;
            return false;
        });
        QCOMPARE(int(r.outcome), int(Outcome::Done));
        QVERIFY(firedDuring);
    }
};

QTEST_GUILESS_MAIN(TestByteLineOps)
#include "tst_bytelineops.moc"
