#include "engine/MergeEngine.h"

#include "engine/EventPacer.h"
#include "engine/MemoryHints.h"

#include <QDateTime>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <algorithm>
#include <cstring>

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

    // count records built from the tokens into out, each column reference taking the line
    // pick.line(token, column, record) gives (none when negative); pick.eventsRan() follows each round of
    // events. Stops before a record when the callback asks, and when out takes no more (its limit,
    // or a sink that refused); reports progress every progressStep records when that is at least 1.
    template <typename Out, typename PickLine>
    void records(const QVector<TemplateToken>& tokens, int count, const QString& separator, bool randomLines,
                 Callback* callback, int progressStep, PickLine& pick, Out& out);

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
    adviseHugePages(text.constData(), size_t(text.capacity()) * sizeof(QChar));
}

// Gives back the reserve when a run ended well short of it (a stop, or lines shorter than sampled).
void trimCapacity(QString& text)
{
    if (text.capacity() > 2 * text.size() + 1024)
        text.squeeze();
}

// Where the records of a run go. Each keeps the text in hand, appends values to it and decides after
// every record whether the run goes on.

// What the two string outputs share: a string in hand, values as the columns give them.
class StringRecords
{
public:
    using Text = QString;

    static QString encode(const QString& text) { return text; }
    void refresh(const QVector<MergeColumn*>&) {}
    int size() const { return m_text.size(); }
    void add(const QString& text) { m_text += text; }
    void appendValue(const MergeColumn* column, int, int line) { column->appendLineTo(line, m_text); }
    void prefetchIndex(int, int) const {}
    void prefetchValue(int, int) const {}

protected:
    QString m_text;
};

// The whole text as a string, up to the limit.
class WholeText : public StringRecords
{
public:
    explicit WholeText(int limit) : m_limit(limit) {}

    void begin(qint64 estimate) { reserveResult(m_text, estimate, m_limit); }
    bool endRecord(int recordStart)
    {
        if (m_text.size() <= m_limit)
            return true;
        m_text.truncate(recordStart);
        m_truncated = true;
        return false;
    }
    void finish() { trimCapacity(m_text); }

    bool truncated() const { return m_truncated; }
    QString take() { return std::move(m_text); }

private:
    int m_limit;
    bool m_truncated = false;
};

// How many records ahead the lines of random records are looked up: enough to cover a trip to
// memory, few enough that what is fetched is still there when it is needed.
constexpr int PrefetchDistance = 16;

// Record i takes line i of every column it names.
struct SameLine
{
    static constexpr bool Scattered = false;
    void eventsRan() {}
    int line(int, int, int record) const { return record; }
};

// Every reference draws a line afresh. Line counts are read again whenever events ran, since the
// columns can be edited meanwhile. The lines of a record are drawn when it is first asked for, which
// for prefetching is some records ahead, and kept until it is built; events forget them.
class RandomLine
{
public:
    static constexpr bool Scattered = true;

    RandomLine(const QVector<MergeColumn*>& columns, const QVector<TemplateToken>& tokens, QRandomGenerator random)
        : m_columns(columns), m_tokens(tokens), m_random(random), m_lineCounts(columns.size(), 0), m_drawnFor(Kept, -1),
          m_drawn(Kept * tokens.size(), -1)
    {
    }
    void eventsRan()
    {
        for (int i = 0; i < m_columns.size(); ++i)
            m_lineCounts[i] = m_columns.at(i) ? quint32(qMax(0, m_columns.at(i)->lineCount())) : 0;
        m_drawnFor.fill(-1);
    }
    int line(int token, int, int record)
    {
        const int slot = record % Kept;
        int* lines = m_drawn.data() + slot * m_tokens.size();
        if (m_drawnFor.at(slot) != record) {
            for (int t = 0; t < m_tokens.size(); ++t) {
                const TemplateToken& at = m_tokens.at(t);
                const quint32 count = at.isColumn() ? m_lineCounts.at(at.column) : 0;
                lines[t] = count > 0 ? int(m_random.bounded(count)) : -1;
            }
            m_drawnFor[slot] = record;
        }
        return lines[token];
    }

private:
    static constexpr int Kept = PrefetchDistance + 1;
    const QVector<MergeColumn*>& m_columns;
    const QVector<TemplateToken>& m_tokens;
    QRandomGenerator m_random;
    QVector<quint32> m_lineCounts;
    QVector<int> m_drawnFor;
    QVector<int> m_drawn;
};

// Large enough that a write costs little next to the records it carries, small enough to stay in cache.
constexpr int SinkPieceSize = 1 << 16;

// Pieces of text for a sink, without a limit.
class StringPieces : public StringRecords
{
public:
    explicit StringPieces(RecordSink& sink) : m_sink(sink) {}

    void begin(qint64) { m_text.reserve(2 * SinkPieceSize); }
    bool endRecord(int)
    {
        if (m_text.size() < SinkPieceSize)
            return true;
        if (!m_sink.write(m_text)) {
            m_refused = true;
            return false;
        }
        m_text.truncate(0); // keeps the buffer
        return true;
    }
    void finish()
    {
        if (!m_refused && !m_text.isEmpty() && !m_sink.write(m_text))
            m_refused = true;
    }

