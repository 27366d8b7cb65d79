#include "engine/MergeEngine.h"

#include "engine/EventPacer.h"

#include <QDateTime>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <algorithm>

#ifdef Q_OS_LINUX
#include <sys/mman.h>
#endif

// The columns of one run and its event pacing. Events are the only point where a column can be
// removed under a run, so the life tokens are looked at right after each event-processing call; a
// column found gone is replaced by null and reads as empty for the rest of the run.
class MergeEngine::Run
{
public:
    Run(const QVector<GuardedColumn>& columns, int eventInterval)
        : m_guarded(columns), m_pacer({}, qMax(0, eventInterval), EventPacer::Clock::Adaptive),
          m_events(eventInterval != NoEvents)
    {
        m_live.reserve(m_guarded.size());
        for (const GuardedColumn& g : qAsConst(m_guarded))
            m_live.append(g.life.expired() ? nullptr : g.column);
    }

    const QVector<MergeColumn*>& live() const { return m_live; }
    // The snippets to cut the template with; a column already gone keeps its place and reads empty.
    QStringList snippets() const
    {
        QStringList snippets;
        for (int i = 0; i < m_live.size(); ++i)
            snippets.append(m_live.at(i) ? m_live.at(i)->snippet() : m_guarded.at(i).snippet);
        return snippets;
    }

    // Lets pending events run before the first item and then once at least the interval has passed.
    // Returns true when they ran (and columns may have gone or changed).
    bool pumpEvents()
    {
        if (!m_events || !m_pacer.poll())
            return false;
        for (int i = 0; i < m_live.size(); ++i) {
            if (m_live.at(i) && m_guarded.at(i).life.expired())
                m_live[i] = nullptr;
        }
        return true;
    }

    // count records built from the tokens, each column reference taking the line pick.line(column, record)
    // gives (none when negative); pick.eventsRan() follows each round of events. Stops before a record
    // when the callback asks, and before one that would pass the limit (setting *truncated); reports
    // progress every progressStep records when that is at least 1. With a sink the records go to it in
    // pieces instead, without a limit; *truncated then says that the sink refused one.
    template <typename PickLine>
    QString records(const QVector<TemplateToken>& tokens, int count, const QString& separator, int limit,
                    bool randomLines, Callback* callback, int progressStep, PickLine& pick, bool* truncated,
                    RecordSink* sink);

private:
    QVector<GuardedColumn> m_guarded;
    QVector<MergeColumn*> m_live;
    // Reading the clock costs about as much as building a short record: the adaptive clock.
    EventPacer m_pacer;
    bool m_events;
};

namespace {

// Room for the records built from tokens: the literals and separators once per record, and for each
// reference its column's mean line length (from a few evenly spread lines) times the records that take
// a line of it: all of them when lines are drawn at random, else those within the column's line count.
qint64 estimateLength(const QVector<TemplateToken>& tokens, const QVector<MergeColumn*>& columns, qint64 records,
                      int separatorLength, bool randomLines)
{
    constexpr int Samples = 16;
    qint64 perRecord = separatorLength;
    qint64 values = 0;
    for (const TemplateToken& token : tokens) {
        if (!token.isColumn()) {
            perRecord += token.text.size();
            continue;
        }
        const MergeColumn* column = columns.at(token.column);
        const int lines = column ? column->lineCount() : 0;
        if (lines < 1)
            continue;
        const qint64 taking = randomLines ? records : qMin<qint64>(lines, records);
        const int span = randomLines ? lines : int(taking);
        const int samples = qMin(span, Samples);
        qint64 sampled = 0;
        for (int j = 0; j < samples; ++j)
            sampled += column->lineText(samples > 1 ? int(qint64(span - 1) * j / (samples - 1)) : 0).size();
        values += (sampled + samples - 1) / samples * taking; // mean first: no overflow for huge counts
    }
    return perRecord * records + values;
}

// Reserves the estimate with some slack: untouched capacity costs address space, not memory, while
// growing a large string near its end would copy it. Large buffers ask for transparent huge pages,
// which spares most of the page faults of filling them.
void reserveResult(QString& text, qint64 estimate, int limit)
{
    const int capacity = int(qMin<qint64>(estimate + estimate / 8 + 64, limit));
    text.reserve(capacity);
#ifdef Q_OS_LINUX
    constexpr quintptr HugePage = quintptr(2) << 20;
    const quintptr begin = quintptr(text.constData());
    const quintptr end = begin + quintptr(text.capacity()) * sizeof(QChar);
    const quintptr alignedBegin = (begin + HugePage - 1) & ~(HugePage - 1);
    const quintptr alignedEnd = end & ~(HugePage - 1);
    if (alignedEnd > alignedBegin + HugePage)
        madvise(reinterpret_cast<void*>(alignedBegin), alignedEnd - alignedBegin, MADV_HUGEPAGE);
#endif
}

// Gives back the reserve when a run ended well short of it (a stop, or lines shorter than sampled).
void trimCapacity(QString& text)
{
    if (text.capacity() > 2 * text.size() + 1024)
        text.squeeze();
}

} // namespace

