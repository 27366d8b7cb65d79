// Set engine and match rows: the regions of any columns split their union exactly, the union keeps
// first appearances, and every match row has one cell per group of the expression.

#include "FuzzSupport.h"
#include "tools/MatchRows.h"
#include "tools/SetEngine.h"

#include <QSet>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzSupport::ensureApplication();
    FuzzSupport::Input input(data, size);
    if (input.flag()) {
        const QString pattern = input.text(16);
        MatchRows::Options options;
        options.matchCase = input.flag();
        options.unicode = input.flag();
        options.multiLine = input.flag();
        options.dotAll = input.flag();
        const QString text = input.text(64);
        const QRegularExpression expression = MatchRows::expression(pattern, options);
        CellTable table;
        const MatchRows::Outcome outcome = MatchRows::build(text, expression, table);
        // A text with a lone surrogate cannot be matched at all, which is reported as a failure too.
        FUZZ_CHECK((outcome == MatchRows::Outcome::Invalid) == (!expression.isValid() || !text.isValidUtf16()));
        FUZZ_CHECK((outcome == MatchRows::Outcome::Rows) == !table.isEmpty());
        for (const CellTable::Row& row : table.rows())
            FUZZ_CHECK(row.size() == expression.captureCount() + 1);
        return 0;
    }

    // Few short lines of few letters, so that columns share lines.
    const int columns = input.number(1, SetEngine::MaxColumns);
    QVector<QStringList> lists(columns);
    QVector<QSet<QString>> sets(columns);
    for (int c = 0; c < columns; ++c) {
        // A column of text has at least one line, if empty.
        const int lines = input.atEnd() ? 1 : input.number(1, 12);
        for (int i = 0; i < lines; ++i) {
            // A line holds no line break of its own.
            QString line = input.latin1(2);
            line.replace(QLatin1Char('\n'), QLatin1Char('a')).replace(QLatin1Char('\r'), QLatin1Char('b'));
            lists[c].append(line);
            sets[c].insert(line);
        }
    }
    QVector<QByteArray> texts;
    for (const QStringList& list : lists)
        texts.append(list.join(QLatin1Char('\n')).toUtf8());
    SetEngine engine;
    FUZZ_CHECK(engine.build(texts));
    const QStringList all = engine.strings(engine.lineUnion());
    QStringList expected;
    QSet<QString> taken;
    for (const QStringList& list : lists)
        for (const QString& line : list)
            if (!taken.contains(line)) {
                taken.insert(line);
                expected.append(line);
            }
    FUZZ_CHECK(all == expected);
    if (columns == 1)
        return 0;
    int total = 0;
    for (unsigned inside = 1; inside < (1u << columns); ++inside) {
        for (const QString& line : engine.strings(engine.region(inside))) {
            for (int c = 0; c < columns; ++c)
                FUZZ_CHECK(sets.at(c).contains(line) == bool(inside & (1u << c)));
            ++total;
        }
    }
    FUZZ_CHECK(total == all.size());
    return 0;
}