    bool refused() const { return m_refused; }

private:
    RecordSink& m_sink;
    bool m_refused = false;
};

// Pieces of editor bytes for a sink, up to the limit. A value from a column that holds its text as
// bytes of the same encoding (or as ASCII) is copied as it stands; any other is converted. The piece
// is a buffer of fixed size written through a cursor, which costs a copy no more than it must.
class BytePieces
{
public:
    using Text = QByteArray;
    BytePieces(ByteSink& sink, bool unicode, qint64 limit) : m_sink(sink), m_unicode(unicode), m_limit(limit) {}

    QByteArray encode(const QString& text) const { return encodeEditorText(text, m_unicode); }
    void begin(qint64 estimate)
    {
        m_sink.expect(qMin(estimate + estimate / 8, m_limit));
        reserve(2 * SinkPieceSize);
    }
    void refresh(const QVector<MergeColumn*>& columns)
    {
        m_spans.resize(columns.size());
        m_direct.resize(columns.size());
        for (int i = 0; i < columns.size(); ++i) {
            const LineSpans* spans = columns.at(i) ? columns.at(i)->lineSpans() : nullptr;
            m_spans[i] = spans;
            m_direct[i] = spans && spans->isClean() && (spans->isUnicode() == m_unicode || spans->isAscii());
        }
    }
    int size() const { return m_used; }
    void add(const QByteArray& bytes) { add(bytes.constData(), bytes.size()); }
    void add(const char* bytes, int length)
    {
        if (length > m_capacity - m_used)
            reserve(m_used + length);
        std::memcpy(m_data + m_used, bytes, size_t(length));
        m_used += length;
    }
    // One unsigned comparison for both bounds (none drawn is -1).
    void prefetchIndex(int index, int line) const
    {
        const LineSpans* spans = m_spans[index];
        if (spans && unsigned(line) < unsigned(spans->lineCount()))
            prefetchRead(spans->spans() + line);
    }
    void prefetchValue(int index, int line) const
    {
        const LineSpans* spans = m_spans[index];
        if (spans && unsigned(line) < unsigned(spans->lineCount()))
            prefetchRead(spans->bytes() + spans->spans()[line].start);
    }
    void appendValue(const MergeColumn* column, int index, int line)
    {
        const LineSpans* spans = m_spans[index];
        if (spans && m_direct[index]) {
            if (line < spans->lineCount()) {
                const LineSpans::Span span = spans->spans()[line];
                add(spans->bytes() + span.start, span.end - span.start);
            }
            return;
        }
        // The rare ways go through a small array of their own.
        m_converted.truncate(0);
        if (!spans)
            column->appendLineBytes(line, m_converted, m_unicode);
        else if (line < spans->lineCount() && !spans->appendValue(line, m_converted, m_unicode))
            appendEditorText(column->lineText(line), m_unicode, m_converted);
        add(m_converted);
    }
    bool endRecord(int recordStart)
    {
        if (m_written + m_used > m_limit) {
            m_used = recordStart;
            m_truncated = true;
            return false;
        }
        return m_used < SinkPieceSize || flush();
    }
    void finish() { flush(); }

    bool truncated() const { return m_truncated; }
    bool refused() const { return m_refused; }

private:
    void reserve(int capacity)
    {
        m_buffer.resize(qMax(capacity, 2 * m_capacity));
        m_data = m_buffer.data();
        m_capacity = m_buffer.size();
    }
    bool flush()
    {
        if (m_refused || m_used == 0)
            return !m_refused;
        if (!m_sink.write(QByteArray::fromRawData(m_data, m_used))) {
            m_refused = true;
            return false;
        }
        m_written += m_used;
        m_used = 0;
        return true;
    }

    ByteSink& m_sink;
    bool m_unicode;
    qint64 m_limit;
    qint64 m_written = 0;
    QByteArray m_buffer;
    char* m_data = nullptr;
    int m_used = 0;
    int m_capacity = 0;
    QByteArray m_converted;
    QVector<const LineSpans*> m_spans;
    QVector<bool> m_direct;
    bool m_truncated = false;
    bool m_refused = false;
};

} // namespace

bool writeEditorText(ByteSink& sink, const QString& text, bool unicode)
{
    sink.expect(text.size());
    for (int start = 0; start < text.size();) {
        int end = qMin(text.size(), start + SinkPieceSize);
        // A surrogate pair is never cut in two.
        if (end < text.size() && text.at(end).isLowSurrogate())
            ++end;
        if (!sink.write(encodeEditorText(text.mid(start, end - start), unicode)))
            return false;
        start = end;
    }
    return true;
}

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

