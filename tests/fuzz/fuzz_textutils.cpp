// Text utilities: line splitting gives back the text, widths add up, strips and separator splits
// keep what they must, for any UTF-16 text (lone surrogates included).

#include "FuzzSupport.h"
#include "editor/TextUtils.h"
#include "engine/PlainColumn.h"

namespace {

// Lines the way the splitting is defined: an editor's lines (CR LF, LF and lone CR end a line),
// without the empty rest after a final break and without the one empty line of an empty text.
QStringList referenceLines(const QString& text)
{
    QStringList lines = PlainColumn::linesOf(text);
    if (lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzSupport::Input input(data, size);
    const QString chars = input.text(4);
    const QString separator = input.text(3);
    const bool wide = input.flag();
    const QByteArray rest = input.rest();
    const QString whole = wide
                              ? QString::fromUtf16(reinterpret_cast<const char16_t*>(rest.constData()), rest.size() / 2)
                              : QString::fromLatin1(rest);

    // Joined with their breaks, the lines are the text: no unit is lost or changed, a byte-order
    // mark or NUL inside a line included.
    const QStringList lines = splitTextLines(whole);
    FUZZ_CHECK(lines == referenceLines(whole));
    for (const QString& line : lines)
        FUZZ_CHECK(!line.contains(QLatin1Char('\n')) && !line.contains(QLatin1Char('\r')));

    int width = 0;
    for (const QChar c : whole) {
        const int w = charWidth(c);
        FUZZ_CHECK(w >= 0 && w <= 2);
        width += w;
    }
    FUZZ_CHECK(displayWidth(whole) == width);

    const QString left = lstripChars(whole, chars);
    FUZZ_CHECK(whole.endsWith(left));
    FUZZ_CHECK(left.isEmpty() || !chars.contains(left.at(0)));
    const QString right = rstripChars(whole, chars);
    FUZZ_CHECK(whole.startsWith(right));
    FUZZ_CHECK(right.isEmpty() || !chars.contains(right.at(right.size() - 1)));

    // Case swapping works unit by unit, so the length stays.
    FUZZ_CHECK(swapCaseText(whole).size() == whole.size());

    // Each separator stands as one empty part between the pieces, so putting it back gives the text.
    QString rebuilt;
    for (const QString& part : splitKeepSeparators(whole, separator, true))
        rebuilt += part.isEmpty() ? separator : part;
    if (!separator.isEmpty())
        FUZZ_CHECK(rebuilt == whole);
    FUZZ_CHECK(splitKeepSeparators(whole, separator, false).isEmpty());
    return 0;
}
