// Line operations: each step keeps the lines it must, in the order it must, for any lines; the same
// operations on editor bytes give the bytes the string steps give.

#include "FuzzSupport.h"
#include "editor/LineOpsReference.h"

#include <algorithm>

namespace {

QStringList sortedCopy(QStringList lines)
{
    std::sort(lines.begin(), lines.end());
    return lines;
}

int numberKey(const QString& line)
{
    bool ok = false;
    const int key = line.toInt(&ok, 10);
    return ok ? key : 0;
}

// The operations that run on bytes, by number: the fuzzer's operation number and that number plus
// 16 (0..19); the order stays, so that the seeds keep trying what they tried.
const char* const ByteOperations[] = {"reverse",    "upperFirst",   "textUp",        "textDown",   "numberUp",
                                      "numberDown", "removeEmpty",  "pad",           "alignRight", "alignCenter",
                                      "strip",      "truncateLeft", "truncateRight", "upper",      "swapCase",
                                      "lstrip",     "lower",        "lowerFirst",    "rstrip",     "alignLeft"};

// The editor bytes of the lines, run both ways: ByteLineOps on the bytes, and the lines read back
// from the bytes through a LineList and encoded again.
void checkBytePath(const QStringList& lines, EolFormat eol, bool unicode, int operation)
{
    if (operation >= int(sizeof ByteOperations / sizeof *ByteOperations))
        return;
    const LineOpsReference::Op& op = LineOpsReference::op(ByteOperations[operation]);
    const QByteArray bytes = encodeEditorText(lines.join(eolString(eol)), unicode);
    const ByteLineOps::Result result = ByteLineOps::run(op.op, bytes, eolString(eol).toLatin1(), unicode);
    if (unicode && !isStrictUtf8(bytes.constData(), bytes.size())) {
        FUZZ_CHECK(result.outcome == ByteLineOps::Outcome::NeedsStrings);
        return;
    }
    FUZZ_CHECK(result.outcome == ByteLineOps::Outcome::Done);
    bool noLines = false;
    FUZZ_CHECK(result.bytes == LineOpsReference::stringPath(op, bytes, eol, unicode, &noLines));
    FUZZ_CHECK(result.noLines == noLines);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzSupport::ensureApplication();
    FuzzSupport::Input input(data, size);
    const EolFormat eol = EolFormat(input.number(0, 2));
    const bool unicode = input.flag();
    const int operation = input.number(0, 15);
    QStringList lines;
    const int count = input.number(0, 24);
    for (int i = 0; i < count && !input.atEnd(); ++i)
        lines.append(input.text(12));
    // Lines of an editor hold no line break.
    for (QString& line : lines)
        line.replace(QLatin1Char('\n'), QLatin1Char(' ')).replace(QLatin1Char('\r'), QLatin1Char(' '));

    checkBytePath(lines, eol, unicode, operation);
    checkBytePath(lines, eol, unicode, operation + 16);

    LineList list(lines, eol, unicode);
    FUZZ_CHECK(list.joined() == lines.join(eolString(eol)));
    const QStringList& out = list.lines();
    switch (operation) {
    case 0:
        list.reverse();
        FUZZ_CHECK(out.size() == lines.size());
        list.reverse();
        FUZZ_CHECK(out == lines);
        break;
    case 1:
        list.shuffle();
        FUZZ_CHECK(sortedCopy(out) == sortedCopy(lines));
        break;
    case 2:
    case 3: {
        const Qt::SortOrder order = operation == 2 ? Qt::AscendingOrder : Qt::DescendingOrder;
        list.sort(LineList::SortText, order);
        QStringList expected = sortedCopy(lines);
        if (order == Qt::DescendingOrder)
            std::reverse(expected.begin(), expected.end());
        FUZZ_CHECK(out == expected);
        break;
    }
    case 4:
    case 5: {
        const bool ascending = operation == 4;
        list.sort(LineList::SortNumber, ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
        FUZZ_CHECK(sortedCopy(out) == sortedCopy(lines));
        for (int i = 1; i < out.size(); ++i) {
            const int a = numberKey(out.at(i - 1)), b = numberKey(out.at(i));
            FUZZ_CHECK(ascending ? a <= b : a >= b);
        }
        break;
    }
    case 6: {
        list.removeEmptyLines();
        QStringList expected;
        for (const QString& line : lines) {
            if (!line.trimmed().isEmpty())
                expected.append(line);
        }
        FUZZ_CHECK(out == expected);
        break;
    }
    case 7: {
        list.pad();
        FUZZ_CHECK(out.size() == lines.size());
        for (int i = 0; i < out.size(); ++i) {
            FUZZ_CHECK(out.at(i).startsWith(lines.at(i)));
            FUZZ_CHECK(list.width(out.at(i)) == list.width(out.value(0)));
        }
        break;
    }
    case 8:
    case 9: {
        list.align(operation == 8 ? LineList::AlignRight : LineList::AlignCenter);
        FUZZ_CHECK(out.size() == lines.size());
        for (int i = 0; i < out.size(); ++i)
            FUZZ_CHECK(out.at(i).trimmed() == lines.at(i).trimmed());
        break;
    }
    case 10:
        list.strip();
        for (int i = 0; i < out.size(); ++i)
            FUZZ_CHECK(out.at(i) == lines.at(i).trimmed());
        break;
    case 11:
    case 12:
        operation == 11 ? list.truncateLeft() : list.truncateRight();
        for (int i = 0; i < out.size(); ++i) {
            const QString& before = lines.at(i);
            FUZZ_CHECK(before.isEmpty() ? out.at(i).isEmpty() : out.at(i).size() >= before.size() - 2);
            FUZZ_CHECK(before.isEmpty() || out.at(i).size() < before.size());
            FUZZ_CHECK(operation == 11 ? before.endsWith(out.at(i)) : before.startsWith(out.at(i)));
        }
        break;
    case 13:
        list.toUpper();
        for (int i = 0; i < out.size(); ++i)
            FUZZ_CHECK(out.at(i) == lines.at(i).toUpper());
        break;
    case 14:
        list.swapCase();
        FUZZ_CHECK(out.size() == lines.size());
        for (int i = 0; i < out.size(); ++i)
            FUZZ_CHECK(out.at(i).size() == lines.at(i).size());
        break;
    default:
        list.lstrip();
        list.rstrip();
        FUZZ_CHECK(out.size() == lines.size());
        break;
    }
    return 0;
}
