#pragma once
// Builds the result text from a template and columns: the merge (one record per line), Replace Match
// (each column's snippet as a regular expression whose matches take its lines) and random records.

#include "engine/Callback.h"
#include "engine/EventPacer.h"
#include "engine/MergeColumn.h"
#include "engine/TemplateToken.h"

#include <QList>
#include <QString>
#include <QVector>

#include <memory>

// Takes the text of a run piece by piece as it is built, so that a run of any length needs no more
// memory than one piece.
class RecordSink
{
public:
    virtual ~RecordSink() = default;
    // The next piece of the text, in order. Returning false ends the run: the sink cannot take more.
    virtual bool write(const QString& piece) = 0;
};

// The same for a run built as editor bytes.
class ByteSink
{
public:
    virtual ~ByteSink() = default;
    // Called once before the first piece with the likely size of the whole text, in bytes.
    virtual void expect(qint64 bytes) { Q_UNUSED(bytes) }
    // The piece is valid only during the call.
    virtual bool write(const QByteArray& piece) = 0;
};

// Writes a text to a sink as editor bytes, in pieces of bounded size.
bool writeEditorText(ByteSink& sink, const QString& text, bool unicode);

// A sink that keeps the whole text.
class ByteBuffer : public ByteSink
{
public:
    void expect(qint64 bytes) override { m_bytes.reserve(int(qMin<qint64>(bytes, (1 << 30)))); }
    bool write(const QByteArray& piece) override
    {
        m_bytes += piece;
        return true;
    }
    const QByteArray& bytes() const { return m_bytes; }

private:
    QByteArray m_bytes;
};

class MergeEngine
{
public:
    MergeEngine();

    // The columns taking part, in the caller's order (not owned), the template and the line break
    // that joins records when multi-line is on. Clears the stored result.
    void setup(const QList<MergeColumn*>& columns, const QString& templateText,
               const QString& lineBreak = QStringLiteral("\n"));
    void setMultiLine(bool multiLine);
    bool isMultiLine() const { return m_multiLine; }

    // One record per line of the longest column the template names, joined by the setup's line
    // break (or by nothing when multi-line is off). The callback may be null.
    QString merge(Callback* callback = nullptr);
    // Each column's snippet as a regular expression; its matches in the text take the column's
    // successive lines. The callback may be null.
    QString replaceMatches(Callback* callback = nullptr);
    // count records, each column reference taking a randomly chosen line. Leaves the stored result.
    QString generateRandom(int count, Callback* callback = nullptr);

    // The merge and the random records streamed into a sink rather than returned: the text is the same,
    // but no size limit applies and nothing is stored. Progress is reported every progressStep records
    // (never when it is 0). Returns false when the sink refused a piece; a stopped run returns true.
    bool mergeInto(RecordSink& sink, Callback* callback = nullptr, int progressStep = 0);
    bool generateRandomInto(int count, RecordSink& sink, Callback* callback = nullptr, int progressStep = 0);

    // The merge and the random records built as editor bytes (UTF-8, or Latin-1 with "?" for what it
    // cannot hold when unicode is false) and streamed into a sink: the text is that of merge() and
    // generateRandom() in those bytes, and a column that holds its text as bytes is copied from them.
    // The result limit applies, counted in bytes; a run that reached it sets resultTruncated(), the
    // sink holding whole records. Returns false when the sink refused a piece.
    bool mergeBytes(ByteSink& sink, bool unicode, Callback* callback = nullptr);
    bool generateRandomBytes(int count, ByteSink& sink, bool unicode, Callback* callback = nullptr,
                             int progressStep = 0);

    // Cuts a template into literals and column references, longest snippet first.
    static QList<TemplateToken> tokenize(const QString& templateText, const QList<MergeColumn*>& columns);

    // The result of the last merge or Replace Match since setup; empty when none.
    QString result() const { return m_result; }
    // Whether the last run ended early because its text reached the size limit; the text it
    // returned holds the records (or the replacements) that fitted.
    bool resultTruncated() const { return m_truncated; }
    // The pattern on which the last Replace Match ended because the matcher gave up (too much
    // backtracking or recursion); empty when none did. The text holds the replacements made before it.
    QString tooComplexPattern() const { return m_tooComplex; }

    // How often a run lets pending events be processed, in ms (EventPacer::DefaultIntervalMs by default; 0 means before
    // every record or match).
    void setEventInterval(int ms) { m_eventInterval = ms < 0 ? NoEvents : ms; }
    // For a run too short to need the window kept alive (a preview): no events at all, so nothing can
    // come in between.
    static constexpr int NoEvents = -1;
    // Largest result, in UTF-16 units, a run builds before it stops; well below what a string can hold.
    void setResultLimit(int units) { m_resultLimit = qMax(0, units); }
    int resultLimit() const { return m_resultLimit; }

private:
    struct GuardedColumn
    {
        MergeColumn* column = nullptr;
        std::weak_ptr<const void> life;
        QString snippet; // as it was at setup, to cut out a column removed before the run starts
    };
    class Run;

    template <typename Body> QString storedRun(Body body);
    template <typename Out> void mergeRecords(Run& run, Out& out, Callback* callback, int progressStep = 0) const;
    template <typename Out> void randomRecords(int count, Out& out, Callback* callback, int progressStep);
    QString replaceAll(Run& run, Callback* callback, bool* truncated);
    static QList<TemplateToken> tokenizeSnippets(const QString& templateText, const QStringList& snippets);

    QVector<GuardedColumn> m_columns;
    QString m_template;
    QString m_lineBreak = QStringLiteral("\n");
    QString m_result;
    bool m_multiLine = true;
    bool m_truncated = false;
    QString m_tooComplex;
    int m_eventInterval = EventPacer::DefaultIntervalMs;
    int m_resultLimit = 1 << 29;
    // Counts setups, so that a run during which another setup came in does not store its result
    // over the new setup's empty one.
    quint64 m_setupSerial = 0;
};