MergeEngine::MergeEngine() = default;

void MergeEngine::setup(const QList<MergeColumn*>& columns, const QString& templateText, const QString& lineBreak)
{
    m_columns.clear();
    m_columns.reserve(columns.size());
    for (MergeColumn* column : columns)
        m_columns.append(column ? GuardedColumn{column, column->lifeToken(), column->snippet()} : GuardedColumn());
    m_template = templateText;
    m_lineBreak = lineBreak;
    m_result.clear();
    m_truncated = false;
    m_tooComplex.clear();
    ++m_setupSerial;
}

void MergeEngine::setMultiLine(bool multiLine)
{
    m_multiLine = multiLine;
}

QList<TemplateToken> MergeEngine::tokenize(const QString& templateText, const QList<MergeColumn*>& columns)
{
    QStringList snippets;
    for (const MergeColumn* column : columns)
        snippets.append(column ? column->snippet() : QString());
    return tokenizeSnippets(templateText, snippets);
}

QList<TemplateToken> MergeEngine::tokenizeSnippets(const QString& templateText, const QStringList& snippets)
{
    struct Cut
    {
        int column;
        QString snippet;
    };
    QVector<Cut> cuts;
    for (int i = 0; i < snippets.size(); ++i) {
        if (!snippets.at(i).isEmpty())
            cuts.append(Cut{i, snippets.at(i)});
    }
    // Longer snippets first, so "ab" is cut out before "a"; equal lengths keep the list order.
    std::stable_sort(cuts.begin(), cuts.end(),
                     [](const Cut& a, const Cut& b) { return a.snippet.size() > b.snippet.size(); });

    QList<TemplateToken> tokens{TemplateToken::literal(templateText)};
    for (const Cut& cut : qAsConst(cuts)) {
        QList<TemplateToken> next;
        for (const TemplateToken& token : qAsConst(tokens)) {
            if (token.isColumn()) {
                next.append(token);
                continue;
            }
            const QString& text = token.text;
            int at = text.indexOf(cut.snippet, 0, Qt::CaseSensitive);
            if (at < 0) {
                next.append(token);
                continue;
            }
            int from = 0;
            while (at >= 0) {
                if (at > from)
                    next.append(TemplateToken::literal(text.mid(from, at - from)));
                next.append(TemplateToken::reference(cut.column));
                from = at + cut.snippet.size();
                at = text.indexOf(cut.snippet, from, Qt::CaseSensitive);
            }
            if (from < text.size())
                next.append(TemplateToken::literal(text.mid(from)));
        }
        tokens.swap(next);
    }
    return tokens;
}

// The frame of merge and Replace Match: the template when there is nothing to run on, the stored
// result when there is one; else the body's text, stored unless a setup came in during the run (through
// its events), which keeps its empty result.
template <typename Body> QString MergeEngine::storedRun(Body body)
{
    if (m_columns.isEmpty() || m_template.isEmpty())
        return m_template;
    if (!m_result.isEmpty())
        return m_result;
    bool truncated = false;
    const quint64 serial = m_setupSerial;
    Run run(m_columns, m_eventInterval);
    const QString text = body(run, &truncated);
    m_truncated = truncated;
    if (serial == m_setupSerial)
        m_result = text;
    return text;
}