template <typename Out, typename PickLine>
void MergeEngine::Run::records(const QVector<TemplateToken>& tokens, int count, const QString& separator,
                               bool randomLines, Callback* callback, int progressStep, PickLine& pick, Out& out)
{
    // The literals in the output's own form, once per run rather than once per record.
    QVector<typename Out::Text> literals;
    literals.reserve(tokens.size());
    for (const TemplateToken& token : tokens)
        literals.append(token.isColumn() ? typename Out::Text() : out.encode(token.text));
    const typename Out::Text joint = out.encode(separator);
    out.begin(estimateLength(tokens, m_live, count, separator.size(), randomLines));
    out.refresh(m_live);
    for (int k = 0; k < count; ++k) {
        if (pumpEvents()) {
            pick.eventsRan();
            out.refresh(m_live);
        }
        if (callback && callback->isStopRequested())
            break;
        if constexpr (PickLine::Scattered) {
            // Lines drawn at random are far apart in memory: the index entries of a record some way
            // ahead and then the values of a nearer one are asked for early, so they are at hand in time.
            for (int t = 0; t < tokens.size(); ++t) {
                const int column = tokens.at(t).column;
                if (tokens.at(t).isColumn() && m_live.at(column)) {
                    if (k + PrefetchDistance < count)
                        out.prefetchIndex(column, pick.line(t, column, k + PrefetchDistance));
                    if (k + PrefetchDistance / 2 < count)
                        out.prefetchValue(column, pick.line(t, column, k + PrefetchDistance / 2));
                }
            }
        }
        const int recordStart = out.size();
        if (k > 0)
            out.add(joint);
        for (int t = 0; t < tokens.size(); ++t) {
            const TemplateToken& token = tokens.at(t);
            if (!token.isColumn()) {
                out.add(literals.at(t));
            } else if (const MergeColumn* column = m_live.at(token.column)) {
                const int line = pick.line(t, token.column, k);
                if (line >= 0)
                    out.appendValue(column, token.column, line);
            }
        }
        if (!out.endRecord(recordStart))
            break;
        if (progressStep >= 1 && callback && (k + 1) % progressStep == 0)
            callback->setProgress(k + 1);
    }
    out.finish();
}

QString MergeEngine::merge(Callback* callback)
{
    return storedRun([&](Run& run, bool* truncated) {
        WholeText out(m_resultLimit);
        mergeRecords(run, out, callback);
        *truncated = out.truncated();
        return out.take();
    });
}

bool MergeEngine::mergeInto(RecordSink& sink, Callback* callback, int progressStep)
{
    if (m_columns.isEmpty() || m_template.isEmpty())
        return m_template.isEmpty() || sink.write(m_template);
    Run run(m_columns, m_eventInterval);
    StringPieces out(sink);
    mergeRecords(run, out, callback, progressStep);
    return !out.refused();
}

bool MergeEngine::mergeBytes(ByteSink& sink, bool unicode, Callback* callback)
{
    m_truncated = false;
    if (m_columns.isEmpty() || m_template.isEmpty()) {
        const QByteArray text = encodeEditorText(m_template, unicode);
        sink.expect(text.size());
        return text.isEmpty() || sink.write(text);
    }
    Run run(m_columns, m_eventInterval);
    BytePieces out(sink, unicode, m_resultLimit);
    mergeRecords(run, out, callback);
    m_truncated = out.truncated();
    return !out.refused();
}

template <typename Out> void MergeEngine::mergeRecords(Run& run, Out& out, Callback* callback, int progressStep) const
{
    const QVector<MergeColumn*>& columns = run.live();
    const QVector<TemplateToken> tokens = tokenizeSnippets(m_template, run.snippets()).toVector();

    int records = 0;
    for (const TemplateToken& token : tokens) {
        if (token.isColumn() && columns.at(token.column))
            records = qMax(records, columns.at(token.column)->lineCount());
    }

    SameLine pick;
    const QString separator = m_multiLine ? m_lineBreak : QString();
    run.records(tokens, records, separator, false, callback, progressStep, pick, out);
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
    WholeText out(m_resultLimit);
    randomRecords(count, out, callback, count / 100);
    m_truncated = out.truncated();
    return out.take();
}

bool MergeEngine::generateRandomInto(int count, RecordSink& sink, Callback* callback, int progressStep)
{
    StringPieces out(sink);
    randomRecords(count, out, callback, progressStep);
    return !out.refused();
}

bool MergeEngine::generateRandomBytes(int count, ByteSink& sink, bool unicode, Callback* callback, int progressStep)
{
    BytePieces out(sink, unicode, m_resultLimit);
    randomRecords(count, out, callback, progressStep);
    m_truncated = out.truncated();
    return !out.refused();
}

template <typename Out> void MergeEngine::randomRecords(int count, Out& out, Callback* callback, int progressStep)
{
    if (count < 1)
        return;

    Run run(m_columns, m_eventInterval);
    const QVector<MergeColumn*>& columns = run.live();
    const QVector<TemplateToken> tokens = tokenizeSnippets(m_template, run.snippets()).toVector();

    const quint64 now = quint64(QDateTime::currentMSecsSinceEpoch());
    const quint32 seed[2] = {quint32(now), quint32(now >> 32)};
    RandomLine pick(columns, tokens, QRandomGenerator(seed, 2));
    pick.eventsRan();

    const QString separator = m_multiLine ? m_lineBreak : QString();
    run.records(tokens, count, separator, true, callback, progressStep, pick, out);
}
