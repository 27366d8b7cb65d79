#include "tools/BatchRules.h"

#include "editor/TextUtils.h"
#include "engine/EventPacer.h"

#include <QCoreApplication>
#include <QStringMatcher>

#include <new>

namespace {

const QString Separator = QStringLiteral(" <> ");
const QString ShortSeparator = QStringLiteral(" <>");

// How much text one search covers before events get their turn, in UTF-16 units: about a
// millisecond of searching.
constexpr int SearchWindow = 1 << 20;
// Reading the clock costs far more than a match: it is read once this many characters were searched
// or copied, a match counting as MatchWork of them.
constexpr int WorkPerPoll = 1 << 16;
constexpr int MatchWork = 1 << 10;

enum class PassEnd { Done, Stopped, TooLong };

// Copies a stretch of text in windows, so that a long one lets events through as well; false when a
// stop came in meanwhile.
bool appendPaced(QString& out, const QChar* from, int length, EventPacer& pacer)
{
    while (length > SearchWindow) {
        out.append(from, SearchWindow);
        from += SearchWindow;
        length -= SearchWindow;
        if (pacer.pollStop())
            return false;
    }
    out.append(from, length);
    return true;
}

// One rule over text, left to right without overlapping. Searches run in windows so that a long
// stretch without a match still lets events through.
PassEnd replacePass(QString& text, const BatchRules::Rule& rule, int limit, EventPacer& pacer, qint64* replacements)
{
    const int findSize = rule.find.size();
    const int size = text.size();
    const QStringMatcher matcher(rule.find, Qt::CaseSensitive);
    const QChar* data = text.constData();
    QString out;
    bool started = false;
    int copied = 0;            // end, in text, of what is already in out
    int from = 0;              // where the next search begins
    qint64 work = WorkPerPoll; // since the last poll; the first search polls
    while (from <= size - findSize) {
        if (work >= WorkPerPoll) {
            work = 0;
            if (pacer.pollStop())
                return PassEnd::Stopped;
        }
        const int windowEnd = int(qMin<qint64>(size, qint64(from) + SearchWindow + findSize - 1));
        const int at = matcher.indexIn(data, windowEnd, from);
        if (at < 0) {
            work += windowEnd - from;
            from = windowEnd - findSize + 1;
            continue;
        }
        work += at - from + MatchWork;
        // Growing past the limit is known as soon as it happens: a longer replacement only adds. A text
        // that was already longer may stay so as long as the rule does not grow it.
        const qint64 projected = qint64(out.size()) + (at - copied) + rule.replacement.size() + (size - at - findSize);
        if (projected > qMax<qint64>(limit, size))
            return PassEnd::TooLong;
        if (!started) {
            started = true;
            const qint64 room = rule.replacement.size() > findSize ? qint64(size) + size / 8 : qint64(size);
            out.reserve(int(qMin<qint64>(room, qMax(limit, size))));
        }
        if (!appendPaced(out, data + copied, at - copied, pacer))
            return PassEnd::Stopped;
        out.append(rule.replacement);
        ++*replacements;
        copied = at + findSize;
        from = copied;
    }
    if (!started)
        return PassEnd::Done;
    if (!appendPaced(out, data + copied, size - copied, pacer))
        return PassEnd::Stopped;
    text.swap(out);
    return PassEnd::Done;
}

} // namespace

bool BatchRules::parseLine(const QString& line, Rule* rule)
{
    const QString trimmed = line.trimmed();
    if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char('#')))
        return false;
    // The spaces around the separator belong to it, so "a <>" and "a <> " both delete a; any space
    // beyond them belongs to the texts.
    QStringList pieces = line.split(Separator, Qt::KeepEmptyParts, Qt::CaseSensitive);
    if (pieces.size() != 2)
        pieces = line.split(ShortSeparator, Qt::KeepEmptyParts, Qt::CaseSensitive);
    if (pieces.size() == 2) {
        rule->find = pieces.at(0);
        rule->replacement = pieces.at(1);
    } else {
        rule->find.clear();
        rule->replacement.clear();
    }
    return true;
}

QVector<BatchRules::Rule> BatchRules::parse(const QString& rulesText)
{
    QVector<Rule> rules;
    const QStringList lines = splitTextLines(rulesText);
    for (int i = 0; i < lines.size(); ++i) {
        Rule rule;
        rule.line = i + 1;
        if (parseLine(lines.at(i), &rule))
            rules.append(rule);
    }
    return rules;
}

BatchRules::Outcome BatchRules::apply(const QString& source, const QVector<Rule>& rules, int limit,
                                      const std::function<bool()>& stopRequested)
{
    Outcome outcome;
    outcome.text = source;
    // Items here differ too much in cost (a match, a window of text) for the adaptive clock.
    EventPacer pacer(stopRequested);
    for (int i = 0; i < rules.size(); ++i) {
        const Rule& rule = rules.at(i);
        if (rule.find.isEmpty())
            continue;
        PassEnd end = PassEnd::Done;
        try {
            end = replacePass(outcome.text, rule, limit, pacer, &outcome.replacements);
        } catch (const std::bad_alloc&) {
            // The text of the previous rules is still whole; only this pass's copy did not fit.
            outcome.status = Status::Failed;
            outcome.failedRule = i + 1;
            outcome.error = QCoreApplication::translate("BatchRules", "out of memory");
            outcome.text.clear();
            return outcome;
        }
        if (end == PassEnd::Stopped) {
            outcome.status = Status::Stopped;
            outcome.text.clear();
            return outcome;
        }
        if (end == PassEnd::TooLong) {
            outcome.status = Status::Failed;
            outcome.failedRule = i + 1;
            outcome.error =
                QCoreApplication::translate("BatchRules", "the result would pass its size limit of %L1 characters")
                    .arg(limit);
            outcome.text.clear();
            return outcome;
        }
    }
    return outcome;
}

QString BatchRules::errorText(const Outcome& outcome)
{
    return QCoreApplication::translate("BatchRules", "[Error]:%1, in line %2")
        .arg(outcome.error)
        .arg(outcome.failedRule);
}