template <typename PickLine>
QString MergeEngine::Run::records(const QVector<TemplateToken>& tokens, int count, const QString& separator, int limit,
                                  bool randomLines, Callback* callback, int progressStep, PickLine& pick,
                                  bool* truncated, RecordSink* sink)
{
    // Large enough that a write costs little next to the records it carries, small enough to stay in cache.
    constexpr int SinkPieceUnits = 1 << 16;
    QString out;
    if (sink)
        out.reserve(2 * SinkPieceUnits);
    else
        reserveResult(out, estimateLength(tokens, m_live, count, separator.size(), randomLines), limit);
    for (int k = 0; k < count; ++k) {
        if (pumpEvents())
            pick.eventsRan();
        if (callback && callback->isStopRequested())
            break;
        const int recordStart = out.size();
        if (k > 0)
            out += separator;
        for (const TemplateToken& token : tokens) {
            if (!token.isColumn()) {
                out += token.text;
            } else if (MergeColumn* column = m_live.at(token.column)) {
                const int line = pick.line(token.column, k);
                if (line >= 0)
                    column->appendLineTo(line, out);
            }
        }
        if (sink) {
            if (out.size() >= SinkPieceUnits) {
                if (!sink->write(out)) {
                    *truncated = true;
                    break;
                }
                out.truncate(0); // keeps the buffer
            }
        } else if (out.size() > limit) {
            out.truncate(recordStart);
            *truncated = true;
            break;
        }
        if (progressStep >= 1 && callback && (k + 1) % progressStep == 0)
            callback->setProgress(k + 1);
    }
    if (sink) {
        if (!*truncated && !out.isEmpty() && !sink->write(out))
            *truncated = true;
        return QString();
    }
    trimCapacity(out);
    return out;
}

QString MergeEngine::merge(Callback* callback)
{
    return storedRun([&](Run& run, bool* truncated) { return mergeRecords(run, callback, truncated); });
}

bool MergeEngine::mergeInto(RecordSink& sink, Callback* callback, int progressStep)
{
    if (m_columns.isEmpty() || m_template.isEmpty())
        return m_template.isEmpty() || sink.write(m_template);
    bool refused = false;
    Run run(m_columns, m_eventInterval);
    mergeRecords(run, callback, &refused, &sink, progressStep);
    return !refused;
}

QString MergeEngine::mergeRecords(Run& run, Callback* callback, bool* truncated, RecordSink* sink,
                                  int progressStep) const
{
    const QVector<MergeColumn*>& columns = run.live();
    const QVector<TemplateToken> tokens = tokenizeSnippets(m_template, run.snippets()).toVector();

    int records = 0;
    for (const TemplateToken& token : tokens) {
        if (token.isColumn() && columns.at(token.column))
            records = qMax(records, columns.at(token.column)->lineCount());
    }

    // Record i takes line i of every column it names.
    struct SameLine
    {
        void eventsRan() {}
        int line(int, int record) const { return record; }
    } pick;
    const QString separator = m_multiLine ? m_lineBreak : QString();
    return run.records(tokens, records, separator, m_resultLimit, false, callback, progressStep, pick, truncated, sink);
}

QString MergeEngine::replaceMatches(Callback* callback)
{
    m_tooComplex.clear();
    return storedRun([&](Run& run, bool* truncated) { return replaceAll(run, callback, truncated); });
}

QString MergeEngine::replaceAll(Run& run, Callback* callback, bool* truncatedOut)
{
    bool truncated = false;
    const int limit = m_resultLimit;
    QString text = m_template;
    bool stopped = false;
    for (int c = 0; c < run.live().size() && !truncated; ++c) {
        MergeColumn* column = run.live().at(c);
        if (!column)
            continue;
        // An empty snippet names nothing, as in a merge; as a pattern it would match between every
        // two characters.
        const QString pattern = column->snippet();
        if (pattern.isEmpty())
            continue;
        const QRegularExpression re(pattern, QRegularExpression::MultilineOption);
        if (!re.isValid())
            continue;
        column->resetLineCursor();
        // The matcher reports giving up (a match or stack limit) as no match, which would end the pass
        // silently with matches left. The same pattern with an empty match at the very end as a second
        // choice, which can always match, tells the two apart where the pass ends: a working search
        // finds that end (marked by its extra group), a search that gave up finds nothing.
        const QRegularExpression endCheck(QStringLiteral("(?:%1)|\\z()").arg(pattern),
                                          QRegularExpression::MultilineOption);
        const bool checkable = endCheck.isValid() && endCheck.captureCount() == re.captureCount() + 1;
        int searchedTo = 0; // where a search for the next match would begin

        // Matches are found in the text as this pass found it and the new text is built piece by
        // piece, which is the running-offset replacement without moving the tail at every match.
        const QString source = text;
        QString out;
        out.reserve(source.size());
        int copied = 0; // end, in source, of what is already in out
        bool overflow = false;
        QRegularExpressionMatchIterator it = re.globalMatch(source);
        while (it.hasNext()) {
            if (run.pumpEvents())
                column = run.live().at(c);
            if (stopped || (callback && callback->isStopRequested())) {
                stopped = true;
                break;
            }
            const QRegularExpressionMatch match = it.next();
            // After an empty match the next search starts one character on.
            searchedTo = match.capturedLength() > 0 ? match.capturedEnd() : match.capturedEnd() + 1;
            if (searchedTo < source.size() && match.capturedLength() == 0 &&
                source.at(searchedTo - 1).isHighSurrogate() && source.at(searchedTo).isLowSurrogate())
                ++searchedTo;
            int group = match.lastCapturedIndex();
            while (group > 0 && match.capturedStart(group) < 0)
                --group;
            const int start = match.capturedStart(group);
            const int end = match.capturedEnd(group);
            // A group that reaches back (through a look-around) into text this pass already
            // replaced cannot be placed; such a match is left alone and takes no line.
            if (start < copied)
                continue;
            const QString value = column ? column->nextLine() : QString();
            if (qint64(out.size()) + (start - copied) + value.size() > limit) {
                overflow = true;
                break;
            }
            out.append(source.constData() + copied, start - copied);
            out += value;
            copied = end;
        }
        if (!stopped && !overflow && checkable && searchedTo <= source.size()) {
            const QRegularExpressionMatch end = endCheck.match(source, searchedTo);
            if (!end.hasMatch() || end.capturedStart(re.captureCount() + 1) < 0) {
                // The matcher gave up: the text keeps what this pass replaced so far and the run ends.
                m_tooComplex = pattern;
                stopped = true;
            }
        }
        if (overflow || qint64(out.size()) + (source.size() - copied) > limit) {
            // Keep the text as the previous passes left it rather than a half-replaced one.
            truncated = true;
            break;
        }
        out.append(source.constData() + copied, source.size() - copied);
        text = out;
    }
    *truncatedOut = truncated;
    return text;
}

QString MergeEngine::generateRandom(int count, Callback* callback)
{
    m_truncated = false;
    bool truncated = false;
    const QString text = randomRecords(count, callback, &truncated, nullptr, count / 100);
    m_truncated = truncated;
    return text;
}

bool MergeEngine::generateRandomInto(int count, RecordSink& sink, Callback* callback, int progressStep)
{
    bool refused = false;
    randomRecords(count, callback, &refused, &sink, progressStep);
    return !refused;
}

QString MergeEngine::randomRecords(int count, Callback* callback, bool* truncated, RecordSink* sink, int progressStep)
{
    if (count < 1)
        return QString();

    Run run(m_columns, m_eventInterval);
    const QVector<MergeColumn*>& columns = run.live();
    const QVector<TemplateToken> tokens = tokenizeSnippets(m_template, run.snippets()).toVector();

    // Every reference draws a line afresh. Line counts are read again whenever events ran, since the
    // columns can be edited meanwhile.
    struct RandomLine
    {
        const QVector<MergeColumn*>& columns;
        QRandomGenerator random;
        QVector<quint32> lineCounts;
        void eventsRan()
        {
            for (int i = 0; i < columns.size(); ++i)
                lineCounts[i] = columns.at(i) ? quint32(qMax(0, columns.at(i)->lineCount())) : 0;
        }
        int line(int column, int)
        {
            const quint32 lines = lineCounts.at(column);
            return lines > 0 ? int(random.bounded(lines)) : -1;
        }
    };
    const quint64 now = quint64(QDateTime::currentMSecsSinceEpoch());
    const quint32 seed[2] = {quint32(now), quint32(now >> 32)};
    RandomLine pick{columns, QRandomGenerator(seed, 2), QVector<quint32>(columns.size(), 0)};
    pick.eventsRan();

    const QString separator = m_multiLine ? m_lineBreak : QString();
    return run.records(tokens, count, separator, m_resultLimit, true, callback, progressStep, pick, truncated, sink);
}
